#include "settings/gxmlini.h"

#include <gtest/gtest.h>

#include "support/tempfolder.h"

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "model/filebytes.h"
#include "model/xmldocument.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

// A window or pane that records how the settings file places it.
class FakeControl final : public SettingsControl {
 public:
  explicit FakeControl(std::string name, int left = 0, int top = 0, int width = 0, int height = 0)
      : name_(std::move(name)), left_(left), top_(top), width_(width), height_(height) {}

  [[nodiscard]] std::string Name() const override { return name_; }
  [[nodiscard]] int Left() const override { return left_; }
  [[nodiscard]] int Top() const override { return top_; }
  [[nodiscard]] int Width() const override { return width_; }
  [[nodiscard]] int Height() const override { return height_; }

  void SetBounds(int left, int top, int width, int height) override {
    calls.push_back("SetBounds " + std::to_string(left) + " " + std::to_string(top) + " " + std::to_string(width) +
                    " " + std::to_string(height));
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
  }
  void SetWidth(int width) override {
    calls.push_back("SetWidth " + std::to_string(width));
    width_ = width;
  }
  void SetHeight(int height) override {
    calls.push_back("SetHeight " + std::to_string(height));
    height_ = height;
  }

  std::vector<std::string> calls;

 private:
  std::string name_;
  int left_, top_, width_, height_;
};

using Calls = std::vector<std::string>;

// A control of that name restored from the open file gets exactly these calls.
struct Restore {
  std::string_view kind;
  const char* name;
  Calls calls;
};

void ExpectRestored(const GXMLIni& ini, const std::vector<Restore>& cases) {
  for (const Restore& c : cases) {
    FakeControl control(c.name);
    EXPECT_EQ(ini.ReadValue(c.kind, &control), "") << "geometry reads return no text";
    EXPECT_EQ(control.calls, c.calls) << c.kind << " " << c.name;
  }
}

class XMLIniFiles : public TempFolderTest {
 protected:

  // A copy of a fixture, named as a project's settings file is.
  std::string CopyOfFixture(const std::string& fixture, const std::string& project = "proj") {
    fs::create_directories(root_ / project);
    const fs::path copy = root_ / project / (project + ".xml");
    fs::copy_file(fs::path(KORVEL_FIXTURES) / "settings" / fixture, copy);
    return copy.string();
  }
  std::string PathIn(const std::string& project) {
    fs::create_directories(root_ / project);
    return (root_ / project / (project + ".xml")).string();
  }
  // The entries of the file as it is on disk.
  static std::vector<XmlElement> EntriesOnDisk(const std::string& path, XmlDocumentPtr& keep) {
    keep = LoadXmlFile(path);
    std::vector<XmlElement> entries;
    for (XmlElement entry : keep->RootElement().Elements()) entries.push_back(entry);
    return entries;
  }

};

TEST_F(XMLIniFiles, OpenCreatesAMissingFileWithAnEmptyDocument) {
  const std::string path = PathIn("proj");
  GXMLIni ini;
  EXPECT_FALSE(ini.IsOpen());
  EXPECT_EQ(ini.FileName(), "");

  ini.Open(path);
  EXPECT_TRUE(ini.IsOpen());
  EXPECT_EQ(ini.FileName(), path);
  EXPECT_EQ(ini.ReadValue(settingkind::kCSSFilePath), "");
  XmlDocumentPtr onDisk = LoadXmlFile(path);
  EXPECT_EQ(onDisk->RootElement().TagOf(), "Document");
  EXPECT_EQ(onDisk->RootElement().ChildCount(), 0u);
}

