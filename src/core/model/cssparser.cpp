#include "model/cssparser.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/cssname.h"
#include "model/csswriter.h"
#include "model/knownproperties.h"
#include "model/mergeguard.h"
#include "model/specificity.h"

namespace korvel {

namespace {

// The blanks of CSS; other control characters are text, which makes
// browsers drop what holds them, and are kept.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }
// Not find_first_of: it makes a library call for each character.
bool HasLineEnd(std::string_view text) { return std::any_of(text.begin(), text.end(), IsLineEnd); }

constexpr std::string_view kLineEnd = "\r\n";

// Calls `line` with each line of the text, CR LF, LF and a lone CR ending one.
template <typename Fn>
void ForEachLine(std::string_view text, Fn&& line) {
  std::size_t begin = 0;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    if (!IsLineEnd(text[pos])) continue;
    line(text.substr(begin, pos - begin));
    if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
    begin = pos + 1;
  }
  line(text.substr(begin));
}

// The trimmed, non-empty lines of the pieces, joined by `separator`.
std::string JoinTrimmedLines(const std::vector<std::string_view>& pieces, std::string_view separator) {
  std::string joined;
  for (std::string_view piece : pieces) {
    ForEachLine(piece, [&](std::string_view line) {
      line = Trim(line);
      if (line.empty()) return;
      if (!joined.empty()) joined += separator;
      joined += line;
    });
  }
  return joined;
}

std::string NormalizeLineEnds(std::string_view text) {
  std::string normalized;
  normalized.reserve(text.size() + 16);
  bool first = true;
  ForEachLine(text, [&](std::string_view line) {
    if (!first) normalized += kLineEnd;
    normalized += line;
    first = false;
  });
  return normalized;
}

// Whether every quoted string of the text closes on the line it opens. A
// quote inside a comment opens no string: it is text of the comment.
bool StringsCloseOnTheirLine(std::string_view text) {
  char quote = 0;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (quote == 0) {
      if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '/' && pos + 1 < text.size() && text[pos + 1] == '*') {
        const std::size_t close = text.find("*/", pos + 2);
        if (close == std::string_view::npos) return true;
        pos = close + 1;
      } else if (c == '\\') {
        // An escaped quote opens no string; a "\" before a line end
        // escapes nothing, and joined it would escape the blank.
        if (pos + 1 < text.size() && IsLineEnd(text[pos + 1])) return false;
        ++pos;
      }
    } else if (c == quote) {
      quote = 0;
    } else if (IsLineEnd(c) || (c == '\\' && pos + 1 < text.size() && IsLineEnd(text[pos + 1]))) {
      return false;  // a line end, escaped or not, must stay where it is
    } else if (c == '\\') {
      ++pos;
    }
  }
  return quote == 0;
}

// Whether every unquoted "url(" closes on the line it opens. A url cut by a
// line end ends there; joined to the next line, it would run on into it.
// "url(" inside a string or a comment is text, not a url.
bool UrlsCloseOnTheirLine(std::string_view text) {
  static constexpr auto kLooked = [] {
    std::array<bool, 256> looked{};
    for (unsigned char c : std::string_view("\"'\\/uU\r\n")) looked[c] = true;
    return looked;
  }();
  char quote = 0;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    while (pos < text.size() && !kLooked[static_cast<unsigned char>(text[pos])]) ++pos;
    if (pos == text.size()) break;
    const char c = text[pos];
    if (quote != 0) {
      if (c == '\\') ++pos;
      else if (c == quote || IsLineEnd(c)) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '\\') {
      ++pos;
    } else if (c == '/' && pos + 1 < text.size() && text[pos + 1] == '*') {
      const std::size_t close = text.find("*/", pos + 2);
      if (close == std::string_view::npos) return true;
      pos = close + 1;
    } else if ((c | 0x20) == 'u' && (pos == 0 || !IsNameCharacter(text[pos - 1])) && pos + 4 <= text.size() &&
               (text[pos + 1] | 0x20) == 'r' &&
               (text[pos + 2] | 0x20) == 'l' && text[pos + 3] == '(') {
      const std::size_t end = text.find_first_of(")\r\n", pos + 4);
      if (end == std::string_view::npos) return true;
      if (text[end] != ')') return false;
      pos = end;
    }
  }
  return true;
}

// Whether the lines of a selector or declaration can be joined with blanks
// and read back the same.
bool LinesCanBeJoined(std::string_view text) { return StringsCloseOnTheirLine(text) && UrlsCloseOnTheirLine(text); }

// Whether every "(" outside strings has its ")".
bool ParenthesesBalance(std::string_view text) {
  int depth = 0;
  char quote = 0;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (quote != 0) {
      if (c == '\\') ++pos;
      else if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '\\') {
      ++pos;  // an escaped bracket or quote is a plain character
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth < 0) {
      return false;
    }
  }
  return depth == 0;
}

struct Declaration {
  std::string name;
  std::string value;
};

// A declaration's name and value, read without copying: views into its text,
// or into the joined value when its lines had to be joined.
struct DeclarationParts {
  std::string_view name;
  std::string_view value;
  std::string joinedValue;
};

// A declaration's text as read: "name: value", possibly over several lines.
// Its lines are joined with one blank, unless a string in it was cut by a
// line end; then the lines stay, so that the text reads back the same.
// The first ":" outside comments and escapes: a comment may stand inside a
// declaration, and what it says is no part of its name; "\:" is a
// character of the name ("--a\:b").
std::size_t FirstColonOutsideComments(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return colon;
  const std::string_view before = text.substr(0, colon);
  if (before.find("/*") == std::string_view::npos && before.find('\\') == std::string_view::npos) return colon;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    if (text[pos] == ':') return pos;
    if (text[pos] == '\\') {
      ++pos;
    } else if (text[pos] == '/' && pos + 1 < text.size() && text[pos + 1] == '*') {
      const std::size_t close = text.find("*/", pos + 2);
      if (close == std::string_view::npos) return std::string_view::npos;
      pos = close + 1;
    }
  }
  return std::string_view::npos;
}

bool SplitDeclaration(std::string_view text, DeclarationParts& parts) {
  text = Trim(text);
  const std::size_t colon = FirstColonOutsideComments(text);
  if (text.empty() || colon == std::string_view::npos) return false;
  parts.name = Trim(text.substr(0, colon));
  // A name that ends with "\" ends with the blank it escapes ("\ "): trimmed
  // away, the "\" would escape the ":" written after it.
  if (EndsWithLoneBackslash(parts.name) && parts.name.data() + parts.name.size() < text.data() + colon)
    parts.name = std::string_view(parts.name.data(), parts.name.size() + 1);
  // A quote or bracket is no part of a property's name: such text is not a
  // declaration, and browsers drop it too. Kept, a stray quote would pair
  // with one of the value once written as "name: value".
  if (parts.name.find_first_of("\"'()[]{}") != std::string_view::npos) return false;
  // Nor is a line end: a name is one word, and blanks around it are trimmed.
  // Joined to one line, the blank a "\" escapes at its end would be lost.
  if (HasLineEnd(parts.name)) return false;
  parts.value = Trim(text.substr(colon + 1));
  if (HasLineEnd(text)) {
    // A custom property's value is kept as written, line ends included:
    // scripts read it as it stands.
    const bool join = !parts.name.starts_with("--") && LinesCanBeJoined(text);
    if (HasLineEnd(parts.value)) {
      parts.joinedValue = join ? JoinTrimmedLines({parts.value}, " ") : NormalizeLineEnds(parts.value);
      parts.value = parts.joinedValue;
    }
  }
  return true;
}

