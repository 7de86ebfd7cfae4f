#include "model/csssyntaxcheck.h"

#include <algorithm>
#include <array>

#include "model/cssname.h"

namespace korvel {

namespace {

bool IsNewline(char c) { return c == '\n' || c == '\r' || c == '\f'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || IsNewline(c); }
// The characters the check looks at; runs of any other are passed over at
// once.
constexpr auto kLooked = [] {
  std::array<bool, 256> looked{};
  for (unsigned char c : std::string_view("\n\r\f/\"'\\uU(){}:;")) looked[c] = true;
  return looked;
}();

// The brackets still open, innermost last, packed into about a byte each,
// so that a text of nothing but "(" costs no more memory than its own size.
// An entry is a head byte, high bit clear, holding its kind (low two bits)
// and the low five bits of how many lines it stands below the entry under
// it; the further bits of that distance come before the head, seven to a
// byte with the high bit set, the lowest nearest the head.
class OpenBrackets final {
 public:
  enum Kind : unsigned char { kParenthesis, kBrace, kValueBrace };

  [[nodiscard]] bool Empty() const { return bytes_.empty(); }
  [[nodiscard]] std::size_t Size() const { return size_; }
  [[nodiscard]] std::size_t Braces() const { return braces_; }
  [[nodiscard]] Kind Top() const { return static_cast<Kind>(bytes_.back() & 3); }
  [[nodiscard]] std::size_t TopLine() const { return topLine_; }

  // `line` is never below the line of the entry on top.
  void Push(Kind kind, std::size_t line) {
    std::size_t distance = line - topLine_;
    const auto low = static_cast<unsigned char>(distance & 31);
    distance >>= 5;
    std::array<unsigned char, 10> further{};
    std::size_t count = 0;
    for (; distance != 0; distance >>= 7) further[count++] = static_cast<unsigned char>(0x80 | (distance & 0x7F));
    while (count > 0) bytes_.push_back(further[--count]);
    bytes_.push_back(static_cast<unsigned char>(low << 2 | kind));
    topLine_ = line;
    ++size_;
    if (kind != kParenthesis) ++braces_;
  }

  void Pop() {
    const unsigned char head = bytes_.back();
    bytes_.pop_back();
    std::size_t distance = (head >> 2) & 31;
    for (unsigned shift = 5; !bytes_.empty() && (bytes_.back() & 0x80) != 0; shift += 7) {
      distance |= static_cast<std::size_t>(bytes_.back() & 0x7F) << shift;
      bytes_.pop_back();
    }
    topLine_ -= distance;
    --size_;
    if ((head & 3) != kParenthesis) --braces_;
  }

 private:
  std::vector<unsigned char> bytes_;
  std::size_t topLine_ = 0;
  std::size_t size_ = 0;
  std::size_t braces_ = 0;
};

class Checker final {
 public:
  Checker(std::string_view css, std::size_t limit) : css_(css), limit_(limit) {}

