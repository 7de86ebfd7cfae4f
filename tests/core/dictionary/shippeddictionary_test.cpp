// Walks the dictionary that ships with the program, data/CSSKeywords.xml.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/messagerecorder.h"
#include "dictionary/keyworddictionary.h"
#include "dictionary/shorthands.h"
#include "model/filebytes.h"

namespace korvel {
namespace {

const std::string kShippedFile = std::string(KORVEL_DATA) + "/CSSKeywords.xml";

class ShippedDictionary : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { dictionary_ = new KeywordDictionary(KeywordDictionary::Load(kShippedFile)); }
  // No question may go unanswered while the dictionary is walked.
  void TearDown() override { EXPECT_EQ(messages_.unanswered, 0); }
  static void TearDownTestSuite() {
    delete dictionary_;
    dictionary_ = nullptr;
  }

  // Each member's Value after preparing the property, for the members named.
  static std::map<std::string, std::optional<std::string>> Spread(const std::string& name,
                                                                  const std::string& value) {
    EXPECT_TRUE(dictionary_->PrepareKeyword(name, value)) << name;
    std::map<std::string, std::optional<std::string>> members;
    for (XmlElement member : dictionary_->Active().Entry().Elements()) {
      const AttrValue held = member.GetAttr("Value");
      members[member.GetAttr("Name").AsText()] =
          held.IsAbsent() ? std::nullopt : std::optional<std::string>(held.AsText());
    }
    return members;
  }