std::optional<Declaration> SplitDeclaration(std::string_view text) {
  DeclarationParts parts;
  if (!SplitDeclaration(text, parts)) return std::nullopt;
  return Declaration{std::string(parts.name), std::string(parts.value)};
}

// The selector's text: its lines joined with one blank, or, when they cannot
// be joined, kept as they are (an empty line is a line end too, and one
// after a backslash is what the backslash escapes).
std::string JoinSelector(const std::vector<std::string_view>& pieces) {
  if (std::all_of(pieces.begin(), pieces.end(), LinesCanBeJoined)) return JoinTrimmedLines(pieces, " ");
  std::string joined;
  for (std::string_view piece : pieces) {
    piece = Trim(piece);
    if (piece.empty()) continue;
    if (!joined.empty()) joined += kLineEnd;
    joined += NormalizeLineEnds(piece);
  }
  return joined;
}

// What a comment holds, once read.
struct CommentReading {
  enum class Kind { Prose, Declarations, Rules } kind = Kind::Prose;
  std::string text;                  // prose: its trimmed lines joined by CR LF
  std::vector<Declaration> declarations;  // Declarations
  std::vector<std::pair<std::string, std::vector<Declaration>>> rules;  // Rules
};

// "/*name: value; */", exactly as the writer writes a switched-off property.
bool IsWriterForm(std::string_view content) {
  if (!content.ends_with("; ")) return false;
  const std::string_view core = content.substr(0, content.size() - 2);
  const std::size_t colon = core.find(": ");
  if (colon == 0 || colon == std::string_view::npos) return false;
  const std::string_view name = core.substr(0, colon);
  const std::string_view value = core.substr(colon + 2);
  for (char c : name) {
    if (IsBlank(c) || c == ';' || c == '{' || c == '}') return false;
  }
  return !value.empty() && !IsBlank(value.front()) && !IsBlank(value.back());
}

bool IsRealDeclaration(const Declaration& declaration) {
  return !declaration.name.empty() && !declaration.value.empty() && IsKnownPropertyName(declaration.name);
}

// Declarations separated by ";", and nothing else. Empty when the text holds
// anything that is not a declaration.
std::optional<std::vector<Declaration>> ReadDeclarationList(std::string_view content, bool writerForm) {
  TokenList tokens;
  TokenizeDeclarations(content, tokens);
  std::vector<Declaration> declarations;
  std::string text;
  auto finish = [&]() {
    if (Trim(text).empty()) return true;
    std::optional<Declaration> declaration = SplitDeclaration(text);
    text.clear();
    // A name holding a blank or a line end is no property's: written as one,
    // it would no longer read as the writer's form.
    if (!declaration || declaration->name.empty() || declaration->value.empty() ||
        std::any_of(declaration->name.begin(), declaration->name.end(), IsBlank) ||
        !(writerForm || IsRealDeclaration(*declaration)))
      return false;
    // A value that leaves a bracket open would run into what the writer puts
    // after it: such a comment is no switched-off declaration.
    if (!UnclosedBracketsOf(declaration->value).empty()) return false;
    declarations.push_back(std::move(*declaration));
    return true;
  };
  for (const Token& token : tokens) {
    if (token.kind == TokenKind::Text) {
      text += token.text;
    } else if (token.kind != TokenKind::Semicolon || !finish()) {
      return std::nullopt;
    }
  }
  if (!finish() || declarations.empty()) return std::nullopt;
  return declarations;
}

// A commented-out selector stands on one line, or on several that end with
// a comma: prose written above a rule is not part of its selector.
bool IsSelectorList(const std::vector<std::string_view>& pieces) {
  bool open = false;
  bool list = true;
  for (std::string_view piece : pieces) {
    ForEachLine(piece, [&](std::string_view line) {
      line = Trim(line);
      if (line.empty()) return;
      if (open) list = false;
      open = !line.ends_with(',');
    });
  }
  return list;
}

// One or more rules, each "selector { declarations }", and nothing else.
bool ReadRuleList(std::string_view content, CommentReading& reading) {
  TokenList tokens;
  Tokenize(content, tokens);
  std::vector<std::string_view> selector;
  std::size_t pos = 0;
  while (pos < tokens.size()) {
    selector.clear();
    while (pos < tokens.size() && tokens[pos].kind == TokenKind::Text) selector.push_back(tokens[pos++].text);
    if (selector.empty() || pos == tokens.size() || tokens[pos].kind != TokenKind::OpenBrace) return false;
    const std::size_t open = ++pos;
    while (pos < tokens.size() && (tokens[pos].kind == TokenKind::Text || tokens[pos].kind == TokenKind::Semicolon))
      ++pos;
    if (pos == tokens.size() || tokens[pos].kind != TokenKind::CloseBrace) return false;
    const std::string_view inside(tokens[open - 1].text.data() + 1,
                                  static_cast<std::size_t>(tokens[pos].text.data() - tokens[open - 1].text.data() - 1));
    std::optional<std::vector<Declaration>> declarations = ReadDeclarationList(inside, false);
    if (!declarations || !IsSelectorList(selector)) return false;
    reading.rules.emplace_back(JoinTrimmedLines(selector, " "), std::move(*declarations));
    ++pos;
  }
  return !reading.rules.empty();
}

CommentReading ReadComment(std::string_view comment) {
  std::string_view content = comment.substr(2);
  if (content.ends_with("*/")) content.remove_suffix(2);

  CommentReading reading;
  if (content.find("/*") == std::string_view::npos) {
    if (auto declarations = ReadDeclarationList(content, IsWriterForm(content))) {
      reading.kind = CommentReading::Kind::Declarations;
      reading.declarations = std::move(*declarations);
    } else if (ReadRuleList(content, reading)) {
      reading.kind = CommentReading::Kind::Rules;
    }
  }
  reading.text = JoinTrimmedLines({content}, kLineEnd);
  return reading;
}

// The text between a comment's markers.
std::string_view CommentContent(std::string_view comment) {
  std::string_view content = comment.substr(2);
  if (content.ends_with("*/") && comment.size() >= 4) content.remove_suffix(2);
  return content;
}

// Where the last "@import", "@namespace" or "@charset" of the text starts,
// in any letter case; none when it has none.
const char* LastImportStatement(std::string_view text) {
  constexpr std::string_view kNames[] = {"import", "namespace", "charset"};
  const char* last = nullptr;
  // Forwards: finding a character is much faster that way than backwards.
  for (std::size_t at = text.find('@'); at != std::string_view::npos; at = text.find('@', at + 1)) {
    for (std::string_view name : kNames) {
      if (text.size() - at - 1 < name.size()) continue;
      bool same = true;
      for (std::size_t i = 0; i < name.size() && same; ++i) same = (text[at + 1 + i] | 0x20) == name[i];
      if (same) last = text.data() + at;
    }
  }
  return last;
}

