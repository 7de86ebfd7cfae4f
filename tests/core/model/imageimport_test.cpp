#include "model/imageimport.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>

#include "support/tempfolder.h"
#include "model/filebytes.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

struct AddressCase {
  const char* name;
  const char* address;
  const char* folder;
  const char* expected;
};

class ResolveAddress : public ::testing::TestWithParam<AddressCase> {};

TEST_P(ResolveAddress, ReadsTheAddressInTheStylesheetFolder) {
  EXPECT_EQ(ResolveImageAddress(GetParam().address, GetParam().folder), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ResolveAddress,
                         ::testing::Values(AddressCase{"beside", "logo.png", "/www/proj/", "/www/proj/logo.png"},
                                           AddressCase{"below", "img/logo.png", "/www/proj", "/www/proj/img/logo.png"},
                                           AddressCase{"climbing", "../img/logo.png", "/www/proj/css/",
                                                       "/www/proj/img/logo.png"},
                                           AddressCase{"blanksAround", "  img/a.png ", "/p/", "/p/img/a.png"},
                                           AddressCase{"escapedSpace", "my%20pic.png", "/p/", "/p/my pic.png"},
                                           AddressCase{"fragmentAndQuery", "icons.svg?v=2#home", "/p/", "/p/icons.svg"},
                                           AddressCase{"empty", "", "/www/proj", "/www/proj/"}),
                         [](const auto& row) { return std::string(row.param.name); });

struct UrlCase {
  const char* name;
  const char* folder;
  const char* target;
  const char* expected;
};

class WriteUrl : public ::testing::TestWithParam<UrlCase> {};

TEST_P(WriteUrl, NamesTheFileFromTheStylesheetFolder) {
  EXPECT_EQ(StylesheetUrl(GetParam().folder, GetParam().target), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteUrl,
    ::testing::Values(UrlCase{"stylesheetInProject", "/www/proj/", "/www/proj/img/sun.png", "url(img/sun.png)"},
                      UrlCase{"stylesheetInCss", "/www/proj/css/", "/www/proj/img/sun.png", "url(../img/sun.png)"},
                      UrlCase{"besideStylesheet", "/www/proj/css", "/www/proj/css/sun.png", "url(sun.png)"},
                      UrlCase{"blankQuoted", "/p/", "/p/img/my sun.png", "url(\"img/my sun.png\")"},
                      UrlCase{"quoteEscaped", "/p/", "/p/a\"b.png", "url(\"a\\\"b.png\")"},
                      UrlCase{"parenthesisQuoted", "/p/", "/p/a(1).png", "url(\"a(1).png\")"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ImageImport, InsideFolderComparesWholeNames) {
  EXPECT_TRUE(IsInsideFolder("/www/proj/img/a.png", "/www/proj/"));
  EXPECT_TRUE(IsInsideFolder("/www/proj/a.png", "/www/proj"));
  EXPECT_FALSE(IsInsideFolder("/www/project2/a.png", "/www/proj/"));
  EXPECT_FALSE(IsInsideFolder("/www/proj/../other/a.png", "/www/proj/"));
  EXPECT_FALSE(IsInsideFolder("/www/proj", "/www/proj/"));
}

class ImportFiles : public TempFolderTest {
 protected:
  std::string Write(const std::string& relative, const std::string& bytes) {
    const fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  [[nodiscard]] std::string Path(const std::string& relative) const { return (root_ / relative).string(); }
};

TEST_F(ImportFiles, PlanFollowsWhereThePictureIsAndWhatIsThere) {
  const std::string project = Path("proj/");
  const std::string images = Path("proj/img");
  const std::string outside = Write("photos/sun.png", "SUN");
  const std::string inside = Write("proj/pics/moon.png", "MOON");
  const std::string already = Write("proj/img/star.png", "STAR");
  const std::string twin = Write("photos/star.png", "STAR");
  const std::string other = Write("other/star.png", "ANOTHER STAR");

  struct Case {
    const char* name;
    std::string source;
    std::string imagesFolder;
    ImportStep step;
    std::string target;
  };
  const Case cases[] = {
      {"outsideWithImagesFolder", outside, images, ImportStep::Copy, Path("proj/img/sun.png")},
      {"insideWithImagesFolder", inside, images + "/", ImportStep::Copy, Path("proj/img/moon.png")},
      {"alreadyInImagesFolder", already, images, ImportStep::UseInPlace, already},
      {"sameBytesAtTarget", twin, images, ImportStep::AlreadyThere, already},
      {"otherPictureSameName", other, images, ImportStep::AskSameName, already},
      {"insideWithoutImagesFolder", inside, "", ImportStep::UseInPlace, inside},
      {"outsideWithoutImagesFolder", outside, "", ImportStep::AskFolder, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ImportPlan plan = PlanImport(c.source, c.imagesFolder, project);
    EXPECT_EQ(plan.step, c.step);
    EXPECT_EQ(plan.target, c.target);
  }
}

TEST_F(ImportFiles, CopyCreatesTheFolderAndReplaces) {
  const std::string source = Write("photos/sun.png", "NEW");
  const std::string target = Path("proj/img/sun.png");
  CopyImage(source, target);
  EXPECT_EQ(ReadFileBytes(target), "NEW");
  Write("photos/sun.png", "NEWER");
  CopyImage(source, target);
  EXPECT_EQ(ReadFileBytes(target), "NEWER");
}

TEST_F(ImportFiles, FailedCopySaysWhichFilesAndWritesNothing) {
  try {
    CopyImage(Path("missing.png"), Path("proj/missing.png"));
    FAIL() << "a missing source was copied";
  } catch (const FileError& error) {
    EXPECT_NE(std::string(error.what()).find("n'a pas pu être copiée"), std::string::npos);
    EXPECT_NE(std::string(error.what()).find(Path("missing.png")), std::string::npos);
  }
  EXPECT_FALSE(fs::exists(Path("proj/missing.png")));

  // A file stands where the target's folder should be.
  const std::string source = Write("photos/sun.png", "SUN");
  Write("blocked", "");
  EXPECT_THROW(CopyImage(source, Path("blocked/img/sun.png")), FileError);
  EXPECT_TRUE(fs::is_regular_file(Path("blocked")));
}

TEST_F(ImportFiles, ScratchKeepsOnlyThePictureShown) {
  const std::string scratch = Path("ImageTemp/");
  fs::create_directories(Path("ImageTemp/keep"));
  const std::string a = Write("site1/logo.png", "ONE");
  const std::string b = Write("site2/logo.png", "TWO");
  const std::string c = Write("site1/other.png", "THREE");

  const std::string copy = CopyToScratch(a, scratch);
  EXPECT_EQ(copy, Path("ImageTemp/logo.png"));
  EXPECT_EQ(ReadFileBytes(copy), "ONE");

  // The same name from another folder is the other picture, not the old copy.
  EXPECT_EQ(ReadFileBytes(CopyToScratch(b, scratch)), "TWO");

  CopyToScratch(c, scratch);
  EXPECT_FALSE(fs::exists(Path("ImageTemp/logo.png")));
  EXPECT_TRUE(fs::exists(Path("ImageTemp/other.png")));
  EXPECT_TRUE(fs::is_directory(Path("ImageTemp/keep")));
}

}  // namespace
}  // namespace korvel
