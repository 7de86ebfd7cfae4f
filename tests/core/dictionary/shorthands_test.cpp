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

constexpr const char* kComposeDictionary = R"(<KeyWords>
  <KeyWord Name="margin" EditMode="expand" Special="True">
    <Prop Name="top" DefaultValue="0"><Item Name="length"/></Prop>
    <Prop Name="right" DefaultValue="0"><Item Name="length"/></Prop>
    <Prop Name="bottom" DefaultValue="0"><Item Name="length"/></Prop>
    <Prop Name="left" DefaultValue="0"><Item Name="length"/></Prop>
  </KeyWord>
  <KeyWord Name="inset" EditMode="expand">
    <Prop Name="top"><Item Name="length"/></Prop>
    <Prop Name="right"><Item Name="length"/></Prop>
    <Prop Name="bottom"><Item Name="length"/></Prop>
    <Prop Name="left"><Item Name="length"/></Prop>
  </KeyWord>
  <KeyWord Name="background-position" EditMode="expand" Special="True">
    <Prop Name="horizontal"><Item Name="length"/><Item Name="left"/><Item Name="center"/></Prop>
    <Prop Name="vertical"><Item Name="length"/><Item Name="top"/><Item Name="center"/></Prop>
  </KeyWord>
  <KeyWord Name="font" EditMode="expand" Special="True">
    <Prop Name="font-style" DefaultValue="normal"><Item Name="normal"/><Item Name="italic"/><Item Name="inherit"/></Prop>
    <Prop Name="font-weight" DefaultValue="normal"><Item Name="normal"/><Item Name="bold"/></Prop>
    <Prop Name="font-size" DefaultValue="medium"><Item Name="length"/><Item Name="medium"/></Prop>
    <Prop Name="line-height" DefaultValue="normal"><Item Name="length"/><Item Name="normal"/></Prop>
    <Prop Name="font-family"><Item Name="serif"/></Prop>
  </KeyWord>
  <KeyWord Name="background" EditMode="expand">
    <Prop Name="background-image" DefaultValue="none"><Item Name="url"/><Item Name="none"/></Prop>
    <Prop Name="background-position" DefaultValue="0%"><Item Name="length"/><Item Name="center"/></Prop>
    <Prop Name="background-size"><Item Name="length"/><Item Name="cover"/></Prop>
    <Prop Name="background-color" DefaultValue="transparent"><Item Name="color"/></Prop>
  </KeyWord>
  <KeyWord Name="border" EditMode="expand">
    <Prop Name="border-width" DefaultValue="medium"><Item Name="length"/><Item Name="medium"/></Prop>
    <Prop Name="border-style" DefaultValue="none"><Item Name="solid"/><Item Name="none"/></Prop>
    <Prop Name="border-color"><Item Name="color"/></Prop>
    <Prop Name="padding-odd" DefaultValue="x"/>
  </KeyWord>
</KeyWords>)";

