// The command-line tool, run as a user runs it.

#include <gtest/gtest.h>

#include "support/tempfolder.h"
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "model/filebytes.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status;
  std::string out;
};

// Runs korvel-css with the arguments (already quoted); stderr goes to `err`.
ToolRun KorvelCss(const std::string& arguments, const fs::path& err) {
  const std::string command = std::string(KORVEL_BIN) + "/korvel-css " + arguments + " 2>" + err.string();
  ToolRun run{-1, {}};
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buffer{};
  std::size_t count = 0;
  while ((count = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), count);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class KorvelCssTool : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    std::ofstream(root_ / "in.css") << "p { color: red }\r\n";
  }
  [[nodiscard]] std::string Err() const { return ReadFileBytes((root_ / "err").string()); }
};

TEST_F(KorvelCssTool, PrintsTheSavedForm) {
  const ToolRun run = KorvelCss((root_ / "in.css").string(), root_ / "err");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "p\r\n{\r\n color: red;\r\n}\r\n\r\n");
}

TEST_F(KorvelCssTool, PrintsTheModelAsXml) {
  const ToolRun run = KorvelCss("--xml " + (root_ / "in.css").string(), root_ / "err");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("<KeyWord Name=\"p\">"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("<Prop Name=\"color\" Value=\"red\" Checked=\"True\""), std::string::npos) << run.out;
}

TEST_F(KorvelCssTool, WritesAnOutputFile) {
  const fs::path out = root_ / "out.css";
  const ToolRun run = KorvelCss("-o " + out.string() + " " + (root_ / "in.css").string(), root_ / "err");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(ReadFileBytes(out.string()), "p\r\n{\r\n color: red;\r\n}\r\n\r\n");
}

TEST_F(KorvelCssTool, WarnsOfSyntaxErrorsAndGoesOn) {
  std::ofstream(root_ / "broken.css") << "a { color: red; }\n}\nb { content: \"x; }\n";
  const ToolRun run = KorvelCss((root_ / "broken.css").string(), root_ / "err");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("color: red;"), std::string::npos) << run.out;
  EXPECT_NE(Err().find("ligne 2 : accolade fermante"), std::string::npos) << Err();
  EXPECT_NE(Err().find("ligne 3 : chaîne non fermée"), std::string::npos) << Err();
}

// Read-only is told by the mode, so that the test holds when run as root.
TEST_F(KorvelCssTool, ReadOnlyOutputIsReplacedOnlyWithForce) {
  const fs::path out = root_ / "out.css";
  std::ofstream(out) << "kept";
  fs::permissions(out, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const std::string arguments = "-o " + out.string() + " " + (root_ / "in.css").string();

  const ToolRun refused = KorvelCss(arguments, root_ / "err");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(ReadFileBytes(out.string()), "kept");
  const std::string err = Err();
  EXPECT_NE(err.find(out.string()), std::string::npos) << err;
  EXPECT_NE(err.find("lecture seule"), std::string::npos) << err;
  EXPECT_NE(err.find("--force"), std::string::npos) << err;

  const ToolRun forced = KorvelCss("--force " + arguments, root_ / "err");
  EXPECT_EQ(forced.status, 0) << Err();
  EXPECT_EQ(ReadFileBytes(out.string()), "p\r\n{\r\n color: red;\r\n}\r\n\r\n");
}

TEST_F(KorvelCssTool, OutputOntoAFifoIsRefusedWithoutBlocking) {
  const fs::path out = root_ / "out.css";
  ASSERT_EQ(::mkfifo(out.c_str(), 0644), 0);
  const ToolRun run = KorvelCss("-o " + out.string() + " " + (root_ / "in.css").string(), root_ / "err");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(fs::is_fifo(out));
  EXPECT_NE(Err().find("tube nommé"), std::string::npos) << Err();
}

TEST_F(KorvelCssTool, InputThatIsNotARegularFileIsRefusedAtOnce) {
  const fs::path fifo = root_ / "tube.css";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  for (const std::string& input : {fifo.string(), std::string("/dev/zero")}) {
    const ToolRun run = KorvelCss(input, root_ / "err");
    EXPECT_EQ(run.status, 1) << input;
    EXPECT_TRUE(run.out.empty()) << input;
    EXPECT_NE(Err().find(input + " » n'est pas un fichier ordinaire"), std::string::npos) << Err();
  }
  // Nor is a stylesheet in UTF-16 read as 8-bit text with NUL bytes.
  const fs::path wide = root_ / "wide.css";
  std::ofstream(wide, std::ios::binary) << std::string("\xFF\xFEp\0{\0}\0", 8);
  EXPECT_EQ(KorvelCss(wide.string(), root_ / "err").status, 1);
  EXPECT_NE(Err().find(wide.string() + " » : encodage UTF-16 non pris en charge."), std::string::npos) << Err();
}

// In a mount namespace of its own (the machine's mounts are left alone), a
// child process mounts a small file system, writes a file there and makes
// it read-only. Neither the window's question nor --force could make a save
// work there: the refusal offers neither.
TEST_F(KorvelCssTool, AReadOnlyMountOffersNoWayToReplace) {
  const fs::path mountPoint = root_ / "lecture-seule";
  fs::create_directories(mountPoint);
  const fs::path out = mountPoint / "out.css";
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr int kCannotMount = 77;
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("korvel-test", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0)
      ::_exit(kCannotMount);
    std::ofstream(out) << "p { color: blue }\n";
    if (::mount(nullptr, mountPoint.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) ::_exit(kCannotMount);
    int failures = 0;
    try {
      WriteFileAtomically(out.string(), "p {}\n");
      failures |= 1;
    } catch (const ReadOnlyFileError&) {
      failures |= 2;
    } catch (const FileError& error) {
      if (std::string(error.what()).find("disque en lecture seule") == std::string::npos) failures |= 4;
    }
    const ToolRun run = KorvelCss("-o " + out.string() + " " + (root_ / "in.css").string(), root_ / "err");
    const std::string err = ReadFileBytes((root_ / "err").string());
    if (run.status != 1 || err.find("lecture seule") == std::string::npos) failures |= 8;
    if (err.find("--force") != std::string::npos) failures |= 16;
    ::_exit(failures);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no mount namespace to make a read-only disk in";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: written, 2: offered to replace, 4: not said, 8: the tool went on, "
                                       "16: the tool offered --force";
}

TEST_F(KorvelCssTool, MissingFileIsOneLineNamingItAndStatusOne) {
  const ToolRun run = KorvelCss((root_ / "absent.css").string(), root_ / "err");
  EXPECT_EQ(run.status, 1);
  const std::string err = Err();
  EXPECT_NE(err.find("absent.css"), std::string::npos) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
}

TEST_F(KorvelCssTool, HelpAndBadArguments) {
  const ToolRun help = KorvelCss("--help", root_ / "err");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--xml"), std::string::npos);
  EXPECT_NE(help.out.find("-o"), std::string::npos);
  EXPECT_EQ(KorvelCss("--bogus x.css", root_ / "err").status, 2);
  EXPECT_EQ(KorvelCss("", root_ / "err").status, 2);
  EXPECT_EQ(KorvelCss("--force " + (root_ / "in.css").string(), root_ / "err").status, 2) << "--force without -o";
}

}  // namespace
}  // namespace korvel