bool IsClosedComment(std::string_view comment) { return comment.size() >= 4 && comment.ends_with("*/"); }


// Whether a block's prelude can be written on one line and read back the
// same: its lines joined, its brackets paired, with no "}" in it (which
// closes the block around it in browsers), and no comment over several
// lines, which joining would rewrite.
bool PreludeCanBeJoined(std::string_view prelude) {
  prelude = Trim(prelude);
  // A bracket left open in a prelude takes the braces after it in
  // browsers: the block is not the one it seems.
  return LinesCanBeJoined(prelude) && prelude.find('}') == std::string_view::npos &&
         ParenthesesBalance(prelude) && UnclosedBracketsOf(prelude).empty() &&
         (prelude.find("/*") == std::string_view::npos || !HasLineEnd(prelude));
}

// Whether a "\\" stands before a line end somewhere in the text: what the
// end of a file cut there is closed with reads otherwise once saved, and a
// block holding one is kept as written.
bool HasEscapedLineEnd(std::string_view text) {
  for (std::size_t pos = text.find('\\'); pos != std::string_view::npos && pos + 1 < text.size();
       pos = text.find('\\', pos + 2)) {
    if (IsLineEnd(text[pos + 1]) || text[pos + 1] == '\f') return true;
  }
  return false;
}

// What an at-rule's block holds, by the at-rule's name.
enum class AtRuleKind { Other, Rules, Steps, Declarations };

AtRuleKind AtRuleKindOf(std::string_view prelude) {
  std::size_t end = 1;
  while (end < prelude.size() && !IsBlank(prelude[end]) && prelude[end] != '(' && prelude[end] != '{' &&
         prelude[end] != '/' && prelude[end] != ';')
    ++end;
  std::string name;
  for (char c : prelude.substr(1, end - 1)) name += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  static const std::unordered_set<std::string_view> kRules = {
      "media", "supports", "container", "layer", "scope", "document", "-moz-document", "starting-style"};
  static const std::unordered_set<std::string_view> kSteps = {"keyframes", "-webkit-keyframes", "-moz-keyframes",
                                                              "-o-keyframes", "-ms-keyframes"};
  static const std::unordered_set<std::string_view> kDeclarations = {
      "font-face", "page", "property", "counter-style", "font-palette-values", "view-transition", "position-try"};
  if (kRules.contains(name)) return AtRuleKind::Rules;
  if (kSteps.contains(name)) return AtRuleKind::Steps;
  if (kDeclarations.contains(name)) return AtRuleKind::Declarations;
  return AtRuleKind::Other;
}

// Where the rules a reader reads stand: at the top level or in a block of
// rules, as the steps of "@keyframes", or nested in a rule.
enum class Place { Rules, Steps, InRule };

// A map from elements (their keys) to values, in one array: a rule read adds
// one, and a node allocated for each was a tenth of reading a large file.
template <typename Value>
class ElementMap {
 public:
  Value& operator[](const void* key) {
    if (2 * (count_ + 1) > slots_.size()) Grow();
    Slot& slot = slots_[SlotOf(key)];
    if (!slot.key) {
      slot = Slot{key, Value{}};
      ++count_;
    }
    return slot.value;
  }
  [[nodiscard]] const Value* Find(const void* key) const {
    if (slots_.empty()) return nullptr;
    const Slot& slot = slots_[SlotOf(key)];
    return slot.key ? &slot.value : nullptr;
  }

 private:
  struct Slot {
    const void* key = nullptr;
    Value value{};
  };
  // The slot holding the key, or the empty one where it would go.
  [[nodiscard]] std::size_t SlotOf(const void* key) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = (reinterpret_cast<std::uintptr_t>(key) >> 3) * 0x9E3779B97F4A7C15ull >> 20;
    for (at &= mask; slots_[at].key && slots_[at].key != key; at = (at + 1) & mask) {
    }
    return at;
  }
  void Grow() {
    std::vector<Slot> old(std::max<std::size_t>(64, 2 * slots_.size()));
    old.swap(slots_);
    for (const Slot& slot : old)
      if (slot.key) slots_[SlotOf(slot.key)] = slot;
  }
  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

// What the readers of one stylesheet share, whatever block each reads: the
// cascade as read so far, which decides whether a repeated rule may merge
// into its first occurrence.
struct ReadingContext {
  struct RuleInfo {
    MergeGuard::RuleId id;
    bool mergeable;  // a style rule, holding no nested rule or block
  };
  const char* lastImport = nullptr;
  MergeGuard guard;
  ElementMap<RuleInfo> rules;
};

class Parser final {
 public:
  Parser(StyleDocument& document, std::string_view text)
      : document_(document),
        container_(document.Root()),
        textBegin_(text.data()),
        textEnd_(text.data() + text.size()),
        lastImport_(LastImportStatement(text)),
        ownContext_(std::make_unique<ReadingContext>()),
        context_(ownContext_.get()) {
    context_->lastImport = lastImport_;
  }

  // A reader of the rules of a block, or of a rule nested in another, of the
  // text `parent` reads.
  Parser(const Parser& parent, XmlElement container, Place place, std::string_view text)
      : document_(parent.document_),
        container_(container),
        place_(place),
        textBegin_(text.data()),
        textEnd_(text.data() + text.size()),
        lastImport_(parent.lastImport_),
        context_(parent.context_),
        depth_(parent.depth_ + 1) {
    if (place == Place::InRule) parentSpecificities_ = parent.nestingSpecificity_;
  }

  void Run(const TokenList& tokens) {
    Read(tokens);
    Finish();
  }

  // The tokens of whole statements, in order; Finish after the last.
  void Read(const TokenList& tokens) {
    for (const Token& token : tokens) {
      next_ = &token + 1;
      tokensEnd_ = tokens.data() + tokens.size();
      lastNested_ = XmlElement();
      if (token.kind != TokenKind::Comment && token.kind != TokenKind::Semicolon) lastProp_ = XmlElement();
      switch (token.kind) {
        case TokenKind::ByteOrderMark: document_.SetByteOrderMark(true); break;
        case TokenKind::Text: ReadText(token.text); break;
        case TokenKind::Comment: ReadCommentToken(token.text); break;
        case TokenKind::OpenBrace: OpenBlock(token.text); break;
        case TokenKind::Semicolon: FinishDeclaration(); break;
        case TokenKind::CloseBrace: CloseBlock(); break;
        case TokenKind::Verbatim: ReadVerbatim(token.text); break;
      }
      if (propStored_) lastPropEnd_ = token.text.data() + token.text.size();
      propStored_ = false;
    }
  }

  // All the tokens of a block read whole: nothing of it is cut off by the
  // end of the text.
  void ReadBlock(const TokenList& tokens) {
    Read(tokens);
    SettleKeptSwitchedOff();
  }

  void Finish() {
    // A statement in a rule that the end of the file cut off is closed: the
    // rule's "}" is written after it, and other rules may follow. Only the
    // last token can be such a statement, and only there does reading it
    // alone tell whether it is whole.
    if (lastNested_) FinishLastNested();
    lastDeclarationAtEnd_ = true;
    if (inBlock_) CloseBlock();
    SettleKeptSwitchedOff();
  }