  static KeywordDictionary* dictionary_;
  MessageRecorder messages_;
};

KeywordDictionary* ShippedDictionary::dictionary_ = nullptr;

template <std::size_t N>
bool IsOneOf(std::string_view text, const std::array<std::string_view, N>& known) {
  return std::find(known.begin(), known.end(), text) != known.end();
}

TEST_F(ShippedDictionary, HasOneEntryForEveryPropertyOfTheTable) {
  const std::vector<std::string> names = dictionary_->KeywordNames();
  const std::set<std::string> distinct(names.begin(), names.end());
  EXPECT_EQ(distinct.size(), names.size()) << "no two entries share a Name";

  std::istringstream table(ReadFileBytes(std::string(KORVEL_DATA) + "/css-properties.tsv"));
  std::string line;
  std::getline(table, line);
  std::size_t properties = 0;
  while (std::getline(table, line)) {
    if (line.empty()) continue;
    ++properties;
    const std::string property = line.substr(0, line.find('\t'));
    EXPECT_TRUE(distinct.count(property)) << property << " has no entry";
  }
  EXPECT_EQ(names.size(), properties);
}

// The property grid shows a colour swatch where the property's entry opens
// the colour picker.
TEST_F(ShippedDictionary, ColourSwatchesGoToTheColourProperties) {
  const std::pair<const char*, bool> cases[] = {
      {"color", true},          {"background-color", true}, {"border-color", true},
      {"border-top-color", true}, {"outline-color", true},  {"caret-color", true},
      {"fill", true},           {"stroke", true},           {"text-decoration-color", true},
      {"background", false},    {"border", false},          {"width", false},
      {"font-family", false},   {"zoom", false},            {"--brand-color", false},
      {"COLOR", false},         {"", false},
  };
  for (const auto& [name, color] : cases) EXPECT_EQ(dictionary_->IsColorProperty(name), color) << name;
  // Every entry is found where it stands, and is a colour property exactly
  // when its edit mode says so.
  for (XmlElement entry : dictionary_->Document()->RootElement().Elements()) {
    const std::string name = entry.GetAttr("Name").AsText();
    EXPECT_TRUE(dictionary_->FindKeyword(name) == entry) << name;
    EXPECT_EQ(dictionary_->IsColorProperty(name), entry.GetAttr("EditMode") == editmode::kGetColor) << name;
  }
}

TEST_F(ShippedDictionary, UsesOnlyTheEditModesAndIconsTheProgramKnows) {
  const std::map<std::string, std::vector<std::string>> specialMembers = {
      {"font", {"font-family"}},
      {"margin", {"top", "right", "bottom", "left"}},
      {"padding", {"top", "right", "bottom", "left"}},
      {"background-position", {"horizontal", "vertical"}},
  };
  std::set<std::string> specials;
  const auto checkIcon = [](const XmlElement& element, const std::string& where) {
    const AttrValue icon = element.GetAttr("EditIcon");
    EXPECT_TRUE(icon.IsAbsent() || IsOneOf(icon.View(), editicon::kAll)) << where;
  };

  for (XmlElement entry : dictionary_->Document()->RootElement().Elements()) {
    const std::string name = entry.GetAttr("Name").AsText();
    const std::string mode = entry.GetAttr("EditMode").AsText();
    EXPECT_EQ(entry.TagOf(), "KeyWord") << name;
    EXPECT_TRUE(IsOneOf(mode, editmode::kForEntries)) << name << ": " << mode;
    checkIcon(entry, name);

    std::set<std::string> memberNames;
    for (XmlElement member : entry.Elements()) {
      const std::string memberName = member.GetAttr("Name").AsText();
      EXPECT_EQ(member.TagOf(), "Prop") << name;
      EXPECT_TRUE(IsOneOf(member.GetAttr("EditMode").AsText(), editmode::kForMembers)) << name << "/" << memberName;
      checkIcon(member, name + "/" + memberName);
      EXPECT_GT(member.ChildCount(), 0u) << name << "/" << memberName;
      for (XmlElement item : member.Elements()) checkIcon(item, name + "/" + memberName);
      memberNames.insert(memberName);
    }

    if (mode == editmode::kCombo || mode == editmode::kGetColor) {
      EXPECT_TRUE(memberNames.count(name)) << name << " has no member named like itself";
    }
    if (mode == editmode::kExpand) {
      EXPECT_FALSE(memberNames.empty()) << name;
    }
    if (entry.HasAttr("Special") && entry.GetAttr("Special").AsBool()) {
      specials.insert(name);
      ASSERT_TRUE(specialMembers.count(name)) << name << " is Special but nothing splits it";
      for (const std::string& wanted : specialMembers.at(name))
        EXPECT_TRUE(memberNames.count(wanted)) << name << " lacks the member " << wanted;
    }
  }
  EXPECT_EQ(specials, (std::set<std::string>{"font", "margin", "padding", "background-position"}));
}

TEST_F(ShippedDictionary, EveryEntryPreparesAndOffersTheCssWideKeywords) {
  for (const std::string& name : dictionary_->KeywordNames()) {
    bool prepared = false;
    EXPECT_NO_THROW(prepared = dictionary_->PrepareKeyword(name, "")) << name;
    ASSERT_TRUE(prepared) << name;
    for (const char* keyword : {"inherit", "initial", "unset", "revert"}) {
      prepared = false;
      EXPECT_NO_THROW(prepared = dictionary_->PrepareKeyword(name, keyword)) << name;
      ASSERT_TRUE(prepared) << name;
      bool taken = false;
      for (XmlElement member : dictionary_->Active().Entry().Elements())
        taken = taken || member.GetAttr("Value") == keyword;
      EXPECT_TRUE(taken) << name << " does not take " << keyword;
    }
  }
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(ShippedDictionary, SpreadsEverydayValues) {
  using Members = std::map<std::string, std::optional<std::string>>;
  const struct {
    const char* property;
    const char* value;
    Members expected;
  } cases[] = {
      {"color", "red", {{"color", "red"}}},
      {"width", "50%", {{"width", "50%"}}},
      {"display", "", {{"display", "inline"}}},
      {"border",
       "1px solid #c0c0c0",
       {{"border-width", "1px"}, {"border-style", "solid"}, {"border-color", "#c0c0c0"}}},
      {"border-top", "thick dashed", {{"border-top-width", "thick"}, {"border-top-style", "dashed"}}},
      {"outline",
       "thin dotted red",
       {{"outline-width", "thin"}, {"outline-style", "dotted"}, {"outline-color", "red"}}},
      {"background",
       "url('images/fond.png') no-repeat right top #fff",
       {{"background-image", "url('images/fond.png')"},
        {"background-repeat", "no-repeat"},
        {"background-position", "right top"},
        {"background-color", "#fff"},
        {"background-attachment", "scroll"}}},
      {"background", "#FFF 10px 20px", {{"background-position", "10px 20px"}, {"background-color", "#FFF"}}},
      {"list-style", "square inside", {{"list-style-type", "square"}, {"list-style-position", "inside"}}},
      {"text-decoration",
       "underline wavy red",
       {{"text-decoration-line", "underline"}, {"text-decoration-style", "wavy"}, {"text-decoration-color", "red"}}},
      {"flex-flow", "row wrap", {{"flex-direction", "row"}, {"flex-wrap", "wrap"}}},
      {"margin", "0 auto", {{"top", "0"}, {"right", "auto"}, {"bottom", "0"}, {"left", "auto"}}},
      {"padding", "2px 4px 6px", {{"top", "2px"}, {"right", "4px"}, {"bottom", "6px"}, {"left", "4px"}}},
      {"background-position", "center top", {{"horizontal", "center"}, {"vertical", "top"}}},
      {"font",
       "italic bold 12px/1.5 Georgia, 'Times New Roman', serif",
       {{"font-style", "italic"},
        {"font-variant", std::nullopt},
        {"font-weight", "bold"},
        {"font-size", "12px"},
        {"line-height", "1.5"},
        {"font-family", "Georgia, 'Times New Roman', serif"}}},
      {"font", "600 small-caps 1.2em sans-serif",
       {{"font-weight", "600"}, {"font-variant", "small-caps"}, {"font-size", "1.2em"}, {"font-family", "sans-serif"}}},
  };
  for (const auto& c : cases) {
    const Members spread = Spread(c.property, c.value);
    for (const auto& [member, value] : c.expected) {
      ASSERT_TRUE(spread.count(member)) << c.property << " has no member " << member;
      EXPECT_EQ(spread.at(member), value) << c.property << ": " << c.value << " / " << member;
    }
  }
}

// A value spread over the sub-grid and composed again, without a change,
// means what it meant.
TEST_F(ShippedDictionary, ComposingTheSpreadValueKeepsItsMeaning) {
  const struct {
    const char* property;
    const char* value;
    const char* composed;
  } cases[] = {
      {"margin", "1px 0 1px 0", "1px 0"},
      {"margin", "0 auto", "0 auto"},
      {"padding", "2px 4px 6px", "2px 4px 6px"},
      {"padding", "0", "0"},
      {"margin", "inherit", "inherit"},
      {"padding", "var(--space)", "var(--space)"},
      {"background-position", "center top", "center top"},
      {"background-position", "left", "left"},
      {"font", "italic bold 12px/1.5 Georgia, 'Times New Roman', serif",
       "italic bold 12px/1.5 Georgia, 'Times New Roman', serif"},
      {"font", "12px / 1.5 serif", "12px/1.5 serif"},
      {"font", "inherit", "inherit"},
      {"border", "1px solid #c0c0c0", "1px solid #c0c0c0"},
      {"background", "url(fond.png) center / cover no-repeat",
       "url(fond.png) center / cover no-repeat"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(dictionary_->PrepareKeyword(c.property, c.value)) << c.property;
    std::vector<MemberRow> rows;
    dictionary_->Active().FillMemberGrid(rows);
    EXPECT_EQ(ComposeShorthand(dictionary_->Active(), rows), c.composed) << c.property << ": " << c.value;
  }
}

}  // namespace
}  // namespace korvel
