#pragma once

// The typing of the words of a property's value. A word belongs to the first
// member of the prepared dictionary entry (the ActiveKeyword) that has an
// item accepting it: an item names either the word itself or a class of
// words, "length", "percentage", "color" or "url". Also two small tests on
// value text used by the length editor and the image picker.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/xmldocument.h"

namespace korvel {

/// The CSS length units, matched without regard to letter case, in the
/// order the length editor offers them: the eight of early CSS, then the
/// font-relative, viewport and container units of current CSS.
inline constexpr std::array<std::string_view, 49> LengthUnits = {
    "em",    "ex",    "px",    "in",    "cm",    "mm",    "pt",  "pc",  "rem", "ch",  "lh",  "rlh",
    "cap",   "ic",    "rex",   "rch",   "ric",   "rcap",  "vw",  "vh",  "vi",  "vb",  "vmin",
    "vmax",  "svw",   "svh",   "svi",   "svb",   "svmin", "svmax", "lvw", "lvh", "lvi", "lvb",
    "lvmin", "lvmax", "dvw",   "dvh",   "dvi",   "dvb",   "dvmin", "dvmax", "cqw", "cqh", "cqi",
    "cqb",   "cqmin", "cqmax", "q"};

/// The result of classifying one word.
struct ValueClass {
  /// Name of the member that accepts the word; empty when none does.
  std::string member;
  /// "length", "percentage", "color", "url", or the word itself when a
  /// keyword item matched it; empty when no member accepts the word.
  std::string type;

  friend bool operator==(const ValueClass&, const ValueClass&) = default;
};

/// Finds the member of `entry` (a "KeyWord" element of the ActiveKeyword)
/// that accepts the word. Members are tried in document order; a member's
/// items are those of every member of the same name. The first item that
/// accepts the word decides:
/// - "length" or "percentage": the word, less one leading "-", begins with a
///   digit; the type is "percentage" when the word ends with "%", else
///   "length";
/// - "color": the word begins with "#" or is a colour name of the shared
///   ColorTable (ignoring letter case);
/// - "url": the word begins with "url";
/// - any other item: the word equals it exactly; the type is the word.
[[nodiscard]] ValueClass ClassifyWord(XmlElement entry, std::string_view word);

/// ClassifyWord for many words of one entry: the entry's member and item
/// names are read once. It refers to the entry's document, which must
/// outlive it and whose Name attributes must not change meanwhile (storing
/// words with AssignWord does not touch them).
class WordClassifier final {
 public:
  explicit WordClassifier(XmlElement entry);
  [[nodiscard]] ValueClass Classify(std::string_view word) const;

 private:
  // The members of one name, in the order the name first occurs, with the
  // items of all of them in document order.
  struct MemberGroup {
    std::string_view name;
    std::vector<std::string_view> items;
  };
  std::vector<MemberGroup> groups_;
};

/// Stores the word into the first member of `entry` named `valueClass.member`
/// that holds no word yet (attributes ValueType and Value), or appends it,
/// after one space, to the Value of a member of that name that already holds
/// one when the joining rule admits it. A word that finds no place is
/// dropped. The joining rule admits number-like words and "right", "bottom",
/// "left", "center" after any word; "top" in a member named "position" or
/// "...-position"; and every word in a member named "font-family", whose
/// value is a list of names of any length.
void AssignWord(XmlElement entry, const ValueClass& valueClass, std::string_view word);

/// Whether the text reads as a length or percentage: "0", a text ending with
/// "%", or a text that does not begin with a letter and ends with one of the
/// LengthUnits after at least one other character. The characters before
/// the unit are not examined.
[[nodiscard]] bool IsNumberLike(std::string_view text);

/// The LengthUnits entry the text ends with, the longest when several do
/// ("1vmin" ends with "vmin", not "in"), in the list's letter case; empty
/// when it ends with none or is nothing but the unit.
[[nodiscard]] std::string_view LengthUnitOf(std::string_view text);

/// The address written inside the first url(...) of the value, without
/// quotes and parentheses; empty when the value has no complete url(...).
[[nodiscard]] std::string UrlArgument(std::string_view value);

}  // namespace korvel
