#include "files/gfile.h"

#include <gtest/gtest.h>

#include "support/tempfolder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvel {
namespace {

namespace fs = std::filesystem;

struct CompareCase {
  const char* a;
  const char* b;
  const char* base;
  const char* remainderA;
  const char* remainderB;
};

TEST(GFile, CompareKeepsTheCommonFolderAndWhatLiesBelowIt) {
  const CompareCase cases[] = {
      {"/www/proj/index.html", "/www/proj/css/styles.css", "/www/proj/", "index.html", "css/styles.css"},
      {"/www/proj/", "/www/img/a.png", "/www/", "proj/", "img/a.png"},
      {"/www/proj/", "/www/proj/img", "/www/proj/", "", "img"},
      {"/srv/www/", "/srv/www/proj/index.php", "/srv/www/", "", "proj/index.php"},
      {"/a/x.html", "/b/y.css", "/", "a/x.html", "b/y.css"},
      // A path with itself: its folder, and the file name on both sides.
      {"/www/proj/index.html", "/www/proj/index.html", "/www/proj/", "index.html", "index.html"},
      {"/www/proj/", "/www/proj/", "/www/proj/", "", ""},
      {"/", "/", "/", "", ""},
      {"/", "/www/a.css", "/", "", "www/a.css"},
      // Names compare whole and exactly: no shared prefix of a name, no case folding.
      {"/www/pro/a.html", "/www/proj/b.css", "/www/", "pro/a.html", "proj/b.css"},
      {"/WWW/a.html", "/www/b.css", "/", "WWW/a.html", "www/b.css"},
      // Runs of separators count as one, wherever they stand.
      {"//www//proj//index.html", "/www/proj/css//styles.css", "/www/proj/", "index.html", "css/styles.css"},
      {"/www/proj//", "/www/proj/img", "/www/proj/", "", "img"},
      // "." and ".." are resolved before comparing, by the names alone: a remainder never climbs.
      {"/www/x/../proj/index.html", "/www/proj/css/s.css", "/www/proj/", "index.html", "css/s.css"},
      {"/www/proj/./index.html", "/www/proj/css/../styles.css", "/www/proj/", "index.html", "styles.css"},
      {"/www/proj/img/..", "/www/proj/img/a.png", "/www/proj/", "", "img/a.png"},
      {"/www/proj/.", "/www/img/.././proj/b.css", "/www/proj/", "", "b.css"},
      {"/../www/a.css", "/www/../../b.css", "/", "www/a.css", "b.css"},
      {"/www/proj/..a/x.css", "/www/proj/...", "/www/proj/", "..a/x.css", "..."},
      // Names are bytes: blanks and non-ASCII letters are ordinary characters.
      {"/mes sites/été/index.html", "/mes sites/été/css/a b.css", "/mes sites/été/", "index.html", "css/a b.css"},
      {"/mes sites/été/", "/mes sites/ete/", "/mes sites/", "été/", "ete/"},
      // A relative or empty path has no drive: nothing is in common.
      {"www/proj/index.html", "/www/proj/styles.css", "", "www/proj/index.html", "/www/proj/styles.css"},
      {"/www/proj/index.html", "styles.css", "", "/www/proj/index.html", "styles.css"},
      {"www/proj/a.html", "www/proj/b.css", "", "www/proj/a.html", "www/proj/b.css"},
      {"", "/www/a.css", "", "", "/www/a.css"},
      {"", "", "", "", ""},
  };
  GFile file;
  for (const CompareCase& c : cases) {
    // An earlier comparison of long absolute paths must leave nothing behind.
    file.Compare("/x/y/z/w/a.html", "/x/y/z/w/b.css");
    file.Compare(c.a, c.b);
    const std::string label = std::string("Compare(\"") + c.a + "\", \"" + c.b + "\")";
    EXPECT_EQ(file.CommonBase(), c.base) << label;
    EXPECT_EQ(file.RemainderOf(0), c.remainderA) << label;
    EXPECT_EQ(file.RemainderOf(1), c.remainderB) << label;
  }
}

TEST(GFile, SplitPathTakesTheRootAsDriveAndTheFoldersBeforeTheFileName) {
  const struct {
    const char* path;
    bool absolute;
    std::vector<std::string> dirs;
  } cases[] = {
      {"/www/proj/index.html", true, {"www", "proj"}},
      {"/www/proj/", true, {"www", "proj"}},
      {"/www/proj", true, {"www"}},
      {"/", true, {}},
      {"/index.html", true, {}},
      {"///www//proj///", true, {"www", "proj"}},
      {"/mes sites/été/", true, {"mes sites", "été"}},
      {"/www/old/../proj/./", true, {"www", "proj"}},
      {"/www/proj/..", true, {"www"}},
      {"www/proj/", false, {}},
      {"", false, {}},
  };
  GFile file;
  for (const auto& c : cases) {
    file.SplitPath(1, "/stale/folders/");
    EXPECT_EQ(file.SplitPath(1, c.path), c.absolute) << c.path;
    EXPECT_EQ(file.Record(1).Drive, c.absolute ? "/" : "") << c.path;
    EXPECT_EQ(file.Record(1).Dirs, c.dirs) << c.path;
  }
}

TEST(GFile, LastFolderName) {
  const struct {
    const char* path;
    const char* name;
  } cases[] = {
      {"/www/proj/", "proj"}, {"/www/proj", "www"},     {"/www/proj/index.html", "proj"}, {"/", ""}, {"", ""},
      {"www/proj/", ""},      {"/www//proj//", "proj"}, {"/mes sites/été/", "été"},
      {"/www/x/../proj/index.html", "proj"}, {"/www/proj/.", "proj"}, {"/www/proj/css/..", "proj"},
  };
  for (const auto& c : cases) EXPECT_EQ(GFile::LastFolderName(c.path), c.name) << c.path;
}

TEST(GFile, LastFolderNameLeavesTheLastComparisonAlone) {
  GFile file;
  file.Compare("/www/proj/index.html", "/www/proj/css/styles.css");
  EXPECT_EQ(GFile::LastFolderName("/srv/other/"), "other");
  EXPECT_EQ(file.CommonBase(), "/www/proj/");
  EXPECT_EQ(file.Record(0).Dirs, (std::vector<std::string>{"www", "proj"}));
  EXPECT_EQ(file.RemainderOf(1), "css/styles.css");
}

TEST(GFile, RecordsOtherThanZeroAndOneDoNotExist) {
  GFile file;
  EXPECT_THROW(file.SplitPath(2, "/a/"), std::out_of_range);
  EXPECT_THROW((void)file.RemainderOf(2), std::out_of_range);
  EXPECT_THROW((void)file.Record(2), std::out_of_range);
}

class GFileDeleteFiles : public TempFolderTest {
 protected:
  static void Touch(const fs::path& path) { std::ofstream(path) << "x"; }
  // The names left in a folder, sorted.
  static std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(GFileDeleteFiles, DeletesTheFilesAndLeavesSubFoldersWhole) {
  for (const char* folderText : {"", "/"}) {
    const fs::path folder = root_ / "ImageTemp";
    fs::create_directories(folder / "sub");
    Touch(folder / "a.png");
    Touch(folder / "b c.gif");
    Touch(folder / ".hidden");
    Touch(folder / "sub" / "kept.png");
    Touch(root_ / "outside.png");
    fs::create_symlink(root_ / "outside.png", folder / "link.png");
    fs::create_symlink(root_ / "missing.png", folder / "dangling.png");
    fs::create_directory_symlink(root_, folder / "linked folder");

    GFile::DeleteFiles(folder.string() + folderText);

    EXPECT_EQ(Names(folder), (std::vector<std::string>{"linked folder", "sub"}))
        << "folder text ends with \"" << folderText << '"';
    EXPECT_EQ(Names(folder / "sub"), std::vector<std::string>{"kept.png"});
    EXPECT_TRUE(fs::exists(root_ / "outside.png")) << "a link is removed, never what it points to";
    fs::remove_all(folder);
  }
}

TEST_F(GFileDeleteFiles, AnEmptyOrMissingFolderDeletesNothing) {
  Touch(root_ / "kept.png");
  const fs::path before = fs::current_path();
  fs::current_path(root_);
  GFile::DeleteFiles("");
  fs::current_path(before);
  EXPECT_EQ(Names(root_), std::vector<std::string>{"kept.png"}) << "the empty text is not the current folder";

  EXPECT_NO_THROW(GFile::DeleteFiles((root_ / "none").string()));
  EXPECT_NO_THROW(GFile::DeleteFiles((root_ / "kept.png").string()));
  EXPECT_TRUE(fs::exists(root_ / "kept.png"));
}

}  // namespace
}  // namespace korvel
