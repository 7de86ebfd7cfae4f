#include "model/mergeguard.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace korvel {
namespace {

TEST(PropertiesOverlap, ShorthandsLonghandsAliasesAndFamilies) {
  const struct {
    const char* a;
    const char* b;
    bool overlap;
  } cases[] = {
      {"color", "color", true},
      {"Color", "COLOR", true},
      {"color", "background-color", false},
      {"margin", "padding", false},
      {"width", "top", false},
      {"line-height", "font-size", false},
      // Custom properties only match themselves, case and all.
      {"--x", "--x", true},
      {"--x", "--X", false},
      {"--x", "all", false},
      {"opacity", "--opacity", false},
      // "all" sets every property but custom ones.
      {"all", "color", true},
      {"ALL", "-webkit-transition", true},
      // Shorthands and longhands at any depth, and two shorthands that share one.
      {"border", "border-top-color", true},
      {"border-top", "border-color", true},
      {"font", "line-height", true},
      {"columns", "column-width", true},
      {"white-space", "text-wrap-mode", true},
      {"inset", "top", true},
      {"place-items", "justify-items", true},
      {"gap", "row-gap", true},
      // Vendor prefixes, old names and logical properties.
      {"-webkit-transition", "transition-duration", true},
      {"-moz-border-radius", "border-top-left-radius", true},
      {"-webkit-box-shadow", "-moz-box-shadow", true},
      {"grid-gap", "column-gap", true},
      {"word-wrap", "overflow-wrap", true},
      {"inset-inline-start", "left", true},
      {"inline-size", "width", true},
      {"block-size", "height", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PropertiesOverlap(c.a, c.b), c.overlap) << c.a << " / " << c.b;
    EXPECT_EQ(PropertiesOverlap(c.b, c.a), c.overlap) << c.b << " / " << c.a;
  }
}

// Read from the shipped table, so a column read wrongly shows here.
TEST(PropertiesOverlap, EveryListedLonghandOverlapsItsShorthand) {
  std::ifstream table(KORVEL_DATA "/css-properties.tsv");
  ASSERT_TRUE(table) << "css-properties.tsv";
  std::string line;
  std::getline(table, line);
  int shorthands = 0;
  while (std::getline(table, line)) {
    std::vector<std::string> cells;
    std::stringstream row(line);
    for (std::string cell; std::getline(row, cell, '\t');) cells.push_back(cell);
    if (cells.size() < 8 || cells[7].empty() || cells[0] == "--*") continue;
    ++shorthands;
    std::stringstream longhands(cells[7]);
    for (std::string longhand; longhands >> longhand;) {
      EXPECT_TRUE(PropertiesOverlap(cells[0], longhand)) << cells[0] << " / " << longhand;
      if (!cells[0].starts_with("-")) {
        EXPECT_TRUE(PropertiesOverlap("-webkit-" + cells[0], longhand)) << cells[0] << " / " << longhand;
      }
    }
  }
  EXPECT_GT(shorthands, 0);
}

// A scenario in a small notation: rules in the file's order, "sel{a;b!}"
// (a "!" marks an important declaration), and "@" for opaque text. The
// selector is read as the program reads it: one it cannot read has no
// specificity.
struct Scenario {
  MergeGuard guard;
  std::vector<MergeGuard::RuleId> rules;

  explicit Scenario(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
      if (text[pos] == ' ') {
        ++pos;
      } else if (text[pos] == '@') {
        guard.AddOpaque();
        ++pos;
      } else {
        const std::size_t open = text.find('{', pos);
        const std::size_t close = text.find('}', open);
        const MergeGuard::RuleId rule = guard.AddRule(SelectorSpecificities(text.substr(pos, open - pos)));
        rules.push_back(rule);
        std::string_view body = text.substr(open + 1, close - open - 1);
        while (!body.empty()) {
          std::string_view declaration = body.substr(0, body.find(';'));
          body.remove_prefix(std::min(body.size(), declaration.size() + 1));
          const bool important = declaration.ends_with('!');
          if (important) declaration.remove_suffix(1);
          guard.AddDeclaration(rule, declaration, important);
        }
        pos = close + 1;
      }
    }
  }
};