TEST_F(XMLIniFiles, TextSettingsAreStoredAsTheFileFormatSaysAndReadBack) {
  const struct {
    std::string_view kind;
    const char* value;
    const char* child;
  } cases[] = {
      {settingkind::kHTMLFilePath, "/www/mes sites/été/index.html", "Path"},
      {settingkind::kCSSFilePath, "/www/proj/a&b <c>.css", "Path"},
      {settingkind::kImagesFolder, "/www/proj/Images", "Path"},
      {settingkind::kLocalServerProjPath, "", "Path"},
      {settingkind::kProjectFolderPath, "/www/proj/", "Path"},
      {settingkind::kLocalServer, "true", "Value"},
  };
  const std::string path = PathIn("proj");
  GXMLIni ini;
  ini.Open(path);
  FakeControl button("sbImages");
  for (const auto& c : cases) ini.WriteValue(&button, c.kind, c.value);
  ini.WriteValue(&button, settingkind::kButtonDirPath, "/www/proj/Images/");

  GXMLIni again;
  again.Open(path);
  for (const auto& c : cases) EXPECT_EQ(again.ReadValue(c.kind), c.value) << c.kind;
  FakeControl otherButton("sbOther");
  EXPECT_EQ(again.ReadValue(settingkind::kButtonDirPath, &button), "/www/proj/Images/");
  EXPECT_EQ(again.ReadValue(settingkind::kButtonDirPath, &otherButton), "");

  XmlDocumentPtr keep;
  const std::vector<XmlElement> entries = EntriesOnDisk(path, keep);
  ASSERT_EQ(entries.size(), std::size(cases) + 1);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(entries[i].TagOf(), "Object");
    EXPECT_TRUE(entries[i].GetAttr("Type") == cases[i].kind);
    EXPECT_FALSE(entries[i].HasAttr("Name")) << cases[i].kind << " is not tied to a control";
    EXPECT_EQ(entries[i].ChildCount(), 1u);
    EXPECT_EQ(entries[i].ChildAt(0).TagOf(), cases[i].child);
    EXPECT_EQ(entries[i].ChildAt(0).TextOf(), cases[i].value);
  }
  EXPECT_TRUE(entries.back().GetAttr("Name") == "sbImages");
  EXPECT_EQ(entries.back().ChildAt(0).TagOf(), "Path");
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(root_ / "proj")) ++files;
  EXPECT_EQ(files, 1u) << "a safe write leaves no new file behind";
}

TEST_F(XMLIniFiles, GeometryIsStoredInItsOrderAndRestored) {
  const std::string path = PathIn("proj");
  GXMLIni ini;
  ini.Open(path);
  FakeControl form("MainForm", 100, 100, 700, 500);
  ini.WriteValue(&form, settingkind::kForm, "ignored");
  form.SetBounds(-8, -4, 1024, 768);
  ini.WriteValue(&form, settingkind::kForm);
  FakeControl otherForm("OtherForm", 1, 2, 3, 4);
  ini.WriteValue(&otherForm, settingkind::kForm);
  FakeControl panel("TVInPanel", 5, 6, 250, 400);
  ini.WriteValue(&panel, settingkind::kPanel);
  FakeControl pages("PgCtlCSS", 0, 0, 180, 390);
  ini.WriteValue(&pages, settingkind::kPageControl);
  FakeControl memo("Notes", 7, 8, 9, 10);
  ini.WriteValue(&memo, settingkind::kMemo);

  XmlDocumentPtr keep;
  const std::vector<XmlElement> entries = EntriesOnDisk(path, keep);
  ASSERT_EQ(entries.size(), 5u) << "the same window written twice keeps one entry";
  const auto childrenOf = [](XmlElement entry) {
    std::string text;
    for (XmlElement child : entry.Elements())
      text += std::string(child.TagOf()) + "=" + std::string(child.TextOf()) + " ";
    return text;
  };
  EXPECT_TRUE(entries[0].GetAttr("Name") == "MainForm");
  EXPECT_EQ(childrenOf(entries[0]), "Left=-8 Top=-4 Width=1024 Height=768 ");
  EXPECT_EQ(childrenOf(entries[2]), "Width=250 Height=400 ");
  EXPECT_TRUE(entries[3].GetAttr("Type") == "PageControl");
  EXPECT_EQ(childrenOf(entries[4]), "Left=7 Top=8 Width=9 Height=10 ");

  GXMLIni again;
  again.Open(path);
  ExpectRestored(again, {
                            {settingkind::kForm, "MainForm", {"SetBounds -8 -4 1024 768"}},
                            {settingkind::kForm, "OtherForm", {"SetBounds 1 2 3 4"}},
                            {settingkind::kPanel, "TVInPanel", {"SetWidth 250", "SetHeight 400"}},
                            {settingkind::kPageControl, "PgCtlCSS", {"SetWidth 180", "SetHeight 390"}},
                            {settingkind::kMemo, "Notes", {"SetBounds 7 8 9 10"}},
                            {settingkind::kPanel, "SGInPanel", {}},
                            {settingkind::kPanel, "MainForm", {}},
                        });
}