 private:
  void ReadText(std::string_view text) {
    if (!inBlock_) {
      selectorPieces_.push_back(text);
    } else if (declaration_.empty() && pieces_ == 0) {
      single_ = text;
      pieces_ = 1;
    } else {
      if (pieces_ == 1) declaration_.assign(single_);
      declaration_ += text;
      pieces_ = 2;
    }
  }

  void FinishDeclaration() {
    std::string_view text = pieces_ == 1 ? single_ : std::string_view(declaration_);
    // A comment the end of the file left open in the last declaration is
    // closed, so that what is written after the declaration stays outside.
    if (lastDeclarationAtEnd_ && EndsInOpenComment(text)) {
      declaration_.assign(text);
      declaration_ += "*/";
      text = declaration_;
    }
    if (!SplitDeclaration(text, parts_)) {
      KeepAsWritten(text);
    } else {
      // The last value may run to the end of the file with its brackets or
      // a string open: browsers close them there and apply it. They are
      // closed, so that what is written after it stays outside. A string
      // cut by a line end is broken instead, not closed; brackets open
      // before a line end that ends no string are closed all the same.
      if (lastDeclarationAtEnd_) {
        const std::string closing = UnclosedBracketsOf(parts_.value);
        const bool stringCut = IsLineEnd(text.back()) && !closing.empty() &&
                               (closing[0] == '"' || closing[0] == '\'' || IsLineEnd(closing[0]));
        if (!closing.empty() && (parts_.name.starts_with("--") || !stringCut)) {
          parts_.joinedValue = std::string(parts_.value) + closing;
          parts_.value = parts_.joinedValue;
        }
      }
      StoredInto(Put(parts_.name, parts_.value, true, ""));
    }
    declaration_.clear();
    pieces_ = 0;
  }

  void FinishLastNested() {
    if (const std::string closing = ClosingOf(lastNestedText_); !closing.empty()) {
      lastNested_.SetTextOf(std::string(lastNested_.TextOf()) + closing);
      return;
    }
    const char* end = lastNestedText_.data() + lastNestedText_.size();
    if (end == textEnd_ && ReadDeclarationCutOff()) return;
    // A comment left open at the end would take the "}" written after it.
    const std::string commentEnd = EndsInOpenComment(lastNestedText_) ? "*/" : "";
    const std::string_view text = Trim(std::string_view(textBegin_, static_cast<std::size_t>(textEnd_ - textBegin_)));
    if (end == text.data() + text.size() && KeepSwallowedAtTheEnd(commentEnd)) return;
    if (!commentEnd.empty()) lastNested_.SetTextOf(std::string(lastNested_.TextOf()) + commentEnd);
  }

  // A declaration holding a string the end of the file cut off is read as
  // browsers read it, the string closed, instead of kept as written.
  bool ReadDeclarationCutOff() {
    const std::string closing = UnclosedBracketsOf(lastNestedText_);
    if (closing.empty() || closing.find_first_of("\r\n") != std::string::npos) return false;
    const std::string closed = std::string(lastNestedText_) + closing;
    TokenList tokens;
    TokenizeDeclarations(closed, tokens);
    DeclarationParts parts;
    if (tokens.size() != 1 || tokens[0].kind != TokenKind::Text || !SplitDeclaration(closed, parts) ||
        parts.name.empty() || parts.name.starts_with('@'))
      return false;
    lastNested_.Parent().RemoveChild(lastNested_);
    lastNested_ = XmlElement();
    Put(parts.name, parts.value, true, "");
    return true;
  }

  // A declaration whose bracket the end of the file closes swallows all
  // that follows it, rules included. Kept in its rule, it would move with
  // the rule when that merges into an earlier one of its name, and swallow
  // what stands between them instead: it stays at the end of the file, in a
  // block of its own selector, as written.
  bool KeepSwallowedAtTheEnd(const std::string& commentEnd) {
    const std::string closing = UnclosedBracketsOf(lastNestedText_);
    if (closing.find_first_of(")]}") == std::string::npos) return false;
    XmlElement rule = lastNested_.Parent();
    rule.RemoveChild(lastNested_);
    lastNested_ = XmlElement();
    // A selector that ends with the "\\" of an escaped blank gets its blank
    // back, as the writer gives it: the "\\" would escape the line end.
    document_.AddVerbatim(container_, selector_,
                          selector_ + std::string(BeforeWhatFollows(selector_)) + "\r\n{\r\n " +
                              NormalizeLineEnds(lastNestedText_) + commentEnd);
    context_->guard.AddOpaque();
    ruleSought_ = false;
    blockBeforeImport_ = false;  // its block is what was swallowed
    if (rule.ChildCount() == 0 && !rule.HasAttr(attrs::kComment)) {
      rule.Parent().RemoveChild(rule);
      document_.Reindex();
    }
    return true;
  }

  // Whether the text stands before an "@import", "@namespace" or "@charset"
  // statement. Only a statement of those that stands before every rule is
  // in force; whatever the save writes before one must not change that.
  [[nodiscard]] bool IsBeforeImport(std::string_view text) const {
    return lastImport_ != nullptr && text.data() < lastImport_;
  }

  void StoredInto(XmlElement prop) {
    lastProp_ = prop;
    propStored_ = true;
  }

  void OpenBlock(std::string_view brace) {
    selector_ = JoinSelector(selectorPieces_);
    // An "@import" written in the selector itself counts too: dropped with
    // its empty rule, it would no longer keep the empty rules before it at
    // the next save.
    blockBeforeImport_ = IsBeforeImport(selectorPieces_.empty() ? brace : selectorPieces_.front());
    // Merged into an earlier rule, a selector holding that "@import" would
    // no longer stand after the rules it keeps.
    const bool holdsLastImport = blockBeforeImport_ && !IsBeforeImport(brace);
    ruleSought_ = false;
    selectorPieces_.clear();
    inBlock_ = true;
    DecideRule(!holdsLastImport);
    bool ruleCommentTaken = false;
    for (std::string_view comment : preludeComments_) {
      const CommentReading reading = ReadComment(comment);
      if (reading.kind == CommentReading::Kind::Declarations && NoneInRule(FoundRule(), reading.declarations)) {
        PutSwitchedOff(Rule(), reading.declarations);
        continue;
      }
      const XmlElement rule = FoundRule();
      // Switched-off declarations are no rule's comment: written after the
      // selector, they would read back as properties of the rule.
      if (!ruleCommentTaken && IsClosedComment(comment) && reading.kind != CommentReading::Kind::Declarations &&
          (!rule || !rule.HasAttr(attrs::kComment) || rule.GetAttr(attrs::kComment).View().empty())) {
        const std::string content = NormalizeLineEnds(CommentContent(comment));
        if (!content.empty()) {
          Put("", "", false, content);
          ruleCommentTaken = true;
          continue;
        }
      }
      KeepComment(comment, reading);
    }
    preludeComments_.clear();
  }

