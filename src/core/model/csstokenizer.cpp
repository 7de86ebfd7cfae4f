#include "model/csstokenizer.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "model/cssname.h"
#include "model/csswriter.h"

namespace korvel {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The blanks of CSS; other control characters are text, which makes
// browsers drop what holds them, and are kept.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool IsNewline(char c) { return c == '\n' || c == '\r' || c == '\f'; }
// What may not stand in an unquoted url: the control characters but the blanks.
bool IsNonPrintable(char c) { return (c >= 0 && c < 0x20 && !IsBlank(c)) || c == 0x7F; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The characters any scan below stops at or treats as more than one step:
// every other character is passed over one at a time, so runs of them are
// skipped in a tight loop.
constexpr auto kStops = [] {
  std::array<bool, 256> stops{};
  for (unsigned char c : std::string_view("{};()[]\"'/\\uU\n\r\f")) stops[c] = true;
  return stops;
}();

bool IsStop(char c) { return kStops[static_cast<unsigned char>(c)]; }

// Where the escape whose "\\" stands at `pos` ends. A backslash escapes the
// next character; before CR LF it escapes the pair, which a saved file
// writes where the original had a lone CR or LF.
std::size_t EscapeEndIn(std::string_view text, std::size_t pos) {
  if (pos + 2 < text.size() && text[pos + 1] == '\r' && text[pos + 2] == '\n') return pos + 3;
  return std::min(pos + 2, text.size());
}

// Where a scan for the end of a statement stopped, and what it went through.
struct ScanEnd {
  std::size_t at;           // position of the "{", "}" or ";" found, or the end of the text
  bool unbalanced = false;  // an unclosed "(", or a url or string cut by a line end, was crossed
  bool cutString = false;   // a string cut by a line end was crossed
  bool openParenthesis = false;  // a "(" was left open, or a url was cut
  bool openAtEnd = false;        // a "(" was still open where the scan stopped
  bool badUrl = false;           // a bad url ran on across a line end
};

class Scanner final {
 public:
  Scanner(std::string_view css, TokenList& tokens) : css_(css), tokens_(tokens) {}

  void ReadStylesheet(std::size_t batch = 0, const std::function<void()>* take = nullptr) {
    std::size_t pos = 0;
    if (css_.starts_with(kByteOrderMark)) {
      Push(TokenKind::ByteOrderMark, 0, kByteOrderMark.size());
      pos = kByteOrderMark.size();
    }
    while ((pos = SkipBlanks(pos)) < css_.size()) {
      pos = ReadTopLevelStatement(pos);
      if (take && tokens_.size() >= batch) (*take)();
    }
    if (take) (*take)();
  }

  void ReadDeclarationList() {
    std::size_t pos = 0;
    while (pos < css_.size()) {
      pos = ReadBlockContents(pos);
      // A "}" with no block open: keep it as a token and go on.
      if (pos < css_.size()) {
        Push(TokenKind::CloseBrace, pos, pos + 1);
        ++pos;
      }
    }
  }

  [[nodiscard]] std::string Closing() const {
    if (!IsCutOff()) return {};
    int depth = 0;
    std::size_t last = 0;
    for (std::size_t pos = 0; pos < css_.size(); pos = SkipAtom(pos)) {
      last = pos;
      if (css_[pos] == '{') {
        ++depth;
      } else if (css_[pos] == '}' && depth > 0) {
        --depth;
      }
    }
    std::string closing;
    if (css_.empty()) return closing;
    const char c = css_[last];
    if (IsCommentStart(last)) {
      if (!css_.substr(last + 2).ends_with("*/")) closing += "*/";
    } else if (depth == 0) {
      return closing;
    } else if (c == '"' || c == '\'') {
      bool closed = false;
      // The end of the file closes a string as its quote would; a line end
      // would make it a broken string, which browsers drop.
      if (SkipString(last, &closed) == css_.size() && !closed) closing += EndsInLoneBackslash() ? "\r\n" : std::string(1, c);
    } else if ((c == 'u' || c == 'U') && IsUnquotedUrl(last)) {
      bool closed = false;
      // A lone "\\" would escape the ")": a blank goes between.
      if (SkipUnquotedUrl(last, &closed) == css_.size() && !closed) closing += EndsInLoneBackslash() ? " )" : ")";
    } else if (c == '\\' && last + 1 == css_.size()) {
      closing += ' ';  // or the brace below would be escaped
    }
    closing.append(static_cast<std::size_t>(depth), '}');
    return closing;
  }

  [[nodiscard]] bool EndsInLoneBackslash() const {
    const std::size_t last = css_.find_last_not_of('\\');
    return (css_.size() - (last == std::string_view::npos ? 0 : last + 1)) % 2 == 1;
  }

  // Whether the statement the text holds runs to its end unclosed, as one the
  // end of the file cut off does; one that ends with its ";" or "}" is whole,
  // even if a comment or string seems open in it.
  [[nodiscard]] bool IsCutOff() const {
    bool cutString = false;  // read as the block's reading reads it
    const std::size_t end = FindDeclarationEnd(0, &cutString);
    if (end == css_.size()) return true;
    if (css_[end] != '{') return false;
    bool closed = false;
    AfterMatchingBrace(end, &closed);
    return !closed;
  }

  [[nodiscard]] bool EndsInOpenComment() const {
    std::size_t pos = 0;
    for (std::size_t next; pos < css_.size(); pos = next) {
      next = SkipAtom(pos);
      if (next == css_.size()) break;
    }
    return pos < css_.size() && IsCommentStart(pos) && !css_.substr(pos + 2).ends_with("*/");
  }

  [[nodiscard]] std::size_t PreludeEnd() const {
    for (std::size_t pos = 0; pos < css_.size(); pos = SkipAtom(pos)) {
      const char c = css_[pos];
      if (c == '{' || c == ';') return pos;
    }
    return css_.size();
  }

  // Where the unquoted url at `pos` ends (npos when none starts there), and
  // whether its ")" closes it.
  [[nodiscard]] std::size_t UnquotedUrlEnd(std::size_t pos, bool* closed) const {
    if ((css_[pos] != 'u' && css_[pos] != 'U') || !IsUnquotedUrl(pos)) return std::string_view::npos;
    return SkipUnquotedUrl(pos, closed);
  }

 private:
 public:
  // The inside of a block of rules, read as a stylesheet is. False when one
  // of its statements runs on to the end of the text unclosed, or holds a
  // stray "}": in a block, browsers would read it otherwise.
  bool ReadBlockOfRules() {
    if (!BracesStandOutsideBrackets()) return false;
    bool whole = true;
    for (std::size_t pos = 0; whole && (pos = SkipBlanks(pos)) < css_.size();) pos = ReadTopLevelStatement(pos, &whole);
    return whole;
  }

  // The text as one rule: its prelude (an at-rule's too), "{", its block
  // and the "}" that ends the text. False when it is not that.
  bool ReadOneRule() {
    if (!BracesStandOutsideBrackets()) return false;
    const std::size_t pos = SkipBlanks(0);
    bool strayBrace = false;
    const std::size_t end = pos < css_.size() ? FindPreludeEnd(pos, &strayBrace) : css_.size();
    if (end == css_.size() || strayBrace) return false;
    bool closed = false;
    return ReadRule(pos, end, &closed) == css_.size() && closed;
  }

  // Whether every brace of the text stands outside parentheses and square
  // brackets, and the brackets pair up. Browsers read a "{" or "}" inside
  // an open "(" or "[" as part of it, where the reading of blocks above
  // sees a block open or close: only when none stands there do the two
  // agree.
  [[nodiscard]] bool BracesStandOutsideBrackets() const {
    std::string open;
    for (std::size_t pos = SkipPlain(0); pos < css_.size(); pos = SkipPlain(SkipAtom(pos))) {
      const char c = css_[pos];
      const bool inBracket = !open.empty() && open.back() != '{';
      if (c == '(' || c == '[') {
        open += c;
      } else if (c == '{' || c == '}') {
        if (inBracket) return false;
        if (c == '{') open += c;
        else if (!open.empty()) open.pop_back();
      } else if ((c == ')' && !open.empty() && open.back() == '(') || (c == ']' && !open.empty() && open.back() == '[')) {
        open.pop_back();
      }
    }
    return open.empty();
  }

 private:
  // One statement outside any block: a comment, an at-rule, a stray "}", or
  // a rule (prelude, "{", block contents, "}"). `whole` turns false when it
  // runs on to the end of the text unclosed, or holds a stray "}".
  std::size_t ReadTopLevelStatement(std::size_t pos, bool* whole = nullptr) {
    bool closed = false;
    const std::size_t end = ReadTopLevelStatement(pos, closed);
    if (whole && !closed) *whole = false;
    return end;
  }

  std::size_t ReadTopLevelStatement(std::size_t pos, bool& closed) {
    if (IsCommentStart(pos)) {
      const std::size_t end = PushComment(pos);
      closed = end - pos >= 4 && css_.substr(pos + 2, end - pos - 2).ends_with("*/");
      return end;
    }
    const char c = css_[pos];
    // Outside any block a "}" closes nothing: browsers read it as the start
    // of a rule's prelude, and drop that rule. So is a prelude holding one.
    // Such a statement runs to the end of its block and is kept as written,
    // still dropped.
    if (c == '@') return PushVerbatim(pos, FindTopLevelAtRuleEnd(pos, &closed));
    if (c == '{') return PushVerbatim(pos, AfterMatchingBrace(pos, &closed));

    bool strayBrace = false;
    const std::size_t end = FindPreludeEnd(pos, &strayBrace);
    if (end == css_.size()) return PushVerbatim(pos, end);
    if (strayBrace) return PushVerbatim(pos, AfterMatchingBrace(end));
    return ReadRule(pos, end, &closed);
  }

  // A rule whose prelude runs from `pos` to its "{" at `open`.
  std::size_t ReadRule(std::size_t pos, std::size_t open, bool* closed) {
    PushPrelude(pos, open);
    Push(TokenKind::OpenBrace, open, open + 1);
    const std::size_t close = ReadBlockContents(open + 1);
    if (close < css_.size()) {
      Push(TokenKind::CloseBrace, close, close + 1);
      *closed = true;
      return close + 1;
    }
    return close;
  }

  // The inside of a rule's block, up to its "}" (returned) or the end.
  std::size_t ReadBlockContents(std::size_t pos) {
    while ((pos = SkipBlanks(pos)) < css_.size()) {
      if (IsCommentStart(pos)) {
        pos = PushComment(pos);
        continue;
      }
      const char c = css_[pos];
      if (c == '}') return pos;
      if (c == ';') {
        Push(TokenKind::Semicolon, pos, pos + 1);
        ++pos;
        continue;
      }
      if (c == '@') {
        pos = PushVerbatim(pos, FindAtRuleEnd(pos));
        continue;
      }
      const bool custom = StartsCustomProperty(pos);
      bool cutString = false;
      bool unbalanced = false;
      bool openAtEnd = false;
      bool badUrl = false;
      std::size_t end = FindDeclarationEnd(pos, &cutString, &unbalanced, &openAtEnd, &badUrl);
      // Only brackets, braces, or parentheses the first reading could not
      // pair can make the reading with blocks end elsewhere.
      const auto holds = [&](char wanted) { return css_.substr(pos, end - pos).find(wanted) != std::string_view::npos; };
      const bool mayHoldBlocks = custom && (unbalanced || holds('[') || holds('{'));
      if (mayHoldBlocks || (end < css_.size() && css_[end] == '{')) {
        if (const std::size_t blockValueEnd = FindBlockValueDeclarationEnd(pos, custom); blockValueEnd != kNone) {
          PushText(pos, blockValueEnd);
          pos = blockValueEnd;
          continue;
        }
        if (custom) {
          // A string or url cut by a line end makes a custom property
          // invalid, but its value still runs on, brackets and all, to its
          // ";" or "}": browsers drop all of it, and it is kept as written.
          // A "{" in it opens no nested rule.
          const std::size_t valueEnd = FindBlockValueDeclarationEnd(pos, true, true);
          pos = PushVerbatim(pos, valueEnd < css_.size() && css_[valueEnd] == ';' ? valueEnd + 1 : valueEnd);
          continue;
        }
      }
      if (end < css_.size() && css_[end] == '{') {
        pos = PushVerbatim(pos, AfterMatchingBrace(end));
        continue;
      }
      if (openAtEnd && !custom) {
        // Browsers read a "(" as open up to its ")", across ";", "}" and
        // rules, or to the end of the file: all they cross belongs to the
        // declaration, and is kept as written.
        if (const std::size_t swallowed = DeclarationEndAfterBrackets(pos); swallowed > end) {
          pos = PushVerbatim(pos, swallowed < css_.size() && css_[swallowed] == ';' ? swallowed + 1 : swallowed);
          continue;
        }
      }
      if (cutString || badUrl) {
        // A string cut by its line end, or a bad url that ran on across one,
        // makes the declaration invalid, up to its ";": browsers drop all of
        // it, and so it is kept as written.
        pos = PushVerbatim(pos, end < css_.size() && css_[end] == ';' ? end + 1 : end);
        continue;
      }
      // Comments inside a declaration stay where they stand.
      PushText(pos, end);
      pos = end;
    }
    return pos;
  }

  static constexpr std::size_t kNone = std::string_view::npos;

  // A custom property is a name starting with "--" and then, past blanks and
  // comments, its ":". Without the colon, browsers read what follows the name
  // as the prelude of a nested rule, and a "{" there opens that rule's block,
  // not a value.
  [[nodiscard]] bool StartsCustomProperty(std::size_t pos) const {
    if (!css_.substr(pos).starts_with("--")) return false;
    pos += 2;
    while (pos < css_.size()) {
      if (IsNameCharacter(css_[pos])) {
        ++pos;
      } else if (css_[pos] == '\\' && pos + 1 < css_.size() && !IsNewline(css_[pos + 1])) {
        pos = EscapeEnd(pos);
      } else {
        break;
      }
    }
    for (;;) {
      pos = SkipBlanks(pos);
      if (pos < css_.size() && IsCommentStart(pos)) {
        pos = SkipComment(pos);
        continue;
      }
      return pos < css_.size() && css_[pos] == ':';
    }
  }

  // A custom property's value may hold blocks in braces and brackets, and any
  // value may hold braces inside a function's parentheses: there they are
  // part of the value, not a nested rule. Such a declaration ends at the
  // first ";" or "}" outside every bracket. A custom property's brackets left
  // open run to the end of the text, as browsers read them. kNone when other
  // brackets do not pair up, when a "{" opens a nested rule, or when a string
  // or url is cut; a scan that gave up is not tried again on the text it
  // crossed, so that reading stays linear.
  // `pastCuts`: a cut string or a bad url does not stop the scan (for a
  // custom property known to be invalid, whose extent is wanted).
  std::size_t FindBlockValueDeclarationEnd(std::size_t pos, bool custom, bool pastCuts = false) const {
    if (!custom && pos < blockValueGaveUpAt_) return kNone;
    const auto giveUp = [&](std::size_t at) {
      if (!custom) blockValueGaveUpAt_ = std::max(blockValueGaveUpAt_, at);
      return kNone;
    };
    std::string closers;
    std::size_t at = pos;
    while ((at = SkipPlain(at)) < css_.size()) {
      const char c = css_[at];
      bool closed = true;
      if (c == '"' || c == '\'') {
        closed = false;
        at = SkipString(at, &closed);
      } else if ((c == 'u' || c == 'U') && IsUnquotedUrl(at)) {
        bool bad = false;
        closed = false;
        at = SkipUnquotedUrl(at, &closed, &bad);
        if (bad && !pastCuts) return giveUp(at);
      } else if (closers.empty() && (c == ';' || c == '}')) {
        return at;
      } else if (c == '(' || c == '[' || (c == '{' && (custom || !closers.empty()))) {
        closers += c == '(' ? ')' : c == '[' ? ']' : '}';
        ++at;
      } else if (c == ')' || c == ']' || c == '}' || c == '{') {
        if (!closers.empty() && closers.back() == c) {
          closers.pop_back();
        } else if (!custom) {
          return giveUp(at);
        }
        ++at;
      } else {
        at = SkipAtom(at);
      }
      // Cut by a line end, a string is broken; the end of the text closes
      // it, and a url.
      if (!closed && at < css_.size() && !pastCuts) return giveUp(at);
    }
    return (custom || closers.empty()) ? css_.size() : giveUp(at);
  }

  // A declaration ends at the first ";" outside strings and parentheses, or
  // where a "{" or "}" stands. When what it crossed is unbalanced (a "(" that
  // never closes, a string or url cut by a line end), its quotes and
  // parentheses cannot be trusted: it ends at its first ";" outside comments
  // instead. Nor can a "/*" that only closes on a later line (or past the
  // declaration) be trusted: it may have stood in a cut string; it is text.
  // Both readings agree on every well-formed declaration, and the second
  // reads a saved malformed declaration back the same, so that saving again
  // changes nothing.
  std::size_t FindDeclarationEnd(std::size_t pos, bool* cutString = nullptr, bool* unbalanced = nullptr,
                                 bool* openAtEnd = nullptr, bool* badUrl = nullptr) const {
    const ScanEnd end = ScanStatement(pos, true);
    if (badUrl) *badUrl = end.badUrl;
    if (cutString) *cutString = end.cutString && !end.openParenthesis;
    if (unbalanced) *unbalanced = end.unbalanced;
    if (openAtEnd) *openAtEnd = end.openAtEnd;
    // A bad url that ran on across a line end is no cut: browsers read it
    // to its ")", and so does the scan.
    if (end.unbalanced && !end.badUrl && !(end.cutString && !end.openParenthesis && cutString)) {
      for (std::size_t at = pos; at < end.at; ++at) {
        if (IsCommentStart(at) && IsClosedOnItsLine(at, end.at)) {
          at = SkipComment(at) - 1;
        } else if (css_[at] == ';') {
          return at;
        }
      }
    }
    return end.at;
  }

  // Where a declaration ends as browsers read it: at the first ";" or "}"
  // outside every bracket, brackets closing only their own kind; the end of
  // the text closes what is left open. For an at-rule (`atRule`) the
  // position after it is returned: after its ";", or after its block's "}".
  std::size_t DeclarationEndAfterBrackets(std::size_t pos, bool atRule = false) const {
    std::string closers;
    for (pos = SkipPlain(pos); pos < css_.size(); pos = SkipPlain(SkipAtom(pos))) {
      const char c = css_[pos];
      if (closers.empty() && (c == ';' || c == '}')) return atRule && c == ';' ? pos + 1 : pos;
      if (c == '(' || c == '[' || c == '{') {
        closers += c == '(' ? ')' : c == '[' ? ']' : '}';
      } else if (!closers.empty() && c == closers.back()) {
        closers.pop_back();
        if (atRule && c == '}' && closers.empty()) return pos + 1;
      }
    }
    return css_.size();
  }

  bool IsClosedOnItsLine(std::size_t open, std::size_t limit) const {
    const std::size_t close = SkipComment(open);
    if (close > limit || !css_.substr(open + 2, close - open - 2).ends_with("*/")) return false;
    return std::none_of(css_.begin() + static_cast<std::ptrdiff_t>(open), css_.begin() + static_cast<std::ptrdiff_t>(close),
                        IsNewline);
  }

  // An at-rule ends with its ";" or with the "}" closing its block. A "}"
  // that closes the block around it ends it without being taken.
  std::size_t FindAtRuleEnd(std::size_t pos) const {
    bool openAtEnd = false;
    std::size_t end = FindDeclarationEnd(pos, nullptr, nullptr, &openAtEnd);
    if (openAtEnd) {
      // As in a declaration, a "(" left open runs on to its ")" across ";"
      // and "}", or to the end of the file: all of it belongs to the at-rule.
      if (const std::size_t swallowed = DeclarationEndAfterBrackets(pos, true); swallowed > end + 1) return swallowed;
    } else if (end < css_.size() && css_[end] == ';' && OpensParenthesisBefore(pos, end)) {
      // A ";" taken as the end of an at-rule whose quotes cannot be trusted
      // would leave one of its "(" open: saved on a line of its own, that
      // "(" would run on into what follows. It ends where browsers end it.
      end = ScanStatement(pos, true).at;
    }
    if (end == css_.size()) return end;
    if (css_[end] == ';') return end + 1;
    if (css_[end] == '{') return AfterMatchingBrace(end);
    return end;
  }

  // Whether a "(" outside strings and comments stays open from `begin` to `end`.
  [[nodiscard]] bool OpensParenthesisBefore(std::size_t begin, std::size_t end) const {
    int depth = 0;
    for (std::size_t pos = begin; pos < end; pos = SkipAtom(pos)) {
      if (css_[pos] == '(') ++depth;
      else if (css_[pos] == ')' && depth > 0) --depth;
    }
    return depth > 0;
  }

  // Outside any block an at-rule ends with its ";" or with its block; a "}"
  // on the way is part of its prelude, as browsers read it.
  std::size_t FindTopLevelAtRuleEnd(std::size_t pos, bool* closed = nullptr) const {
    const ScanEnd end = ScanStatement(pos, true, false);
    if (end.at == css_.size()) return end.at;
    if (css_[end.at] == ';') {
      if (closed) *closed = true;
      return end.at + 1;
    }
    return AfterMatchingBrace(end.at, closed);
  }

  // A rule's prelude runs to its "{", or to the end when it has none; a "}"
  // on the way is part of it (`strayBrace`).
  std::size_t FindPreludeEnd(std::size_t pos, bool* strayBrace) const {
    for (pos = SkipPlain(pos); pos < css_.size(); pos = SkipPlain(SkipAtom(pos))) {
      const char c = css_[pos];
      if (c == '{') return pos;
      if (c == '}') *strayBrace = true;
    }
    return css_.size();
  }

  ScanEnd ScanStatement(std::size_t pos, bool stopAtSemicolon, bool stopAtCloseBrace = true) const {
    ScanEnd end{css_.size()};
    int parentheses = 0;
    std::size_t outermost = 0;  // the "(" open at depth 0
    while ((pos = SkipPlain(pos)) < css_.size()) {
      const char c = css_[pos];
      if (c == '{' || (c == '}' && stopAtCloseBrace) ||
          (stopAtSemicolon && c == ';' && (parentheses == 0 || !ClosesOnItsLine(outermost)))) {
        end.at = pos;
        break;
      }
      if (c == '(') {
        if (parentheses++ == 0) outermost = pos;
      } else if (c == ')') {
        parentheses = std::max(0, parentheses - 1);
      } else if (c == '"' || c == '\'') {
        bool closed = false;
        pos = SkipString(pos, &closed);
        end.unbalanced |= !closed;
        end.cutString |= !closed;
        continue;
      } else if ((c == 'u' || c == 'U') && IsUnquotedUrl(pos)) {
        bool closed = false;
        bool bad = false;
        pos = SkipUnquotedUrl(pos, &closed, &bad);
        end.unbalanced |= !closed;
        end.openParenthesis |= !closed;
        end.badUrl |= bad;
        continue;
      }
      pos = SkipAtom(pos);
    }
    if (parentheses > 0) end.unbalanced = end.openParenthesis = end.openAtEnd = true;
    return end;
  }

  // Whether the "(" at `open` closes before its line ends. Parentheses
  // protect a ";" only then: one left open would otherwise join a statement
  // to whatever text comes to close it, and a saved file, which puts
  // statements on lines of their own, would read differently.
  [[nodiscard]] bool ClosesOnItsLine(std::size_t open) const {
    if (open >= parenthesesScanFrom_ && open < parenthesesScanTo_) {
      const std::size_t at = open - parenthesesScanFrom_;
      return at < parenthesesClosing_.size() && parenthesesClosing_[at];
    }
    // The scan notes, for every "(" it crosses, whether it closes before the
    // line ends, so that the next statements of a long line ask again
    // without scanning it again.
    parenthesesClosing_.assign(1, false);
    parenthesesOpen_.assign(1, open);
    std::size_t pos = open + 1;
    for (; pos < css_.size(); pos = SkipAtom(pos)) {
      const char c = css_[pos];
      if (IsNewline(c) || c == '{' || c == '}') break;
      if (c == '(') {
        parenthesesClosing_.resize(pos - open + 1, false);
        parenthesesOpen_.push_back(pos);
      } else if (c == ')') {
        parenthesesClosing_[parenthesesOpen_.back() - open] = true;
        parenthesesOpen_.pop_back();
        if (parenthesesOpen_.empty()) break;
      }
    }
    parenthesesScanFrom_ = open;
    parenthesesScanTo_ = std::min(pos + 1, css_.size());
    return parenthesesClosing_[0];
  }

  // The position after the "}" matching the "{" at `open`, or the end.
  std::size_t AfterMatchingBrace(std::size_t open, bool* closed = nullptr) const {
    int depth = 0;
    for (std::size_t pos = open; pos < css_.size(); pos = SkipPlain(SkipAtom(pos))) {
      if (css_[pos] == '{') {
        ++depth;
      } else if (css_[pos] == '}' && --depth == 0) {
        if (closed) *closed = true;
        return pos + 1;
      }
    }
    return css_.size();
  }

  std::size_t SkipPlain(std::size_t pos) const {
    while (pos < css_.size() && !IsStop(css_[pos])) ++pos;
    return pos;
  }

  // Steps over one unit: a string, a comment, an unquoted url(...), an
  // escaped character, or any other single character.
  std::size_t SkipAtom(std::size_t pos) const {
    const char c = css_[pos];
    if (c == '"' || c == '\'') return SkipString(pos);
    if (IsCommentStart(pos)) return SkipComment(pos);
    if (c == '\\') return EscapeEnd(pos);
    if ((c == 'u' || c == 'U') && IsUnquotedUrl(pos)) return SkipUnquotedUrl(pos);
    return pos + 1;
  }

  // A string ends at its closing quote, at a line end (not taken) or at the end.
  std::size_t SkipString(std::size_t pos, bool* closed = nullptr) const {
    const char quote = css_[pos++];
    while (pos < css_.size()) {
      const char c = css_[pos];
      if (c == quote) {
        if (closed) *closed = true;
        return pos + 1;
      }
      if (IsNewline(c)) return pos;
      pos = (c == '\\') ? EscapeEnd(pos) : pos + 1;
    }
    return css_.size();
  }

  [[nodiscard]] std::size_t EscapeEnd(std::size_t pos) const { return EscapeEndIn(css_, pos); }

  [[nodiscard]] bool IsCommentStart(std::size_t pos) const {
    return css_[pos] == '/' && pos + 1 < css_.size() && css_[pos + 1] == '*';
  }

  std::size_t SkipComment(std::size_t pos) const { return CommentCloseFrom(pos + 2) + 2 > css_.size() ? css_.size() : CommentCloseFrom(pos + 2) + 2; }

  // The first "*/" at or after `from`, remembered: scans that try a "/*" at
  // each position of a run of them would otherwise search again each time.
  std::size_t CommentCloseFrom(std::size_t from) const {
    if (from < closeSearchFrom_ || (closeFound_ != std::string_view::npos && from > closeFound_)) {
      closeSearchFrom_ = from;
      closeFound_ = css_.find("*/", from);
    }
    return closeFound_ == std::string_view::npos ? css_.size() : closeFound_;
  }

  // "url(" not preceded by a name character and not followed by a quote.
  [[nodiscard]] bool IsUnquotedUrl(std::size_t pos) const {
    if (pos + 4 > css_.size() || Lower(css_[pos + 1]) != 'r' || Lower(css_[pos + 2]) != 'l' || css_[pos + 3] != '(')
      return false;
    if (pos > 0 && IsNameCharacter(css_[pos - 1])) return false;
    // Cut off by the end of the text, it is still a url: what a save writes
    // after it must not run into it.
    const std::size_t inside = SkipBlanks(pos + 4);
    return inside == css_.size() || (css_[inside] != '"' && css_[inside] != '\'');
  }

  // An unquoted url runs to its ")", or to the end of the text. Blanks may
  // only stand around its address: one that its ")" does not follow makes it
  // a bad url, as do a quote, a "(", a control character and a "\\" before a
  // line end. Browsers read a bad url on to the next ")" that no "\\"
  // escapes, across line ends, braces and semicolons, or to the end of the
  // text; `bad` says that one ran on across a line end.
  std::size_t SkipUnquotedUrl(std::size_t pos, bool* closed = nullptr, bool* bad = nullptr) const {
    const std::size_t begin = pos;
    bool isBad = false;
    for (pos = SkipBlanks(pos + 4); pos < css_.size() && !isBad;) {
      const char c = css_[pos];
      if (c == ')') {
        if (closed) *closed = true;
        return pos + 1;
      }
      if (IsBlank(c)) {
        pos = SkipBlanks(pos);
        isBad = pos < css_.size() && css_[pos] != ')';
      } else if (c == '"' || c == '\'' || c == '(' || IsNonPrintable(c) ||
                 (c == '\\' && pos + 1 < css_.size() && IsNewline(css_[pos + 1]))) {
        isBad = true;
      } else {
        pos = c == '\\' ? pos + 2 : pos + 1;
      }
    }
    if (!isBad) return std::min(pos, css_.size());
    for (; pos < css_.size(); ++pos) {
      const char c = css_[pos];
      if (c == ')') {
        if (closed) *closed = true;
        ++pos;
        break;
      }
      if (c == '\\' && pos + 1 < css_.size() && !IsNewline(css_[pos + 1])) ++pos;
    }
    pos = std::min(pos, css_.size());
    if (bad) *bad = std::any_of(css_.begin() + static_cast<std::ptrdiff_t>(begin), css_.begin() + static_cast<std::ptrdiff_t>(pos), IsNewline);
    return pos;
  }

  std::size_t SkipBlanks(std::size_t pos) const {
    while (pos < css_.size() && IsBlank(css_[pos])) ++pos;
    return pos;
  }

  std::size_t PushComment(std::size_t pos) {
    const std::size_t end = SkipComment(pos);
    Push(TokenKind::Comment, pos, end);
    return end;
  }

  std::size_t PushVerbatim(std::size_t begin, std::size_t end) {
    // A malformed statement cut at a ";" inside a comment would leave that
    // comment open, and once saved it would swallow what follows: the
    // statement takes the rest of its comment, when the comment closes.
    for (std::size_t pos = begin; pos < end; pos = SkipAtom(pos)) {
      if (!IsCommentStart(pos)) continue;
      const std::size_t close = CommentCloseFrom(pos + 2);
      if (close == css_.size() || close + 2 > end) {
        if (close != css_.size()) end = close + 2;
        break;
      }
    }
    std::size_t last = end;
    while (last > begin && IsBlank(css_[last - 1])) --last;
    // A "\\" keeps the line end after it, which it does not escape: without
    // it, the "\\" would be written with a blank to escape, and read
    // differently.
    if (last < end && IsNewline(css_[last]) && EndsWithLoneBackslash(css_.substr(begin, last - begin))) ++last;
    Push(TokenKind::Verbatim, begin, last);
    return end;
  }

  // A rule's prelude: its text, comments inside it included, then the
  // comments that stand after the text (the rule's own comment).
  void PushPrelude(std::size_t begin, std::size_t end) {
    if (css_.substr(begin, end - begin).find('/') == std::string_view::npos) {
      while (end > begin && IsBlank(css_[end - 1])) --end;
      PushText(begin, end);  // no comment: all of it is the text
      return;
    }
    std::size_t textEnd = begin;
    for (std::size_t pos = begin; pos < end; pos = SkipAtom(pos)) {
      if (!IsBlank(css_[pos]) && !IsCommentStart(pos)) textEnd = std::min(SkipAtom(pos), end);
    }
    PushText(begin, textEnd);
    for (std::size_t pos = textEnd; pos < end; pos = SkipAtom(pos)) {
      if (IsCommentStart(pos)) Push(TokenKind::Comment, pos, std::min(SkipComment(pos), end));
    }
  }

  void PushText(std::size_t begin, std::size_t end) {
    for (std::size_t pos = begin; pos < end; ++pos) {
      if (!IsBlank(css_[pos])) {
        Push(TokenKind::Text, begin, end);
        return;
      }
    }
  }

  void Push(TokenKind kind, std::size_t begin, std::size_t end) {
    tokens_.push_back(Token{kind, css_.substr(begin, end - begin)});
  }

  std::string_view css_;
  TokenList& tokens_;
  mutable std::size_t closeSearchFrom_ = std::string_view::npos;
  mutable std::size_t closeFound_ = std::string_view::npos;
  // What the last scan of a line for closing parentheses learnt: for each
  // "(" it crossed, whether it closes before the line ends.
  mutable std::size_t parenthesesScanFrom_ = 0;
  mutable std::size_t parenthesesScanTo_ = 0;
  mutable std::vector<bool> parenthesesClosing_;  // by position from parenthesesScanFrom_
  mutable std::vector<std::size_t> parenthesesOpen_;
  // Where a scan for braces inside a value gave up at a line end.
  mutable std::size_t blockValueGaveUpAt_ = 0;
};

}  // namespace

void Tokenize(std::string_view css, TokenList& tokens) { Scanner(css, tokens).ReadStylesheet(); }

void TokenizeInBatches(std::string_view css, TokenList& tokens, std::size_t batch,
                       const std::function<void()>& take) {
  Scanner(css, tokens).ReadStylesheet(batch, &take);
}

bool TokenizeBlockOfRules(std::string_view css, TokenList& tokens) { return Scanner(css, tokens).ReadBlockOfRules(); }

bool TokenizeOneRule(std::string_view css, TokenList& tokens) { return Scanner(css, tokens).ReadOneRule(); }

void TokenizeDeclarations(std::string_view css, TokenList& tokens) {
  Scanner(css, tokens).ReadDeclarationList();
}

std::string_view PreludeOf(std::string_view verbatim) {
  TokenList unused;
  return verbatim.substr(0, Scanner(verbatim, unused).PreludeEnd());
}

std::size_t UnquotedUrlEnd(std::string_view text, std::size_t pos) {
  TokenList unused;
  bool closed = false;
  return Scanner(text, unused).UnquotedUrlEnd(pos, &closed);
}

bool EndsInOpenComment(std::string_view text) {
  TokenList unused;
  return Scanner(text, unused).EndsInOpenComment();
}

std::string UnclosedBracketsOf(std::string_view value) {
  std::string closers;
  TokenList unused;
  const Scanner scanner(value, unused);
  for (std::size_t pos = 0; pos < value.size(); ++pos) {
    const char c = value[pos];
    bool urlClosed = false;
    if (const std::size_t urlEnd = scanner.UnquotedUrlEnd(pos, &urlClosed); urlEnd != std::string_view::npos) {
      // An unquoted url runs to its ")": the quotes and brackets in it are
      // text. One the end of the text cut off is closed first, after a
      // space when a lone "\\" would escape its ")".
      if (!urlClosed && urlEnd >= value.size()) {
        const std::size_t last = value.find_last_not_of('\\');
        const bool loneBackslash = (value.size() - (last == std::string_view::npos ? 0 : last + 1)) % 2 == 1;
        return (loneBackslash ? " )" : ")") + std::string(closers.rbegin(), closers.rend());
      }
      pos = urlEnd - 1;
    } else if (c == '"' || c == '\'') {
      // A string ends at its quote, or at a line end that cuts it; one the
      // end of the text cut off is closed first, so that the brackets
      // written after it are outside it.
      std::size_t at = pos + 1;
      while (at < value.size() && value[at] != c && value[at] != '\n' && value[at] != '\r' && value[at] != '\f')
        at = value[at] == '\\' ? EscapeEndIn(value, at) : at + 1;
      if (at >= value.size()) {
        const std::size_t last = value.find_last_not_of('\\');
        const bool loneBackslash = (value.size() - (last == std::string_view::npos ? 0 : last + 1)) % 2 == 1;
        return (loneBackslash ? std::string("\r\n") : std::string(1, c)) + std::string(closers.rbegin(), closers.rend());
      }
      pos = value[at] == c ? at : at - 1;
    } else if (c == '\\') {
      pos = EscapeEndIn(value, pos) - 1;
    } else if (c == '/' && pos + 1 < value.size() && value[pos + 1] == '*') {
      const std::size_t close = value.find("*/", pos + 2);
      if (close == std::string_view::npos) return "*/" + std::string(closers.rbegin(), closers.rend());
      pos = close + 1;
    } else if (c == '(' || c == '[' || c == '{') {
      closers += c == '(' ? ')' : c == '[' ? ']' : '}';
    } else if (!closers.empty() && c == closers.back()) {
      closers.pop_back();
    }
  }
  if (closers.empty()) return closers;
  // A lone "\\" at the end would escape the first bracket written after it.
  const std::size_t last = value.find_last_not_of('\\');
  const bool loneBackslash = (value.size() - (last == std::string_view::npos ? 0 : last + 1)) % 2 == 1;
  return (loneBackslash ? " " : "") + std::string(closers.rbegin(), closers.rend());
}

std::string ClosingOf(std::string_view verbatim) {
  TokenList unused;
  return Scanner(verbatim, unused).Closing();
}

}  // namespace korvel
