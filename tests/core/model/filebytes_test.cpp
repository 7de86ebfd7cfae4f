#include "model/filebytes.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "support/tempfolder.h"

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

TEST_F(SafeWrite, FailureLeavesNothingHalfWrittenAndSaysWhyInFrench) {
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {
      {Path("missing-folder/styles.css"), "n'existe pas"},
      {root_.string(), "c'est un dossier"},
      {Path("missing-folder/"), "c'est un dossier"},
  };
  for (const auto& c : cases) {
    try {
      WriteFileAtomically(c.path, "x");
      ADD_FAILURE() << c.path << " was written";
    } catch (const FileError& error) {
      EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
    }
  }
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

// What a rename over the path would harm is refused before anything is written, with the file's name.
TEST_F(SafeWrite, RefusesWhatIsNotOneRegularFile) {
  struct Case {
    const char* what;
    void (*make)(const fs::path& root);  // makes root/"out.css"
    const char* message;
  };
  const Case cases[] = {
      {"a FIFO, which is never opened (that would block)",
       [](const fs::path& root) { ASSERT_EQ(::mkfifo((root / "out.css").c_str(), 0644), 0); }, "tube nommé"},
      {"a link to a device", [](const fs::path& root) { fs::create_symlink("/dev/null", root / "out.css"); },
       "périphérique"},
      {"a dangling link", [](const fs::path& root) { fs::create_symlink(root / "gone.css", root / "out.css"); },
       "n'existe pas"},
      {"a loop of links",
       [](const fs::path& root) {
         fs::create_symlink(root / "loop.css", root / "out.css");
         fs::create_symlink(root / "out.css", root / "loop.css");
       },
       "boucle"},
      {"a file with two names",
       [](const fs::path& root) {
         std::ofstream(root / "out.css") << "old";
         fs::create_hard_link(root / "out.css", root / "other-name.css");
       },
       "liens physiques"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(root_);
    fs::create_directory(root_);
    c.make(root_);
    const auto before = fs::symlink_status(root_ / "out.css").type();
    try {
      WriteFileAtomically(Path("out.css"), "new");
      ADD_FAILURE() << "it was written";
    } catch (const FileError& error) {
      EXPECT_NE(std::string(error.what()).find("out.css"), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
    EXPECT_EQ(fs::symlink_status(root_ / "out.css").type(), before) << "it was replaced";
    for (const auto& entry : fs::directory_iterator(root_))
      EXPECT_EQ(entry.path().filename().string().find("korvel"), std::string::npos) << entry.path();
    if (fs::exists(root_ / "other-name.css")) {
      EXPECT_EQ(ReadFileBytes(Path("other-name.css")), "old");
    }
  }
}

TEST_F(SafeWrite, KeepsOwnerAndGroup) {
  const std::string path = Path("styles.css");
  std::ofstream(path) << "old";
  if (::chown(path.c_str(), 4242, 4343) != 0) GTEST_SKIP() << "giving a file away needs root";
  WriteFileAtomically(path, "new");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 4242u);
  EXPECT_EQ(info.st_gid, 4343u);
}

TEST_F(SafeWrite, TemporariesLeftByInterruptedSavesAreRemoved) {
  const char* stale[] = {".styles.css.korvel-a1B2c3", ".korvel-ZZZZZZ"};
  const char* kept[] = {"styles.css", "notes.korvel-abcdef", ".styles.css.korvel-abc", ".a.korvel-abc-12",
                        "x.korvel-abcdef"};
  for (const char* name : stale) std::ofstream(root_ / name) << "p { color: red }";
  for (const char* name : kept) std::ofstream(root_ / name) << "p { color: red }";
  // A save in progress in another program holds the lock on its temporary.
  const std::string busy = Path(".other.css.korvel-Q9q9q9");
  std::ofstream(busy) << "half";
  const int lock = ::open(busy.c_str(), O_RDONLY);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);

  RemoveStaleTemporaries(root_.string());
  for (const char* name : stale) EXPECT_FALSE(fs::exists(root_ / name)) << name;
  for (const char* name : kept) EXPECT_TRUE(fs::exists(root_ / name)) << name;
  EXPECT_TRUE(fs::exists(busy)) << "a save in progress keeps its temporary";

  ::close(lock);
  std::ofstream(root_ / stale[0]) << "left again";
  WriteFileAtomically(Path("styles.css"), "new");
  EXPECT_FALSE(fs::exists(root_ / stale[0])) << "a save cleans its folder";
  EXPECT_FALSE(fs::exists(busy)) << "its lock is free now";
}

// A save killed at any moment leaves the old text or the new one, never a mix;
// what it leaves behind goes at the next clean-up of the folder.
TEST_F(SafeWrite, AKilledSaveLeavesTheOldTextOrTheNew) {
  const std::string path = Path("styles.css");
  const std::string first(4 << 20, 'a');
  const std::string second(3 << 20, 'b');
  WriteFileAtomically(path, first);
  for (int round = 0; round < 12; ++round) {
    const pid_t saver = ::fork();
    ASSERT_GE(saver, 0);
    if (saver == 0) {
      try {
        for (bool flip = false;; flip = !flip) WriteFileAtomically(path, flip ? first : second);
      } catch (...) {
        ::_exit(1);
      }
    }
    ::usleep(static_cast<useconds_t>(2000 + 3000 * round));
    ::kill(saver, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(saver, &status, 0), saver);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saver stopped by itself, status " << status;
    const std::string text = ReadFileBytes(path);
    EXPECT_TRUE(text == first || text == second) << "round " << round << ": " << text.size() << " bytes";
  }
  RemoveStaleTemporaries(root_.string());
  EXPECT_EQ(FileCount(), 1u) << "the temporaries of killed saves are removed";
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

// Nothing but a regular file is read: a FIFO or a device would hang the
// reader, or fill its memory. Each refusal names the file and says why.
TEST_F(SafeWrite, ReadsNothingButARegularFileOfAReasonableSize) {
  ASSERT_EQ(::mkfifo(Path("tube.css").c_str(), 0644), 0);
  {
    std::ofstream sparse(Path("huge.css"));
  }
  ASSERT_EQ(::truncate(Path("huge.css").c_str(), static_cast<off_t>(kMaxFileBytes) + 1), 0);
  std::ofstream(Path("small.css")) << "p { color: red }";
  const struct {
    std::string path;
    std::size_t limit;
    std::string said;
  } cases[] = {
      {Path("tube.css"), kMaxFileBytes, "n'est pas un fichier ordinaire mais un tube nommé"},
      {"/dev/zero", kMaxFileBytes, "n'est pas un fichier ordinaire mais un périphérique"},
      {root_.string(), kMaxFileBytes, "c'est un dossier"},
      {Path("huge.css"), kMaxFileBytes, "est trop grand pour être ouvert : Korvel lit des fichiers de 256 Mo au plus"},
      {Path("small.css"), 8, "est trop grand"},
  };
  for (const auto& refused : cases) {
    try {
      (void)ReadFileBytes(refused.path, refused.limit);
      ADD_FAILURE() << refused.path << " was read";
    } catch (const FileError& error) {
      const std::string what = error.what();
      EXPECT_NE(what.find(refused.said), std::string::npos) << what;
      EXPECT_NE(what.find(refused.path), std::string::npos) << what;
    }
  }
  EXPECT_EQ(ReadFileBytes(Path("small.css"), 16), "p { color: red }");
}

}  // namespace
}  // namespace korvel
