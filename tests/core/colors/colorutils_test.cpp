#include "colors/colorutils.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/messagerecorder.h"

namespace korvel {
namespace {

TEST(ColorTable, BuiltInEntriesInTheirOrder) {
  const ColorTable table;
  const std::vector<std::string>& entries = table.Entries();
  ASSERT_EQ(entries.size(), 169u);
  EXPECT_EQ(entries[0], "aliceblue=#F0F8FF");
  EXPECT_EQ(entries[142], "yellowgreen=#9ACD32") << "last named colour";
  EXPECT_EQ(entries[143], "activeborder=#D4D0C8") << "first system colour";
  EXPECT_EQ(entries[168], "windowtext=#000000");
  // lightgrey stands before lightgreen; everything else is alphabetical
  // within each of the two groups.
  EXPECT_EQ(entries[68], "lightgrey=#D3D3D3");
  EXPECT_EQ(entries[69], "lightgreen=#90EE90");
  for (std::size_t i = 1; i < entries.size(); ++i) {
    if (i == 69 || i == 143) continue;
    EXPECT_LT(entries[i - 1], entries[i]) << "at " << i;
  }
  for (const std::string& entry : entries) {
    ASSERT_EQ(entry.find('='), entry.size() - 8) << entry;
    EXPECT_EQ(NormalizeHtmlColor(entry.substr(entry.size() - 7)), entry.substr(entry.size() - 7)) << entry;
  }
}

TEST(ColorTable, KeepsItsOwnValuesAndGaps) {
  const ColorTable table;
  const struct {
    const char* name;
    const char* value;
  } cases[] = {
      {"feldspar", "#D19275"},      {"lightslateblue", "#8470FF"}, {"violetred", "#D02090"},
      {"mediumpurple", "#9370D8"},  {"palevioletred", "#D87093"},  {"lightgrey", "#D3D3D3"},
      {"threedlightshadow", "#F1EFE2"}, {"red", "#FF0000"},
      {"grey", ""}, {"lightgray", ""}, {"darkslategrey", ""}, {"transparent", ""},
      {"buttonshadow", ""}, {"inactivecaptiontext", ""}, {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(table.ColorValueFromName(c.name), c.value) << c.name;
}

TEST(ColorTable, ValueFromNameIgnoresCaseNameFromValueDoesNot) {
  const ColorTable table;
  EXPECT_EQ(table.ColorValueFromName("Red"), "#FF0000");
  EXPECT_EQ(table.ColorValueFromName("ALICEBLUE"), "#F0F8FF");
  EXPECT_TRUE(table.HasColorName("WindowText"));
  EXPECT_FALSE(table.HasColorName("rouge"));

  const struct {
    const char* value;
    const char* name;
  } cases[] = {{"#00FFFF", "aqua"},  {"#FF00FF", "fuchsia"}, {"#808080", "gray"},
               {"#FFFFFF", "white"}, {"#000000", "black"},   {"#D4D0C8", "activeborder"},
               {"#00ffff", ""},      {"#123456", ""},        {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(table.ColorNameFromValue(c.value), c.name) << c.value;
}

TEST(ColorTable, NameFromValueAnswersWithTheFirstEntryOfAName) {
  ColorTable table;
  // A later entry whose name the table already has speaks with the value of
  // the first one, so it never answers.
  table.AddCustomColor({}, "RED", "#010203");
  EXPECT_EQ(table.ColorNameFromValue("#010203"), "");
  table.AddCustomColor({}, "#010203", "#010203");
  EXPECT_EQ(table.ColorNameFromValue("#010203"), "#010203");
}

// Names are looked up through an index that appending must keep: a new
// name is found at once, in any letter case, and a name the table already
// has keeps answering with its first entry.
TEST(ColorTable, AppendedNamesAreFoundAndEarlierNamesKeepTheirValue) {
  ColorTable table;
  EXPECT_FALSE(table.HasColorName("brand"));
  table.AddCustomColor({}, "Brand", "#123456");
  table.AddCustomColor({}, "RED", "#010203");
  table.AddCustomColor({}, "brand", "#654321");
  const std::pair<const char*, const char*> cases[] = {
      {"brand", "#123456"}, {"BRAND", "#123456"}, {"Brand", "#123456"}, {"red", "#FF0000"},
      {"Red", "#FF0000"},   {"bran", ""},         {"brand ", ""},
  };
  for (const auto& [name, value] : cases) {
    EXPECT_EQ(table.ColorValueFromName(name), value) << name;
    EXPECT_EQ(table.HasColorName(name), *value != '\0') << name;
  }
}

TEST(NormalizeHtmlColor, CountsAndChecksTheDigits) {
  const struct {
    const char* text;
    const char* html;
  } cases[] = {
      {"#abc", "#AABBCC"}, {"#AbCdEf", "#ABCDEF"}, {"#000", "#000000"}, {"#c0c0c0", "#C0C0C0"},
      {"#12345", ""},      {"#", ""},              {"", ""},            {"#1234567", ""},
      {"#GGG", ""},        {"#12345G", ""},        {"# 12345", ""},     {"#ab", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeHtmlColor(c.text), c.html) << c.text;
}

TEST(ColorComponents, ReadTwoHexadecimalDigitsEach) {
  const struct {
    const char* digits;
    int red, green, blue;
  } cases[] = {{"FF8000", 255, 128, 0}, {"00ff7f", 0, 255, 127}, {"D4D0C8", 212, 208, 200}};
  for (const auto& c : cases) {
    EXPECT_EQ(ColorRed(c.digits), c.red) << c.digits;
    EXPECT_EQ(ColorGreen(c.digits), c.green) << c.digits;
    EXPECT_EQ(ColorBlue(c.digits), c.blue) << c.digits;
  }
  EXPECT_EQ(ColorRefOf(0x12, 0x34, 0x56), 0x563412u);
  EXPECT_THROW((void)ColorRed("GG0000"), std::invalid_argument);
  EXPECT_THROW((void)ColorBlue("FFFF"), std::invalid_argument);
  EXPECT_THROW((void)ColorGreen(""), std::invalid_argument);
}

// A list kept equal to the table through the refresh callback.
struct RefreshedList {
  std::vector<std::string> items;
  int refreshes = 0;
  ColorListRefresh Callback() {
    return [this](const std::vector<std::string>& entries) {
      items = entries;
      ++refreshes;
    };
  }
};

class ResolveColorText : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(messages.unanswered, 0); }
  ColorTable table;
  MessageRecorder messages;
  RefreshedList list;
};

TEST_F(ResolveColorText, NamesAndHashTexts) {
  const struct {
    const char* text;
    const char* name;
    const char* html;
  } cases[] = {
      {"RED", "RED", "#FF0000"},     {"red", "red", "#FF0000"},         {"#ff0000", "red", "#FF0000"},
      {"#0ff", "aqua", "#00FFFF"},   {"WindowText", "WindowText", "#000000"},
  };
  for (const auto& c : cases) {
    std::string name, html;
    EXPECT_TRUE(table.ResolveColorText(list.Callback(), c.text, name, html)) << c.text;
    EXPECT_EQ(name, c.name) << c.text;
    EXPECT_EQ(html, c.html) << c.text;
  }
  EXPECT_EQ(table.Entries().size(), 169u);
  EXPECT_EQ(list.refreshes, 0);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ResolveColorText, AppendsAnUnknownHashColourOnce) {
  std::string name, html;
  ASSERT_TRUE(table.ResolveColorText(list.Callback(), "#123456", name, html));
  EXPECT_EQ(name, "#123456");
  EXPECT_EQ(html, "#123456");
  ASSERT_EQ(table.Entries().size(), 170u);
  EXPECT_EQ(table.Entries()[169], "#123456=#123456");
  EXPECT_EQ(list.refreshes, 1);
  EXPECT_EQ(list.items, table.Entries());

  name.clear();
  ASSERT_TRUE(table.ResolveColorText(list.Callback(), "#123456", name, html));
  EXPECT_EQ(name, "#123456");
  EXPECT_EQ(table.Entries().size(), 170u);
  EXPECT_EQ(list.refreshes, 1);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ResolveColorText, RefusesWhatIsNotAColour) {
  const Message badFormat{"Format de couleur incorrect!", "Korvel", MessageKind::Plain, MessageButtons::Ok};
  const struct {
    const char* text;
    bool message;
  } cases[] = {{"transparent", false}, {"", false},    {"rouge", false}, {"inherit", false},
               {"#12", true},          {"#", true},    {"#GGG", true},   {"#12345G", true}};
  for (const auto& c : cases) {
    messages.shown.clear();
    std::string name = "before", html = "before";
    EXPECT_FALSE(table.ResolveColorText(list.Callback(), c.text, name, html)) << c.text;
    EXPECT_EQ(name, "before") << c.text;
    EXPECT_EQ(html, "before") << c.text;
    if (c.message) {
      EXPECT_EQ(messages.shown, std::vector<Message>{badFormat}) << c.text;
    } else {
      EXPECT_TRUE(messages.shown.empty()) << c.text;
    }
  }
  EXPECT_EQ(table.Entries().size(), 169u) << "nothing that cannot be painted joins the table";
  EXPECT_EQ(list.refreshes, 0);
}

TEST(AddCustomColor, RefusesEntriesThatCouldNotBePainted) {
  ColorTable table;
  for (const char* value : {"#GGGGGG", "#abcdef", "123456", "#12345", ""})
    EXPECT_THROW(table.AddCustomColor({}, "x", value), std::invalid_argument) << value;
  EXPECT_THROW(table.AddCustomColor({}, "", "#123456"), std::invalid_argument);
  EXPECT_THROW(table.AddCustomColor({}, "a=b", "#123456"), std::invalid_argument);
  EXPECT_EQ(table.Entries().size(), 169u);
}

}  // namespace
}  // namespace korvel
