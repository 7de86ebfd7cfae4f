#include "model/specificity.h"

#include "model/cssname.h"
#include "model/knownproperties.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>

namespace korvel {

namespace {

constexpr std::uint16_t kMaxCount = std::numeric_limits<std::uint16_t>::max();

std::uint16_t SaturatingSum(std::uint16_t a, std::uint16_t b) {
  return static_cast<std::uint16_t>(std::min<unsigned>(kMaxCount, unsigned{a} + unsigned{b}));
}

Specificity operator+(Specificity a, Specificity b) {
  return {SaturatingSum(a.ids, b.ids), SaturatingSum(a.classes, b.classes), SaturatingSum(a.types, b.types)};
}

constexpr Specificity kId{1, 0, 0};
constexpr Specificity kClass{0, 1, 0};
constexpr Specificity kType{0, 0, 1};

Specificity MostSpecific(const std::vector<Specificity>& list) {
  return list.empty() ? Specificity{} : *std::max_element(list.begin(), list.end());
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsWhitespace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
template <std::size_t N>
bool IsOneOf(std::string_view name, const std::array<std::string_view, N>& names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Functional pseudo-classes whose argument is not a selector: one pseudo-class.
constexpr std::array<std::string_view, 9> kPlainFunctionalClasses = {
    "nth-of-type", "nth-last-of-type", "nth-col", "nth-last-col", "lang", "dir", "state",
    "active-view-transition-type", "heading"};
// Functional pseudo-elements whose argument is names or keywords: one pseudo-element.
constexpr std::array<std::string_view, 8> kPlainFunctionalElements = {
    "part", "highlight", "view-transition-group", "view-transition-image-pair", "view-transition-old",
    "view-transition-new", "picker", "scroll-button"};
// Pseudo-elements that an old syntax writes with one colon.
constexpr std::array<std::string_view, 4> kLegacyElements = {"before", "after", "first-line", "first-letter"};

// What a selector list stands in: the top level of a rule (where a nested
// rule's selectors are relative to its parent), an argument that takes
// relative selectors (":has()"), or any other argument.
enum class ListKind { Rule, RelativeArgument, Argument };

// Reads one selector list, adding up specificities as it goes. Every method
// returns false when the text cannot be read with confidence; the reader
// then stops.
class SelectorReader {
 public:
  SelectorReader(std::string_view text, const std::vector<Specificity>* parent, bool* sawNesting, int depth = 0)
      : text_(text), parent_(parent), sawNesting_(sawNesting), depth_(depth) {}

  std::optional<std::vector<Specificity>> ReadList(ListKind kind) {
    std::vector<Specificity> list;
    while (true) {
      Specificity complex;
      if (!ReadComplex(kind, complex)) return std::nullopt;
      list.push_back(complex);
      if (AtEnd()) return list;
      if (Peek() != ',') return std::nullopt;
      ++pos_;
    }
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek(std::size_t ahead = 0) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0'; }

  // Whitespace and comments; whether there was any.
  bool SkipBlanks(bool& ok) {
    const std::size_t start = pos_;
    while (!AtEnd()) {
      if (IsWhitespace(Peek())) {
        ++pos_;
      } else if (Peek() == '/' && Peek(1) == '*') {
        const std::size_t end = text_.find("*/", pos_ + 2);
        if (end == std::string_view::npos) {
          ok = false;
          return false;
        }
        pos_ = end + 2;
      } else {
        break;
      }
    }
    return pos_ != start;
  }

  // A combinator at the current point, consumed.
  bool ReadCombinator() {
    if (Peek() == '|' && Peek(1) == '|') {
      pos_ += 2;
      return true;
    }
    if (Peek() == '>' || Peek() == '+' || Peek() == '~') {
      ++pos_;
      return true;
    }
    return false;
  }

  bool ReadComplex(ListKind kind, Specificity& total) {
    bool ok = true;
    bool sawNesting = false;
    bool* const outerNesting = sawNesting_;
    sawNesting_ = &sawNesting;
    SkipBlanks(ok);
    const bool leadingCombinator = ok && ReadCombinator();
    if (leadingCombinator && kind == ListKind::Argument) ok = false;
    if (leadingCombinator && kind == ListKind::Rule && !parent_) ok = false;
    while (ok) {
      SkipBlanks(ok);
      if (!ok || !ReadCompound(total)) {
        ok = false;
        break;
      }
      const bool blank = SkipBlanks(ok);
      if (!ok || AtEnd() || Peek() == ',') break;
      if (!ReadCombinator() && !blank) ok = false;
    }
    sawNesting_ = outerNesting;
    if (sawNesting && outerNesting) *outerNesting = true;
    if (!ok) return false;
    // A nested rule's selector that does not name its parent is relative to it.
    if (kind == ListKind::Rule && parent_ && (leadingCombinator || !sawNesting)) total = total + MostSpecific(*parent_);
    return true;
  }

  bool ReadCompound(Specificity& total) {
    bool any = false;
    while (!AtEnd()) {
      const char c = Peek();
      bool read = true;
      if (c == '*' || c == '|' || IsNameCharacter(c) || c == '\\') {
        if (any) return false;  // a type selector only opens a compound
        read = ReadTypeSelector(total);
      } else if (c == '&') {
        ++pos_;
        if (!parent_ || parent_->empty()) return false;
        *sawNesting_ = true;
        total = total + MostSpecific(*parent_);
      } else if (c == '#') {
        ++pos_;
        read = ReadName();
        total = total + kId;
      } else if (c == '.') {
        ++pos_;
        read = ReadName();
        total = total + kClass;
      } else if (c == '[') {
        std::string_view inside;
        read = ReadBracketed(']', inside) && !inside.empty();
        total = total + kClass;
      } else if (c == ':') {
        read = ReadPseudo(total);
      } else {
        break;
      }
      if (!read) return false;
      any = true;
    }
    return any;
  }

  // "a", "*", "ns|a", "*|*", "|a".
  bool ReadTypeSelector(Specificity& total) {
    const auto readPart = [&](bool& named) {
      if (Peek() == '*') {
        ++pos_;
        named = false;
        return true;
      }
      named = true;
      return ReadName();
    };
    bool named = false;
    if (Peek() != '|' && !readPart(named)) return false;
    if (Peek() == '|' && Peek(1) != '|' && Peek(1) != '=') {
      ++pos_;
      if (!readPart(named)) return false;
    }
    if (named) total = total + kType;
    return true;
  }

  bool ReadName() { return !ReadNameText().empty(); }

  // An identifier with its escapes ("a\:b" is one name); empty when there is
  // none or an escape is cut.
  std::string_view ReadNameText() {
    const std::size_t start = pos_;
    while (!AtEnd()) {
      if (Peek() == '\\') {
        if (!ReadEscape()) return {};
      } else if (IsNameCharacter(Peek())) {
        ++pos_;
      } else {
        break;
      }
    }
    return text_.substr(start, pos_ - start);
  }

  bool ReadEscape() {
    ++pos_;  // the backslash
    if (AtEnd() || Peek() == '\n' || Peek() == '\r' || Peek() == '\f') return false;
    if (!IsHexDigit(Peek())) {
      ++pos_;
      return true;
    }
    for (int digits = 0; digits < 6 && IsHexDigit(Peek()); ++digits) ++pos_;
    if (IsWhitespace(Peek())) ++pos_;
    return true;
  }

  // From the opening bracket at the current point to its match, over strings, comments, escapes
  // and inner brackets; `inside` is what stands between the two.
  bool ReadBracketed(char close, std::string_view& inside) {
    const std::size_t start = ++pos_;
    std::string closers(1, close);
    while (!AtEnd()) {
      const char c = Peek();
      if (c == '\\') {
        if (!ReadEscape()) return false;
        continue;
      }
      if (c == '"' || c == '\'') {
        const std::size_t end = ReadStringEnd(c);
        if (end == std::string_view::npos) return false;
        pos_ = end;
        continue;
      }
      if (c == '/' && Peek(1) == '*') {
        const std::size_t end = text_.find("*/", pos_ + 2);
        if (end == std::string_view::npos) return false;
        pos_ = end + 2;
        continue;
      }
      ++pos_;
      if (c == '(') closers.push_back(')');
      else if (c == '[') closers.push_back(']');
      else if (c == ')' || c == ']') {
        if (c != closers.back()) return false;
        closers.pop_back();
        if (closers.empty()) {
          inside = text_.substr(start, pos_ - 1 - start);
          return true;
        }
      }
    }
    return false;
  }

  // Past the string that opens at the current point; npos when it is not closed.
  std::size_t ReadStringEnd(char quote) const {
    for (std::size_t i = pos_ + 1; i < text_.size(); ++i) {
      if (text_[i] == '\\') {
        ++i;
      } else if (text_[i] == quote) {
        return i + 1;
      } else if (text_[i] == '\n') {
        return std::string_view::npos;
      }
    }
    return std::string_view::npos;
  }

  bool ReadPseudo(Specificity& total) {
    ++pos_;
    const bool element = Peek() == ':';
    if (element) ++pos_;
    const std::string name = AsciiLower(ReadNameText());
    if (name.empty()) return false;
    if (Peek() != '(') {
      total = total + (element || IsOneOf(name, kLegacyElements) ? kType : kClass);
      return true;
    }
    std::string_view argument;
    if (!ReadBracketed(')', argument)) return false;
    return element ? ReadFunctionalElement(name, argument, total) : ReadFunctionalClass(name, argument, total);
  }

  // Arguments nested deeper than any real selector are not read: each level
  // reads its text again, and the reader would run out of stack.
  static constexpr int kMaxDepth = 32;

  std::optional<std::vector<Specificity>> ReadArgument(std::string_view argument, ListKind kind) const {
    if (depth_ >= kMaxDepth) return std::nullopt;
    SelectorReader inner(argument, parent_, sawNesting_, depth_ + 1);
    return inner.ReadList(kind);
  }

  bool ReadFunctionalClass(const std::string& name, std::string_view argument, Specificity& total) const {
    if (name == "is" || name == "matches" || name == "not" || name == "where" || name == "has") {
      const auto list = ReadArgument(argument, name == "has" ? ListKind::RelativeArgument : ListKind::Argument);
      if (!list) return false;
      if (name != "where") total = total + MostSpecific(*list);
      return true;
    }
    if (name == "nth-child" || name == "nth-last-child") {
      total = total + kClass;
      const std::size_t of = OfKeyword(argument);
      if (of == std::string_view::npos) return true;
      const auto list = ReadArgument(argument.substr(of), ListKind::Argument);
      if (!list) return false;
      total = total + MostSpecific(*list);
      return true;
    }
    if (name == "host" || name == "host-context") {
      const auto list = ReadArgument(argument, ListKind::Argument);
      if (!list || list->size() != 1) return false;
      total = total + kClass + list->front();
      return true;
    }
    if (IsOneOf(name, kPlainFunctionalClasses)) {
      total = total + kClass;
      return true;
    }
    return false;
  }

  bool ReadFunctionalElement(const std::string& name, std::string_view argument, Specificity& total) const {
    if (name == "slotted") {
      const auto list = ReadArgument(argument, ListKind::Argument);
      if (!list || list->size() != 1) return false;
      total = total + kType + list->front();
      return true;
    }
    if (IsOneOf(name, kPlainFunctionalElements)) {
      total = total + kType;
      return true;
    }
    return false;
  }

  // Where the selectors of "2n+1 of .a, .b" start (past "of"); npos without "of".
  static std::size_t OfKeyword(std::string_view argument) {
    std::size_t i = 0;
    while (i < argument.size()) {
      while (i < argument.size() && IsWhitespace(argument[i])) ++i;
      const std::size_t start = i;
      while (i < argument.size() && !IsWhitespace(argument[i])) ++i;
      if (AsciiLower(argument.substr(start, i - start)) == "of") return i;
    }
    return std::string_view::npos;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  const std::vector<Specificity>* parent_;
  bool* sawNesting_;
  int depth_;
};

}  // namespace

std::optional<std::vector<Specificity>> SelectorSpecificities(std::string_view selectorList,
                                                              const std::vector<Specificity>* parent) {
  if (parent && parent->empty()) return std::nullopt;  // a parent of unknown specificity
  bool sawNesting = false;
  SelectorReader reader(selectorList, parent, &sawNesting);
  return reader.ReadList(ListKind::Rule);
}

}  // namespace korvel
