#include "model/knownproperties.h"

#include <algorithm>
#include <array>

#include "model/cssname.h"

namespace korvel {

namespace {

constexpr std::string_view kProperties[] = {
#include "knownproperties_table.inc"
};

bool IsListed(std::string_view name) {
  static const auto sorted = [] {
    std::array<std::string_view, std::size(kProperties)> names{};
    std::copy(std::begin(kProperties), std::end(kProperties), names.begin());
    std::sort(names.begin(), names.end());
    return names;
  }();
  return std::binary_search(sorted.begin(), sorted.end(), name);
}

}  // namespace

bool IsKnownPropertyName(std::string_view name) {
  if (name.size() > 2 && name.starts_with("--"))
    return std::all_of(name.begin() + 2, name.end(), IsNameCharacter);
  if (IsListed(name)) return true;
  for (std::string_view prefix : {"-webkit-", "-moz-", "-ms-", "-o-"}) {
    if (name.starts_with(prefix)) return IsListed(name.substr(prefix.size()));
  }
  return false;
}

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string_view Unprefixed(std::string_view name) {
  if (name.size() > 1 && name[0] == '-' && name[1] != '-') {
    if (const std::size_t dash = name.find('-', 1); dash != std::string_view::npos) return name.substr(dash + 1);
  }
  return name;
}

std::string_view FamilyOf(std::string_view name) { return name.substr(0, name.find('-')); }

}  // namespace korvel