TEST(MergeGuard, MergesOnlyWhenNothingBetweenCanTie) {
  const struct {
    const char* file;
    std::size_t earlier, later;
    bool mayMerge;
  } cases[] = {
      // The reset between would lose to a merged font-size, no longer win.
      {"pre{font-size} code,kbd,pre,samp{font-size} pre{font-size;color}", 0, 2, false},
      {"pre{font-size} code,kbd,pre,samp{font-size} pre{color}", 0, 2, true},
      {"pre{font-size} code{font} pre{font-size}", 0, 2, false},
      {"a{transition-duration} b{-webkit-transition} a{transition-duration}", 0, 2, false},
      // Importance and specificity decide before order does.
      {"pre{font-size} code{font-size!} pre{font-size}", 0, 2, true},
      {"pre{font-size!} code{font-size!} pre{font-size!}", 0, 2, false},
      {"pre{font-size} .x{font-size} pre{font-size}", 0, 2, true},
      {".a{color} #b, .c{color} .a{color}", 0, 2, false},
      {".a{color} #b, c{color} .a{color}", 0, 2, true},
      // A specificity that cannot be known ties with anything.
      {"pre{color} :unknown(x){color} pre{color}", 0, 2, false},
      {"pre{color} :unknown(x){margin} pre{color}", 0, 2, true},
      {":unknown(x){color} #id .a b{color} :unknown(x){color}", 0, 2, false},
      {":unknown(x){color} p{margin} :unknown(x){color}", 0, 2, true},
      // Opaque text between blocks; before or after, it does not.
      {"pre{color} @ pre{color}", 0, 1, false},
      {"@ pre{color} pre{color} @", 0, 1, true},
      // Custom properties and "all".
      {"a{--x} b{--X} a{--x}", 0, 2, true},
      {"a{--x} b{--x} a{--x}", 0, 2, false},
      {"a{--x} b{all} a{--x}", 0, 2, true},
      {"a{color} b{all} a{color}", 0, 2, false},
      // The two rules' own declarations, and rules outside the span, do not count.
      {"a{color;margin} a{color}", 0, 1, true},
      {"b{color} a{color} a{color} b{color}", 1, 2, true},
      // Only a later rule merges up.
      {"a{color} a{color}", 1, 0, false},
      {"a{color} a{color}", 0, 0, false},
      {"a{color} a{color}", 0, 7, false},
  };
  for (const auto& c : cases) {
    const Scenario scenario(c.file);
    EXPECT_EQ(scenario.guard.CanMerge(c.earlier, c.later), c.mayMerge) << c.file;
  }
}

TEST(MergeGuard, ARuleNestedInTheEarlierOneStandsBetween) {
  MergeGuard guard;
  const auto earlier = guard.AddRule(SelectorSpecificities("a"));
  guard.AddDeclaration(earlier, "color", false);
  const std::vector<Specificity> parent = {{0, 0, 1}};
  const auto nested = guard.AddRule(SelectorSpecificities(":is(&) :where(b)", &parent));  // ties with "a"
  guard.AddDeclaration(nested, "color", false);
  guard.AddDeclaration(earlier, "margin", false);
  const auto later = guard.AddRule(SelectorSpecificities("a"));
  guard.AddDeclaration(later, "margin-top", false);
  EXPECT_TRUE(guard.CanMerge(earlier, later));
  guard.AddDeclaration(later, "color", false);
  EXPECT_FALSE(guard.CanMerge(earlier, later));
}

