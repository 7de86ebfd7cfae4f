// Every stylesheet in fixtures/stylesheets/ is loaded and saved; the result
// must equal its ".saved.css" twin byte for byte, and saving that again must
// change nothing.

#include <gtest/gtest.h>

#include <string>

#include "model/cssparser.h"
#include "model/csssyntaxcheck.h"
#include "model/csswriter.h"
#include "model/filebytes.h"
#include "support/fixturefiles.h"

namespace korvel {
namespace {

std::string Saved(const std::string& css) { return Write(ReadStylesheet(css)); }

class StylesheetFixture : public ::testing::TestWithParam<std::string> {
 protected:
  static std::string Input() { return ReadFileBytes(FixturePath(GetParam()).string()); }
  static std::string Expected() { return ReadFileBytes(SavedTwin(GetParam()).string()); }
};

TEST_P(StylesheetFixture, SavesAsExpectedAndAgainWithoutChange) {
  const std::string expected = Expected();
  const std::string saved = Saved(Input());
  EXPECT_EQ(saved, expected);
  EXPECT_EQ(Saved(saved), saved) << "a saved file must read back to the same text";
}

// A well-formed stylesheet keeps its meaning: what its save writes reads
// back to the same document (comments, fallbacks and order included).
TEST_P(StylesheetFixture, WellFormedReadsBackToTheSameDocument) {
  const std::string css = Input();
  if (!FindSyntaxProblems(css, 1).empty()) GTEST_SKIP() << "has syntax errors: only its stability is checked";
  const StyleDocument read = ReadStylesheet(css);
  EXPECT_EQ(ReadStylesheet(Write(read)).Xml()->ToText(), read.Xml()->ToText());
}

INSTANTIATE_TEST_SUITE_P(Stylesheets, StylesheetFixture, ::testing::ValuesIn(FixtureInputs("stylesheets", ".css")),
                         FixtureTestName);

}  // namespace
}  // namespace korvel
