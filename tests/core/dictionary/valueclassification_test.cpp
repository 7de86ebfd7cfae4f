#include "dictionary/valueclassification.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "dictionary/keyworddictionary.h"

namespace korvel {
namespace {

// A prepared entry with the given members, as the ActiveKeyword holds it.
class Entry {
 public:
  explicit Entry(const std::string& members)
      : document_(ParseXmlText("<KeyWords><KeyWord Name=\"test\">" + members + "</KeyWord></KeyWords>")) {}

  [[nodiscard]] XmlElement Element() const { return document_->RootElement().ChildAt(0); }

  // The Value of the index-th member, or nothing when it holds no word.
  [[nodiscard]] std::optional<std::string> ValueAt(std::size_t index) const {
    const AttrValue value = Element().ChildAt(index).GetAttr("Value");
    if (value.IsAbsent()) return std::nullopt;
    return value.AsText();
  }
  [[nodiscard]] std::string TypeAt(std::size_t index) const {
    return Element().ChildAt(index).GetAttr("ValueType").AsText();
  }

  void Assign(std::string_view word) { AssignWord(Element(), ClassifyWord(Element(), word), word); }

 private:
  XmlDocumentPtr document_;
};

TEST(ClassifyWord, ByClassItemsAndKeywords) {
  const Entry entry(
      R"(<Prop Name="width"><Item Name="length"/><Item Name="auto"/></Prop>)"
      R"(<Prop Name="color"><Item Name="color"/></Prop>)"
      R"(<Prop Name="image"><Item Name="url"/><Item Name="none"/></Prop>)");
  const struct {
    const char* word;
    ValueClass expected;
  } cases[] = {
      {"-12px", {"width", "length"}},
      {"50%", {"width", "percentage"}},
      {"0", {"width", "length"}},
      {"-5", {"width", "length"}},
      {"12zz", {"width", "length"}},
      {".5em", {}},
      {"+3px", {}},
      {"-", {}},
      {"--1px", {}},
      {"auto", {"width", "auto"}},
      {"Auto", {}},
      {"#fff", {"color", "color"}},
      {"#zzz", {"color", "color"}},
      {"Red", {"color", "color"}},
      {"ThreeDFace", {"color", "color"}},
      {"rouge", {}},
      {"grey", {}},
      {"url(fond.png)", {"image", "url"}},
      {"url", {"image", "url"}},
      {"URL(fond.png)", {}},
      {"none", {"image", "none"}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassifyWord(entry.Element(), c.word), c.expected) << c.word;
}

TEST(ClassifyWord, FirstAcceptingMemberWinsAndSameNamesShareTheirItems) {
  const Entry entry(
      R"(<Prop Name="side"><Item Name="length"/></Prop>)"
      R"(<Prop Name="exact"><Item Name="12px"/><Item Name="auto"/></Prop>)"
      R"(<Prop Name="side"><Item Name="auto"/></Prop>)");
  // "12px" is named outright by the second member, but the first accepts it.
  EXPECT_EQ(ClassifyWord(entry.Element(), "12px"), (ValueClass{"side", "length"}));
  // The first "side" member also tries the items of the later "side".
  EXPECT_EQ(ClassifyWord(entry.Element(), "auto"), (ValueClass{"side", "auto"}));
}

TEST(AssignWord, MembersOfOneNameAreSuccessiveSlots) {
  Entry entry(R"(<Prop Name="width"><Item Name="length"/><Item Name="auto"/></Prop>)"
              R"(<Prop Name="width"><Item Name="length"/><Item Name="auto"/></Prop>)");
  entry.Assign("1px");
  entry.Assign("auto");
  entry.Assign("inherit");  // accepted by no item: dropped
  EXPECT_EQ(entry.ValueAt(0), "1px");
  EXPECT_EQ(entry.TypeAt(0), "length");
  EXPECT_EQ(entry.ValueAt(1), "auto");
  EXPECT_EQ(entry.TypeAt(1), "auto");
  entry.Assign("auto");  // both slots taken and "auto" does not join
  EXPECT_EQ(entry.ValueAt(0), "1px");
  EXPECT_EQ(entry.ValueAt(1), "auto");
}

TEST(AssignWord, JoiningRule) {
  const std::string positionItems =
      R"(<Item Name="length"/><Item Name="percentage"/><Item Name="left"/><Item Name="right"/>)"
      R"(<Item Name="top"/><Item Name="bottom"/><Item Name="center"/><Item Name="fixed"/>)";
  const struct {
    const char* member;
    const char* value;
    const char* first;
    std::optional<std::string> second;
  } cases[] = {
      {"position", "10px 20px", "10px 20px", std::nullopt},
      {"position", "top left", "top left", std::nullopt},
      {"position", "left top", "left top", std::nullopt},
      {"background-position", "left top", "left top", std::nullopt},
      {"position", "center 50%", "center 50%", std::nullopt},
      {"place", "left top", "left", "top"},
      {"place", "top bottom", "top bottom", std::nullopt},
      {"position", "left fixed", "left", "fixed"},
      {"position", "1px 2px 3px", "1px 2px 3px", std::nullopt},
      {"position", "10 20", "10", "20"},
  };
  for (const auto& c : cases) {
    const std::string member = std::string("<Prop Name=\"") + c.member + "\">" + positionItems + "</Prop>";
    Entry entry(member + member);
    for (const std::string& word : SplitWords(c.value, ' ')) entry.Assign(word);
    EXPECT_EQ(entry.ValueAt(0), c.first) << c.member << ": " << c.value;
    EXPECT_EQ(entry.ValueAt(1), c.second) << c.member << ": " << c.value;
  }
}

TEST(AssignWord, FamilyNamesOfSeveralWordsStayTogether) {
  Entry entry(R"(<Prop Name="font-family"><Item Name="serif"/></Prop>)");
  for (const char* word : {"'Times", "New", "Roman',", "serif"})
    AssignWord(entry.Element(), ValueClass{"font-family", "font-family"}, word);
  EXPECT_EQ(entry.ValueAt(0), "'Times New Roman', serif");
  EXPECT_EQ(entry.TypeAt(0), "font-family") << "the first word's type stays";
}

TEST(AssignWord, DropsWordsWithoutAMember) {
  Entry entry(R"(<Prop Name="width"><Item Name="length"/></Prop>)");
  AssignWord(entry.Element(), ValueClass{}, "solid");
  AssignWord(entry.Element(), ValueClass{"height", "length"}, "1px");
  EXPECT_EQ(entry.ValueAt(0), std::nullopt);
  // An empty type still fills the member: the word was placed by position.
  AssignWord(entry.Element(), ValueClass{"width", ""}, "thin");
  EXPECT_EQ(entry.ValueAt(0), "thin");
  EXPECT_EQ(entry.TypeAt(0), "");
}

TEST(IsNumberLike, Cases) {
  const struct {
    const char* text;
    bool expected;
  } cases[] = {
      {"0", true},    {"50%", true}, {"12px", true},  {"12PX", true}, {"1.5em", true}, {"-3mm", true},
      {"2pc", true},  {"%", true},   {"a%", true},    {"..px", true}, {"10", false},   {"100", false},
      {"auto", false}, {"px", false}, {"", false},     {"em2", false}, {"1px", true},   {"00", false},
      {"1rem", true}, {"-px", true},
      // The units of current CSS, one and four letters long among them.
      {"3q", true},   {"3Q", true},  {"1vh", true},   {"2ch", true},  {"1.2lh", true},  {"10vmin", true},
      {"5vmax", true}, {"100svh", true}, {"100dvh", true}, {"50cqw", true}, {"1rlh", true}, {"q", false},
      {"vmin", false}, {"1fr", false}, {"1s", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsNumberLike(c.text), c.expected) << '"' << c.text << '"';
}

TEST(LengthUnitOf, TheLongestUnitTheTextEndsWith) {
  const struct {
    const char* text;
    const char* unit;
  } cases[] = {
      {"12px", "px"}, {"1.5EM", "em"}, {"1vmin", "vmin"}, {"2rem", "rem"}, {"3q", "q"},  {"4cqmax", "cqmax"},
      {"1in", "in"},  {"px", ""},      {"12", ""},        {"", ""},        {"50%", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(LengthUnitOf(c.text), c.unit) << '"' << c.text << '"';
}

TEST(UrlArgument, Cases) {
  const struct {
    const char* value;
    const char* address;
  } cases[] = {
      {"url('images/fond.png') no-repeat", "images/fond.png"},
      {"url(images/fond.png)", "images/fond.png"},
      {"#fff url(\"a b.png\") top", "a b.png"},
      {"url  (fond.png)", "fond.png"},
      {"url(a.png), url(b.png)", "a.png"},
      {"urlfond.png)", "fond.png"},
      {"none", ""},
      {"fond url", ""},
      {"url(fond.png", ""},
      {"url)fond(", ""},
      {"URL(fond.png)", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlArgument(c.value), c.address) << c.value;
}

}  // namespace
}  // namespace korvel
