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
#include "support/fixturefiles.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

std::string Saved(const std::string& css) { return Write(ReadStylesheet(css)); }

class SettlingFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(SettlingFixture, SavesAsItsTwinAndSettlesAfterTwoSaves) {
  const std::string css = ReadFileBytes(FixturePath(GetParam()).string());
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

  const fs::path twin = SavedTwin(GetParam());
  if (fs::exists(twin)) {
    EXPECT_EQ(once, ReadFileBytes(twin.string()));
  }
}

INSTANTIATE_TEST_SUITE_P(FuzzFound, SettlingFixture, ::testing::ValuesIn(FixtureInputs("fuzz")), FixtureTestName);
INSTANTIATE_TEST_SUITE_P(Frameworks, SettlingFixture, ::testing::ValuesIn(FixtureInputs("frameworks", ".css")),
                         FixtureTestName);

}  // namespace
}  // namespace korvel
