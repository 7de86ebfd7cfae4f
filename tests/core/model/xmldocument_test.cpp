#include "model/xmldocument.h"

#include <gtest/gtest.h>

#include "support/tempfolder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

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
