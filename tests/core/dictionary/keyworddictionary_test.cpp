#include "dictionary/keyworddictionary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "support/messagerecorder.h"
#include "model/filebytes.h"

namespace korvel {
namespace {

constexpr const char* kDictionary = R"(<?xml version="1.0" encoding="UTF-8"?>
<KeyWords>
  <KeyWord Name="color" EditMode="getcolor" EditIcon="getcolor" DefaultValue="black">
    <Prop Name="color" EditMode="getcolor" DefaultValue="black">
      <Item Name="color" EditIcon="getcolor"/>
      <Item Name="transparent"/>
    </Prop>
  </KeyWord>
  <KeyWord Name="float" EditMode="combo">
    <Prop Name="float" DefaultValue="none"><Item Name="none"/><Item Name="auto"/></Prop>
  </KeyWord>
  <KeyWord Name="float-special" EditMode="expand" Special="True">
    <Prop Name="float" DefaultValue="none"><Item Name="none"/><Item Name="auto"/></Prop>
  </KeyWord>
  <KeyWord Name="bare" EditMode="edit"/>
  <Note Name="mixed" EditMode="expand">
    <Comment Name="first"><Item Name="a"/></Comment>
    <Prop Name="second"><Item Name="b"/></Prop>
    <Prop Name="third"><Item Name="c"/></Prop>
  </Note>
  <KeyWord Name="border" EditMode="expand">
    <Prop Name="border-width" DefaultValue="medium" EditMode="FormEdit"><Item Name="length"/><Item Name="medium"/></Prop>
    <Prop Name="border-style" DefaultValue="none" EditMode="combo"><Item Name="none"/><Item Name="solid"/></Prop>
    <Prop Name="border-color" EditMode="getcolor"><Item Name="color" EditIcon="getcolor"/></Prop>
    <Prop Name="empty" DefaultValue="x"/>
  </KeyWord>
  <KeyWord Name="lengths" EditMode="FormEdit">
    <Prop Name="a"><Item Name="length"/><Item Name="percentage"/></Prop>
    <Prop Name="b"><Item Name="auto"/><Item Name="length"/></Prop>
    <Prop Name="c"><Item Name="auto"/></Prop>
  </KeyWord>
  <KeyWord Name="crossed">
    <Prop Name="a" DefaultValue="y"><Item Name="x"/></Prop>
    <Prop Name="b" DefaultValue="x"><Item Name="y"/></Prop>
  </KeyWord>
  <KeyWord Name="color" EditMode="edit"/>
</KeyWords>
)";

KeywordDictionary TestDictionary(const char* text = kDictionary) {
  return KeywordDictionary(ParseXmlText(text, "test"), "test.xml");
}

std::optional<std::string> ValueOf(const ActiveKeyword& active, std::string_view member) {
  const AttrValue value = active.FindMember(member).GetAttr("Value");
  if (value.IsAbsent()) return std::nullopt;
  return value.AsText();
}

TEST(SplitWords, DropsEmptyPieces) {
  const struct {
    const char* text;
    char separator;
    std::vector<std::string> words;
  } cases[] = {
      {"  1px  2px ", ' ', {"1px", "2px"}},
      {"1px solid red", ' ', {"1px", "solid", "red"}},
      {"", ' ', {}},
      {"   ", ' ', {}},
      {"1px\tsolid", ' ', {"1px\tsolid"}},
      {";a;;b;", ';', {"a", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitWords(c.text, c.separator), c.words) << '"' << c.text << '"';
}

TEST(KeywordDictionary, NamesAndLookupsInFileOrder) {
  const KeywordDictionary dictionary = TestDictionary();
  const std::vector<std::string> names = {"color",   "float",   "float-special", "bare", "mixed",
                                          "border",  "lengths", "crossed",       "color"};
  EXPECT_EQ(dictionary.KeywordNames(), names);
  EXPECT_EQ(dictionary.FindKeyword("color").GetAttr("EditMode"), "getcolor") << "the first of two entries";
  EXPECT_TRUE(dictionary.FindKeyword("mixed")) << "the entry's tag is not looked at";
  EXPECT_FALSE(dictionary.FindKeyword("Color"));
  EXPECT_FALSE(dictionary.FindKeyword(""));
}

// The lookups are answered from an index made once: its answers must be
// those of the file read in order, the first entry of a name winning.
TEST(KeywordDictionary, LookupsAndColourPropertiesFollowTheFirstEntryOfEachName) {
  const KeywordDictionary dictionary = TestDictionary(R"(<KeyWords>
      <KeyWord Name="color" EditMode="getcolor"/>
      <KeyWord EditMode="getcolor"/>
      <KeyWord Name="border" EditMode="expand">
        <Prop Name="border-color" EditMode="getcolor"><Item Name="color"/></Prop>
      </KeyWord>
      <KeyWord Name="fill" EditMode="getcolor"/>
      <KeyWord Name="color" EditMode="edit"/>
      <KeyWord Name="fill" EditMode="combo"/>
      <KeyWord Name="outline-color" EditMode="getcolor"/>
      <KeyWord Name="width" EditMode="FormEdit"/>
      <KeyWord Name="" EditMode="getcolor"/>
    </KeyWords>)");
  struct Case {
    const char* name;
    bool found;
    int place;  // among the entries, counted from 1, when found
    bool color;
  };
  const Case cases[] = {
      {"color", true, 1, true},           {"fill", true, 4, true},   {"outline-color", true, 7, true},
      {"border", true, 3, false},         {"width", true, 8, false}, {"border-color", false, 0, false},
      {"Color", false, 0, false},         {"color ", false, 0, false}, {"--brand", false, 0, false},
      {"", true, 9, true},
  };
  std::vector<XmlElement> entries;
  for (XmlElement entry : dictionary.Document()->RootElement().Elements()) entries.push_back(entry);
  for (const Case& c : cases) {
    const XmlElement found = dictionary.FindKeyword(c.name);
    EXPECT_EQ(static_cast<bool>(found), c.found) << c.name;
    if (c.found) EXPECT_TRUE(found == entries[static_cast<std::size_t>(c.place - 1)]) << c.name;
    EXPECT_EQ(dictionary.IsColorProperty(c.name), c.color) << c.name;
  }
}

TEST(KeywordDictionary, AnEntryWithoutNameFailsTheListOfNames) {
  const KeywordDictionary dictionary = TestDictionary(R"(<KeyWords>
      <KeyWord Name="before"/><KeyWord EditMode="combo"/><KeyWord Name="after"/></KeyWords>)");
  try {
    (void)dictionary.KeywordNames();
    FAIL() << "no error";
  } catch (const XmlError& error) {
    EXPECT_NE(std::string(error.what()).find("test.xml : l'entrée n° 2"), std::string::npos) << error.what();
  }
  EXPECT_FALSE(dictionary.FindKeyword(""));
  EXPECT_TRUE(dictionary.FindKeyword("after"));
}

TEST(KeywordDictionary, LoadFailsOnAMissingOrMalformedFile) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "korvel-dictionary-test";
  std::filesystem::create_directories(folder);
  EXPECT_THROW((void)KeywordDictionary::Load((folder / "absent.xml").string()), FileError);
  const std::string malformed = (folder / "malformed.xml").string();
  std::ofstream(malformed) << "<KeyWords><KeyWord Name=\"color\"></KeyWords>";
  EXPECT_THROW((void)KeywordDictionary::Load(malformed), XmlError);
  std::filesystem::remove_all(folder);
}

TEST(PrepareKeyword, AnUnknownNameEmptiesTheActiveKeywordAndSaysSo) {
  KeywordDictionary dictionary = TestDictionary();
  MessageRecorder messages;
  ASSERT_TRUE(dictionary.PrepareKeyword("border", "1px solid red"));
  EXPECT_FALSE(dictionary.PrepareKeyword("Color", "red"));

  const Message expected{"Le mot clé : Color\n n'est pas reconnu", "Korvel", MessageKind::Information,
                         MessageButtons::Ok};
  EXPECT_EQ(messages.shown, std::vector<Message>{expected});

  const ActiveKeyword& active = dictionary.Active();
  EXPECT_FALSE(active.Entry());
  EXPECT_EQ(active.KeywordEditMode(), "");
  EXPECT_EQ(active.KeywordEditIcon(), "");
  EXPECT_FALSE(active.FindMember("border-width"));
  EXPECT_EQ(active.MemberEditMode("border-width"), "");
  EXPECT_EQ(active.ItemEditIcon("border-color", "color"), "");
  EXPECT_FALSE(active.IsMemberDefault("border-width", "medium"));
  std::vector<MemberRow> rows = {{"stale", "row"}};
  active.FillMemberGrid(rows);
  EXPECT_TRUE(rows.empty());
  std::vector<std::string> list = {"stale"};
  active.FillItemList(list, "border-style");
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(active.FillOtherValues(list, ""));
}

TEST(PrepareKeyword, CopiesTheEntryWithEveryAttributeInItsPlace) {
  KeywordDictionary dictionary = TestDictionary();
  ASSERT_TRUE(dictionary.PrepareKeyword("color", ""));
  // The member without a word takes its default, which its "color" item accepts.
  const char* expected = R"(<KeyWords>
<KeyWord Name="color" PropsCount="1" EditIcon="getcolor" EditMode="getcolor" DefaultValue="black"
         Special="False">
<Prop Name="color" DefaultValue="black" EditMode="getcolor" EditIcon="" ValueType="color" Value="black">
<Item Name="color" EditMode="" EditIcon="getcolor"/><Item Name="transparent" EditMode="" EditIcon=""/>
</Prop></KeyWord></KeyWords>)";
  EXPECT_EQ(ParseXmlText(dictionary.Active().Document()->ToText())->ToText(), ParseXmlText(expected)->ToText());
}

TEST(PrepareKeyword, SpreadsTheWordsThenTheDefaults) {
  KeywordDictionary dictionary = TestDictionary();
  const ActiveKeyword& active = dictionary.Active();

  ASSERT_TRUE(dictionary.PrepareKeyword("border", " \t1px  solid\r\n"));
  EXPECT_EQ(ValueOf(active, "border-width"), "1px");
  EXPECT_EQ(ValueOf(active, "border-style"), "solid");
  EXPECT_EQ(ValueOf(active, "border-color"), std::nullopt) << "an empty default is accepted by no item";
  EXPECT_EQ(ValueOf(active, "empty"), std::nullopt) << "a member without items accepts nothing";

  ASSERT_TRUE(dictionary.PrepareKeyword("border", "red"));
  EXPECT_EQ(ValueOf(active, "border-width"), "medium");
  EXPECT_EQ(ValueOf(active, "border-style"), "none");
  EXPECT_EQ(ValueOf(active, "border-color"), "red");

  ASSERT_TRUE(dictionary.PrepareKeyword("float", ""));
  EXPECT_EQ(ValueOf(active, "float"), "none");
  ASSERT_TRUE(dictionary.PrepareKeyword("float", "auto"));
  EXPECT_EQ(ValueOf(active, "float"), "auto");
  ASSERT_TRUE(dictionary.PrepareKeyword("float-special", ""));
  EXPECT_EQ(ValueOf(active, "float"), std::nullopt) << "no defaults for a Special entry";

  // A default goes where classification puts it, not necessarily to its member.
  ASSERT_TRUE(dictionary.PrepareKeyword("crossed", ""));
  EXPECT_EQ(ValueOf(active, "a"), std::nullopt);
  EXPECT_EQ(ValueOf(active, "b"), "y");
}

TEST(PrepareKeyword, MembersAreTheFirstPropsCountChildren) {
  KeywordDictionary dictionary = TestDictionary();
  const ActiveKeyword& active = dictionary.Active();
  ASSERT_TRUE(dictionary.PrepareKeyword("mixed", "b c"));
  EXPECT_EQ(active.Entry().GetAttr("PropsCount"), "2");
  std::vector<MemberRow> rows;
  active.FillMemberGrid(rows);
  EXPECT_EQ(rows, (std::vector<MemberRow>{{"first", ""}, {"second", "b"}}));
  EXPECT_EQ(active.KeywordEditMode(), "expand");

  ASSERT_TRUE(dictionary.PrepareKeyword("bare", "1px solid"));
  EXPECT_EQ(active.Entry().GetAttr("PropsCount"), "0");
  EXPECT_EQ(active.Entry().ChildCount(), 0u);
  EXPECT_EQ(active.KeywordEditMode(), "edit");
}

TEST(ActiveKeyword, MemberQueries) {
  KeywordDictionary dictionary = TestDictionary();
  const ActiveKeyword& active = dictionary.Active();
  ASSERT_TRUE(dictionary.PrepareKeyword("border", "1px solid"));

  EXPECT_EQ(active.MemberEditMode("border-style"), "combo");
  EXPECT_EQ(active.MemberEditMode("nothing"), "");
  EXPECT_EQ(active.ItemEditIcon("border-color", "color"), "getcolor");
  EXPECT_EQ(active.ItemEditIcon("border-color", "red"), "");
  EXPECT_EQ(active.ItemEditIcon("nothing", "color"), "");
  EXPECT_TRUE(active.IsMemberDefault("border-width", "medium"));
  EXPECT_FALSE(active.IsMemberDefault("border-width", "1px"));
  EXPECT_FALSE(active.IsMemberDefault("empty", "x")) << "a member without items is never at its default";
  EXPECT_FALSE(active.IsMemberDefault("nothing", ""));

  std::vector<MemberRow> rows;
  active.FillMemberGrid(rows);
  const std::vector<MemberRow> expected = {
      {"border-width", "1px"}, {"border-style", "solid"}, {"border-color", ""}, {"empty", "x"}};
  EXPECT_EQ(rows, expected) << "a member without a word shows its default";

  std::vector<std::string> list = {"stale"};
  active.FillItemList(list, "border-style");
  EXPECT_EQ(list, (std::vector<std::string>{"none", "solid"}));
  active.FillItemList(list, "nothing");
  EXPECT_TRUE(list.empty());
}

TEST(ActiveKeyword, OtherValuesLeaveOutLengthsAndPercentages) {
  KeywordDictionary dictionary = TestDictionary();
  const ActiveKeyword& active = dictionary.Active();
  ASSERT_TRUE(dictionary.PrepareKeyword("lengths", ""));
  const struct {
    const char* member;
    std::vector<std::string> list;
  } cases[] = {{"a", {}}, {"b", {"auto"}}, {"", {"auto", "auto"}}, {"zzz", {}}};
  for (const auto& c : cases) {
    std::vector<std::string> list = {"stale"};
    EXPECT_EQ(active.FillOtherValues(list, c.member), !c.list.empty()) << c.member;
    EXPECT_EQ(list, c.list) << c.member;
  }
}

TEST(PrepareKeyword, SpecialIsABooleanOrANumber) {
  const struct {
    const char* special;
    bool expanded;
  } cases[] = {{"True", true}, {"TRUE", true}, {"1", true}, {"False", false}, {"0", false}};
  for (const auto& c : cases) {
    KeywordDictionary dictionary = TestDictionary(
        (std::string(R"(<KeyWords><KeyWord Name="p" Special=")") + c.special +
         R"("><Prop Name="m" DefaultValue="a"><Item Name="a"/></Prop></KeyWord></KeyWords>)")
            .c_str());
    ASSERT_TRUE(dictionary.PrepareKeyword("p", ""));
    EXPECT_EQ(dictionary.Active().Entry().GetAttr("Special"), c.expanded ? "True" : "False") << c.special;
    EXPECT_EQ(ValueOf(dictionary.Active(), "m").has_value(), !c.expanded) << c.special;
  }
}

TEST(PrepareKeyword, FaultsOfAnEntryAreErrorsThatNameIt) {
  const struct {
    const char* entry;
    const char* message;
    std::size_t membersCopied;
  } cases[] = {
      {R"(<KeyWord Name="p" Special="maybe"><Prop Name="m"/></KeyWord>)", "« p », attribut Special", 0},
      {R"(<KeyWord Name="p"><Prop Name="m"/><Prop DefaultValue="x"/></KeyWord>)", "« p » a un membre sans", 1},
      {R"(<KeyWord Name="p"><Prop Name="m"><Item Name="a"/><Item/></Prop></KeyWord>)", "membre « m »", 1},
  };
  for (const auto& c : cases) {
    KeywordDictionary dictionary = TestDictionary((std::string("<KeyWords>") + c.entry + "</KeyWords>").c_str());
    try {
      dictionary.PrepareKeyword("p", "a");
      ADD_FAILURE() << "no error for " << c.entry;
    } catch (const XmlError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
    // What was built before the fault stays.
    const XmlElement entry = dictionary.Active().Entry();
    EXPECT_EQ(entry ? entry.ChildCount() : 0u, c.membersCopied) << c.entry;
    EXPECT_EQ(static_cast<bool>(entry), c.membersCopied > 0) << c.entry;
  }
}

}  // namespace
}  // namespace korvel