  void CloseBlock() {
    if (!inBlock_) return;  // a stray "}"
    FinishDeclaration();
    // An empty rule is dropped, unless an "@import" or the like follows it,
    // which it makes browsers ignore: it stays, so that they go on doing so.
    // An empty nested rule stays too: its parent, made to hold it, would
    // otherwise be left empty, and dropped at the next save. So do an empty
    // at-rule (@font-face {}) and keyframe step, which browsers keep.
    if (!selector_.empty() && (blockBeforeImport_ || place_ != Place::Rules || selector_.front() == '@')) Rule();
    inBlock_ = false;
    selector_.clear();
    ruleSought_ = false;
    lastProp_ = XmlElement();
  }

  void ReadVerbatim(std::string_view text) {
    const std::string_view prelude = PreludeOf(text);
    const std::string name = JoinTrimmedLines({prelude}, " ");
    if (inBlock_) {
      FinishDeclaration();
      if (ReadNestedRule(text, prelude)) return;
      lastNested_ = document_.AddVerbatim(Rule(), name, NormalizeLineEnds(text));
      lastNestedText_ = text;
    } else if (ReadAtRule(text, prelude, name)) {
      return;
    } else {
      document_.AddVerbatim(container_, name, NormalizeLineEnds(text));
    }
    // Rules or declarations kept as written have an effect on the cascade
    // that is not known: no merge crosses them, nor a statement that leaves
    // a "(" open: browsers read all that follows, up to its ")", as part of
    // it, and a rule merged up from there would start to apply.
    if (text.find('{') != std::string_view::npos || !ParenthesesBalance(text)) context_->guard.AddOpaque();
  }

  // An at-rule whose block holds rules becomes a block of rules, one whose
  // block holds declarations a rule named by its prelude. Only a block that
  // reads whole, as a stylesheet or as a rule, with no string or url cut by
  // a line end (which browsers drop, and which a save may close) and no
  // escaped line end, is taken apart; any other stays as written.
  bool ReadAtRule(std::string_view text, std::string_view prelude, const std::string& name) {
    const AtRuleKind kind = AtRuleKindOf(text);
    if (kind == AtRuleKind::Other || depth_ >= kMaxDepth || prelude.size() == text.size() || text[prelude.size()] != '{' ||
        !text.ends_with('}') || !PreludeCanBeJoined(prelude) || name.empty() || !LinesCanBeJoined(text) ||
        HasEscapedLineEnd(text))
      return false;
    TokenList tokens;
    if (kind == AtRuleKind::Declarations) {
      if (!TokenizeOneRule(text, tokens)) return false;
      Parser(*this, container_, Place::Rules, text).ReadBlock(tokens);
      return true;
    }
    const std::string_view inside = text.substr(prelude.size() + 1, text.size() - prelude.size() - 2);
    if (!TokenizeBlockOfRules(inside, tokens)) return false;
    const XmlElement block = document_.AddContainer(container_, name);
    Parser(*this, block, kind == AtRuleKind::Steps ? Place::Steps : Place::Rules, inside).ReadBlock(tokens);
    return true;
  }

  // A style rule nested in the rule being read becomes a rule of its own
  // inside it, where it stands among the declarations. Nested at-rules, and
  // a block whose prelude reads as a declaration ("font: {...}"), stay as
  // written.
  bool ReadNestedRule(std::string_view text, std::string_view prelude) {
    if (place_ == Place::Steps || depth_ >= kMaxDepth || selector_.empty() || selector_.front() == '@' || text.front() == '@' ||
        Trim(prelude).empty() || Trim(prelude).ends_with(':') || !PreludeCanBeJoined(prelude) ||
        !LinesCanBeJoined(text) || HasEscapedLineEnd(text))
      return false;
    TokenList tokens;
    if (!TokenizeOneRule(text, tokens)) return false;
    Parser(*this, Rule(), Place::InRule, text).ReadBlock(tokens);
    return true;
  }

  void ReadCommentToken(std::string_view comment) {
    using Kind = CommentReading::Kind;
    if (inBlock_) {
      ReadCommentInBlock(comment);
      return;
    }
    if (!selectorPieces_.empty()) {
      preludeComments_.push_back(comment);
      return;
    }
    CommentReading reading = ReadComment(comment);
    // Read as a rule, a commented-out rule would stand before an "@import"
    // or the like that follows it, and make browsers ignore it: it stays a
    // comment.
    if (reading.kind == Kind::Rules && IsBeforeImport(comment)) reading.kind = Kind::Prose;
    if (reading.kind == Kind::Rules && std::all_of(reading.rules.begin(), reading.rules.end(), [&](const auto& rule) {
          return NoneInRule(document_.FindRuleIn(container_, rule.first), rule.second);
        })) {
      for (const auto& [selector, declarations] : reading.rules) {
        XmlElement rule = document_.FindRuleIn(container_, selector);
        if (!rule) {
          rule = document_.AddRule(container_, selector);
          commentedOutRules_.insert(rule.Key());
        }
        PutSwitchedOff(rule, declarations);
      }
    } else if (const XmlElement copied = CommentedOutRuleAmong(reading); copied) {
      // Another commented-out copy of a rule known so far only from such
      // copies: it goes where the first one went, as written. Left here, it
      // would be the first copy once the rule has moved to its live text,
      // and read into the rule at the next load.
      KeepComment(comment, copied);
    } else if (!reading.text.empty()) {
      document_.AddRule(container_, "").SetAttr(attrs::kComment, reading.text);
    }
  }

  // Inside a block a comment is switched-off declarations, when it reads as
  // such and none of them has a property already; else it is the comment
  // behind the declaration it follows on the same line; else it stays where
  // it stands, as written.
  void ReadCommentInBlock(std::string_view comment) {
    XmlElement behind = lastProp_;
    const bool sameLine = behind && lastPropEnd_ != nullptr && lastPropEnd_ <= comment.data() &&
                          !HasLineEnd(std::string_view(lastPropEnd_, static_cast<std::size_t>(comment.data() - lastPropEnd_)));
    lastProp_ = XmlElement();
    const CommentReading reading = ReadComment(comment);
    if (reading.kind == CommentReading::Kind::Declarations && NoneInRule(FoundRule(), reading.declarations)) {
      PutSwitchedOff(Rule(), reading.declarations);
      return;
    }
    if (sameLine && IsClosedComment(comment) && !behind.HasAttr(attrs::kComment)) {
      const std::string content = NormalizeLineEnds(CommentContent(comment));
      if (!content.empty()) {
        behind.SetAttr(attrs::kComment, content);
        if (reading.kind == CommentReading::Kind::Declarations)
          notesOfSwitchedOff_.push_back({behind, content, reading.declarations});
        return;
      }
    }
    KeepComment(comment, reading);
  }

  // A comment kept as written in the block being read. When it holds
  // switched-off declarations that the rule's properties kept from being
  // read as such, whether they still are is known once all is read.
  void KeepComment(std::string_view comment, const CommentReading& reading) {
    const XmlElement kept = KeepComment(comment);
    if (reading.kind == CommentReading::Kind::Declarations) keptSwitchedOff_.emplace_back(kept, reading.declarations);
  }

