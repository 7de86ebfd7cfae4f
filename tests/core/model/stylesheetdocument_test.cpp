#include "model/stylesheetdocument.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/tempfolder.h"
#include "model/cssparser.h"
#include "model/csswriter.h"
#include "model/filebytes.h"

namespace korvel {
namespace {

// What a reader can do to an element it was handed.
template <typename Element>
concept Writable = requires(Element element) {
  element.SetAttr(attrs::kValue, std::string_view("red"));
  element.AppendChild(tags::kProp);
};

// A const document hands out elements that cannot be changed: the only
// way to change the rules is the document's Apply.
static_assert(!Writable<decltype(std::declval<const StyleDocument&>().FindRule("h1"))>);
static_assert(!Writable<decltype(std::declval<const StyleDocument&>().Root())>);
static_assert(!Writable<decltype(std::declval<const StyleDocument&>().Root().ChildAt(0).Parent())>);
static_assert(!Writable<decltype(*std::declval<const StyleDocument&>().Root().Elements().begin())>);
static_assert(!Writable<decltype(FindProp(std::declval<const StyleDocument&>().FindRule("h1"), "color"))>);
static_assert(!Writable<decltype(std::declval<const StyleDocument&>().Xml()->RootElement())>);
static_assert(!Writable<decltype(std::declval<StyleSheetDocument&>().Styles().FindRule("h1"))>);
static_assert(!Writable<decltype(std::declval<StyleSheetDocument&>().Undo())>);
// The reader that fills a document still can.
static_assert(Writable<decltype(std::declval<StyleDocument&>().FindRule("h1"))>);

// In the writer's own layout, so that a save of what was read gives the
// same bytes.
const std::string kStylesheet =
    "h1\n{\n color: navy;\n font-size: 2em;\n}\n\np\n{\n line-height: 1.5;\n}\n\n";

class StyleSheetDocumentTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    path_ = (root_ / "styles.css").string();
    WriteFile(kStylesheet);
    document_.OnModifiedChanged([this](bool modified) { modifiedSaid_.push_back(modified); });
    document_.Load(path_);
  }
  void WriteFile(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }
  [[nodiscard]] std::string FileText() const { return ReadFileBytes(path_); }
  ConstXmlElement Rule(std::string_view name) const { return document_.Styles().FindRule(name); }
  [[nodiscard]] std::string ValueOf(std::string_view rule, std::string_view prop) const {
    return FindProp(Rule(rule), prop).GetAttr(attrs::kValue).AsText();
  }
  bool SetValue(std::string_view prop, std::string value, int session = 0) {
    return document_.Apply(Rule("h1"), {{std::string(prop), std::move(value), {}, {}}}, std::string(prop), session);
  }

  std::string path_;
  StyleSheetDocument document_;
  std::vector<bool> modifiedSaid_;
};

TEST_F(StyleSheetDocumentTest, LoadKeepsTheFileItReadAndAFailedLoadChangesNothing) {
  EXPECT_EQ(document_.Path(), path_);
  EXPECT_EQ(document_.Encoding(), TextEncoding::Utf8);
  EXPECT_EQ(document_.LineEnds(), StyleDocument::LineEnd::Lf);
  EXPECT_FALSE(document_.IsModified());
  ASSERT_TRUE(SetValue("color", "red"));

  EXPECT_THROW(document_.Load((root_ / "missing.css").string()), FileError);
  EXPECT_EQ(document_.Path(), path_);
  EXPECT_EQ(ValueOf("h1", "color"), "red");
  EXPECT_TRUE(document_.CanUndo());

  // A reload is a new start: what was made before cannot be taken back.
  WriteFile("h1 { color: gr\xe9y }\n");
  document_.Reload();
  EXPECT_EQ(document_.Encoding(), TextEncoding::Windows1252);
  EXPECT_EQ(document_.LineEnds(), StyleDocument::LineEnd::Lf);
  EXPECT_FALSE(document_.IsModified());
  EXPECT_FALSE(document_.CanUndo());
  EXPECT_EQ(ValueOf("h1", "color"), "gr\xe9y");
  EXPECT_EQ(modifiedSaid_, (std::vector<bool>{true, false}));
}

