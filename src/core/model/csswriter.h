#pragma once

// Turns the StyleDocument back into CSS text, in one fixed layout: the text
// that was read is not patched but regenerated whole.
//
//   /*free comment*/
//   selector
//   {
//    name: value;
//    /*switched-off: value; */
//   }
//   (empty line)
//
// Deleted properties are left out; verbatim statements are written as they
// were read. Lines end as in the file read: CR LF, LF or CR.

#include <string>
#include <string_view>

#include "model/styledocument.h"

namespace korvel {

/// The document's CSS text. Raises XmlError when an attribute the layout
/// needs ("Name", "Value", "Checked") is missing or unreadable.
std::string Write(const StyleDocument& document);

/// A switched-off property as the writer writes it, its fallbacks first:
/// "/*name: fallback; name: value; */". Text that would end the comment is
/// written "*\/".
std::string SwitchedOffText(ConstXmlElement prop);

/// Whether the last line of the text ends inside a string or an unquoted url
/// that it opens: what is written after it on that line would be read into it.
bool EndsInsideStringOrUrl(std::string_view text);

/// Whether the text ends with an odd run of "\": its last one escapes
/// whatever is written after it.
bool EndsWithLoneBackslash(std::string_view text);

/// What the writer puts between the text and what follows it: a blank for
/// the lone "\\" of a text cut off by the end of the file to escape, so
/// that it escapes nothing written after it; nothing otherwise.
std::string_view BeforeWhatFollows(std::string_view text);

/// A property as the writer writes it in its rule, fallbacks and comment
/// included, without the blank before it and the line end after it.
std::string PropText(ConstXmlElement prop);

}  // namespace korvel