  // A comment of switched-off declarations kept as written, since the rule
  // had one of their properties, is read back as those properties switched
  // off when a later declaration has moved every such property past it.
  // There it takes the form that reading gives: for each property, the
  // comment the writer writes for it switched off, or, for one the rule
  // does not have, the property switched off. Elsewhere it stays as written.
  //
  // Such a comment on a declaration's line became that declaration's note.
  // Once no property of the comment's stands before it, nor the declaration
  // itself, it is read back as a comment of its own, and settled as one.
  void SettleKeptSwitchedOff() {
    std::unordered_map<const void*, const std::vector<Declaration>*> kept;
    std::unordered_map<const void*, const NoteOfSwitchedOff*> notes;
    std::vector<XmlElement> rules;
    const auto addRule = [&](const XmlElement& rule) {
      if (rule && (rules.empty() || rules.back() != rule)) rules.push_back(rule);
    };
    for (const auto& [comment, declarations] : keptSwitchedOff_) {
      kept.emplace(comment.Key(), &declarations);
      addRule(comment.Parent());
    }
    for (const NoteOfSwitchedOff& note : notesOfSwitchedOff_) {
      notes.emplace(note.holder.Key(), &note);
      addRule(note.holder.Parent());
    }
    std::unordered_set<const void*> settled;
    for (XmlElement rule : rules) {
      if (!settled.insert(rule.Key()).second) continue;
      std::unordered_set<std::string_view> before;  // the names of the properties met so far
      for (XmlElement child = rule.FirstChild(); child;) {
        const XmlElement next = child.NextSibling();
        const std::vector<Declaration>* declarations = nullptr;
        if (IsProp(child)) {
          before.insert(child.GetAttr(attrs::kName).View());
          const auto note = notes.find(child.Key());
          if (note != notes.end() && child.GetAttr(attrs::kComment).View() == note->second->content)
            declarations = &note->second->declarations;
        } else if (const auto found = kept.find(child.Key()); found != kept.end()) {
          declarations = found->second;
        }
        if (declarations && std::none_of(declarations->begin(), declarations->end(), [&](const Declaration& declaration) {
              return before.contains(declaration.name);
            })) {
          XmlElement place = child;
          if (IsProp(child)) {
            // The note stands alone after its declaration, as the next load reads it.
            place = KeepComment("/*" + child.GetAttr(attrs::kComment).AsText() + "*/", rule);
            rule.InsertMoveAfter(place, child);
            child.RemoveAttr(attrs::kComment);
          }
          ReadSwitchedOffBefore(place, *declarations, before);
          rule.RemoveChild(place);
        }
        child = next;
      }
    }
  }

  // Puts before `place` what its declarations read as where the rule has
  // none of their properties before it, and notes the properties it puts.
  void ReadSwitchedOffBefore(const XmlElement& place, const std::vector<Declaration>& declarations,
                             std::unordered_set<std::string_view>& before) {
    XmlElement rule = place.Parent();
    std::vector<std::vector<const Declaration*>> byName;  // in order of first appearance
    std::unordered_map<std::string_view, std::size_t> nameIndex;
    for (const Declaration& declaration : declarations) {
      const auto [at, added] = nameIndex.try_emplace(declaration.name, byName.size());
      if (added) byName.emplace_back();
      byName[at->second].push_back(&declaration);
    }
    for (const std::vector<const Declaration*>& same : byName) {
      XmlElement existing = document_.FindRuleProp(rule, same.front()->name);
      XmlElement put;
      if (existing && existing.GetAttr(attrs::kChecked).IsTrue()) {
        // The property's later declaration makes its switched-off one a
        // comment, where it stands.
        StyleDocument alone;
        const XmlElement aloneRule = alone.AddRule("*");
        XmlElement prop;
        for (const Declaration* declaration : same)
          prop = alone.PutProp(aloneRule, declaration->name, declaration->value, false, "");
        put = document_.AddVerbatim(rule, "", SwitchedOffText(prop));
      } else {
        if (existing) {
          // A property switched off further down: these declarations are
          // that property now, and its own stay where they stand, as the
          // comment the writer writes for them.
          const XmlElement written = document_.AddVerbatim(rule, "", SwitchedOffText(existing));
          rule.InsertMoveBefore(written, existing);
          RemoveFallbacks(existing);
          existing.SetAttr(attrs::kValue, same.front()->value);
          put = existing;
        }
        for (const Declaration* declaration : same) {
          if (declaration != same.front() || !existing)
            put = document_.PutProp(rule, declaration->name, declaration->value, false, "");
        }
        before.insert(put.GetAttr(attrs::kName).View());
      }
      rule.InsertMoveBefore(put, place);
    }
  }