// Each letter is one action: a value set ("a": color takes the next of
// red, green, blue...), an arrow step of one editor session ("m": font-size
// takes 3em, 4em...; "M": back to 2em, as Escape does), an undo ("u"), a
// redo ("r") or a save ("s").
struct HistoryCase {
  const char* actions;
  bool modified;
  bool canUndo;
  bool canRedo;
  const char* color;
  const char* fontSize;
};

class HistoryTest : public StyleSheetDocumentTest, public ::testing::WithParamInterface<HistoryCase> {};

TEST_P(HistoryTest, ModifiedFollowsThePlaceOfTheLastSave) {
  const HistoryCase& c = GetParam();
  const char* const colors[] = {"red", "green", "blue", "gray"};
  int color = 0;
  int size = 3;
  for (const char* action = c.actions; *action != '\0'; ++action) {
    switch (*action) {
      case 'a': ASSERT_TRUE(SetValue("color", colors[color++])); break;
      case 'm': ASSERT_TRUE(SetValue("font-size", std::to_string(size++) + "em", 7)); break;
      case 'M': ASSERT_TRUE(SetValue("font-size", "2em", 7)); break;
      case 'u': ASSERT_TRUE(document_.Undo()); break;
      case 'r': ASSERT_TRUE(document_.Redo()); break;
      case 's': document_.Save(); break;
    }
  }
  EXPECT_EQ(document_.IsModified(), c.modified);
  EXPECT_EQ(document_.CanUndo(), c.canUndo);
  EXPECT_EQ(document_.CanRedo(), c.canRedo);
  EXPECT_EQ(ValueOf("h1", "color"), c.color);
  EXPECT_EQ(ValueOf("h1", "font-size"), c.fontSize);
  // The callbacks were told every change, the last one the state now.
  EXPECT_EQ(modifiedSaid_.empty() ? false : modifiedSaid_.back(), c.modified);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, HistoryTest,
    ::testing::Values(HistoryCase{"a", true, true, false, "red", "2em"},
                      HistoryCase{"au", false, false, true, "navy", "2em"},
                      HistoryCase{"aur", true, true, false, "red", "2em"},
                      HistoryCase{"as", false, true, false, "red", "2em"},
                      // undone past the save, and back to it
                      HistoryCase{"asu", true, false, true, "navy", "2em"},
                      HistoryCase{"asur", false, true, false, "red", "2em"},
                      HistoryCase{"asaau", true, true, true, "green", "2em"},
                      // a new step drops what could be redone
                      HistoryCase{"aaua", true, true, false, "blue", "2em"},
                      HistoryCase{"asua", true, true, false, "green", "2em"},
                      // the steps of one editor session are one step
                      HistoryCase{"ammmu", true, true, true, "red", "2em"},
                      HistoryCase{"ammmur", true, true, false, "red", "5em"},
                      HistoryCase{"mmu", false, false, true, "navy", "2em"},
                      // a session step after a save changes what was saved
                      HistoryCase{"mmsm", true, true, false, "navy", "5em"},
                      // an undo ends the session: the next step is a step of its own
                      HistoryCase{"mumu", false, false, true, "navy", "2em"},
                      // another step between ends it too
                      HistoryCase{"mamu", true, true, true, "red", "3em"},
                      // a session back where it started leaves no step
                      HistoryCase{"amM", true, true, false, "red", "2em"},
                      HistoryCase{"amMu", false, false, true, "navy", "2em"},
                      HistoryCase{"msM", true, false, false, "navy", "2em"}));

TEST_F(StyleSheetDocumentTest, UndoneToTheStartItSavesTheBytesItReadAndRedoneTheEditedOnes) {
  const ConstXmlElement h1 = Rule("h1");
  ASSERT_TRUE(document_.Apply(h1, {{"color", "red", {}, {}}}, "value"));
  ASSERT_TRUE(document_.Apply(h1, {{"color", {}, false, {}}}, "off"));
  ASSERT_TRUE(document_.Apply(h1, {{"font-size", {}, {}, true}}, "delete"));
  ASSERT_TRUE(document_.Apply(h1, {{"margin", "0", {}, {}}}, "add"));
  ASSERT_TRUE(document_.Apply(Rule("p"), {{"line-height", "2", {}, {}}, {"padding", "1px", {}, {}}}, "popup"));
  const std::string edited = document_.Save();
  EXPECT_EQ(edited,
            "h1\n{\n /*color: red; */\n margin: 0;\n}\n\np\n{\n line-height: 2;\n padding: 1px;\n}\n\n");
  EXPECT_EQ(FileText(), edited);

  std::vector<std::string> rulesUndone;
  while (document_.CanUndo()) rulesUndone.push_back(document_.Undo().GetAttr(attrs::kName).AsText());
  EXPECT_EQ(rulesUndone, (std::vector<std::string>{"p", "h1", "h1", "h1", "h1"}));
  EXPECT_TRUE(document_.IsModified());
  EXPECT_EQ(document_.Save(), kStylesheet);
  EXPECT_EQ(FileText(), kStylesheet);

  while (document_.CanRedo()) document_.Redo();
  EXPECT_EQ(document_.Save(), edited);
  // The added property is one element throughout, not a copy per redo.
  EXPECT_EQ(Rule("h1").ChildCount(), 3u);
}

