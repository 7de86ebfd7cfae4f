// The command-line tool, run as a user runs it.

#include <gtest/gtest.h>
#include <sys/wait.h>

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

class KorvelCssTool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("korvel-cli-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    std::ofstream(dir_ / "in.css") << "p { color: red }\n";
  }
  void TearDown() override { fs::remove_all(dir_); }
  [[nodiscard]] std::string Err() const { return ReadFileBytes((dir_ / "err").string()); }
  fs::path dir_;
};

TEST_F(KorvelCssTool, PrintsTheSavedForm) {
  const ToolRun run = KorvelCss((dir_ / "in.css").string(), dir_ / "err");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "p\r\n{\r\n color: red;\r\n}\r\n\r\n");
}

TEST_F(KorvelCssTool, PrintsTheModelAsXml) {
  const ToolRun run = KorvelCss("--xml " + (dir_ / "in.css").string(), dir_ / "err");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("<KeyWord Name=\"p\">"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("<Prop Name=\"color\" Value=\"red\" Checked=\"True\""), std::string::npos) << run.out;
}

TEST_F(KorvelCssTool, WritesAnOutputFile) {
  const fs::path out = dir_ / "out.css";
  const ToolRun run = KorvelCss("-o " + out.string() + " " + (dir_ / "in.css").string(), dir_ / "err");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(ReadFileBytes(out.string()), "p\r\n{\r\n color: red;\r\n}\r\n\r\n");
}

TEST_F(KorvelCssTool, MissingFileIsOneLineNamingItAndStatusOne) {
  const ToolRun run = KorvelCss((dir_ / "absent.css").string(), dir_ / "err");
  EXPECT_EQ(run.status, 1);
  const std::string err = Err();
  EXPECT_NE(err.find("absent.css"), std::string::npos) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
}

TEST_F(KorvelCssTool, HelpAndBadArguments) {
  const ToolRun help = KorvelCss("--help", dir_ / "err");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--xml"), std::string::npos);
  EXPECT_NE(help.out.find("-o"), std::string::npos);
  EXPECT_EQ(KorvelCss("--bogus x.css", dir_ / "err").status, 2);
  EXPECT_EQ(KorvelCss("", dir_ / "err").status, 2);
}

}  // namespace
}  // namespace korvel
