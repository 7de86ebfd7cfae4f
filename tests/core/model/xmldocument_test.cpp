#include "model/xmldocument.h"

#include <gtest/gtest.h>

#include "support/tempfolder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/filebytes.h"

namespace korvel {
namespace {

TEST(AttrValue, AbsentIsUnequalToEveryTextAndCannotBeRead) {
  const AttrValue absent;
  EXPECT_FALSE(absent == "");
  EXPECT_FALSE(absent == "x");
  EXPECT_THROW((void)absent.AsText(), XmlError);
  EXPECT_THROW((void)absent.AsBool(), XmlError);
  EXPECT_THROW((void)absent.AsInt(), XmlError);
  EXPECT_FALSE(absent.IsTrue());
}

TEST(AttrValue, EqualityIsExactAndCaseSensitive) {
  EXPECT_TRUE(AttrValue("") == "");
  EXPECT_TRUE(AttrValue("Body") == "Body");
  EXPECT_FALSE(AttrValue("Body") == "body");
  EXPECT_FALSE(AttrValue("Body ") == "Body");
}

TEST(AttrValue, BooleanConversion) {
  const struct {
    const char* text;
    bool value;
  } cases[] = {{"True", true}, {"TRUE", true}, {"true", true}, {"False", false}, {"fAlSe", false},
               {"0", false},   {"1", true},    {"-1", true},   {"42", true}};
  for (const auto& c : cases) EXPECT_EQ(AttrValue(c.text).AsBool(), c.value) << c.text;
  for (const char* bad : {"", "yes", "Vrai", "1.5", " True"})
    EXPECT_THROW((void)AttrValue(bad).AsBool(), XmlError) << bad;
}

TEST(AttrValue, IntegerConversion) {
  EXPECT_EQ(AttrValue("120").AsInt(), 120);
  EXPECT_EQ(AttrValue("-7").AsInt(), -7);
  for (const char* bad : {"", "12px", "abc", "1e3"}) EXPECT_THROW((void)AttrValue(bad).AsInt(), XmlError) << bad;
}

TEST(XmlElement, ChildrenAttributesAndText) {
  XmlDocumentPtr doc = CreateXmlDocument("KeyWords");
  XmlElement root = doc->RootElement();
  EXPECT_EQ(root.TagOf(), "KeyWords");
  EXPECT_EQ(root.ChildCount(), 0u);
  EXPECT_TRUE(root.FindChild("KeyWord").IsNone());

  XmlElement made = root.ChildByTag("KeyWord");
  EXPECT_EQ(root.ChildCount(), 1u);
  EXPECT_EQ(root.ChildByTag("KeyWord"), made) << "ChildByTag finds before it appends";
  root.AppendChild("Other");
  root.AppendChild("KeyWord");
  EXPECT_EQ(root.ChildCount(), 3u);
  EXPECT_EQ(root.ChildAt(1).TagOf(), "Other");
  EXPECT_TRUE(root.ChildAt(3).IsNone());

  made.SetAttr("Name", "body");
  made.SetAttr("Checked", true);
  made.SetAttr("Width", 120);
  made.SetAttr("Name", "p");  // keeps its place
  EXPECT_EQ(made.GetAttr("Name").AsText(), "p");
  EXPECT_EQ(made.GetAttr("Checked").AsText(), "True");
  EXPECT_EQ(made.GetAttr("Width").AsInt(), 120);
  EXPECT_EQ(made.Node().first_attribute().name(), std::string("Name"));
  EXPECT_FALSE(made.HasAttr("Deleted"));

  made.SetTextOf("a\r\nb");
  EXPECT_EQ(made.TextOf(), "a\r\nb");
  std::size_t seen = 0;
  for (XmlElement child : root.Elements()) {
    (void)child;
    ++seen;
  }
  EXPECT_EQ(seen, 3u);
}

// The same edits, made on a document of pugixml's and on one of the compact
// store, leave the same XML: the store does what the engine did.
TEST(XmlElement, ACompactDocumentTakesEditsAsPugixmlDoes) {
  const auto edit = [](XmlDocumentPtr doc) {
    XmlElement root = doc->RootElement();
    XmlElement a = root.AppendChild("KeyWord");
    a.SetAttr("Name", "a");
    XmlElement b = root.AppendChild("KeyWord");
    b.SetAttr("Name", "b");
    XmlElement c = root.PrependChild("Block");
    c.SetAttr("Name", "@media print");
    XmlElement d = root.InsertChildBefore("Verbatim", b);
    d.SetAttr("Name", "");
    d.SetTextOf("/* x */\r\n");
    XmlElement prop = a.AppendChild("Prop");
    prop.AppendAttr("Name", "color");
    prop.AppendAttr("Value", "red");
    prop.SetAttr("Checked", true);
    prop.SetAttr("Comment", "note");
    prop.SetAttr("Value", "a longer value than before");
    prop.RemoveAttr("Comment");
    prop.RemoveAttr("Absent");
    prop.PrependChild("Fallback").SetAttr("Value", "blue");
    prop.AppendChild("Fallback").SetAttr("Value", "green");
    root.AppendMove(a);                       // a to the end
    root.InsertMoveBefore(a, c);              // then first
    root.InsertMoveAfter(c, b);               // c last
    c.PrependMove(d);                         // d into c
    d.AppendMove(root);                       // nothing: root holds d
    d.AppendMove(d);                          // nothing
    c.InsertMoveBefore(b, a);                 // nothing: a is not c's child
    EXPECT_TRUE(c.InsertChildBefore("Prop", a).IsNone()) << "a is not c's child";
    root.SetAttr("LineEnds", "LF");
    root.RemoveAttr("LineEnds");
    root.SetAttr("Bom", true);
    XmlElement gone = b.AppendChild("Prop");
    b.RemoveChild(gone);
    b.SetTag("KeyWord2");
    std::string walk;
    for (XmlElement child = root.LastChild(); child; child = child.PreviousSibling()) walk += child.TagOf();
    walk += "|";
    for (XmlElement child : root.Elements()) walk += child.TagOf();
    walk += "|" + std::string(c.FirstChild().TagOf()) + std::string(c.FirstChild().Parent().GetAttr("Name").View());
    std::string attrs;
    prop.ForEachAttr([&](std::string_view name, std::string_view value) { attrs += std::string(name) + "=" + std::string(value) + ";"; });
    EXPECT_EQ(prop.FindChild("Fallback").GetAttr("Value").View(), "blue");
    EXPECT_EQ(root.ChildCount(), 3u);
    return doc->ToText() + walk + attrs;
  };
  const std::string engine = edit(CreateXmlDocument("KeyWords"));
  EXPECT_EQ(edit(CreateCompactXmlDocument("KeyWords")), engine);
  EXPECT_NE(engine.find("KeyWordKeyWord2Block|"), std::string::npos) << engine;
  EXPECT_NE(engine.find("Checked=True;"), std::string::npos) << engine;
}

// A text read from a compact element stays what it was while the store
// grows and the attribute takes other values: readers keep such views.
TEST(XmlElement, ACompactElementsTextsStayValidWhileTheStoreGrows) {
  XmlDocumentPtr doc = CreateCompactXmlDocument("KeyWords");
  XmlElement root = doc->RootElement();
  XmlElement first = root.AppendChild("KeyWord");
  first.SetAttr("Name", "first rule");
  const std::string_view name = first.GetAttr("Name").View();
  first.SetTextOf("its text");
  const std::string_view text = first.TextOf();
  std::vector<XmlElement> made;
  for (int i = 0; i < 20000; ++i) {
    XmlElement rule = root.AppendChild("KeyWord");
    rule.SetAttr("Name", ".rule-" + std::to_string(i) + std::string(static_cast<std::size_t>(i % 300), 'x'));
    made.push_back(rule);
  }
  first.SetAttr("Name", "renamed");
  EXPECT_EQ(name, "first rule");
  EXPECT_EQ(text, "its text");
  EXPECT_EQ(first.GetAttr("Name").View(), "renamed");
  EXPECT_EQ(root.ChildCount(), 20001u);
  for (const int i : {0, 63, 64, 191, 192, 4095, 19999})
    EXPECT_EQ(made[static_cast<std::size_t>(i)].GetAttr("Name").View().substr(0, 6 + std::to_string(i).size()),
              ".rule-" + std::to_string(i));
  EXPECT_EQ(root.LastChild(), made.back());
  EXPECT_EQ(made[4095].NextSibling(), made[4096]);
}

// A text lying within the source the document keeps is referred to, not
// copied, and the source lives as long as the document; any other text is
// copied, so that its owner may change or free it.
TEST(XmlElement, ACompactDocumentRefersToItsSourceAndCopiesOtherTexts) {
  XmlDocumentPtr doc = CreateCompactXmlDocument("KeyWords");
  auto source = std::make_shared<const std::string>(".a { color: red }");
  doc->KeepSource(source);
  const std::string_view whole(*source);
  XmlElement rule = doc->RootElement().AppendChild("KeyWord");
  rule.SetAttr("Name", whole.substr(0, 2));
  rule.SetTextOf(whole.substr(5, 10));
  std::string typed = "blue";
  rule.SetAttr("Value", typed);
  const std::string_view name = rule.GetAttr("Name").View();
  const char* const begin = source->data();
  const char* const end = begin + source->size();
  source.reset();
  typed = "xxxx";

  EXPECT_EQ(name, ".a");
  EXPECT_EQ(rule.TextOf(), "color: red");
  EXPECT_EQ(rule.GetAttr("Value").View(), "blue");
  EXPECT_EQ(name.data(), begin);
  EXPECT_EQ(rule.TextOf().data(), begin + 5);
  const char* const copied = rule.GetAttr("Value").View().data();
  const std::less<const char*> before;
  EXPECT_TRUE(before(copied, begin) || !before(copied, end));
  // Texts refer to the source kept: another would leave them dangling.
  EXPECT_THROW(doc->KeepSource(std::make_shared<const std::string>("x")), std::logic_error);
  EXPECT_EQ(name, ".a");
}

using XmlFiles = TempFolderTest;

TEST_F(XmlFiles, SaveAndLoadKeepTextsAndDropWhitespaceBetweenElements) {
  XmlDocumentPtr doc = CreateXmlDocument("Document");
  XmlElement object = doc->RootElement().AppendChild("Object");
  object.SetAttr("Name", "Café «déjà» & <b>");
  object.SetAttr("Lines", "a\r\nb");
  const std::string path = (root_ / "s.xml").string();
  SaveXmlFile(*doc, path);
  EXPECT_EQ(ReadFileBytes(path).rfind("<?xml", 0), 0u) << "saved with a declaration";

  XmlDocumentPtr back = LoadXmlFile(path);
  EXPECT_EQ(back->RootElement().ChildCount(), 1u);
  EXPECT_EQ(back->RootElement().ChildAt(0).GetAttr("Name").AsText(), "Café «déjà» & <b>");
  EXPECT_EQ(back->RootElement().ChildAt(0).GetAttr("Lines").AsText(), "a\r\nb");
}

TEST_F(XmlFiles, MissingAndMalformedFilesRaiseNamingTheFileInFrench) {
  EXPECT_THROW(LoadXmlFile((root_ / "none.xml").string()), FileError);
  const std::string path = (root_ / "bad.xml").string();
  std::ofstream(path) << "<?xml version=\"1.0\"?><Document><Object></Document>";
  try {
    LoadXmlFile(path);
    FAIL() << "a malformed file must raise";
  } catch (const XmlError& error) {
    EXPECT_NE(std::string(error.what()).find("bad.xml"), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("balise fermante sans balise ouvrante correspondante (octet 41)"),
              std::string::npos)
        << error.what();
  }
}

}  // namespace
}  // namespace korvel
