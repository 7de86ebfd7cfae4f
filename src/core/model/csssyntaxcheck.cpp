#include "model/csssyntaxcheck.h"

#include <algorithm>
#include <array>

namespace korvel {

namespace {

bool IsNewline(char c) { return c == '\n' || c == '\r' || c == '\f'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || IsNewline(c); }
bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// The characters the check looks at; runs of any other are passed over at
// once.
constexpr auto kLooked = [] {
  std::array<bool, 256> looked{};
  for (unsigned char c : std::string_view("\n\r\f/\"'\\uU(){}:;")) looked[c] = true;
  return looked;
}();

class Checker final {
 public:
  explicit Checker(std::string_view css) : css_(css) {}

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
        open_.push_back({c, line_, c == '{' && statement_.colon});
        if (c == '{') statement_ = {};
        ++pos_;
      } else if (c == ')') {
        if (!open_.empty() && open_.back().bracket == '(') open_.pop_back();
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
    for (const Open& open : open_) Report(open.line, open.bracket == '(' ? "parenthèse non fermée" : "accolade non fermée");
    std::stable_sort(problems_.begin(), problems_.end(),
                     [](const SyntaxProblem& a, const SyntaxProblem& b) { return a.line < b.line; });
    return std::move(problems_);
  }

 private:
  struct Open {
    char bracket;
    std::size_t line;
    bool valueBlock = false;
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
    return !open_.empty() && open_.back().bracket == '{' && !open_.back().valueBlock;
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
    const auto brace = std::find_if(open_.rbegin(), open_.rend(), [](const Open& open) { return open.bracket == '{'; });
    if (brace == open_.rend()) {
      Report(line_, "accolade fermante « } » qui ne ferme rien");
      return;
    }
    for (auto it = open_.rbegin(); it != brace; ++it) Report(it->line, "parenthèse non fermée");
    open_.erase(std::prev(brace.base()), open_.end());
  }

  void Report(std::size_t line, const char* what) {
    problems_.push_back({line, what});
  }

  std::string_view css_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
  std::vector<Open> open_;
  Statement statement_;
  std::vector<SyntaxProblem> problems_;
};

}  // namespace

std::vector<SyntaxProblem> FindSyntaxProblems(std::string_view css, std::size_t limit) {
  std::vector<SyntaxProblem> problems = Checker(css).Run();
  if (problems.size() > limit) problems.resize(limit);
  return problems;
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
