#include "model/filebytes.h"

#include <gtest/gtest.h>

#include "core/tempfolder.h"
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace korvel {
namespace {

namespace fs = std::filesystem;

class SafeWrite : public TempFolderTest {
 protected:
  [[nodiscard]] std::string Path(const char* name) const { return (root_ / name).string(); }
  [[nodiscard]] std::size_t FileCount() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(root_), fs::directory_iterator()));
  }
};

TEST_F(SafeWrite, ReplacesContentAndKeepsPermissions) {
  const std::string path = Path("styles.css");
  std::ofstream(path) << "old content that is longer";
  ::chmod(path.c_str(), 0640);
  WriteFileAtomically(path, "new");
  EXPECT_EQ(ReadFileBytes(path), "new");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(FileCount(), 1u) << "no temporary file is left behind";
}

TEST_F(SafeWrite, WritesThroughASymbolicLink) {
  const std::string target = Path("real.css");
  const std::string link = Path("link.css");
  std::ofstream(target) << "old";
  fs::create_symlink(target, link);
  WriteFileAtomically(link, "new");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFileBytes(target), "new");
}

TEST_F(SafeWrite, FailureLeavesNothingHalfWritten) {
  EXPECT_THROW(WriteFileAtomically(Path("missing-folder/styles.css"), "x"), FileError);
  EXPECT_THROW(WriteFileAtomically(root_.string(), "x"), FileError) << "a folder is not a file";
  EXPECT_EQ(FileCount(), 0u);
}

// Tests run as root too: read-only is told by the file's mode, which even root respects here.
TEST_F(SafeWrite, ReadOnlyFileIsRefusedUnlessTheUserSaysToReplaceIt) {
  const std::string path = Path("styles.css");
  std::ofstream(path) << "old";
  ::chmod(path.c_str(), 0444);
  EXPECT_TRUE(IsReadOnlyFile(path));
  EXPECT_FALSE(IsReadOnlyFile(Path("absent.css"))) << "a new file is not read-only";
  try {
    WriteFileAtomically(path, "new");
    FAIL() << "a read-only file was replaced";
  } catch (const ReadOnlyFileError& error) {
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
  }
  EXPECT_EQ(ReadFileBytes(path), "old");
  EXPECT_EQ(FileCount(), 1u) << "nothing is written before the refusal";

  WriteFileAtomically(path, "new", {.replaceReadOnly = true});
  EXPECT_EQ(ReadFileBytes(path), "new");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0444u) << "replacing it keeps its mode";

  ::chmod(path.c_str(), 0644);
  EXPECT_FALSE(IsReadOnlyFile(path));
}

TEST_F(SafeWrite, ReadingMissingOrFolderRaisesNamingTheFile) {
  try {
    (void)ReadFileBytes(Path("none.css"));
    FAIL();
  } catch (const FileError& error) {
    EXPECT_NE(std::string(error.what()).find("none.css"), std::string::npos) << error.what();
  }
  EXPECT_THROW((void)ReadFileBytes(root_.string()), FileError);
}

}  // namespace
}  // namespace korvel
