#include "model/csstokenizer.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace korvel {
namespace {

// Tokens written compactly: T"text" C"comment" V"verbatim" { } ; B
std::string Render(std::string_view css) {
  TokenList tokens;
  Tokenize(css, tokens);
  std::string out;
  for (const Token& token : tokens) {
    if (!out.empty()) out += ' ';
    switch (token.kind) {
      case TokenKind::ByteOrderMark: out += 'B'; break;
      case TokenKind::Text: out += "T\"" + std::string(token.text) + '"'; break;
      case TokenKind::Comment: out += "C\"" + std::string(token.text) + '"'; break;
      case TokenKind::Verbatim: out += "V\"" + std::string(token.text) + '"'; break;
      case TokenKind::OpenBrace: out += '{'; break;
      case TokenKind::CloseBrace: out += '}'; break;
      case TokenKind::Semicolon: out += ';'; break;
    }
  }
  return out;
}

struct TokenCase {
  const char* what;
  std::string_view css;
  const char* tokens;
};

class Tokenizer : public ::testing::TestWithParam<TokenCase> {};

TEST_P(Tokenizer, Cuts) { EXPECT_EQ(Render(GetParam().css), GetParam().tokens) << GetParam().what; }

INSTANTIATE_TEST_SUITE_P(
    Cases, Tokenizer,
    ::testing::Values(
        TokenCase{"empty text", "", ""},
        TokenCase{"blank lines only", "\r\n  \r\n\t\n", ""},
        TokenCase{"one line without blanks", "p{color:red}", "T\"p\" { T\"color:red\" }"},
        TokenCase{"one item per line", "p\r\n{\r\n color: red;\r\n}\r\n", "T\"p\" { T\"color: red\" ; }"},
        TokenCase{"two declarations", "p { a: 1; b: 2 }", "T\"p\" { T\"a: 1\" ; T\"b: 2 \" }"},
        TokenCase{"comment behind a declaration", "p { a: 1; /* x */ }", "T\"p\" { T\"a: 1\" ; C\"/* x */\" }"},
        TokenCase{"comment inside a declaration stays in it", "p { a: /*x*/ 1 }", "T\"p\" { T\"a: /*x*/ 1 \" }"},
        TokenCase{"comment inside a selector stays in it, one behind it is apart", "a/**/.b /* c */{}",
                  "T\"a/**/.b\" C\"/* c */\" { }"},
        TokenCase{"custom property holding blocks", "a{--c: {\"sm\": 1; x: [{k: 2}]}; b: 3}",
                  "T\"a\" { T\"--c: {\"sm\": 1; x: [{k: 2}]}\" ; T\"b: 3\" }"},
        TokenCase{"braces inside a function", "a{b: var(--x, { }); c: 1}",
                  "T\"a\" { T\"b: var(--x, { })\" ; T\"c: 1\" }"},
        TokenCase{"a custom property's open bracket runs to the end, as browsers read it", "a{--c: [; d: 1} e{}",
                  "T\"a\" { T\"--c: [; d: 1} e{}\""},
        TokenCase{"braces inside a function over two lines", "a{b: f({\n}); c: 1}",
                  "T\"a\" { T\"b: f({\n})\" ; T\"c: 1\" }"},
        TokenCase{"a string cut by its line end takes the declaration to its semicolon", "a{b:\"x;\ny;c:1}",
                  "T\"a\" { V\"b:\"x;\ny;\" T\"c:1\" }"},
        TokenCase{"text right after a comment", "/*a*/p{}", "C\"/*a*/\" T\"p\" { }"},
        TokenCase{"a comment needs its own closing star", "/*/ x */p{}", "C\"/*/ x */\" T\"p\" { }"},
        TokenCase{"unterminated comment takes the rest", "p{} /* open\n q{}", "T\"p\" { } C\"/* open\n q{}\""},
        TokenCase{"two slashes are text", "a//b{}", "T\"a//b\" { }"},
        TokenCase{"a closing brace then more text", "a{x:1} b{y:2}", "T\"a\" { T\"x:1\" } T\"b\" { T\"y:2\" }"},
        TokenCase{"a stray closing brace starts a rule browsers drop", "} a{b:c} d{}", "V\"} a{b:c}\" T\"d\" { }"},
        TokenCase{"a prelude holding a stray brace", "a } b{c:d}", "V\"a } b{c:d}\""},
        TokenCase{"an at-rule prelude runs past a stray brace", "@import x } a{b:c} d{}",
                  "V\"@import x } a{b:c}\" T\"d\" { }"},
        TokenCase{"braces in a string", "a{content:\"}{\"}", "T\"a\" { T\"content:\"}{\"\" }"},
        TokenCase{"comment marker in a string", "a{content:'/*'}", "T\"a\" { T\"content:'/*'\" }"},
        TokenCase{"semicolon in an unquoted url", "a{b:url(x;y)}", "T\"a\" { T\"b:url(x;y)\" }"},
        TokenCase{"braces in an unquoted url", "a{b:url(x{y}.png)}", "T\"a\" { T\"b:url(x{y}.png)\" }"},
        TokenCase{"url cut by a line end runs on to its \")\" across braces",
                  "a{b:url(x\n;}c{d:e)}f{g:h}", "T\"a\" { V\"b:url(x\n;}c{d:e)\" } T\"f\" { T\"g:h\" }"},
        TokenCase{"url cut by a lone CR, then ended by its declaration's \";\"",
                  "a{b:url(x\ry) z;c:d}", "T\"a\" { V\"b:url(x\ry) z;\" T\"c:d\" }"},
        TokenCase{"an escaped \")\" does not end a bad url", "a{b:url(x\ny\\);c:d)}",
                  "T\"a\" { V\"b:url(x\ny\\);c:d)\" }"},
        TokenCase{"line ends only around the address: a good url", "a{b:url(\nx.png\n);c:d}",
                  "T\"a\" { T\"b:url(\nx.png\n)\" ; T\"c:d\" }"},
        TokenCase{"a quoted address after a line end: a function", "a{b:url(\n\"x;\");c:d}",
                  "T\"a\" { T\"b:url(\n\"x;\")\" ; T\"c:d\" }"},
        TokenCase{"url cut by a line end with no \")\" runs to the end", "a{b:url(x\n;c:d}\ne{f:g}",
                  "T\"a\" { V\"b:url(x\n;c:d}\ne{f:g}\""},
        TokenCase{"semicolon in parentheses", "a{b:f(1;2);c:3}", "T\"a\" { T\"b:f(1;2)\" ; T\"c:3\" }"},
        TokenCase{"an unclosed parenthesis swallows the rest, as browsers read it", "a{b:f(1;c:2}d{}",
                  "T\"a\" { V\"b:f(1;c:2}d{}\""},
        TokenCase{"a parenthesis closed on a later line ends its declaration there", "a{b:f(1;\nc);d:2}",
                  "T\"a\" { V\"b:f(1;\nc);\" T\"d:2\" }"},
        TokenCase{"statement at-rules", "@import \"a.css\";@charset \"x\";p{}",
                  "V\"@import \"a.css\";\" V\"@charset \"x\";\" T\"p\" { }"},
        TokenCase{"block at-rule kept whole", "@media print { a { b: c } }\np{}",
                  "V\"@media print { a { b: c } }\" T\"p\" { }"},
        TokenCase{"nested rule kept whole in its block", "a{b:1; .c { d: 2 } e:3}",
                  "T\"a\" { T\"b:1\" ; V\".c { d: 2 }\" T\"e:3\" }"},
        TokenCase{"at-rule inside a block", "a{@apply x; @media print { b: c } }",
                  "T\"a\" { V\"@apply x;\" V\"@media print { b: c }\" }"},
        TokenCase{"block without selector", "{ a: b } p{}", "V\"{ a: b }\" T\"p\" { }"},
        TokenCase{"text left without block", "p{} q r", "T\"p\" { } V\"q r\""},
        TokenCase{"byte-order mark", "\xEF\xBB\xBFp{}", "B T\"p\" { }"}),
    [](const ::testing::TestParamInfo<TokenCase>& param) {
      std::string name;
      for (const char c : std::string_view(param.param.what)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

TEST(Tokenizer, DeclarationListHasNoBlock) {
  TokenList tokens;
  TokenizeDeclarations("a: 1; b: 2 } c: 3", tokens);
  ASSERT_EQ(tokens.size(), 5u);
  EXPECT_EQ(tokens[3], (Token{TokenKind::CloseBrace, "}"}));
  EXPECT_EQ(tokens[4], (Token{TokenKind::Text, "c: 3"}));
}

TEST(Tokenizer, PreludeOfVerbatim) {
  EXPECT_EQ(PreludeOf("@media screen and (min-width: 1px) { a {} }"), "@media screen and (min-width: 1px) ");
  EXPECT_EQ(PreludeOf("@import url(a;b.css);"), "@import url(a;b.css)");
  EXPECT_EQ(PreludeOf("loose text"), "loose text");
}

}  // namespace
}  // namespace korvel
