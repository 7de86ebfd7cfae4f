#include "dictionary/shorthands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dictionary/keyworddictionary.h"

namespace korvel {
namespace {

constexpr const char* kDictionary = R"(<KeyWords>
  <KeyWord Name="margin" EditMode="expand" Special="True">
    <Prop Name="top"><Item Name="length"/><Item Name="percentage"/></Prop>
    <Prop Name="right"><Item Name="length"/><Item Name="percentage"/></Prop>
    <Prop Name="bottom"><Item Name="length"/><Item Name="percentage"/></Prop>
    <Prop Name="left"><Item Name="length"/><Item Name="percentage"/></Prop>
  </KeyWord>
  <KeyWord Name="padding" EditMode="expand" Special="True">
    <Prop Name="top"><Item Name="length"/><Item Name="auto"/></Prop>
    <Prop Name="right"><Item Name="length"/><Item Name="auto"/></Prop>
    <Prop Name="bottom"><Item Name="length"/><Item Name="auto"/></Prop>
    <Prop Name="left"><Item Name="length"/><Item Name="auto"/></Prop>
  </KeyWord>
  <KeyWord Name="background-position" EditMode="expand" Special="True">
    <Prop Name="horizontal"><Item Name="length"/><Item Name="left"/><Item Name="center"/></Prop>
    <Prop Name="vertical"><Item Name="length"/><Item Name="top"/><Item Name="center"/></Prop>
  </KeyWord>
  <KeyWord Name="font" EditMode="expand" Special="True">
    <Prop Name="font-style" DefaultValue="normal"><Item Name="normal"/><Item Name="italic"/></Prop>
    <Prop Name="font-variant" DefaultValue="normal"><Item Name="normal"/><Item Name="small-caps"/></Prop>
    <Prop Name="font-weight" DefaultValue="normal"><Item Name="normal"/><Item Name="bold"/><Item Name="700"/></Prop>
    <Prop Name="font-size"><Item Name="length"/><Item Name="percentage"/></Prop>
    <Prop Name="font-family"><Item Name="serif"/><Item Name="sans-serif"/></Prop>
  </KeyWord>
  <KeyWord Name="border" EditMode="expand" Special="True">
    <Prop Name="border-width"><Item Name="length"/></Prop>
    <Prop Name="border-style"><Item Name="solid"/></Prop>
  </KeyWord>
  <KeyWord Name="half" EditMode="expand" Special="True">
    <Prop Name="top"><Item Name="length"/></Prop>
  </KeyWord>
</KeyWords>)";

// Each member as "name=value", or its name alone when it holds no word.
std::vector<std::string> MembersAfter(KeywordDictionary& dictionary, const char* name, const char* value) {
  EXPECT_TRUE(dictionary.PrepareKeyword(name, value));
  std::vector<std::string> members;
  for (XmlElement member : dictionary.Active().Entry().Elements()) {
    std::string text = member.GetAttr("Name").AsText();
    if (member.HasAttr("Value")) text += "=" + member.GetAttr("Value").AsText();
    members.push_back(text);
  }
  return members;
}

TEST(ExpandShorthand, SpreadsWordsByPlaceOrByKind) {
  KeywordDictionary dictionary(ParseXmlText(kDictionary), "test.xml");
  const struct {
    const char* entry;
    const char* value;
    std::vector<std::string> members;
  } cases[] = {
      {"margin", "5px", {"top=5px", "right=5px", "bottom=5px", "left=5px"}},
      {"margin", "1px 2px", {"top=1px", "right=2px", "bottom=1px", "left=2px"}},
      {"padding", "1px 2px 3px", {"top=1px", "right=2px", "bottom=3px", "left=2px"}},
      {"padding", "1px 2px 3px 4px", {"top=1px", "right=2px", "bottom=3px", "left=4px"}},
      {"margin", "0 auto", {"top=0", "right=auto", "bottom=0", "left=auto"}},
      {"padding", "0 auto", {"top=0", "right=auto", "bottom=0", "left=auto"}},
      {"margin", "1px 2px 3px 4px 5px", {"top", "right", "bottom", "left"}},
      {"margin", "  ", {"top", "right", "bottom", "left"}},
      {"half", "1px 2px", {"top"}},
      {"background-position", "left", {"horizontal=left", "vertical=center"}},
      {"background-position", "10px 20px", {"horizontal=10px", "vertical=20px"}},
      {"background-position", "top left", {"horizontal=top", "vertical=left"}},
      {"background-position", "1px 2px 3px", {"horizontal", "vertical"}},
      {"font",
       "bold 12px Arial",
       {"font-style", "font-variant", "font-weight=bold", "font-size=12px", "font-family=Arial"}},
      {"font",
       "italic small-caps 700 12px/1.5 'Times New Roman', serif",
       {"font-style=italic", "font-variant=small-caps", "font-weight=700", "font-size=12px/1.5",
        "font-family='Times New Roman', serif"}},
      {"font",
       "normal normal bold 10px sans-serif",
       {"font-style=normal", "font-variant", "font-weight=bold", "font-size=10px", "font-family=sans-serif"}},
      {"border", "1px solid", {"border-width", "border-style"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MembersAfter(dictionary, c.entry, c.value), c.members) << c.entry << ": " << c.value;
}

TEST(ExpandShorthand, WordsPlacedByPositionKeepTheTypeTheirKindGives) {
  KeywordDictionary dictionary(ParseXmlText(kDictionary), "test.xml");
  ASSERT_TRUE(dictionary.PrepareKeyword("margin", "10% auto"));
  const ActiveKeyword& active = dictionary.Active();
  EXPECT_EQ(active.FindMember("top").GetAttr("ValueType"), "percentage");
  EXPECT_EQ(active.FindMember("right").GetAttr("ValueType"), "") << "no item accepts auto";
  ASSERT_TRUE(dictionary.PrepareKeyword("font", "Verdana"));
  EXPECT_EQ(active.FindMember("font-family").GetAttr("ValueType"), "font-family");
}

}  // namespace
}  // namespace korvel
