// Inputs the fuzzer found faults with, one file each in fixtures/fuzz/, and
// extracts of real frameworks in fixtures/frameworks/. Each must load and
// save, and the layout must settle: once saved twice, loading and saving
// again changes no byte. A file with a ".saved.css" twin must also save to
// exactly that text. A file without syntax errors must keep its meaning:
// its save reads back to the same document.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "model/cssparser.h"
#include "model/csssyntaxcheck.h"
#include "model/csswriter.h"
#include "model/filebytes.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

// The inputs of a fixture folder: every file but the saved twins and, when
// `extension` is given, those with another extension (licence notes).
std::vector<std::string> Inputs(const std::string& folder, const std::string& extension = "") {
  std::vector<std::string> paths;
  for (const auto& entry : fs::directory_iterator(fs::path(KORVEL_FIXTURES) / folder)) {
    const std::string file = entry.path().filename().string();
    if (file.ends_with(".saved.css") || !file.ends_with(extension)) continue;
    paths.push_back(folder + "/" + file);
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::string Saved(const std::string& css) { return Write(ReadStylesheet(css)); }

class SettlingFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(SettlingFixture, SavesAsItsTwinAndSettlesAfterTwoSaves) {
  const fs::path path = fs::path(KORVEL_FIXTURES) / GetParam();
  const std::string css = ReadFileBytes(path.string());
  const StyleDocument read = ReadStylesheet(css);
  const std::string once = Write(read);
  const std::string twice = Saved(once);
  EXPECT_EQ(Saved(twice), twice);

  if (FindSyntaxProblems(css, 1).empty()) {
    StyleDocument readBack = ReadStylesheet(once);
    // A saved text with no line end at all carries no line-end convention.
    if (once.find_first_of("\r\n") == std::string::npos) readBack.SetLineEnds(read.LineEnds());
    EXPECT_EQ(readBack.Xml()->ToText(), read.Xml()->ToText()) << "read back differently once saved";
  }

  const fs::path twin = fs::path(path).replace_extension(".saved.css");
  if (fs::exists(twin)) {
    EXPECT_EQ(once, ReadFileBytes(twin.string()));
  }
}

std::string TestName(const ::testing::TestParamInfo<std::string>& input) {
  std::string name = fs::path(input.param).filename().string();
  std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
  return name;
}

INSTANTIATE_TEST_SUITE_P(FuzzFound, SettlingFixture, ::testing::ValuesIn(Inputs("fuzz")), TestName);
INSTANTIATE_TEST_SUITE_P(Frameworks, SettlingFixture, ::testing::ValuesIn(Inputs("frameworks", ".css")), TestName);

}  // namespace
}  // namespace korvel
