#include "dictionary/lengthtext.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace korvel {
namespace {

TEST(CssNumber, ReadsPointsAndCommasAndRefusesTheRest) {
  const struct {
    const char* typed;
    std::optional<std::string> number;
  } cases[] = {
      {"12", "12"},     {"1,5", "1.5"},   {"1.5", "1.5"},     {" -3 ", "-3"},   {"+2", "+2"},
      {".5", ".5"},     {",5", ".5"},     {"5.", "5"},       {"1e3", "1e3"},   {"2E-2", "2E-2"},
      {"", std::nullopt}, {"  ", std::nullopt}, {"abc", std::nullopt}, {"1,5,2", std::nullopt},
      {"1.5.2", std::nullopt}, {"12px", std::nullopt}, {"-", std::nullopt}, {".", std::nullopt},
      {"1e", std::nullopt}, {"1 000", std::nullopt}, {"--1", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(CssNumber(c.typed), c.number) << '"' << c.typed << '"';
}

TEST(SteppedNumber, StepsByOnesTensAndTenthsWithoutNoise) {
  const struct {
    const char* typed;
    int tenths;
    std::optional<std::string> stepped;
  } cases[] = {
      {"12", 10, "13"},     {"12", -10, "11"},   {"12", 100, "22"},   {"1.5", 1, "1.6"},
      {"1", 1, "1.1"},      {"0.1", -1, "0"},    {"0.2", 1, "0.3"},   {"1,5", 10, "2.5"},
      {"1.25", 10, "2.25"}, {"0", -10, "-1"},    {"-0.5", 5, "0"},    {"", 10, "1"},
      {"+2", 10, "3"},      {"1.50", 10, "2.5"}, {"abc", 10, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SteppedNumber(c.typed, c.tenths), c.stepped) << '"' << c.typed << "\" " << c.tenths;
}

}  // namespace
}  // namespace korvel