TEST(ComposeShorthand, RebuildsTheValueFromTheMemberRows) {
  KeywordDictionary dictionary(ParseXmlText(kComposeDictionary), "test.xml");
  const struct {
    const char* what;
    const char* entry;
    std::vector<std::string> values;  // one per member, in order
    const char* composed;
  } cases[] = {
      // Places: every side kept, in the shortest form, defaults or not.
      {"sides in pairs", "margin", {"1px", "0", "1px", "0"}, "1px 0"},
      {"four equal sides", "margin", {"0", "0", "0", "0"}, "0"},
      {"top and bottom differ", "margin", {"1px", "2px", "3px", "2px"}, "1px 2px 3px"},
      {"left differs", "margin", {"1px", "2px", "1px", "4px"}, "1px 2px 1px 4px"},
      {"auto sides", "margin", {"0", "auto", "0", "auto"}, "0 auto"},
      {"an empty side counts as 0", "margin", {"1px", "", "1px", "0"}, "1px 0"},
      {"no side at all", "margin", {"", "", "", ""}, ""},
      {"blanks around values", "margin", {" 1px", "2px  ", "1px", "2px"}, "1px 2px"},
      {"an empty inset side is auto", "inset", {"1px", "", "", ""}, "1px auto auto"},
      {"two coordinates", "background-position", {"10px", "20px"}, "10px 20px"},
      {"a centred vertical", "background-position", {"left", "center"}, "left"},
      {"no vertical", "background-position", {"right", ""}, "right"},
      {"no horizontal", "background-position", {"", "top"}, "0% top"},
      // Kinds: defaults left out, no trailing blank.
      {"defaults left out", "border", {"1px", "none", "red", ""}, "1px red"},
      {"every member at its default", "border", {"medium", "none", "", ""}, ""},
      {"a member without items is never a default", "border", {"2px", "solid", "", "x"}, "2px solid x"},
      {"font size and family always written", "font", {"normal", "bold", "medium", "normal", "serif"},
       "bold medium serif"},
      {"font line height after a slash", "font", {"italic", "normal", "12px", "1.5", "Arial"}, "italic 12px/1.5 Arial"},
      {"font slash already in the size", "font", {"normal", "normal", "12px/1.5", "normal", "Arial"}, "12px/1.5 Arial"},
      {"background size after the position", "background", {"url(a.png)", "center", "cover", "transparent"},
       "url(a.png) center / cover"},
      {"background size at the default position", "background", {"none", "0%", "50%", "red"}, "0% / 50% red"},
      // One text for the whole value.
      {"inherit on every side", "margin", {"inherit", "inherit", "inherit", "inherit"}, "inherit"},
      {"revert-layer on every side", "margin", {"revert-layer", "revert-layer", "revert-layer", "revert-layer"},
       "revert-layer"},
      {"font inherit", "font", {"inherit", "normal", "medium", "normal", ""}, "inherit"},
      {"var on every side", "margin", {"var(--gap)", "var(--gap)", "var(--gap)", "var(--gap)"}, "var(--gap)"},
      {"var as a font", "font", {"normal", "normal", "medium", "normal", "var(--font)"}, "var(--font)"},
      {"var among sides", "margin", {"var(--gap)", "0", "var(--gap)", "0"}, "var(--gap) 0"},
      {"a keyword beside other values", "margin", {"1px", "inherit", "1px", "inherit"}, "1px 0"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(dictionary.PrepareKeyword(c.entry, ""));
    std::vector<MemberRow> rows;
    dictionary.Active().FillMemberGrid(rows);
    ASSERT_EQ(rows.size(), c.values.size()) << c.what;
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i].value = c.values[i];
    EXPECT_EQ(ComposeShorthand(dictionary.Active(), rows), c.composed) << c.what;
  }
}

TEST(ComposeShorthand, ExpandingThenComposingKeepsTheValue) {
  KeywordDictionary dictionary(ParseXmlText(kComposeDictionary), "test.xml");
  const struct {
    const char* entry;
    const char* value;
    const char* composed;
  } cases[] = {
      {"margin", "1px 0 1px 0", "1px 0"},     {"margin", "0 auto", "0 auto"},
      {"margin", "1px 2px 3px", "1px 2px 3px"}, {"margin", "inherit", "inherit"},
      {"margin", "var(--m)", "var(--m)"},     {"background-position", "left", "left"},
      {"background-position", "10px 20px", "10px 20px"},
      {"font", "italic bold 12px / 1.5 Arial", "italic bold 12px/1.5 Arial"},
      {"font", "12px/1.5 serif", "12px/1.5 serif"},
      {"font", "bold 12px/normal serif", "bold 12px serif"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(dictionary.PrepareKeyword(c.entry, c.value));
    std::vector<MemberRow> rows;
    dictionary.Active().FillMemberGrid(rows);
    EXPECT_EQ(ComposeShorthand(dictionary.Active(), rows), c.composed) << c.entry << ": " << c.value;
  }
}

TEST(ExpandShorthand, TheLineHeightAfterTheSlashGoesToItsMember) {
  KeywordDictionary dictionary(ParseXmlText(kComposeDictionary), "test.xml");
  for (const char* value : {"italic 12px/1.5 Arial", "italic 12px / 1.5 Arial", "italic 12px/ 1.5 Arial"}) {
    ASSERT_TRUE(dictionary.PrepareKeyword("font", value));
    std::vector<MemberRow> rows;
    dictionary.Active().FillMemberGrid(rows);
    const std::vector<MemberRow> expected = {{"font-style", "italic"}, {"font-weight", "normal"},
                                             {"font-size", "12px"},    {"line-height", "1.5"},
                                             {"font-family", "Arial"}};
    EXPECT_EQ(rows, expected) << value;
  }
}

TEST(ComposeShorthand, WithoutAPreparedEntryJoinsTheValues) {
  const ActiveKeyword active;
  EXPECT_EQ(ComposeShorthand(active, {{"a", "1px"}, {"b", ""}, {"c", "solid "}}), "1px solid");
}

TEST(IsCssWideKeyword, TheFiveKeywordsInAnyCase) {
  for (const char* word : {"inherit", "initial", "unset", "revert", "revert-layer", "INHERIT", "Unset"})
    EXPECT_TRUE(IsCssWideKeyword(word)) << word;
  for (const char* word : {"", "auto", "inherits", "revert layer", "var(--x)"}) EXPECT_FALSE(IsCssWideKeyword(word)) << word;
}

}  // namespace
}  // namespace korvel