  // Text that is no declaration ("color red") is kept as written, ended by
  // its ";", and browsers go on dropping it. Dropped, it could take with it
  // the ")" of a parenthesis opened before, which would then swallow what
  // follows. The comments behind it are read as comments standing on their
  // own lines, which is where the writer puts them.
  void KeepAsWritten(std::string_view text) {
    std::size_t textEnd = 0;
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
      const char c = text[pos];
      if (c == '"' || c == '\'') {
        // A string, to its quote or its line end: a "/*" in it is text. A
        // "\\" escapes the next character, or the CR LF pair that a saved
        // file writes for an escaped line end.
        std::size_t close = pos + 1;
        while (close < text.size() && text[close] != c && !IsLineEnd(text[close]))
          close += text[close] != '\\' ? 1 : text.substr(close + 1).starts_with("\r\n") ? 3 : 2;
        textEnd = std::min(close + 1, text.size());
        pos = textEnd - 1;
      } else if (c == '\\') {
        textEnd = std::min(pos + 2, text.size());
        pos = textEnd - 1;
      } else if (const std::size_t urlEnd = (c == 'u' || c == 'U') ? UnquotedUrlEnd(text, pos) : std::string_view::npos;
                 urlEnd != std::string_view::npos) {
        // An unquoted url, to its ")": a "/*" in it is text.
        textEnd = urlEnd;
        pos = textEnd - 1;
      } else if (c == '/' && pos + 1 < text.size() && text[pos + 1] == '*') {
        const std::size_t close = text.find("*/", pos + 2);
        if (close == std::string_view::npos) break;
        pos = close + 1;
      } else if (!IsBlank(text[pos])) {
        textEnd = pos + 1;
      }
    }
    if (const std::string_view written = Trim(text.substr(0, textEnd)); !written.empty()) {
      std::string kept = NormalizeLineEnds(written);
      // Brackets the end of the file left open are closed, as browsers close
      // them, so that the ";" and what is written after stay outside.
      if (lastDeclarationAtEnd_) {
        if (const std::string closing = UnclosedBracketsOf(kept); closing.find_first_of("\r\n") == std::string::npos)
          kept += closing;
      }
      if (EndsWithLoneBackslash(kept)) kept += ' ';  // or ";" is escaped
      kept += ';';
      document_.AddVerbatim(Rule(), "", kept);
    }
    for (std::size_t pos = text.find("/*", textEnd); pos != std::string_view::npos; pos = text.find("/*", pos)) {
      const std::size_t close = text.find("*/", pos + 2);
      const std::size_t end = close == std::string_view::npos ? text.size() : close + 2;
      lastProp_ = XmlElement();
      ReadCommentInBlock(text.substr(pos, end - pos));
      pos = end;
    }
  }

  // A comment that stays as written in the block being read. One the end of
  // the file left open is closed, so that the block's "}" written after it
  // stays outside it.
  XmlElement KeepComment(std::string_view comment) { return KeepComment(comment, Rule()); }

  XmlElement KeepComment(std::string_view comment, XmlElement rule) {
    std::string text = NormalizeLineEnds(comment);
    if (!IsClosedComment(comment)) text += "*/";
    return document_.AddVerbatim(rule, "", text);
  }

  // The first rule of a comment read as rules that is known so far only from
  // commented-out copies; none when there is none.
  XmlElement CommentedOutRuleAmong(const CommentReading& reading) {
    if (reading.kind != CommentReading::Kind::Rules || commentedOutRules_.empty()) return XmlElement();
    for (const auto& rule : reading.rules) {
      const XmlElement found = document_.FindRuleIn(container_, rule.first);
      if (found && commentedOutRules_.contains(found.Key())) return found;
    }
    return XmlElement();
  }

  // Whether the rule (none when it is not made yet) has none of these
  // properties: switched-off declarations are stored as properties only
  // then, so that none takes the place of another.
  bool NoneInRule(XmlElement rule, const std::vector<Declaration>& declarations) {
    return !rule || std::none_of(declarations.begin(), declarations.end(), [&](const Declaration& declaration) {
      return static_cast<bool>(document_.FindRuleProp(rule, declaration.name));
    });
  }

  void PutSwitchedOff(XmlElement rule, const std::vector<Declaration>& declarations) {
    for (const Declaration& declaration : declarations)
      StoredInto(document_.PutProp(rule, declaration.name, declaration.value, false, ""));
  }

  // The rule of the block being read, looked up once per block, whatever
  // the number of items it holds: its selector may be long. None while it
  // is not made; Rule() makes it.
  XmlElement FoundRule() {
    if (!ruleSought_) {
      rule_ = mayMerge_ ? document_.FindRuleIn(container_, selector_) : XmlElement();
      ruleSought_ = true;
      if (rule_) EndStatementLeftOpen(rule_);
    }
    return rule_;
  }

  // Whether the block opened goes into the first rule of its name in the
  // container, or makes a rule of its own where it stands. A repeated
  // selector merges up only when the cascade allows it: no rule between
  // sets a property that the move would put on the other side of it.
  // At-rules holding declarations, keyframe steps, nested rules and rules
  // holding nested ones never merge: the cautious reading.
  void DecideRule(bool mayJoin) {
    const bool atRule = !selector_.empty() && selector_.front() == '@';
    const bool styleRule = !atRule && place_ != Place::Steps;
    mayMerge_ = true;
    pendingRule_.reset();
    std::optional<MergeGuard::RuleId> id;
    bool nested = false;
    if (styleRule) {
      std::optional<std::vector<Specificity>> specificities = SelectorSpecificities(
          selector_, place_ == Place::InRule && parentSpecificities_ ? &*parentSpecificities_ : nullptr);
      if (place_ == Place::InRule && !parentSpecificities_) specificities.reset();
      // A rule nested in this one counts its "&" as the most specific of
      // its selectors: one number however long the list, so that nested
      // rules under a long selector list cost no more than others.
      nestingSpecificity_.reset();
      if (specificities && !specificities->empty())
        nestingSpecificity_.emplace(1, *std::max_element(specificities->begin(), specificities->end()));
      id = context_->guard.AddRule(std::move(specificities));
      nested = RecordDeclarations(*id);
    }
    XmlElement existing = document_.FindRuleIn(container_, selector_);
    if (existing && commentedOutRules_.erase(existing.Key()) > 0) {
      // A rule read so far only from a commented-out copy stands where its
      // live text stands.
      document_.MoveRuleToEnd(existing);
      if (id) context_->rules[existing.Key()] = {*id, styleRule && place_ != Place::InRule && !nested};
      return;
    }
    if (existing) {
      const ReadingContext::RuleInfo* info = context_->rules.Find(existing.Key());
      mayMerge_ = mayJoin && styleRule && place_ != Place::InRule && !nested && info != nullptr &&
                  info->mergeable && context_->guard.CanMerge(info->id, *id);
      if (mayMerge_) {
        context_->guard.Merged(info->id, *id);
        return;
      }
    }
    if (id) pendingRule_ = ReadingContext::RuleInfo{*id, styleRule && place_ != Place::InRule && !nested};
  }

  // Whether a statement in a rule is what a bracket left open swallows to
  // the end of the text: it stays there, out of the rule (see
  // KeepSwallowedAtTheEnd).
  bool MovesToTheEnd(std::string_view statement) const {
    const std::string_view all = Trim(std::string_view(textBegin_, static_cast<std::size_t>(textEnd_ - textBegin_)));
    return statement.data() + statement.size() == all.data() + all.size() && ClosingOf(statement).empty() &&
           UnclosedBracketsOf(statement).find_first_of(")]}") != std::string::npos;
  }

  // Notes in the cascade the declarations of the block opened, before they
  // are read. Whether the block holds a nested rule or block.
  bool RecordDeclarations(MergeGuard::RuleId id) {
    // A declaration in one piece is read in place; one cut by comments is
    // joined.
    std::string_view single;
    std::string joined;
    const auto finish = [&] {
      const std::string_view declaration = Trim(joined.empty() ? single : std::string_view(joined));
      if (const std::size_t colon = FirstColonOutsideComments(declaration); colon != std::string_view::npos)
        context_->guard.AddDeclaration(id, Trim(declaration.substr(0, colon)), IsImportant(declaration));
      single = {};
      joined.clear();
    };
    bool nested = false;
    for (const Token* token = next_; token != tokensEnd_ && token->kind != TokenKind::CloseBrace; ++token) {
      if (token->kind == TokenKind::Text) {
        if (single.empty() && joined.empty()) {
          single = token->text;
        } else {
          if (joined.empty()) joined = single;
          joined += token->text;
        }
      } else if (token->kind == TokenKind::Semicolon) {
        finish();
      } else if (token->kind == TokenKind::Verbatim) {
        finish();
        nested = nested || !MovesToTheEnd(token->text);
      }
    }
    finish();
    return nested;
  }

  // A statement kept as written (a nested at-rule without a block, say) that
  // only its block's "}" ended would run on into what a repeated rule merges
  // after it, and take it along: it gets the ";" that ends it there too. One
  // whose last line ends inside a string or url is left alone, since the ";"
  // would be read into it; a lone "\\" at its end gets a blank before the
  // ";", or would escape it.
  void EndStatementLeftOpen(XmlElement rule) {
    XmlElement statement = rule.LastChild();
    if (!statement) return;
    if (!IsVerbatim(statement) || statement.GetAttr(attrs::kName).View().empty()) return;
    const std::string_view text = statement.TextOf();
    const std::size_t end = text.find_last_not_of(" \t\r\n\f");
    if (end == std::string_view::npos || text[end] == ';' || text[end] == '}') return;
    const std::string_view ended = text.substr(0, end + 1);
    if (EndsInsideStringOrUrl(ended)) return;
    statement.SetTextOf(std::string(ended) + (EndsWithLoneBackslash(ended) ? " ;" : ";") + std::string(text.substr(end + 1)));
  }

  XmlElement Rule() {
    if (!FoundRule()) {
      rule_ = document_.AddRule(container_, selector_);
      if (pendingRule_) context_->rules[rule_.Key()] = *pendingRule_;
    }
    return rule_;
  }

  XmlElement Put(std::string_view name, std::string_view value, bool checked, std::string_view comment) {
    return document_.PutProp(Rule(), name, value, checked, comment);
  }

  StyleDocument& document_;
  // Where the rules read go: the root, a block, or the rule they nest in.
  XmlElement container_;
  Place place_ = Place::Rules;
  bool inBlock_ = false;
  std::string selector_;
  XmlElement rule_;
  bool ruleSought_ = false;
  std::vector<std::string_view> selectorPieces_;
  std::vector<std::string_view> preludeComments_;
  // The declaration being read: one piece is kept as a view, more are joined.
  std::string_view single_;
  std::string declaration_;
  int pieces_ = 0;
  DeclarationParts parts_;
  // The property the last declaration went into, and where its text ended:
  // a comment on the same line is that property's comment.
  XmlElement lastProp_;
  const char* lastPropEnd_ = nullptr;
  bool propStored_ = false;
  bool lastDeclarationAtEnd_ = false;
  // The text read, past whose end nothing comes.
  const char* textBegin_ = nullptr;
  const char* textEnd_ = nullptr;
  // Where the last "@import", "@namespace" or "@charset" of the text stands
  // (perhaps inside a comment or string: a rule kept for nothing is harmless).
  const char* lastImport_ = nullptr;
  bool blockBeforeImport_ = false;
  // Rules known so far only from commented-out copies.
  std::unordered_set<const void*> commentedOutRules_;
  // Comments of switched-off declarations kept as written, and what they hold.
  std::vector<std::pair<XmlElement, std::vector<Declaration>>> keptSwitchedOff_;
  // Declarations whose note is such a comment, and what it holds.
  struct NoteOfSwitchedOff {
    XmlElement holder;
    std::string content;
    std::vector<Declaration> declarations;
  };
  std::vector<NoteOfSwitchedOff> notesOfSwitchedOff_;
  // The statement nested in a rule that the last token held, if it did.
  XmlElement lastNested_;
  std::string_view lastNestedText_;
  // The tokens after the one being read, up to the end of the list.
  const Token* next_ = nullptr;
  const Token* tokensEnd_ = nullptr;
  std::unique_ptr<ReadingContext> ownContext_;
  ReadingContext* context_;
  // How many blocks and rules the container stands in. Each level reads its
  // text once more, and deeper ones are kept as written, so that reading
  // stays linear and the stack bounded whatever the text.
  int depth_ = 0;
  static constexpr int kMaxDepth = 12;
  // The block opened: whether it may go into an earlier rule of its name;
  // the cascade's note of it until its rule is made; the specificity its
  // nested rules count for "&", and that of the rule this one nests in.
  bool mayMerge_ = true;
  std::optional<ReadingContext::RuleInfo> pendingRule_;
  std::optional<std::vector<Specificity>> parentSpecificities_;
  std::optional<std::vector<Specificity>> nestingSpecificity_;
};

}  // namespace

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

