#include "dictionary/lengthtext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>

namespace korvel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

// Digits after the decimal point of a number written with a point, the
// exponent aside.
int DecimalsOf(std::string_view number) {
  const std::size_t point = number.find('.');
  if (point == std::string_view::npos) return 0;
  int decimals = 0;
  for (std::size_t i = point + 1; i < number.size() && IsDigit(number[i]); ++i) ++decimals;
  return decimals;
}

}  // namespace

std::optional<std::string> CssNumber(std::string_view typed) {
  const std::string_view text = Trimmed(typed);
  std::string number;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
  int digits = 0;
  while (i < text.size() && IsDigit(text[i])) {
    number += text[i++];
    ++digits;
  }
  if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
    number += '.';
    ++i;
    int fraction = 0;
    while (i < text.size() && IsDigit(text[i])) {
      number += text[i++];
      ++fraction;
    }
    // CSS wants digits after a point: "5." is written 5.
    if (fraction == 0) number.pop_back();
    digits += fraction;
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    number += text[i++];
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    int exponentDigits = 0;
    while (i < text.size() && IsDigit(text[i])) {
      number += text[i++];
      ++exponentDigits;
    }
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  return number;
}

std::optional<std::string> SteppedNumber(std::string_view typed, int tenths) {
  std::string number = "0";
  if (!Trimmed(typed).empty()) {
    const std::optional<std::string> read = CssNumber(typed);
    if (!read) return std::nullopt;
    number = *read;
  }
  // from_chars takes no leading "+".
  const std::string_view digits = number.starts_with('+') ? std::string_view(number).substr(1) : number;
  double value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  const int decimals = std::min(std::max(DecimalsOf(number), tenths % 10 != 0 ? 1 : 0), 12);
  // Rounded to the decimals shown, so that 0.1 + 0.2 reads 0.3.
  const double scale = std::pow(10.0, decimals);
  double stepped = std::round((value + tenths / 10.0) * scale) / scale;
  if (stepped == 0) stepped = 0;  // no "-0"
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, stepped, std::chars_format::fixed, decimals);
  std::string text(buffer, result.ptr);
  if (text.find('.') != std::string::npos) {
    while (text.ends_with('0')) text.pop_back();
    if (text.ends_with('.')) text.pop_back();
  }
  return text;
}

}  // namespace korvel
