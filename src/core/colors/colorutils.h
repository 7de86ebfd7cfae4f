#pragma once

// The colour-name table of the process and the conversions between the three
// forms in which the editors handle a colour: a name ("red"), an HTML text
// ("#FF0000": "#" and six upper-case hexadecimal digits, red, green and blue)
// and the three components.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korvel {

/// A colour as one integer for painting: red in bits 0 to 7, green in bits 8
/// to 15, blue in bits 16 to 23.
using ColorRef = std::uint32_t;

constexpr ColorRef ColorRefOf(int red, int green, int blue) {
  return static_cast<ColorRef>(red & 0xFF) | (static_cast<ColorRef>(green & 0xFF) << 8) |
         (static_cast<ColorRef>(blue & 0xFF) << 16);
}

/// Called with the whole table after a colour was appended, so that a list
/// shown to the user can be refilled and always equals the table. May be
/// empty when no list needs refreshing.
using ColorListRefresh = std::function<void(const std::vector<std::string>& entries)>;

/// The message shown for a "#" text that is not a colour.
inline constexpr std::string_view kBadColorFormatMessage = "Format de couleur incorrect!";

/// An ordered list of "name=value" entries: 143 named colours and 26 system
/// colours, then the custom colours added while the program runs. The name
/// is everything before the first "=", the value everything after it. The
/// list is never sorted: the first entry of a name (or of a value) is the
/// one that answers; lookups by name go through an index of the names in
/// lower case, kept as entries are appended. Entries are only appended,
/// never changed or removed.
///
/// The program uses one table, `Shared()`, from the user-interface thread
/// only; tests may build tables of their own.
class ColorTable final {
 public:
  /// A table holding the 169 built-in entries.
  ColorTable();

  /// The process-wide table, built on first use. It only grows.
  static ColorTable& Shared();

  /// The entries in table order.
  [[nodiscard]] const std::vector<std::string>& Entries() const { return entries_; }

  /// The name of the first entry whose value equals the text exactly
  /// (letter case counts), or "". An entry whose name an earlier entry
  /// already has answers with that earlier entry's value.
  [[nodiscard]] std::string ColorNameFromValue(std::string_view value) const;

  /// The value of the first entry whose name equals the argument, ignoring
  /// letter case, or "".
  [[nodiscard]] std::string ColorValueFromName(std::string_view name) const;

  /// Whether an entry has that name, ignoring letter case.
  [[nodiscard]] bool HasColorName(std::string_view name) const;

  /// Appends name=value, then hands the whole table to `refresh`. Throws
  /// std::invalid_argument when the name is empty or holds "=", or when the
  /// value is not an HTML text: such an entry could never be painted.
  void AddCustomColor(const ColorListRefresh& refresh, std::string_view name, std::string_view value);

  /// Understands a colour typed or stored as text.
  /// - A text beginning with "#": `NormalizeHtmlColor` gives `html`; when it
  ///   refuses the text, the message "Format de couleur incorrect!" is shown
  ///   and the result is false. Otherwise `name` is the table's name for
  ///   that value; a value the table lacks is first appended as a custom
  ///   colour html=html (through `AddCustomColor`), and its name is html.
  /// - A name of the table (ignoring letter case): `name` is the text as
  ///   typed, `html` its value.
  /// - Anything else: false without a message; `name` and `html` unchanged.
  bool ResolveColorText(const ColorListRefresh& refresh, std::string_view text, std::string& name,
                        std::string& html);

 private:
  void IndexEntry(std::size_t index);

  std::vector<std::string> entries_;
  // Each name in lower case (ASCII letters), to its first entry.
  std::unordered_map<std::string, std::size_t> firstOfName_;
};

/// The HTML text of a "#" colour: the first character is dropped whatever it
/// is, three remaining characters are doubled (abc gives aabbcc), and six
/// hexadecimal digits give "#" and the digits in upper case. Anything else,
/// including digits that are not hexadecimal (#GGG), gives "".
[[nodiscard]] std::string NormalizeHtmlColor(std::string_view text);

/// A component, 0 to 255, of six hexadecimal digits without "#": characters
/// 1-2 for red, 3-4 for green, 5-6 for blue. Throws std::invalid_argument
/// when those two characters are missing or not hexadecimal.
[[nodiscard]] int ColorRed(std::string_view digits);
[[nodiscard]] int ColorGreen(std::string_view digits);
[[nodiscard]] int ColorBlue(std::string_view digits);

}  // namespace korvel