TEST_F(StyleSheetDocumentTest, RevertToSavedGoesBothWaysUntilTheSavedPlaceIsDropped) {
  ASSERT_TRUE(SetValue("color", "red"));
  document_.Save();
  ASSERT_TRUE(SetValue("color", "green"));
  ASSERT_TRUE(document_.RevertToSaved());
  EXPECT_EQ(ValueOf("h1", "color"), "red");
  document_.Undo();
  ASSERT_TRUE(document_.RevertToSaved());
  EXPECT_EQ(ValueOf("h1", "color"), "red");
  EXPECT_FALSE(document_.IsModified());
  document_.Undo();
  ASSERT_TRUE(SetValue("color", "blue"));
  EXPECT_FALSE(document_.RevertToSaved());
  EXPECT_TRUE(document_.IsModified());
}

TEST_F(StyleSheetDocumentTest, ApplyChangesOnlyAttributesAndAddsPropertiesAtTheEnd) {
  WriteFile(".card { color: red; color: rgb(255 0 0); margin: 0; .title { font-weight: bold } }\n");
  document_.Load(path_);
  const ConstXmlElement card = Rule(".card");
  // Nothing to change is no step.
  EXPECT_FALSE(document_.Apply(card, {{"margin", "0", true, false}}, "same"));
  EXPECT_FALSE(document_.CanUndo());
  EXPECT_FALSE(document_.Apply(ConstXmlElement(), {{"margin", "1px", {}, {}}}, "no rule"));

  ASSERT_TRUE(document_.Apply(card, {{"color", "blue", false, {}}, {"margin", {}, {}, true}, {"padding", "4px", {}, {}}},
                              "popup"));
  const std::string css = Write(document_.Styles());
  EXPECT_EQ(css.find("margin"), std::string::npos) << css;
  EXPECT_NE(css.find("/*color: red; color: blue; */"), std::string::npos) << css;
  EXPECT_NE(css.find(" .title\n {\n  font-weight: bold;\n }\n padding: 4px;"), std::string::npos) << css;
  const ConstXmlElement padding = card.ChildAt(card.ChildCount() - 1);
  EXPECT_EQ(padding.GetAttr(attrs::kName), "padding");
  EXPECT_TRUE(padding.GetAttr(attrs::kChecked).IsTrue());
  EXPECT_FALSE(padding.HasAttr(attrs::kDeleted));
  // The kept declaration of color is still its fallback.
  ASSERT_EQ(FindProp(card, "color").ChildCount(), 1u);
  EXPECT_EQ(FindProp(card, "color").ChildAt(0).GetAttr(attrs::kValue), "red");

  // A deleted property added again comes back with its new value.
  ASSERT_TRUE(document_.Apply(card, {{"margin", "2px", true, false}}, "again"));
  EXPECT_NE(Write(document_.Styles()).find("margin: 2px;"), std::string::npos);
  document_.Undo();
  document_.Undo();
  EXPECT_EQ(Write(document_.Styles()), Write(ReadStylesheet(FileText())));
}

TEST_F(StyleSheetDocumentTest, ReadOnlyFileIsReplacedOnlyOnceAgreed) {
  ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
  ASSERT_TRUE(SetValue("color", "red"));
  EXPECT_THROW(document_.Save(), ReadOnlyFileError);
  EXPECT_TRUE(document_.IsModified());
  EXPECT_EQ(FileText(), kStylesheet);
  document_.AgreeToReplaceReadOnly();
  document_.Save();
  EXPECT_FALSE(document_.IsModified());
  EXPECT_NE(FileText().find("color: red;"), std::string::npos);
}

}  // namespace
}  // namespace korvel
