#include "model/csssyntaxcheck.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

// Problems written as "line:what" joined by "|".
std::string Problems(std::string_view css, std::size_t limit = 20) {
  std::string out;
  for (const SyntaxProblem& problem : FindSyntaxProblems(css, limit)) {
    if (!out.empty()) out += '|';
    out += std::to_string(problem.line) + ':' + problem.what;
  }
  return out;
}

TEST(SyntaxCheck, FindsWhatBrowsersDropWithItsLine) {
  const struct {
    const char* what;
    const char* css;
    const char* problems;
  } cases[] = {
      {"a well-formed sheet", "a { b: url(x.png); c: \"}\" }\n/* x */\n@media (x) { a { b: c } }", ""},
      {"unclosed string", "a {\n b: \"x;\n c: d; }", "2:chaîne non fermée"},
      {"escaped line end continues a string", "a { b: \"x\\\ny\"; }", ""},
      {"unclosed comment", "a { b: c }\n\n/* open", "3:commentaire non fermé"},
      {"unclosed parenthesis inside a block", "a {\n b: calc(1px;\n}", "2:parenthèse non fermée"},
      {"unclosed brace", "a {\n b: c;\n", "1:accolade non fermée"},
      {"stray closing brace", "a { b: c } }\nd { e: f }", "1:accolade fermante « } » qui ne ferme rien"},
      {"lines counted with CR LF and lone CR", "a {}\r\nb {}\rc { d: 'e }", "3:chaîne non fermée|3:accolade non fermée"},
      {"braces in strings and comments are text", "a { b: '{' /* } */ }", ""},
      {"unquoted url cut by its line end runs on to its \")\"", "a { b: url(x\ny) }\nc { d: e }", "1:url non fermée"},
      {"blanks and a line end before a url's \")\" are no cut", "a { b: url(\n x.png\n) }", ""},
      {"a url cut by its line end swallows the braces up to its \")\"", "a { b: url(x\n}\nc { d: e) }", "1:url non fermée"},
      {"unquoted url cut by the end of the text", "a { b: url(x", "1:url non fermée|1:accolade non fermée"},
      {"declarations without a colon", "a {\n color red;\n b: c; font-weight bold\n}", "2:déclaration sans « : »|3:déclaration sans « : »"},
      {"at-rules, nested rules and blocks in values are no declarations",
       "@import 'x';\na { @apply x; .b { c: d } &:hover { e: f } --g: { h i }; }", ""},
      {"blocks of rules, keyframe steps, declaration at-rules and nesting are no problem",
       "@media (min-width: 1px) {\n .a { b: c }\n @supports (x: y) { .b { c: d } }\n}\n"
       "@layer a, b;\n@layer a { p { q: r } }\n@keyframes k { from { a: b } 50% { a: c } }\n"
       "@font-face { font-family: x }\n@page :first { margin: 0 }\n.a { > p { x: y } .b & { z: w } }",
       ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Problems(c.css), c.problems) << c.what;
}

// Problems are found out of line order (a "(" is told when its block closes,
// what the end leaves open last): the few kept must be the first in line
// order, as if all had been found and sorted.
TEST(SyntaxCheck, KeepsTheFirstProblemsInLineOrder) {
  const std::string far(70000, '\n');  // line distances of several bytes
  const struct {
    const char* what;
    std::string css;
    std::size_t limit;
    const char* problems;
  } cases[] = {
      {"a parenthesis told at its block's end comes before a later string", "a {\n b: f(;\n c: \"x\n}", 2,
       "2:parenthèse non fermée|3:chaîne non fermée"},
      {"what the end leaves open, outermost first", "a {\n b {\n c: f(\n", 3,
       "1:accolade non fermée|2:accolade non fermée|3:parenthèse non fermée"},
      {"the outermost open brackets are the ones kept", "a {\n(\n(\n(\n(\n(", 2,
       "1:accolade non fermée|2:parenthèse non fermée"},
      {"one problem only", "}\n\"x\n}", 1, "1:accolade fermante « } » qui ne ferme rien"},
      {"none asked for", "} } }", 0, ""},
      {"lines far apart", "a {" + far + "f(" + far + "g(" + far + "}" + far + "(", 20,
       "70001:parenthèse non fermée|140001:parenthèse non fermée|280001:parenthèse non fermée"},
  };
  for (const auto& c : cases) EXPECT_EQ(Problems(c.css, c.limit), c.problems) << c.what;

  // A text dense with errors gives the same first problems, whatever the limit.
  std::string dense;
  for (int i = 0; i < 200; ++i) dense += i % 3 == 0 ? "a { b: f(\n" : i % 3 == 1 ? "} } \"x\n" : "(\n";
  const std::vector<SyntaxProblem> all = FindSyntaxProblems(dense, 100000);
  ASSERT_GT(all.size(), 20U);
  const std::vector<SyntaxProblem> first = FindSyntaxProblems(dense, 20);
  EXPECT_EQ(first, std::vector<SyntaxProblem>(all.begin(), all.begin() + 20));
}

TEST(SyntaxCheck, MessageListsTheFirstLines) {
  EXPECT_EQ(DescribeSyntaxProblems({}), "");
  const std::string message = DescribeSyntaxProblems(FindSyntaxProblems("}\n}\n}\n}\n}\n}\n}"));
  EXPECT_NE(message.find("ligne 1 : accolade fermante"), std::string::npos) << message;
  EXPECT_NE(message.find("ligne 5 :"), std::string::npos) << message;
  EXPECT_EQ(message.find("ligne 6 :"), std::string::npos) << message;
  EXPECT_NE(message.find("…"), std::string::npos) << message;
}

}  // namespace
}  // namespace korvel
