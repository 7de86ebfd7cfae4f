// The crafted texts whose shapes made earlier readers scan the same text
// again and again: many ";" inside parentheses, many "url(", long lines of
// open brackets, runs of comment openings, comments between declarations of
// one rule, urls cut by line ends, a long selector list over a rule of many
// comments, nested blocks or declarations, blocks of rules. Shared by the
// hostile benchmark (time) and korvel-hostile-peaks (memory); each shape
// makes a text of about the size asked for.

#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace korvel::bench {

// `unit` repeated to about `bytes`, between `head` and `tail`.
inline std::string Repeat(const std::string& head, const std::string& unit, const std::string& tail, std::size_t bytes) {
  std::string text = head;
  while (text.size() + unit.size() + tail.size() <= bytes) text += unit;
  return text + tail;
}

// A selector list of about `bytes`: ".s,.s,…,.s".
inline std::string SelectorList(std::size_t bytes) { return Repeat("", ".s,", ".s", bytes); }

// Declarations of as many properties, each of its own name, to about `bytes`.
inline std::string DistinctDeclarations(std::size_t bytes) {
  std::string text;
  for (std::size_t i = 0; text.size() < bytes; ++i) text += "p" + std::to_string(i) + ":b;\n";
  return text;
}

inline std::string DeeplyNested(std::size_t bytes) {
  std::string unit;
  for (int i = 0; i < 40; ++i) unit += "@media a{.x{b:c}";
  return Repeat("", unit + std::string(40, '}') + "\n", "", bytes);
}

using Shape = std::function<std::string(std::size_t)>;

struct HostileShape {
  const char* name;
  Shape make;
};

inline const std::vector<HostileShape>& HostileShapes() {
  static const std::vector<HostileShape> shapes = {
      {"SemicolonsInParentheses", [](std::size_t n) { return Repeat("a{b:f(", "x(;", ")}", n); }},
      {"SemicolonsInClosedParentheses", [](std::size_t n) { return Repeat("a{", "b:f(;;);", "}", n); }},
      {"ManyUrlsOnOneLine", [](std::size_t n) { return Repeat("a{b:", "url(", "\n}", n); }},
      {"ManyUrlsOverLines", [](std::size_t n) { return Repeat("a{b:x", " url(x)", "\nc;}", n); }},
      {"OpenParentheses", [](std::size_t n) { return Repeat("a{b:", "(", "}", n); }},
      {"OpenBrackets", [](std::size_t n) { return Repeat("a{--b:", "[", "}", n); }},
      {"OpenBraces", [](std::size_t n) { return Repeat("a{", "{", "}", n); }},
      {"OpenFunctionsHoldingBraces", [](std::size_t n) { return Repeat("a{", "b:f({}", "}", n); }},
      {"CustomPropertiesLeftOpen", [](std::size_t n) { return Repeat("a{", "--b:[;", "}", n); }},
      {"CommentOpenings", [](std::size_t n) { return Repeat("a{b:(", "/*", "\n*/}", n); }},
      {"CommentsAmongDeclarations", [](std::size_t n) { return Repeat("a{", "b:1;/*x*/\n/*y*/\n", "}", n); }},
      {"StrayBraces", [](std::size_t n) { return Repeat("", "}", "a{b:c}", n); }},
      {"CutStrings", [](std::size_t n) { return Repeat("a{", "b:\"x;\n", "}", n); }},
      // Urls cut by a line end run on to their ")", or to the end of the text.
      {"BadUrlsOverLines", [](std::size_t n) { return Repeat("a{", "b:url(x\ny);\n", "}", n); }},
      {"BadUrlToTheEnd", [](std::size_t n) { return Repeat("a{b:url(x\n", "c;}d{url(\n", "", n); }},
      // A long selector list over a rule of many items: half the text each.
      {"LongSelectorManyComments",
       [](std::size_t n) { return SelectorList(n / 2) + Repeat("{", "/*c*/\n", "}", n / 2); }},
      {"LongSelectorManyNestedBlocks",
       [](std::size_t n) { return SelectorList(n / 2) + Repeat("{", ".c{d:e}\n", "}", n / 2); }},
      {"LongSelectorManyCommentsBeforeBrace",
       [](std::size_t n) { return SelectorList(n / 2) + Repeat("", "/*c*/\n", "{a:b}", n / 2); }},
      {"LongSelectorManyDeclarations",
       [](std::size_t n) { return SelectorList(n / 2) + "{" + DistinctDeclarations(n / 2) + "}"; }},
      // Blocks of rules: many blocks each holding the same long selector (one
      // container each), blocks nested deeper than are read apart, and one
      // block holding many rules that repeat a few selectors.
      {"ManyBlocksOfOneLongSelector",
       [](std::size_t n) { return Repeat("", "@media print{" + SelectorList(256) + "{a:b}}\n", "", n); }},
      {"DeeplyNestedBlocks", DeeplyNested},
      {"OneBlockOfRepeatedSelectors",
       [](std::size_t n) { return Repeat("@media print{", ".a{b:c}.d{b:e}.f{g:h}\n", "}", n); }},
      {"NestedRulesUnderALongSelector",
       [](std::size_t n) { return SelectorList(n / 2) + Repeat("{", "&:hover{d:e}.c{f:g}\n", "}", n / 2); }},
  };
  return shapes;
}

}  // namespace korvel::bench
