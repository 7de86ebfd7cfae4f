// Inputs the fuzzer found faults with, one file each in fixtures/fuzz/. Each
// must load and save, and the layout must settle: once saved twice, loading
// and saving again changes no byte. A file with a ".saved.css" twin must
// also save to exactly that text.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "model/cssparser.h"
#include "model/csswriter.h"
#include "model/filebytes.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

fs::path FuzzFolder() { return fs::path(KORVEL_FIXTURES) / "fuzz"; }

std::vector<std::string> FoundInputs() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(FuzzFolder())) {
    const std::string file = entry.path().filename().string();
    if (!file.ends_with(".saved.css")) names.push_back(file);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Saved(const std::string& css) { return Write(ReadStylesheet(css)); }

class FuzzRegression : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzRegression, SavingSettlesAfterTwoSaves) {
  const std::string input = ReadFileBytes((FuzzFolder() / GetParam()).string());
  const std::string once = Saved(input);
  const std::string twice = Saved(once);
  EXPECT_EQ(Saved(twice), twice);

  const fs::path twin = FuzzFolder() / fs::path(GetParam()).replace_extension(".saved.css");
  if (fs::exists(twin)) {
    EXPECT_EQ(once, ReadFileBytes(twin.string()));
  }
}

INSTANTIATE_TEST_SUITE_P(Found, FuzzRegression, ::testing::ValuesIn(FoundInputs()),
                         [](const ::testing::TestParamInfo<std::string>& found) {
                           std::string name = found.param;
                           std::replace_if(
                               name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); },
                               '_');
                           return name;
                         });

}  // namespace
}  // namespace korvel
