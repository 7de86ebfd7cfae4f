#pragma once

// The stylesheets of tests/fixtures/ that the round-trip suites scan: the
// inputs of a folder, each beside its ".saved.css" twin when it has one.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

namespace korvel {

/// A path below the fixtures folder.
inline std::filesystem::path FixturePath(const std::string& relative) {
  return std::filesystem::path(KORVEL_FIXTURES) / relative;
}

/// The inputs of a fixture folder, as "folder/file", sorted: every file but
/// the ".saved.css" twins and, when `extension` is given, those with
/// another extension (licence notes).
inline std::vector<std::string> FixtureInputs(const std::string& folder, const std::string& extension = "") {
  std::vector<std::string> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(FixturePath(folder))) {
    const std::string file = entry.path().filename().string();
    if (file.ends_with(".saved.css") || !file.ends_with(extension)) continue;
    inputs.push_back(folder + "/" + file);
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

/// The save an input is expected to give: its twin beside it.
inline std::filesystem::path SavedTwin(const std::string& input) {
  return FixturePath(input).replace_extension(".saved.css");
}

/// A test's name after its input: the file's name without its extension,
/// anything but letters and digits made "_".
inline std::string FixtureTestName(const ::testing::TestParamInfo<std::string>& input) {
  std::string name = std::filesystem::path(input.param).stem().string();
  std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
  return name;
}

}  // namespace korvel
