#pragma once

// The first of the two passes that read a stylesheet: it cuts the CSS text
// into tokens in text order. It knows the shape of a stylesheet (statements,
// blocks, declarations) but not what selectors or properties mean; the parser
// gives the pieces their meaning.
//
// Quoted strings, comments and unquoted url(...) are read as units, so the
// braces, semicolons and comment markers inside them are text. A semicolon
// inside parentheses does not end a declaration. A string ends at the end of
// its line, as CSS says, so one stray quote cannot swallow the file.
//
// What the model does not take apart is handed over whole, as a Verbatim
// token: an at-rule with all its block, a block nested inside a rule, a block
// without a selector, and text left without a block at the end of the file.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

enum class TokenKind : std::uint8_t {
  ByteOrderMark,  ///< the UTF-8 byte-order mark at the very start
  Text,           ///< selector or declaration text, blanks and line ends kept
  Comment,        ///< a whole comment, "/*" and "*/" included (no "*/" when unterminated)
  OpenBrace,      ///< "{" opening a rule's block
  CloseBrace,     ///< "}" closing it (or a stray one)
  Semicolon,      ///< ";" ending a declaration inside a block
  Verbatim,       ///< a statement or block kept exactly as written
};

struct Token {
  TokenKind kind;
  std::string_view text;  ///< a view into the tokenized text
  friend bool operator==(const Token&, const Token&) = default;
};

/// The tokens of one text, in order. They are views into that text, which
/// must outlive the list.
using TokenList = std::vector<Token>;

/// Appends the tokens of a whole stylesheet. Every input gives some list.
void Tokenize(std::string_view css, TokenList& tokens);

/// The same tokens, handed over as they come, so that those of a large file
/// are never all in memory: at the end of a statement outside any block,
/// once `tokens` holds at least `batch` of them, and at the end of the text,
/// `take` is called; it must empty the list.
void TokenizeInBatches(std::string_view css, TokenList& tokens, std::size_t batch,
                       const std::function<void()>& take);

/// Appends the tokens of the inside of an at-rule's block of rules, read as
/// a stylesheet is. False when a statement in it runs on unclosed to its end
/// or holds a stray "}": browsers would not read such a block as the
/// stylesheet it seems to be, and it is kept as written.
bool TokenizeBlockOfRules(std::string_view css, TokenList& tokens);

/// Appends the tokens of text that must be exactly one rule: a prelude (an
/// at-rule's too), "{", its block, and the "}" ending the text. False when
/// it is not.
bool TokenizeOneRule(std::string_view css, TokenList& tokens);

/// Appends the tokens of text read as the inside of a rule's block
/// (declarations, comments and nested blocks, no closing brace expected).
void TokenizeDeclarations(std::string_view css, TokenList& tokens);

/// The prelude of a verbatim statement: its text before the "{" or ";" that
/// opens or ends it (all of it when there is neither).
std::string_view PreludeOf(std::string_view verbatim);

/// What a verbatim statement cut off by the end of the text lacks to stand
/// whole before more text: the end of an open comment, a line end for an open
/// string or url, and a "}" for each open block. Empty when nothing is open.
std::string ClosingOf(std::string_view verbatim);

/// Where the unquoted url starting at `pos` ends (after its ")", or at the
/// end of the text); npos when none starts there.
std::size_t UnquotedUrlEnd(std::string_view text, std::size_t pos);

/// Whether the text ends inside a comment that it opens (outside strings).
bool EndsInOpenComment(std::string_view text);

/// The brackets a custom property's value leaves open, closed in order:
/// ")]}" for "f([{". A value the end of the file cut off takes them, so that
/// what is written after it stays outside it.
std::string UnclosedBracketsOf(std::string_view value);

}  // namespace korvel
