// Every stylesheet in fixtures/stylesheets/ is loaded and saved; the result
// must equal its ".saved.css" twin byte for byte, and saving that again must
// change nothing.

#include <gtest/gtest.h>

#include <algorithm>
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

std::vector<std::string> FixtureNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::path(KORVEL_FIXTURES) / "stylesheets")) {
    const std::string file = entry.path().filename().string();
    if (file.ends_with(".css") && !file.ends_with(".saved.css")) names.push_back(file.substr(0, file.size() - 4));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Saved(const std::string& css) { return Write(ReadStylesheet(css)); }

class StylesheetFixture : public ::testing::TestWithParam<std::string> {
 protected:
  static std::string Read(const std::string& file) {
    return ReadFileBytes((fs::path(KORVEL_FIXTURES) / "stylesheets" / file).string());
  }
};

TEST_P(StylesheetFixture, SavesAsExpectedAndAgainWithoutChange) {
  const std::string expected = Read(GetParam() + ".saved.css");
  const std::string saved = Saved(Read(GetParam() + ".css"));
  EXPECT_EQ(saved, expected);
  EXPECT_EQ(Saved(saved), saved) << "a saved file must read back to the same text";
}

// A well-formed stylesheet keeps its meaning: what its save writes reads
// back to the same document (comments, fallbacks and order included).
TEST_P(StylesheetFixture, WellFormedReadsBackToTheSameDocument) {
  const std::string css = Read(GetParam() + ".css");
  if (!FindSyntaxProblems(css, 1).empty()) GTEST_SKIP() << "has syntax errors: only its stability is checked";
  const StyleDocument read = ReadStylesheet(css);
  EXPECT_EQ(ReadStylesheet(Write(read)).Xml()->ToText(), read.Xml()->ToText());
}

INSTANTIATE_TEST_SUITE_P(Stylesheets, StylesheetFixture, ::testing::ValuesIn(FixtureNames()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                           std::string name = param.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace korvel