namespace {

class Filling final {
 public:
  explicit Filling(StyleDocument& document) : document_(document) { document_.BeginFilling(); }
  ~Filling() { document_.EndFilling(); }
  Filling(const Filling&) = delete;
  Filling& operator=(const Filling&) = delete;

 private:
  StyleDocument& document_;
};

}  // namespace

void Parse(StyleDocument& document, const TokenList& tokens) {
  const Filling filling(document);
  const std::string_view text =
      tokens.empty() ? std::string_view()
                     : std::string_view(tokens.front().text.data(), static_cast<std::size_t>(tokens.back().text.data() +
                                                                                              tokens.back().text.size() -
                                                                                              tokens.front().text.data()));
  Parser(document, text).Run(tokens);
}

StyleDocument ReadStylesheet(std::string_view css) { return ReadStylesheet(std::make_shared<const std::string>(css)); }

StyleDocument ReadStylesheet(std::shared_ptr<const std::string> source) {
  const std::string_view css = source ? std::string_view(*source) : std::string_view();
  if (css.find('\0') != std::string_view::npos)
    throw StyleError("Ce fichier n'est pas une feuille de style : il contient un octet nul.");
  // Tokens are parsed a batch at a time: all of a large file's at once
  // would take more memory than its document.
  constexpr std::size_t kBatch = 4096;
  StyleDocument document;
  document.Xml()->KeepSource(std::move(source));
  const std::size_t lineEnd = css.find_first_of("\r\n");
  using LineEnd = StyleDocument::LineEnd;
  if (lineEnd == std::string_view::npos || css[lineEnd] == '\n') {
    document.SetLineEnds(LineEnd::Lf);
  } else {
    document.SetLineEnds(lineEnd + 1 < css.size() && css[lineEnd + 1] == '\n' ? LineEnd::CrLf : LineEnd::Cr);
  }
  {
    const Filling filling(document);
    Parser parser(document, css);
    TokenList tokens;
    // A token stands for a selector, a declaration or a comment: a small file
    // has few, and its batch need not take the room of a large one's.
    tokens.reserve(std::min(kBatch * 2, css.size() / 16 + 16));
    TokenizeInBatches(css, tokens, kBatch, [&] {
      parser.Read(tokens);
      tokens.clear();
    });
    parser.Finish();
  }
  return document;
}

}  // namespace korvel

namespace korvel {

std::string DeclarationProblem(std::string_view name, std::string_view value) {
  const std::string quoted = "« " + std::string(name) + " »";
  const bool blank = std::any_of(name.begin(), name.end(), IsBlank);
  if (blank || name.find_first_of(":;{}") != std::string_view::npos || name.find("/*") != std::string_view::npos)
    return "Le nom de propriété " + quoted + " ne peut contenir ni blanc, ni « : », « ; », accolade ou "
           "commentaire.";
  if (value.find_first_of("\r\n") != std::string_view::npos)
    return "La valeur de " + quoted + " doit tenir sur une ligne.";

  // The declaration as the writer writes it must come back as one declaration
  // with the same name and value, switched on or off.
  const std::string text = std::string(name) + ": " + std::string(value) + ";";
  TokenList tokens;
  TokenizeDeclarations(text, tokens);
  const bool oneDeclaration = tokens.size() == 2 && tokens[0].kind == TokenKind::Text &&
                              tokens[1].kind == TokenKind::Semicolon && tokens[1].text.data() == &text.back();
  if (!oneDeclaration || !StringsCloseOnTheirLine(value) || !ParenthesesBalance(value) || value.find("/*") != std::string_view::npos || value.find("*/") != std::string_view::npos)
    return "La valeur de " + quoted + " contient un « ; », une accolade, une parenthèse ou des guillemets non "
           "fermés, ou un commentaire : elle couperait la feuille de style. Veuillez la corriger.";
  return {};
}

}  // namespace korvel