TEST_F(XMLIniFiles, EveryMatchingEntryIsReadInTurnSoTheLastWins) {
  GXMLIni ini;
  ini.Open(CopyOfFixture("several.xml"));
  EXPECT_EQ(ini.ReadValue(settingkind::kCSSFilePath), "/www/mes sites/été/styles.css");
  EXPECT_EQ(ini.ReadValue(settingkind::kHTMLFilePath), "/www/proj/index.html") << "any tag is an entry";
  EXPECT_EQ(ini.ReadValue(settingkind::kLocalServer), "true") << "a Name where none belongs is not looked at";
  EXPECT_EQ(ini.ReadValue(settingkind::kImagesFolder), "");
  EXPECT_EQ(ini.ReadValue("cssfilepath"), "") << "kinds compare exactly";

  ExpectRestored(ini, {
                          {settingkind::kForm, "MainForm", {"SetBounds 10 20 300 200", "SetBounds -8 -4 700 500"}},
                          {settingkind::kForm, "OtherForm", {"SetBounds 1 2 3 4"}},
                          {settingkind::kForm, "mainform", {}},
                          {settingkind::kPanel, "TVInPanel", {"SetWidth 250", "SetHeight 400"}},
                      });
}

TEST_F(XMLIniFiles, AWriteReachesEveryEntryThatAReadApplies) {
  const std::string path = CopyOfFixture("several.xml");
  GXMLIni ini;
  ini.Open(path);
  ini.WriteValue(nullptr, settingkind::kCSSFilePath, "/www/new/styles.css");
  FakeControl form("MainForm", 50, 60, 800, 600);
  ini.WriteValue(&form, settingkind::kForm);

  GXMLIni again;
  again.Open(path);
  EXPECT_EQ(again.ReadValue(settingkind::kCSSFilePath), "/www/new/styles.css");
  FakeControl restored("MainForm");
  again.ReadValue(settingkind::kForm, &restored);
  EXPECT_EQ(restored.calls, (Calls{"SetBounds 50 60 800 600", "SetBounds 50 60 800 600"}));

  XmlDocumentPtr keep;
  const std::vector<XmlElement> entries = EntriesOnDisk(path, keep);
  ASSERT_EQ(entries.size(), 9u) << "nothing added, nothing removed";
  EXPECT_EQ(entries[0].FindChild("Path").TextOf(), "/www/new/styles.css");
  EXPECT_EQ(entries[4].FindChild("Path").TextOf(), "/wrong/case.css");
  EXPECT_EQ(entries[2].TagOf(), "Setting");
  EXPECT_EQ(entries[5].FindChild("Left").TextOf(), "50");
}

TEST_F(XMLIniFiles, AHandEditedFileKeepsItsCommentsAndLayout) {
  const std::string handEdited =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
      "<!-- Réglages du site de démonstration -->\r\n"
      "<Document>\r\n"
      "\t<!-- la fenêtre -->\r\n"
      "\t<Object Type=\"Form\" Name=\"MainForm\">\r\n"
      "\t\t<Left> 120 </Left>\r\n"
      "\t\t<Top>\r\n\t\t\t80\r\n\t\t</Top>\r\n"
      "\t\t<Width>\t700</Width> <Height>500 </Height>\r\n"
      "\t</Object>\r\n"
      "\r\n"
      "\t<Object Type=\"CSSFilePath\"><Path>/www/old.css</Path></Object> <!-- à changer -->\r\n"
      "</Document>\r\n"
      "<!-- fin -->\r\n";
  const std::string path = PathIn("proj");
  WriteFileAtomically(path, handEdited);
  GXMLIni ini;
  ini.Open(path);
  FakeControl form("MainForm");
  ini.ReadValue(settingkind::kForm, &form);
  EXPECT_EQ(form.calls, Calls{"SetBounds 120 80 700 500"}) << "blanks around numbers are read";

  ini.WriteValue(nullptr, settingkind::kCSSFilePath, "/www/new.css");
  std::string expected = handEdited;
  expected.replace(expected.find("/www/old.css"), 12, "/www/new.css");
  EXPECT_EQ(ReadFileBytes(path), expected) << "only the value changes";

  ini.WriteValue(nullptr, settingkind::kImagesFolder, "/www/Images");
  const std::string added = "\t<Object Type=\"ImagesFolder\">\r\n\t  <Path>/www/Images</Path>\r\n\t</Object>";
  expected.insert(expected.rfind("\r\n</Document>"), "\r\n" + added);
  EXPECT_EQ(ReadFileBytes(path), expected) << "a new entry on a line of its own, indented as the others";
}