  std::vector<SyntaxProblem> Run() {
    while (pos_ < css_.size()) {
      const std::size_t from = pos_;
      while (pos_ < css_.size() && !kLooked[static_cast<unsigned char>(css_[pos_])]) ++pos_;
      if (!statement_.text) {
        for (std::size_t at = from; at < pos_; ++at) {
          if (static_cast<unsigned char>(css_[at]) > 32) {
            StartStatement(at);
            break;
          }
        }
      }
      if (pos_ == css_.size()) break;
      const char c = css_[pos_];
      if (IsNewline(c)) {
        StepOverNewline();
        continue;
      }
      if (c == '/' && At(pos_ + 1) == '*') {
        ReadComment();
        continue;
      }
      if (c != ';' && c != '{' && c != '}' && !statement_.text) StartStatement(pos_);
      if (c == ':') {
        statement_.colon = true;
        ++pos_;
      } else if (c == ';') {
        if (InDeclarationBlock()) EndStatement();
        statement_ = {};
        ++pos_;
      } else if (c == '"' || c == '\'') {
        ReadString(c);
      } else if (c == '\\') {
        pos_ += 2;
        if (pos_ <= css_.size() && IsNewline(css_[pos_ - 1])) {
          --pos_;
          StepOverNewline();
        }
      } else if ((c == 'u' || c == 'U') && IsUnquotedUrl()) {
        ReadUnquotedUrl();
      } else if (c == '(' || c == '{') {
        // A "{" after a ":" opens a value's block (or a nested rule with a
        // pseudo-class), whose inside is no list of declarations.
        open_.Push(c == '(' ? OpenBrackets::kParenthesis
                            : statement_.colon ? OpenBrackets::kValueBrace
                                               : OpenBrackets::kBrace,
                   line_);
        if (c == '{') statement_ = {};
        ++pos_;
      } else if (c == ')') {
        if (!open_.Empty() && open_.Top() == OpenBrackets::kParenthesis) open_.Pop();
        ++pos_;
      } else if (c == '}') {
        if (InDeclarationBlock()) EndStatement();
        statement_ = {};
        Close();
        ++pos_;
      } else {
        ++pos_;
      }
    }
    // What the end leaves open is told outermost first.
    const std::size_t first = reported_;
    reported_ += open_.Size();
    while (!open_.Empty()) {
      Report(open_.TopLine(), open_.Top() == OpenBrackets::kParenthesis ? "parenthèse non fermée" : "accolade non fermée",
             first + open_.Size() - 1);
      open_.Pop();
    }
    std::sort_heap(kept_.begin(), kept_.end());
    std::vector<SyntaxProblem> problems;
    problems.reserve(kept_.size());
    for (const Kept& kept : kept_) problems.push_back({kept.line, kept.what});
    return problems;
  }

 private:
  // A problem, and the order it was found in: of two on one line, the one
  // found first is told first.
  struct Kept {
    std::size_t line;
    std::size_t order;
    const char* what;
    bool operator<(const Kept& other) const {
      return line != other.line ? line < other.line : order < other.order;
    }
  };

  // The statement being read: where its text starts, and whether it holds a
  // ":". Inside a block of declarations, text without one is no declaration.
  struct Statement {
    bool text = false;
    bool colon = false;
    bool atRule = false;
    std::size_t line = 0;
  };

  void StartStatement(std::size_t at) {
    statement_.text = true;
    statement_.atRule = css_[at] == '@';
    statement_.line = line_;
  }

  [[nodiscard]] bool InDeclarationBlock() const {
    return !open_.Empty() && open_.Top() == OpenBrackets::kBrace;
  }

  void EndStatement() {
    if (statement_.text && !statement_.colon && !statement_.atRule) Report(statement_.line, "déclaration sans « : »");
  }

  [[nodiscard]] char At(std::size_t at) const { return at < css_.size() ? css_[at] : '\0'; }

  void StepOverNewline() {
    if (css_[pos_] == '\r' && At(pos_ + 1) == '\n') ++pos_;
    ++pos_;
    ++line_;
  }

  void ReadComment() {
    const std::size_t start = line_;
    const std::size_t close = css_.find("*/", pos_ + 2);
    const std::size_t end = close == std::string_view::npos ? css_.size() : close + 2;
    for (pos_ += 2; pos_ < end;) {
      if (IsNewline(css_[pos_])) {
        StepOverNewline();
      } else {
        ++pos_;
      }
    }
    if (close == std::string_view::npos) Report(start, "commentaire non fermé");
  }

  // A string ends at its quote; a line end cuts it (browsers drop the
  // declaration or rule holding it).
  void ReadString(char quote) {
    const std::size_t start = line_;
    for (++pos_; pos_ < css_.size(); ++pos_) {
      const char c = css_[pos_];
      if (c == quote) {
        ++pos_;
        return;
      }
      if (IsNewline(c)) break;
      if (c == '\\') {
        if (pos_ + 1 < css_.size() && IsNewline(css_[pos_ + 1])) {
          ++pos_;
          StepOverNewline();
          --pos_;
        } else {
          ++pos_;
        }
      }
    }
    Report(start, "chaîne non fermée");
  }

