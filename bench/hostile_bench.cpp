// Loading crafted texts whose shapes made earlier readers scan the same text
// again and again: many ";" inside parentheses, many "url(", long lines of
// open brackets, runs of comment openings, comments between declarations of
// one rule, urls cut by line ends, a long selector list over a rule of many
// comments, nested blocks or declarations. Each shape is read at 16 KB,
// 256 KB and 512 KB: a linear reader takes sixteen times as long for the
// second as for the first, twice as long for the third as for the second,
// and shows about the same bytes per second at all three (the smallest text
// fits in the processor's caches, and is read a little faster).

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

#include "model/cssparser.h"
#include "model/csswriter.h"

namespace {

// `unit` repeated to about `bytes`, between `head` and `tail`.
std::string Repeat(const std::string& head, const std::string& unit, const std::string& tail, std::size_t bytes) {
  std::string text = head;
  while (text.size() + unit.size() + tail.size() <= bytes) text += unit;
  return text + tail;
}

// A selector list of about `bytes`: ".s,.s,…,.s".
std::string SelectorList(std::size_t bytes) { return Repeat("", ".s,", ".s", bytes); }

// Declarations of as many properties, each of its own name, to about `bytes`.
std::string DistinctDeclarations(std::size_t bytes) {
  std::string text;
  for (std::size_t i = 0; text.size() < bytes; ++i) text += "p" + std::to_string(i) + ":b;\n";
  return text;
}

using Shape = std::function<std::string(std::size_t)>;

void Load(benchmark::State& state, const Shape& shape) {
  const std::string css = shape(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    korvel::StyleDocument document = korvel::ReadStylesheet(css);
    benchmark::DoNotOptimize(document);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * css.size()));
}

void Register(const char* name, Shape shape) {
  benchmark::RegisterBenchmark(name, [shape](benchmark::State& state) { Load(state, shape); })
      ->Arg(16 << 10)
      ->Arg(256 << 10)
      ->Arg(512 << 10)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
}

const bool registered = [] {
  Register("Hostile/SemicolonsInParentheses",
           [](std::size_t n) { return Repeat("a{b:f(", "x(;", ")}", n); });
  Register("Hostile/SemicolonsInClosedParentheses",
           [](std::size_t n) { return Repeat("a{", "b:f(;;);", "}", n); });
  Register("Hostile/ManyUrlsOnOneLine", [](std::size_t n) { return Repeat("a{b:", "url(", "\n}", n); });
  Register("Hostile/ManyUrlsOverLines", [](std::size_t n) { return Repeat("a{b:x", " url(x)", "\nc;}", n); });
  Register("Hostile/OpenParentheses", [](std::size_t n) { return Repeat("a{b:", "(", "}", n); });
  Register("Hostile/OpenBrackets", [](std::size_t n) { return Repeat("a{--b:", "[", "}", n); });
  Register("Hostile/OpenBraces", [](std::size_t n) { return Repeat("a{", "{", "}", n); });
  Register("Hostile/OpenFunctionsHoldingBraces", [](std::size_t n) { return Repeat("a{", "b:f({}", "}", n); });
  Register("Hostile/CustomPropertiesLeftOpen", [](std::size_t n) { return Repeat("a{", "--b:[;", "}", n); });
  Register("Hostile/CommentOpenings", [](std::size_t n) { return Repeat("a{b:(", "/*", "\n*/}", n); });
  Register("Hostile/CommentsAmongDeclarations",
           [](std::size_t n) { return Repeat("a{", "b:1;/*x*/\n/*y*/\n", "}", n); });
  Register("Hostile/StrayBraces", [](std::size_t n) { return Repeat("", "}", "a{b:c}", n); });
  Register("Hostile/CutStrings", [](std::size_t n) { return Repeat("a{", "b:\"x;\n", "}", n); });
  // Urls cut by a line end run on to their ")", or to the end of the text.
  Register("Hostile/BadUrlsOverLines", [](std::size_t n) { return Repeat("a{", "b:url(x\ny);\n", "}", n); });
  Register("Hostile/BadUrlToTheEnd", [](std::size_t n) { return Repeat("a{b:url(x\n", "c;}d{url(\n", "", n); });
  // A long selector list over a rule of many items: half the text each.
  Register("Hostile/LongSelectorManyComments",
           [](std::size_t n) { return SelectorList(n / 2) + Repeat("{", "/*c*/\n", "}", n / 2); });
  Register("Hostile/LongSelectorManyNestedBlocks",
           [](std::size_t n) { return SelectorList(n / 2) + Repeat("{", ".c{d:e}\n", "}", n / 2); });
  Register("Hostile/LongSelectorManyCommentsBeforeBrace",
           [](std::size_t n) { return SelectorList(n / 2) + Repeat("", "/*c*/\n", "{a:b}", n / 2); });
  Register("Hostile/LongSelectorManyDeclarations",
           [](std::size_t n) { return SelectorList(n / 2) + "{" + DistinctDeclarations(n / 2) + "}"; });
  // Blocks of rules: many blocks each holding the same long selector (one
  // container each), blocks nested deeper than are read apart, and one block
  // holding many rules that repeat a few selectors.
  Register("Hostile/ManyBlocksOfOneLongSelector", [](std::size_t n) {
    return Repeat("", "@media print{" + SelectorList(256) + "{a:b}}\n", "", n);
  });
  Register("Hostile/DeeplyNestedBlocks", [](std::size_t n) {
    std::string unit;
    for (int i = 0; i < 40; ++i) unit += "@media a{.x{b:c}";
    return Repeat("", unit + std::string(40, '}') + "\n", "", n);
  });
  Register("Hostile/OneBlockOfRepeatedSelectors",
           [](std::size_t n) { return Repeat("@media print{", ".a{b:c}.d{b:e}.f{g:h}\n", "}", n); });
  Register("Hostile/NestedRulesUnderALongSelector", [](std::size_t n) {
    return SelectorList(n / 2) + Repeat("{", "&:hover{d:e}.c{f:g}\n", "}", n / 2);
  });
  return true;
}();

}  // namespace