TEST_F(XMLIniFiles, ANewFileIsLaidOutOneValuePerLine) {
  const std::string path = PathIn("proj");
  GXMLIni ini;
  ini.Open(path);
  ini.WriteValue(nullptr, settingkind::kLocalServer, "false");
  FakeControl panel("TVInPanel", 0, 0, 250, 400);
  ini.WriteValue(&panel, settingkind::kPanel);
  const std::string text = ReadFileBytes(path);
  EXPECT_NE(text.find("<Document>\n"
                      "  <Object Type=\"LocalServer\">\n    <Value>false</Value>\n  </Object>\n"
                      "  <Object Type=\"Panel\" Name=\"TVInPanel\">\n    <Width>250</Width>\n"
                      "    <Height>400</Height>\n  </Object>\n"
                      "</Document>"),
            std::string::npos)
      << text;
}

TEST_F(XMLIniFiles, ABadNumberFailsTheReadAndKeepsWhatWasAlreadyApplied) {
  const std::string path = CopyOfFixture("badnumbers.xml");
  const std::string bytes = ReadFileBytes(path);
  GXMLIni ini;
  ini.Open(path);
  const struct {
    std::string_view kind;
    const char* name;
    Calls applied;
    const char* named;
  } cases[] = {
      {settingkind::kForm, "MainForm", {"SetBounds 10 20 300 200"}, "Height"},
      {settingkind::kPanel, "TVInPanel", {}, "12px"},
      {settingkind::kPageControl, "PgCtlCSS", {}, "99999999999"},
      {settingkind::kMemo, "Notes", {}, "Left"},
  };
  for (const auto& c : cases) {
    FakeControl control(c.name);
    try {
      ini.ReadValue(c.kind, &control);
      ADD_FAILURE() << c.kind << " " << c.name << " must fail";
    } catch (const XmlError& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find(c.named), std::string::npos) << message;
      EXPECT_NE(message.find(c.name), std::string::npos) << message;
    }
    EXPECT_EQ(control.calls, c.applied) << c.kind << " " << c.name;
  }
  EXPECT_EQ(ReadFileBytes(path), bytes) << "reading never writes";
}

TEST_F(XMLIniFiles, AMalformedFileFailsOpenAndNoLaterWriteTouchesIt) {
  const std::string previous = PathIn("old");
  const std::string malformed = CopyOfFixture("malformed.xml");
  const std::string malformedBytes = ReadFileBytes(malformed);
  GXMLIni ini;
  ini.Open(previous);
  ini.WriteValue(nullptr, settingkind::kCSSFilePath, "/www/old/styles.css");
  const std::string previousBytes = ReadFileBytes(previous);

  try {
    ini.Open(malformed);
    FAIL() << "a malformed settings file must fail Open";
  } catch (const XmlError& error) {
    EXPECT_NE(std::string(error.what()).find(malformed), std::string::npos) << error.what();
  }
  EXPECT_FALSE(ini.IsOpen());
  EXPECT_EQ(ini.FileName(), "");

  FakeControl form("MainForm", 1, 2, 3, 4);
  EXPECT_NO_THROW(ini.WriteValue(&form, settingkind::kForm));
  EXPECT_NO_THROW(ini.WriteValue(nullptr, settingkind::kCSSFilePath, "/www/proj/styles.css"));
  EXPECT_EQ(ini.ReadValue(settingkind::kCSSFilePath), "");
  EXPECT_EQ(ReadFileBytes(malformed), malformedBytes);
  EXPECT_EQ(ReadFileBytes(previous), previousBytes);
}

// A settings file written by another tool may declare another encoding; it
// is read in it, and written back in UTF-8 with a declaration that says so.
TEST_F(XMLIniFiles, AFileIsReadInTheEncodingItDeclares) {
  const struct {
    const char* encoding;
    std::string stored;  // "/www/café/€.css" in that encoding
  } cases[] = {{"ISO-8859-1", "/www/caf\xE9/styles.css"},
               {"windows-1252", "/www/caf\xE9/\x80.css"},
               {"UTF-8", "/www/café/styles.css"}};
  const std::string expected[] = {"/www/café/styles.css", "/www/café/€.css", "/www/café/styles.css"};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const std::string path = PathIn("proj" + std::to_string(i));
    WriteFileAtomically(path, std::string("<?xml version=\"1.0\" encoding=\"") + cases[i].encoding +
                                  "\"?>\n<Document><Object Type=\"CSSFilePath\"><Path>" + cases[i].stored +
                                  "</Path></Object></Document>\n");
    GXMLIni ini;
    ini.Open(path);
    EXPECT_EQ(ini.ReadValue(settingkind::kCSSFilePath), expected[i]) << cases[i].encoding;
    ini.WriteValue(nullptr, settingkind::kHTMLFilePath, "/www/café/index.html");
    GXMLIni again;
    again.Open(path);
    EXPECT_EQ(again.ReadValue(settingkind::kCSSFilePath), expected[i]) << cases[i].encoding;
    EXPECT_NE(ReadFileBytes(path).find("encoding=\"UTF-8\""), std::string::npos) << ReadFileBytes(path);
  }
}