  [[nodiscard]] bool IsUnquotedUrl() const {
    if ((At(pos_ + 1) | 0x20) != 'r' || (At(pos_ + 2) | 0x20) != 'l' || At(pos_ + 3) != '(') return false;
    if (pos_ > 0 && IsNameCharacter(css_[pos_ - 1])) return false;
    std::size_t inside = pos_ + 4;
    while (inside < css_.size() && IsBlank(css_[inside])) ++inside;
    return At(inside) != '"' && At(inside) != '\'';
  }

  // An unquoted url ends at its ")". Blanks may only stand around its
  // address: past a blank, a quote, a "(" or a "\\" before a line end it is a
  // bad url, which runs on to the next ")" across lines. One that runs on
  // across a line end, or that the end of the text cuts, is reported.
  void ReadUnquotedUrl() {
    const std::size_t start = line_;
    bool address = false;     // a character of the address was read
    bool afterBlank = false;  // blanks stand since then
    bool bad = false;
    bool crossed = false;
    for (pos_ += 4; pos_ < css_.size();) {
      const char c = css_[pos_];
      if (c == ')') {
        ++pos_;
        if (bad && crossed) Report(start, "url non fermée");
        return;
      }
      if (IsBlank(c)) {
        afterBlank = true;
        if (IsNewline(c)) {
          StepOverNewline();
          crossed = true;
        } else {
          ++pos_;
        }
        continue;
      }
      bad |= (afterBlank && address) || c == '"' || c == '\'' || c == '(' ||
             (c == '\\' && pos_ + 1 < css_.size() && IsNewline(css_[pos_ + 1]));
      address = true;
      afterBlank = false;
      // An escaped character is part of the address; an escaped line end is
      // none, and is stepped over as a line end.
      pos_ += (c == '\\' && !(pos_ + 1 < css_.size() && IsNewline(css_[pos_ + 1]))) ? 2 : 1;
    }
    pos_ = std::min(pos_, css_.size());
    Report(start, "url non fermée");
  }

  // A "}" closes the nearest open brace; parentheses still open inside it
  // were never closed.
  void Close() {
    if (open_.Braces() == 0) {
      Report(line_, "accolade fermante « } » qui ne ferme rien");
      return;
    }
    while (open_.Top() == OpenBrackets::kParenthesis) {
      Report(open_.TopLine(), "parenthèse non fermée");
      open_.Pop();
    }
    open_.Pop();
  }

  // Only the first `limit_` problems in line order are kept: a text dense
  // with errors costs no more than a clean one.
  void Report(std::size_t line, const char* what) { Report(line, what, reported_++); }

  void Report(std::size_t line, const char* what, std::size_t order) {
    if (limit_ == 0) return;
    const Kept problem{line, order, what};
    if (kept_.size() == limit_) {
      if (!(problem < kept_.front())) return;
      std::pop_heap(kept_.begin(), kept_.end());
      kept_.pop_back();
    }
    kept_.push_back(problem);
    std::push_heap(kept_.begin(), kept_.end());
  }

  std::string_view css_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
  std::size_t limit_;
  OpenBrackets open_;
  Statement statement_;
  std::vector<Kept> kept_;  // a max-heap: the last of the kept problems on top
  std::size_t reported_ = 0;
};

}  // namespace

std::vector<SyntaxProblem> FindSyntaxProblems(std::string_view css, std::size_t limit) {
  return Checker(css, limit).Run();
}

std::string DescribeSyntaxProblems(const std::vector<SyntaxProblem>& problems, std::size_t shown) {
  if (problems.empty()) return {};
  std::string text =
      "Cette feuille de style contient des erreurs de syntaxe. Les navigateurs en ignorent une partie ; "
      "Korvel garde ce texte tel qu'il est écrit.\n";
  for (std::size_t i = 0; i < problems.size() && i < shown; ++i)
    text += "\n  ligne " + std::to_string(problems[i].line) + " : " + problems[i].what;
  if (problems.size() > shown) text += "\n  …";
  return text;
}

}  // namespace korvel
