#pragma once

#include <string>
#include <string_view>

namespace korvel {

/// Whether the name is a property of current CSS, a vendor-prefixed form of
/// one (-webkit-, -moz-, -ms-, -o-), or a custom property ("--" and a name).
bool IsKnownPropertyName(std::string_view name);

/// The text with its ASCII letters in lower case; other bytes stay.
std::string AsciiLower(std::string_view text);

/// A property's name without its vendor prefix ("-webkit-transition" gives
/// "transition"); a name without one, or a custom property, as it is.
std::string_view Unprefixed(std::string_view name);

/// The first word of a property's name: "border" of "border-top-color".
std::string_view FamilyOf(std::string_view name);

}  // namespace korvel