// Every refusal is French to the end and names the file.
TEST_F(XMLIniFiles, AnUnreadableFileIsSaidInFrench) {
  const struct {
    std::string bytes;
    std::string said;
  } cases[] = {
      {std::string("\xFF\xFE<\0D\0/\0>\0", 8), "encodage UTF-16 non pris en charge"},
      {"<?xml version=\"1.0\" encoding=\"KOI8-R\"?><Document/>", "encodage « koi8-r » non pris en charge"},
      {"<Document><Object></Document>", "balise fermante sans balise ouvrante correspondante (octet "},
      {"<Document", "balise ouvrante mal formée"},
  };
  for (const auto& c : cases) {
    const std::string path = PathIn("proj");
    WriteFileAtomically(path, c.bytes);
    GXMLIni ini;
    try {
      ini.Open(path);
      ADD_FAILURE() << c.said;
    } catch (const XmlError& error) {
      const std::string what = error.what();
      EXPECT_NE(what.find(c.said), std::string::npos) << what;
      EXPECT_NE(what.find(path), std::string::npos) << what;
    }
  }
}

TEST_F(XMLIniFiles, OpenTurnsReadsAndWritesToTheNewFile) {
  const std::string first = PathIn("first");
  const std::string second = PathIn("second");
  GXMLIni ini;
  ini.Open(first);
  ini.WriteValue(nullptr, settingkind::kCSSFilePath, "/www/first/a.css");
  ini.Open(second);
  EXPECT_EQ(ini.ReadValue(settingkind::kCSSFilePath), "");
  ini.WriteValue(nullptr, settingkind::kCSSFilePath, "/www/second/b.css");

  GXMLIni check;
  check.Open(first);
  EXPECT_EQ(check.ReadValue(settingkind::kCSSFilePath), "/www/first/a.css");
  check.Open(second);
  EXPECT_EQ(check.ReadValue(settingkind::kCSSFilePath), "/www/second/b.css");
}

TEST_F(XMLIniFiles, NothingIsWrittenBeforeOpenOrWhileTerminating) {
  GXMLIni ini;
  FakeControl form("MainForm", 1, 2, 3, 4);
  EXPECT_NO_THROW(ini.WriteValue(&form, settingkind::kForm));
  EXPECT_EQ(ini.ReadValue(settingkind::kForm, &form), "");
  EXPECT_TRUE(form.calls.empty());

  const std::string path = PathIn("proj");
  ini.Open(path);
  const std::string bytes = ReadFileBytes(path);
  ini.SetTerminating(true);
  ini.WriteValue(&form, settingkind::kForm);
  ini.WriteValue(nullptr, settingkind::kCSSFilePath, "/www/proj/styles.css");
  EXPECT_EQ(ReadFileBytes(path), bytes);
  EXPECT_EQ(ini.ReadValue(settingkind::kCSSFilePath), "");
}

TEST_F(XMLIniFiles, KindsTiedToAControlNeedOneAndUnknownKindsStoreNothing) {
  const std::string path = PathIn("proj");
  GXMLIni ini;
  ini.Open(path);
  for (std::string_view kind : {settingkind::kForm, settingkind::kPanel, settingkind::kPageControl, settingkind::kMemo,
                                settingkind::kButtonDirPath}) {
    EXPECT_THROW(ini.ReadValue(kind), std::invalid_argument) << kind;
    EXPECT_THROW(ini.WriteValue(nullptr, kind, "x"), std::invalid_argument) << kind;
  }
  FakeControl form("MainForm");
  ini.WriteValue(&form, "Window", "x");
  ini.WriteValue(nullptr, "form", "x");
  EXPECT_EQ(ini.ReadValue("Window", &form), "");
  EXPECT_EQ(LoadXmlFile(path)->RootElement().ChildCount(), 0u);
}

TEST_F(XMLIniFiles, AWriteThatCannotBeSavedIsReported) {
  const std::string path = PathIn("gone");
  GXMLIni ini;
  ini.Open(path);
  fs::remove_all(root_ / "gone");
  EXPECT_THROW(ini.WriteValue(nullptr, settingkind::kCSSFilePath, "/www/a.css"), FileError);
  EXPECT_THROW(ini.Open((root_ / "none" / "none.xml").string()), FileError);
}

}  // namespace
}  // namespace korvel
