#include "model/styledocument.h"

#include <gtest/gtest.h>

#include "model/cssparser.h"
#include "model/csswriter.h"

namespace korvel {
namespace {

std::string NameOf(ConstXmlElement element) { return element.GetAttr(attrs::kName).AsText(); }

TEST(StyleDocument, RepeatedRuleMergesIntoTheFirstAndPropertyStandsWhereItsValueInForceStands) {
  StyleDocument doc;
  doc.PutProp("p", "color", "red", true, "");
  doc.PutProp("h1", "color", "blue", true, "");
  doc.PutProp("p", "margin", "0", true, "");
  doc.PutProp("p", "color", "green", true, "");

  XmlElement root = doc.Root();
  ASSERT_EQ(root.ChildCount(), 2u);
  XmlElement p = root.ChildAt(0);
  EXPECT_EQ(NameOf(p), "p");
  ASSERT_EQ(p.ChildCount(), 2u);
  EXPECT_EQ(NameOf(p.ChildAt(1)), "color") << "the property moves to its declaration in force";
  EXPECT_EQ(p.ChildAt(1).GetAttr(attrs::kValue).AsText(), "green");
  ASSERT_EQ(p.ChildAt(1).ChildCount(), 1u);
  EXPECT_EQ(p.ChildAt(1).ChildAt(0).GetAttr(attrs::kValue).AsText(), "red") << "the earlier one is its fallback";
}

TEST(StyleDocument, TheDeclarationABrowserAppliesIsTheOneInForce) {
  const struct {
    const char* what;
    const char* first;
    const char* second;
    const char* inForce;
    const char* fallback;
  } cases[] = {
      {"later wins", "red", "blue", "blue", "red"},
      {"earlier important beats later normal", "red !important", "blue", "red !important", "blue"},
      {"later important beats earlier normal", "red", "blue!important", "blue!important", "red"},
      {"later important beats earlier important", "red !IMPORTANT", "blue ! important", "blue ! important",
       "red !IMPORTANT"},
      {"importance through a comment behind it", "red !important", "blue !important /* wins */",
       "blue !important /* wins */", "red !important"},
      {"importance through a comment inside it", "red !important", "blue !/**/important", "blue !/**/important",
       "red !important"},
      {"an escaped ! is no importance", "red !important", "blue \\!important", "red !important",
       "blue \\!important"},
  };
  for (const auto& c : cases) {
    StyleDocument doc;
    doc.PutProp("p", "color", c.first, true, "");
    doc.PutProp("p", "color", c.second, true, "");
    const XmlElement color = FindProp(doc.FindRule("p"), "color");
    EXPECT_EQ(color.GetAttr(attrs::kValue).AsText(), c.inForce) << c.what;
    ASSERT_EQ(color.ChildCount(), 1u) << c.what;
    EXPECT_EQ(color.ChildAt(0).GetAttr(attrs::kValue).AsText(), c.fallback) << c.what;
  }
}

TEST(StyleDocument, SwitchedOffValueNeverReplacesOneInForce) {
  const struct {
    bool firstChecked;
    bool secondChecked;
    const char* value;
    const char* checked;
  } cases[] = {
      {true, true, "second", "True"},    // the later declaration wins
      {false, true, "second", "True"},   // a declaration in force replaces a commented one, kept as a comment
      {false, false, "second", "False"},
      {true, false, "first", "True"},    // a commented alternative leaves it alone
  };
  for (const auto& c : cases) {
    StyleDocument doc;
    doc.PutProp("p", "color", "first", c.firstChecked, "");
    doc.PutProp("p", "color", "second", c.secondChecked, "");
    const XmlElement color = FindProp(doc.FindRule("p"), "color");
    EXPECT_EQ(color.GetAttr(attrs::kValue).AsText(), c.value) << c.firstChecked << c.secondChecked;
    EXPECT_EQ(color.GetAttr(attrs::kChecked).AsText(), c.checked) << c.firstChecked << c.secondChecked;
  }
}

TEST(StyleDocument, UpdateKeepsCommentAndDeletedMarks) {
  StyleDocument doc;
  doc.PutProp("p", "color", "red", true, "note");
  FindProp(doc.FindRule("p"), "color").SetAttr(attrs::kDeleted, true);
  doc.PutProp("p", "color", "blue", true, "");
  XmlElement color = FindProp(doc.FindRule("p"), "color");
  EXPECT_EQ(color.GetAttr(attrs::kComment).AsText(), "note");
  EXPECT_TRUE(color.GetAttr(attrs::kDeleted).IsTrue());
  EXPECT_EQ(color.GetAttr(attrs::kValue).AsText(), "blue");
}

TEST(StyleDocument, EmptyNamesAndComments) {
  StyleDocument doc;
  doc.PutProp("", "color", "red", true, "");  // no rule: a free comment, no property
  doc.PutProp("", "", "", false, "Header");
  doc.PutProp("p", "", "", false, "");  // a property with an empty name
  doc.PutProp("p", "", "", false, "the rule's comment");

  XmlElement root = doc.Root();
  ASSERT_EQ(root.ChildCount(), 3u);
  EXPECT_EQ(root.ChildAt(0).GetAttr(attrs::kComment).AsText(), "");
  EXPECT_EQ(root.ChildAt(0).ChildCount(), 0u);
  EXPECT_EQ(doc.FindRule(""), root.ChildAt(0)) << "the empty name finds the first free comment";
  XmlElement p = doc.FindRule("p");
  EXPECT_EQ(p.GetAttr(attrs::kComment).AsText(), "the rule's comment");
  ASSERT_EQ(p.ChildCount(), 1u);
  EXPECT_EQ(NameOf(p.ChildAt(0)), "");
}

TEST(StyleDocument, FindRuleIsExactAndFindsTheFirst) {
  StyleDocument doc;
  XmlElement first = doc.AddRule("p");
  doc.AddRule("p");
  doc.AddRule("P");
  doc.AddRule("p ");
  EXPECT_EQ(doc.FindRule("p"), first);
  EXPECT_EQ(NameOf(doc.FindRule("P")), "P");
  EXPECT_EQ(NameOf(doc.FindRule("p ")), "p ");
  EXPECT_TRUE(doc.FindRule("div").IsNone());
  EXPECT_TRUE(doc.FindRule("").IsNone());

  doc.Root().RemoveChild(first);
  doc.Reindex();
  EXPECT_EQ(doc.FindRule("p"), doc.Root().ChildAt(0));
}

TEST(StyleDocument, VerbatimIsNeverMerged) {
  StyleDocument doc;
  doc.AddVerbatim("", "@media print", "@media print { a { b: c } }");
  doc.AddVerbatim("", "@media print", "@media print { d { e: f } }");
  doc.AddVerbatim(".card", ".title", ".title { color: blue }");
  ASSERT_EQ(doc.Root().ChildCount(), 3u);
  EXPECT_TRUE(IsVerbatim(doc.Root().ChildAt(1)));
  XmlElement card = doc.FindRule(".card");
  ASSERT_TRUE(IsRule(card));
  EXPECT_EQ(card.ChildAt(0).TextOf(), ".title { color: blue }");
}

// What the parser makes of the cases the layout cannot show.
TEST(Parser, ModelOfSwitchedOffCommentsAndVerbatim) {
  const StyleDocument doc = ReadStylesheet(
      "\xEF\xBB\xBF/* Header */\n"
      ".a /* banner */ {\n"
      "  color: red;\n"
      "  /*margin: 0; */\n"
      "  /* rtl:ignore */\n"
      "  .b { color: blue }\n"
      "}\n"
      "@media print {\n  .c { d: e }\n}\n");
  EXPECT_TRUE(doc.HasByteOrderMark());
  ConstXmlElement root = doc.Root();
  ASSERT_EQ(root.ChildCount(), 3u);
  EXPECT_EQ(root.ChildAt(0).GetAttr(attrs::kComment).AsText(), "Header");

  ConstXmlElement a = doc.FindRule(".a");
  ASSERT_TRUE(a);
  EXPECT_EQ(a.GetAttr(attrs::kComment).AsText(), " banner ") << "a rule's comment is kept as written";
  ASSERT_EQ(a.ChildCount(), 4u);
  EXPECT_EQ(a.ChildAt(0).GetAttr(attrs::kChecked).AsText(), "True");
  EXPECT_EQ(NameOf(a.ChildAt(1)), "margin");
  EXPECT_EQ(a.ChildAt(1).GetAttr(attrs::kChecked).AsText(), "False");
  EXPECT_TRUE(IsVerbatim(a.ChildAt(2))) << "a comment on its own line stays in its block";
  EXPECT_EQ(a.ChildAt(2).TextOf(), "/* rtl:ignore */");
  EXPECT_TRUE(IsRule(a.ChildAt(3))) << "a nested rule is a rule inside its parent";
  EXPECT_EQ(NameOf(a.ChildAt(3)), ".b");
  EXPECT_EQ(doc.FindRuleIn(a, ".b"), a.ChildAt(3));

  ConstXmlElement media = root.ChildAt(2);
  EXPECT_TRUE(IsBlock(media));
  EXPECT_EQ(NameOf(media), "@media print");
  ASSERT_EQ(media.ChildCount(), 1u);
  EXPECT_EQ(doc.FindRuleIn(media, ".c"), media.ChildAt(0));
  EXPECT_FALSE(doc.FindRule(".c")) << "a rule inside a block is no top-level rule";
}

// The shape of the model, one letter per element: B block, R rule, V kept
// as written, C free comment; a container's children in brackets.
std::string Shape(ConstXmlElement container) {
  std::string shape;
  for (ConstXmlElement child : container.Elements()) {
    if (IsProp(child)) continue;
    if (!shape.empty()) shape += ' ';
    const std::string name = NameOf(child);
    shape += IsBlock(child) ? "B(" + name + ")" : IsVerbatim(child) ? "V(" + name + ")" : name.empty() ? "C" : "R(" + name + ")";
    if (IsContainer(child)) {
      const std::string inner = Shape(child);
      if (!inner.empty()) shape += "[" + inner + "]";
    }
  }
  return shape;
}

TEST(Parser, BlocksOfRulesNestedRulesAndWhatStaysAsWritten) {
  const struct {
    const char* what;
    const char* css;
    const char* shape;
  } cases[] = {
      {"one selector in four places is four rules",
       "a{b:c} @media print{a{b:d}} @media screen{a{b:e}} p{a{b:f}}",
       "R(a) B(@media print)[R(a)] B(@media screen)[R(a)] R(p)[R(a)]"},
      {"a repeated selector merges within its block only", "@media x{a{b:c} d{e:f} a{g:h}} a{i:j}",
       "B(@media x)[R(a) R(d)] R(a)"},
      {"blocks nest, comments and commented-out rules inside",
       "@media x{/* note */ @supports (display:grid){/*a{color:red}*/ a{d:e}}}",
       "B(@media x)[C B(@supports (display:grid))[R(a)]]"},
      {"the prelude's lines are joined", "@media screen,\n  print {a{b:c}}", "B(@media screen, print)[R(a)]"},
      {"keyframe steps and declaration at-rules never merge",
       "@keyframes k{from{a:b} 50%{a:c} 50%{d:e}} @font-face{a:b} @font-face{a:c}",
       "B(@keyframes k)[R(from) R(50%) R(50%)] R(@font-face) R(@font-face)"},
      {"nested rules stand among the declarations, & or implicit",
       "a{b:c; &:hover{d:e} f:g; .x{h:i}}", "R(a)[R(&:hover) R(.x)]"},
      {"nested rules never merge", "a{&:hover{b:c} &:hover{d:e}}", "R(a)[R(&:hover) R(&:hover)]"},
      {"a rule holding nested rules does not merge", "a{b:c} a{&:hover{d:e}}", "R(a) R(a)[R(&:hover)]"},
      {"nor does a rule merge into it", "a{&:hover{d:e}} a{b:c}", "R(a)[R(&:hover)] R(a)"},
      {"statements and unknown at-rules stay as written",
       "@import url(x.css); @layer a, b; @unknown x{a{b:c}} @namespace svg url(y);",
       "V(@import url(x.css)) V(@layer a, b) V(@unknown x) V(@namespace svg url(y))"},
      {"a block browsers would read otherwise stays as written", "@media x{a{b:f(}c)}} d{e:f}",
       "V(@media x) V(} d)"},
      {"a block whose last rule is cut off stays as written", "@media x{a{b:c}}@media y{a{b:c", "B(@media x)[R(a)] V(@media y)"},
      {"an at-rule nested in a rule, and a declaration's block, stay as written",
       "a{@media print{b:c} font:{family:x}}", "R(a)[V(@media print) V(font:)]"},
      {"an at-rule without its block stays as written", "@media print;", "V(@media print)"},
      {"empty at-rules, steps and blocks stay, as browsers keep them; an empty style rule does not",
       "@font-face{} @keyframes k{0%{}} @media x{a{}} @supports (x:y){}",
       "R(@font-face) B(@keyframes k)[R(0%)] B(@media x) B(@supports (x:y))"},
  };
  for (const auto& c : cases) EXPECT_EQ(Shape(ReadStylesheet(c.css).Root()), c.shape) << c.what;
}

TEST(Parser, DeepNestingIsReadApartToALimitThenKeptAsWritten) {
  std::string css;
  for (int i = 0; i < 200; ++i) css += "@media a{";
  css += "p{b:c}" + std::string(200, '}');
  const StyleDocument doc = ReadStylesheet(css);
  ConstXmlElement element = doc.Root();
  int depth = 0;
  while (IsContainer(element) && element.ChildCount() == 1 && IsBlock(element.ChildAt(0))) {
    element = element.ChildAt(0);
    ++depth;
  }
  EXPECT_GT(depth, 3);
  EXPECT_LT(depth, 200);
  ASSERT_EQ(element.ChildCount(), 1u);
  EXPECT_TRUE(IsVerbatim(element.ChildAt(0))) << "the rest stays as written";
  const std::string saved = Write(doc);
  EXPECT_EQ(Write(ReadStylesheet(saved)), saved);
}

TEST(Parser, SwitchedOffDeclarationsMustBeReal) {
  const struct {
    const char* comment;
    bool switchedOff;
  } cases[] = {
      {"/*margin: 0; */", true},                // known property
      {"/*my-own-thing: 1; */", true},          // the writer's own form, any name
      {"/* padding: 1px; margin: 0 */", true},  // several known properties
      {"/* -webkit-transition: none */", true},
      {"/* --brand: #333 */", true},
      {"/* rtl:ignore */", false},
      {"/* deprecated: use .b */", false},
      {"/* color: red; duration: 3s */", false},  // one of them is not a property
      {"/* see https://example.org */", false},
      {"/* color: */", false},
      {"/* nested /* color: red */", false},
  };
  for (const auto& c : cases) {
    const StyleDocument doc = ReadStylesheet(std::string("p { top: 0; ") + c.comment + " }");
    const ConstXmlElement p = doc.FindRule("p");
    ASSERT_TRUE(p) << c.comment;
    EXPECT_EQ(p.ChildCount() > 1, c.switchedOff) << c.comment;
  }
}

// Browsers close what the end of the file leaves open in the last
// declaration, and apply it; the save writes it closed.
TEST(Parser, LastDeclarationCutOffByTheEndOfTheFileIsClosed) {
  const struct {
    const char* text;
    const char* written;
  } cases[] = {
      {"color: rgb(0 0 255", " color: rgb(0 0 255);"},
      {"content: \"abc", " content: \"abc\";"},
      {"background: url(x.png", " background: url(x.png);"},
      {"width: calc(", " width: calc();"},
      {"color: var(--x, blue", " color: var(--x, blue);"},
  };
  for (const auto& c : cases) {
    const std::string saved = Write(ReadStylesheet(std::string(".a{color:red}\n.b{") + c.text));
    EXPECT_EQ(saved, std::string(".a\n{\n color: red;\n}\n\n.b\n{\n") + c.written + "\n}\n\n")
        << c.text;
  }
  // A line end after a string cuts it: browsers drop the declaration.
  EXPECT_EQ(Write(ReadStylesheet(".b{content: \"abc\n")), ".b\n{\n content: \"abc\n}\n\n");
}

TEST(Parser, NulByteIsRefused) { EXPECT_THROW(ReadStylesheet(std::string("p { a: b\0 }", 11)), StyleError); }

}  // namespace
}  // namespace korvel

namespace korvel {
namespace {

TEST(DeclarationProblem, RefusesWhatWouldCutTheStylesheet) {
  const struct {
    const char* name;
    const char* value;
    bool safe;
  } cases[] = {
      {"color", "red", true},
      {"background", "url(data:image/png;base64,AAA=) no-repeat", true},
      {"content", "\"a;b}\"", true},
      {"font-family", "\"Segoe UI\", sans-serif", true},
      {"color", "red; margin: 0", false},
      {"color", "red }", false},
      {"color", "{", false},
      {"width", "calc(100% - 2px", false},
      {"content", "\"open", false},
      {"color", "red /* note */", false},
      {"color", "red\nblue", false},
      {"col or", "red", false},
      {"color:", "red", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DeclarationProblem(c.name, c.value).empty(), c.safe) << c.name << ": " << c.value;
}

}  // namespace
}  // namespace korvel
