#pragma once

// The splitting of shorthand values whose words are told apart by their
// place in the value rather than by their kind: the sides of "margin" and
// "padding", the coordinates of "background-position", and the family of a
// "font", which is whatever no other member accepts.

#include <string>
#include <vector>

#include "model/xmldocument.h"

namespace korvel {

/// Spreads the words over the members of `entry`, a freshly prepared
/// "KeyWord" of the ActiveKeyword marked Special, according to its Name:
/// - "margin", "padding": one to four words go to the members "top",
///   "right", "bottom", "left" as CSS gives them to the sides;
/// - "background-position": one or two words go to "horizontal" and
///   "vertical", by place only; a lone word gets "center" as its vertical;
/// - "font": each word goes where ClassifyWord puts it, and a word that no
///   member accepts goes to "font-family".
/// Words beyond what a rule takes (five sides, three coordinates), words for
/// a member the entry lacks and every word of another entry are dropped.
void ExpandShorthand(XmlElement entry, const std::vector<std::string>& words);

}  // namespace korvel
