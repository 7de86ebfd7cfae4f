#include "model/specificity.h"

#include <gtest/gtest.h>

#include <ostream>

namespace korvel {

void PrintTo(const Specificity& s, std::ostream* out) { *out << '(' << s.ids << ',' << s.classes << ',' << s.types << ')'; }

namespace {

using List = std::vector<Specificity>;

struct Case {
  const char* selectors;
  List expected;
};

class SpecificityOf : public testing::TestWithParam<Case> {};

TEST_P(SpecificityOf, EachComplexSelectorInOrder) {
  const auto got = SelectorSpecificities(GetParam().selectors);
  ASSERT_TRUE(got) << GetParam().selectors;
  EXPECT_EQ(*got, GetParam().expected) << GetParam().selectors;
}

INSTANTIATE_TEST_SUITE_P(
    Selectors, SpecificityOf,
    testing::Values(
        Case{"*", {{0, 0, 0}}}, Case{"pre", {{0, 0, 1}}},
        Case{"code,kbd, pre ,samp", {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}}},
        Case{"#nav > ul li.active a:hover", {{1, 2, 3}}},
        Case{"a[href]:not(.x, #y)::before", {{1, 1, 2}}},
        // Combinators and the universal selector count nothing.
        Case{"a + b ~ c || d > *", {{0, 0, 4}}}, Case{"a>b+c~d", {{0, 0, 4}}},
        // Pseudo-elements, the legacy one-colon ones included, count as types.
        Case{"p:before, p:AFTER, p:first-line, p:first-letter, p::marker", {{0, 0, 2}, {0, 0, 2}, {0, 0, 2}, {0, 0, 2}, {0, 0, 2}}},
        Case{"p:hover::before:hover", {{0, 2, 2}}}, Case{"input::-webkit-input-placeholder", {{0, 0, 2}}},
        // :is(), :not(), :has() take their most specific argument; :where() nothing.
        Case{":is(a, .b, #c) d", {{1, 0, 1}}}, Case{":IS(a)", {{0, 0, 1}}}, Case{":where(#a .b) c", {{0, 0, 1}}},
        Case{"a:has(> img.x, + p)", {{0, 1, 2}}}, Case{":not(:is(#a))", {{1, 0, 0}}},
        // :nth-child(An+B of S) is one pseudo-class and S's most specific.
        Case{"li:nth-child(2n+1)", {{0, 1, 1}}}, Case{"li:nth-child(2n + 1 of .a, #b)", {{1, 1, 1}}},
        Case{"li:nth-last-child(odd OF p.x)", {{0, 2, 2}}}, Case{"li:nth-of-type(odd)", {{0, 1, 1}}},
        // Shadow trees.
        Case{"::slotted(span.x)", {{0, 1, 2}}}, Case{":host", {{0, 1, 0}}}, Case{":host(.dark) a", {{0, 2, 1}}},
        Case{":host-context(body.x)", {{0, 2, 1}}}, Case{"x-card::part(label title)", {{0, 0, 2}}},
        // Namespaces count nothing, the type after them counts.
        Case{"svg|a, *|*, |p, ns|*", {{0, 0, 1}, {0, 0, 0}, {0, 0, 1}, {0, 0, 0}}},
        Case{"[xlink|href], [lang|=en]", {{0, 1, 0}, {0, 1, 0}}},
        // Escapes and strings do not split names or lists.
        Case{".a\\:b", {{0, 1, 0}}}, Case{".sm\\:p-4:hover", {{0, 2, 0}}}, Case{".\\31 0", {{0, 1, 0}}},
        Case{"#\\#x", {{1, 0, 0}}}, Case{"[title=\"a,b\"], [data-x='])']", {{0, 1, 0}, {0, 1, 0}}},
        // Comments are not selectors.
        Case{"a /* b, c */ , /**/.d", {{0, 0, 1}, {0, 1, 0}}}));

TEST(SelectorSpecificities, UnreadableListsGiveNone) {
  for (const char* selectors :
       {"", "a,", ",a", "a,,b", "a[href", "a:is(b", "a)", "[title=\"x]", "a /* b", ":unknown-fn(.a)",
        "::unknown-element(x)", ".", "#", "a:", "a \\", ":is()", "50%", "> a", "&", "a & b", ":is(&)", "a b >",
        ":host(a, b)", "a::slotted()"}) {
    EXPECT_FALSE(SelectorSpecificities(selectors)) << selectors;
  }
}

TEST(SelectorSpecificities, NestedSelectorsCountTheirParent) {
  const List parent = {{0, 1, 0}, {1, 0, 0}};  // ".a, #b": "&" is :is(.a, #b)
  const struct {
    const char* selectors;
    List expected;
  } cases[] = {
      {"&", {{1, 0, 0}}},
      {"&:hover", {{1, 1, 0}}},
      {".c &", {{1, 1, 0}}},
      {"& &", {{2, 0, 0}}},
      {".b", {{1, 1, 0}}},  // ".b" reads "& .b"
      {"> .b, + p", {{1, 1, 0}, {1, 0, 1}}},
      {":is(&) .b", {{1, 1, 0}}},  // "&" inside an argument: not relative
      {":has(> p)", {{1, 0, 1}}},   // ":has()"'s own combinator: relative to the parent all the same
  };
  for (const auto& c : cases) {
    const auto got = SelectorSpecificities(c.selectors, &parent);
    ASSERT_TRUE(got) << c.selectors;
    EXPECT_EQ(*got, c.expected) << c.selectors;
  }
}

TEST(SelectorSpecificities, AParentOfUnknownSpecificityLeavesItsRulesUnknown) {
  const List unknown;
  for (const char* selectors : {".b", "&", "> p"}) EXPECT_FALSE(SelectorSpecificities(selectors, &unknown)) << selectors;
}

TEST(SelectorSpecificities, DeepArgumentsGiveNoneInsteadOfExhaustingTheStack) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += ":is(";
  deep += "a";
  for (int i = 0; i < 100000; ++i) deep += ")";
  EXPECT_FALSE(SelectorSpecificities(deep));
  EXPECT_EQ(SelectorSpecificities(":is(:is(:is(:not(#a))))"), (List{{1, 0, 0}}));
}

TEST(SelectorSpecificities, CountsStopAtTheirLargestValue) {
  std::string many;
  for (int i = 0; i < 70000; ++i) many += ".a";
  const auto got = SelectorSpecificities(many);
  ASSERT_TRUE(got);
  EXPECT_EQ(got->front(), (Specificity{0, 65535, 0}));
}

}  // namespace
}  // namespace korvel
