#pragma once

#include <string_view>

namespace korvel {

/// Whether the name is a property of current CSS, a vendor-prefixed form of
/// one (-webkit-, -moz-, -ms-, -o-), or a custom property ("--" and a name).
bool IsKnownPropertyName(std::string_view name);

}  // namespace korvel
