#pragma once

// The number of a length or percentage as the user types it in the length
// editor's number boxes: read with a decimal point or a decimal comma,
// written with a point, and stepped by the arrow keys.

#include <optional>
#include <string>
#include <string_view>

namespace korvel {

/// The typed text as a CSS number: an optional sign, digits with at most one
/// decimal separator (a point or a comma, "1,5" giving "1.5"), and an
/// optional exponent; blanks around it and a point without digits after it
/// ("5.") are dropped. None when the text is
/// anything else, empty text included.
[[nodiscard]] std::optional<std::string> CssNumber(std::string_view typed);

/// The typed number moved by `tenths` tenths (10 for one, -1 for minus a
/// tenth), written with a point and as many decimals as the typed number or
/// the step needs, trailing zeros after the point dropped (1.5 + 0.1 gives
/// 1.6, 1 + 1 gives 2, 0.1 - 0.1 gives 0). None when the typed text is not a
/// CSS number; an empty text counts as 0.
[[nodiscard]] std::optional<std::string> SteppedNumber(std::string_view typed, int tenths);

}  // namespace korvel
