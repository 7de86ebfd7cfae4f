#pragma once

// The second pass of reading a stylesheet: it walks the tokens once, in
// order, and fills a new StyleDocument through its PutProp and AddVerbatim.
//
// It recognises rules and their declarations, properties switched off by
// being inside a comment (and whole rules commented out), comments standing
// outside rules, and a comment between a selector and its "{". A comment is
// read as switched-off declarations only when they are real: written exactly
// as the writer writes them ("/*name: value; */") or naming a property of
// CSS; any other comment is prose, kept whole outside rules and dropped
// inside them.
//
// The block of an at-rule that holds rules (@media, @supports, @layer,
// @keyframes...) is read like the top level, into a "Block", to any depth;
// an at-rule holding declarations (@font-face) becomes a rule named by its
// prelude; a rule nested in a rule becomes a rule inside it. A block is
// taken apart only when it reads whole; any other stays as written.

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "model/csstokenizer.h"
#include "model/styledocument.h"

namespace korvel {

/// The stylesheet cannot be read at all (it is not text).
class StyleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Fills the document from the tokens. No failure of its own.
void Parse(StyleDocument& document, const TokenList& tokens);

/// Tokenize and parse in one step. Raises StyleError when the text holds a
/// NUL byte, which no stylesheet does. The document keeps the bytes it is
/// read from, and its texts refer to them rather than copy them; the first
/// form shares `css`, which nothing may change, the second keeps a copy.
StyleDocument ReadStylesheet(std::shared_ptr<const std::string> css);
StyleDocument ReadStylesheet(std::string_view css);

/// Removes the leading and trailing blanks of CSS (space, tab, line ends).
std::string_view Trim(std::string_view text);

}  // namespace korvel

namespace korvel {

/// Why a property typed by the user could not be saved as one declaration
/// that reads back the same (a ";" or a brace that would cut it, a comment,
/// a line end); empty when it can. The reason is French, ready to show.
std::string DeclarationProblem(std::string_view name, std::string_view value);

}  // namespace korvel
