#include "model/ruleplace.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

// One selector in four places: the top level, two blocks (one inside the
// other) and nested in a rule; and twice in one block.
struct FourPlaces {
  StyleDocument doc;
  XmlElement top = doc.AddRule("h1");
  XmlElement media = doc.AddContainer(doc.Root(), "@media print");
  XmlElement inMedia = doc.AddRule(media, "h1");
  XmlElement supports = doc.AddContainer(media, "@supports (display: grid)");
  XmlElement inSupports = doc.AddRule(supports, "h1");
  XmlElement again = doc.AddRule(supports, "h1");
  XmlElement parent = doc.AddRule(".card");
  XmlElement nested = doc.AddRule(parent, "h1");
};

TEST(RulePlace, EachPlaceIsItsOwnRuleAndIsFoundAgain) {
  FourPlaces f;
  const XmlElement rules[] = {f.top, f.inMedia, f.inSupports, f.again, f.nested, f.media, f.supports};
  for (const XmlElement& rule : rules) {
    const RulePlace place = PlaceOf(rule);
    EXPECT_EQ(FindPlace(f.doc, place), rule) << PlaceLabel(place);
    for (const XmlElement& other : rules) {
      if (!(other == rule)) EXPECT_NE(PlaceOf(other), place) << PlaceLabel(place);
    }
  }
  EXPECT_EQ(PlaceLabel(PlaceOf(f.inSupports)), "h1 dans @supports (display: grid) dans @media print");
  EXPECT_EQ(PlaceOf(f.again).steps.back().occurrence, 1u);
}

TEST(RulePlace, FindRuleLooksInOneContainerOnly) {
  FourPlaces f;
  EXPECT_EQ(f.doc.FindRule("h1"), f.top);
  EXPECT_EQ(f.doc.FindRuleIn(f.media, "h1"), f.inMedia);
  EXPECT_EQ(f.doc.FindRuleIn(f.supports, "h1"), f.inSupports);
  EXPECT_EQ(f.doc.FindRuleIn(f.parent, "h1"), f.nested);
  EXPECT_FALSE(f.doc.FindRuleIn(f.media, ".card"));
  // The index is rebuilt the same from the elements.
  f.doc.Reindex();
  EXPECT_EQ(f.doc.FindRuleIn(f.supports, "h1"), f.inSupports);
  EXPECT_EQ(f.doc.FindRuleIn(f.parent, "h1"), f.nested);
}

TEST(RulePlace, APlaceGoneFromTheDocumentFindsNothing) {
  FourPlaces f;
  const RulePlace place = PlaceOf(f.again);
  f.supports.RemoveChild(f.again);
  EXPECT_FALSE(FindPlace(f.doc, place));
  EXPECT_TRUE(PlaceOf(XmlElement()).IsEmpty());
  EXPECT_FALSE(FindPlace(f.doc, RulePlace{}));
}

}  // namespace
}  // namespace korvel