TEST(MergeGuard, RulesNestedInTheLaterOneMoveUpWithIt) {
  // .a{color} .x .y{color} .a{ .y{color} }: merged, ".a .y" would stand
  // before ".x .y", which has the same specificity.
  MergeGuard guard;
  const auto earlier = guard.AddRule(SelectorSpecificities(".a"));
  guard.AddDeclaration(earlier, "color", false);
  const auto between = guard.AddRule(SelectorSpecificities(".x .y"));
  guard.AddDeclaration(between, "color", false);
  const auto later = guard.AddRule(SelectorSpecificities(".a"));
  const std::vector<Specificity> parent = {{0, 1, 0}};
  const auto nested = guard.AddRule(SelectorSpecificities(".y", &parent), later);
  guard.AddDeclaration(nested, "margin", false);
  EXPECT_TRUE(guard.CanMerge(earlier, later));
  guard.AddDeclaration(nested, "color", false);
  EXPECT_FALSE(guard.CanMerge(earlier, later));

  // Once merged, the nested rule stands in the earlier one, no longer
  // between the two ".x .y".
  MergeGuard moved;
  const auto first = moved.AddRule(SelectorSpecificities(".a"));
  const auto x = moved.AddRule(SelectorSpecificities(".x .y"));
  moved.AddDeclaration(x, "margin", false);
  const auto second = moved.AddRule(SelectorSpecificities(".a"));
  const auto inner = moved.AddRule(SelectorSpecificities(".y", &parent), second);
  moved.AddDeclaration(inner, "color", false);
  const auto xAgain = moved.AddRule(SelectorSpecificities(".x .y"));
  moved.AddDeclaration(xAgain, "color", false);
  ASSERT_FALSE(moved.CanMerge(x, xAgain));
  moved.Merged(first, second);
  EXPECT_TRUE(moved.CanMerge(x, xAgain));
}

TEST(MergeGuard, MergedDeclarationsCountWhereTheyNowStand) {
  {
    // Alternating repeats: what was merged into the first "a" never blocks
    // the next "a".
    Scenario s("a{color} b{margin} a{color} b{margin} a{color}");
    ASSERT_TRUE(s.guard.CanMerge(0, 2));
    s.guard.Merged(0, 2);
    EXPECT_TRUE(s.guard.CanMerge(0, 4));
    EXPECT_TRUE(s.guard.CanMerge(1, 3));
  }
  {
    // Merged up, ".y"'s colour no longer stands between the two ".x".
    Scenario s(".y{margin} .x{color} .y{color} .x{color}");
    ASSERT_FALSE(s.guard.CanMerge(1, 3));
    s.guard.Merged(0, 2);
    EXPECT_TRUE(s.guard.CanMerge(1, 3));
  }
  {
    // Merged up past an earlier ".x", ".y"'s colour now stands between the two.
    Scenario s(".x{color} .y{margin} .x{color} .y{color}");
    ASSERT_TRUE(s.guard.CanMerge(0, 2));
    s.guard.Merged(1, 3);
    EXPECT_FALSE(s.guard.CanMerge(0, 2));
  }
  {
    // Declarations read after a merge count as those read before: a ".y"
    // colour after the merge stands between the ".x" on either side of it.
    Scenario s(".x{color} .z{margin} .x{color}");
    s.guard.Merged(0, 2);
    const auto x = s.guard.AddRule(SelectorSpecificities(".x"));
    s.guard.AddDeclaration(x, "color", false);
    const auto y = s.guard.AddRule(SelectorSpecificities(".y"));
    s.guard.AddDeclaration(y, "color", false);
    const auto xAgain = s.guard.AddRule(SelectorSpecificities(".x"));
    s.guard.AddDeclaration(xAgain, "color", false);
    EXPECT_FALSE(s.guard.CanMerge(x, xAgain));
    EXPECT_FALSE(s.guard.CanMerge(0, xAgain));
    EXPECT_TRUE(s.guard.CanMerge(0, x));
  }
  {
    // What was merged into a rule moves on with it.
    Scenario s(".x{color} .y{margin} .x{color} .y{margin} .y{color}");
    s.guard.Merged(3, 4);
    ASSERT_TRUE(s.guard.CanMerge(0, 2));
    s.guard.Merged(1, 3);
    EXPECT_FALSE(s.guard.CanMerge(0, 2));
  }
}

TEST(MergeGuard, AMergedRuleIsNotMergedAgain) {
  Scenario s("a{color} a{color} a{color}");
  s.guard.Merged(0, 1);
  EXPECT_FALSE(s.guard.CanMerge(0, 1));
  EXPECT_FALSE(s.guard.CanMerge(1, 2));
  EXPECT_TRUE(s.guard.CanMerge(0, 2));
  EXPECT_THROW(s.guard.Merged(0, 1), std::logic_error);
  EXPECT_THROW(s.guard.Merged(2, 0), std::logic_error);
  EXPECT_THROW(s.guard.AddDeclaration(9, "color", false), std::out_of_range);
}

}  // namespace
}  // namespace korvel
