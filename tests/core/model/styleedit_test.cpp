#include "model/styleedit.h"

#include <gtest/gtest.h>

#include "model/csswriter.h"

namespace korvel {
namespace {

// A rule with a nested block, and a property with a child element (a kept
// fallback), as the reader may make them.
StyleDocument DocumentWithChildren() {
  StyleDocument doc;
  doc.PutProp(".card", "color", "red", true, "");
  doc.PutProp(".card", "margin", "0", true, "");
  doc.AddVerbatim(".card", ".title", ".title { font-weight: bold }");
  XmlElement fallback = FindProp(doc.FindRule(".card"), "color").AppendChild("Fallback");
  fallback.SetAttr(attrs::kValue, "rgb(255 0 0)");
  return doc;
}

TEST(StyleEdit, AddPropFindsTheExistingOneOrAppendsANewOne) {
  StyleDocument doc = DocumentWithChildren();
  StyleEdit edit(doc);
  XmlElement rule = doc.FindRule(".card");
  EXPECT_EQ(edit.AddProp(".card", "margin"), FindProp(rule, "margin"));
  EXPECT_EQ(rule.ChildCount(), 3u);

  XmlElement added = edit.AddProp(".card", "padding");
  ASSERT_TRUE(added);
  EXPECT_EQ(rule.ChildCount(), 4u);
  EXPECT_EQ(rule.ChildAt(3), added);
  EXPECT_EQ(added.GetAttr(attrs::kName), "padding");
  EXPECT_EQ(added.GetAttr(attrs::kValue), "");
  EXPECT_TRUE(added.GetAttr(attrs::kChecked).IsTrue());
  EXPECT_FALSE(added.HasAttr(attrs::kDeleted));

  EXPECT_FALSE(edit.AddProp("no-such-rule", "color"));
}

TEST(StyleEdit, OperationsChangeAttributesAndLeaveChildrenAlone) {
  StyleDocument doc = DocumentWithChildren();
  StyleEdit edit(doc);
  XmlElement rule = doc.FindRule(".card");
  XmlElement color = FindProp(rule, "color");
  XmlElement margin = FindProp(rule, "margin");

  StyleEdit::SetValue(color, "blue");
  StyleEdit::SetChecked(color, false);
  StyleEdit::MarkDeleted(margin);
  edit.AddProp(".card", "padding");

  EXPECT_EQ(color.GetAttr(attrs::kValue), "blue");
  EXPECT_FALSE(color.GetAttr(attrs::kChecked).IsTrue());
  EXPECT_TRUE(margin.GetAttr(attrs::kDeleted).IsTrue());
  ASSERT_EQ(color.ChildCount(), 1u);
  EXPECT_EQ(color.ChildAt(0).GetAttr(attrs::kValue), "rgb(255 0 0)");
  XmlElement nested = rule.ChildAt(2);
  EXPECT_TRUE(IsVerbatim(nested));
  EXPECT_EQ(nested.TextOf(), ".title { font-weight: bold }");

  // What the writer makes of it: the deleted one gone, the switched-off one
  // a comment that switches its fallback off with it, the nested block as
  // it was.
  const std::string css = Write(doc);
  EXPECT_EQ(css.find("margin"), std::string::npos) << css;
  EXPECT_NE(css.find("/*color: rgb(255 0 0); color: blue; */"), std::string::npos) << css;
  EXPECT_NE(css.find(".title { font-weight: bold }"), std::string::npos) << css;
}

}  // namespace
}  // namespace korvel
