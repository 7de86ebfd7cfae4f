#pragma once

// The splitting of shorthand values whose words are told apart by their
// place in the value rather than by their kind: the sides of "margin" and
// "padding", the coordinates of "background-position", and the family of a
// "font", which is whatever no other member accepts. And the way back: a
// shorthand's value rebuilt from the values of its members.

#include <string>
#include <string_view>
#include <vector>

#include "dictionary/activekeyword.h"
#include "model/xmldocument.h"

namespace korvel {

/// Spreads the words over the members of `entry`, a freshly prepared
/// "KeyWord" of the ActiveKeyword marked Special, according to its Name:
/// - "margin", "padding": one to four words go to the members "top",
///   "right", "bottom", "left" as CSS gives them to the sides;
/// - "background-position": one or two words go to "horizontal" and
///   "vertical", by place only; a lone word gets "center" as its vertical;
/// - "font": each word goes where ClassifyWord puts it, and a word that no
///   member accepts goes to "font-family"; a "/" standing between two words
///   (12px / 1.5) is joined to them first; the line height after the "/"
///   goes to "line-height" when the entry has that member, else stays with
///   the size in "font-size".
/// Words beyond what a rule takes (five sides, three coordinates), words for
/// a member the entry lacks and every word of another entry are dropped.
void ExpandShorthand(XmlElement entry, const std::vector<std::string>& words);

/// Whether the text is one of the keywords every property accepts as its
/// whole value: inherit, initial, unset, revert, revert-layer (any case).
[[nodiscard]] bool IsCssWideKeyword(std::string_view text);

/// The value of the shorthand prepared in `active`, rebuilt from `rows`, the
/// member rows of the sub-grid (name, value), in the member order. Values are
/// taken without their outer blanks; the result has no outer blank and its
/// words are separated by single spaces.
///
/// - Members told apart by their place keep every place:
///   "margin", "padding" and "inset" write their sides "top", "right",
///   "bottom", "left" in the shortest form that means the same
///   (1px 0 1px 0 gives 1px 0, four equal sides one word), whatever their
///   defaults; a side without a value counts as 0 ("auto" for "inset").
///   "background-position" writes "horizontal" and "vertical", the
///   horizontal alone when the vertical is "center" or empty; an empty
///   horizontal counts as 0%.
/// - Members told apart by their kind: each member whose value is not empty
///   and is not its default (ActiveKeyword::IsMemberDefault) is written, in
///   the member order. In "font" a "line-height" is written after the size
///   with a "/" (12px/1.5), and the size and the family, which a font value
///   cannot do without, are written even when they hold their default. In
///   "background" a "background-size" is written after the position with
///   " / " (center / cover), the position then written even at its default.
/// - When every member that would be written holds the same CSS-wide keyword
///   or the same var() text, the value is that text alone (margin: inherit
///   stays inherit). A CSS-wide keyword beside other values cannot stand in
///   a shorthand; its member is then taken as holding no value.
/// With no entry prepared, the rows are composed by kind without defaults.
[[nodiscard]] std::string ComposeShorthand(const ActiveKeyword& active, const std::vector<MemberRow>& rows);

}  // namespace korvel
