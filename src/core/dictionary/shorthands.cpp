#include "dictionary/shorthands.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "dictionary/valueclassification.h"

namespace korvel {

namespace {

// The word keeps the type that classification gives it; the member is fixed
// by its place in the value.
void AssignByPlace(XmlElement entry, const WordClassifier& classifier, std::string_view word,
                   std::initializer_list<std::string_view> members) {
  ValueClass valueClass = classifier.Classify(word);
  for (std::string_view member : members) {
    valueClass.member = std::string(member);
    AssignWord(entry, valueClass, word);
  }
}

void ExpandSides(XmlElement entry, const WordClassifier& classifier, const std::vector<std::string>& words) {
  switch (words.size()) {
    case 1:
      AssignByPlace(entry, classifier, words[0], {"top", "right", "bottom", "left"});
      break;
    case 2:
      AssignByPlace(entry, classifier, words[0], {"top", "bottom"});
      AssignByPlace(entry, classifier, words[1], {"right", "left"});
      break;
    case 3:
      AssignByPlace(entry, classifier, words[0], {"top"});
      AssignByPlace(entry, classifier, words[1], {"right", "left"});
      AssignByPlace(entry, classifier, words[2], {"bottom"});
      break;
    case 4:
      AssignByPlace(entry, classifier, words[0], {"top"});
      AssignByPlace(entry, classifier, words[1], {"right"});
      AssignByPlace(entry, classifier, words[2], {"bottom"});
      AssignByPlace(entry, classifier, words[3], {"left"});
      break;
    default:
      break;
  }
}

void ExpandPosition(XmlElement entry, const WordClassifier& classifier,
                    const std::vector<std::string>& words) {
  if (words.size() == 1) {
    AssignByPlace(entry, classifier, words[0], {"horizontal"});
    AssignByPlace(entry, classifier, "center", {"vertical"});
  } else if (words.size() == 2) {
    AssignByPlace(entry, classifier, words[0], {"horizontal"});
    AssignByPlace(entry, classifier, words[1], {"vertical"});
  }
}

// "12px / 1.5" becomes the one word "12px/1.5": the slash binds the size to
// the line height, and a lone "/" would otherwise be taken for a family.
std::vector<std::string> JoinSlashes(const std::vector<std::string>& words) {
  std::vector<std::string> joined;
  bool glueNext = false;
  for (const std::string& word : words) {
    if (glueNext || (word.starts_with('/') && !joined.empty())) {
      joined.back() += word;
    } else {
      joined.push_back(word);
    }
    glueNext = word.ends_with('/');
  }
  return joined;
}

bool HasMember(XmlElement entry, std::string_view name) {
  for (XmlElement member : entry.Elements())
    if (member.GetAttr("Name") == name) return true;
  return false;
}

void ExpandFont(XmlElement entry, const WordClassifier& classifier, const std::vector<std::string>& words) {
  const bool hasLineHeight = HasMember(entry, "line-height");
  for (std::string word : JoinSlashes(words)) {
    // size/line-height: each half to its own member when the entry has one
    // for the line height.
    const std::size_t slash = word.find('/');
    if (hasLineHeight && slash != std::string::npos && slash > 0 && slash + 1 < word.size()) {
      const std::string lineHeight = word.substr(slash + 1);
      word.resize(slash);
      ValueClass lineHeightClass = classifier.Classify(lineHeight);
      lineHeightClass.member = "line-height";
      AssignWord(entry, lineHeightClass, lineHeight);
    }
    ValueClass valueClass = classifier.Classify(word);
    if (valueClass.member.empty()) valueClass = ValueClass{"font-family", "font-family"};
    AssignWord(entry, valueClass, word);
  }
}

}  // namespace

void ExpandShorthand(XmlElement entry, const std::vector<std::string>& words) {
  if (words.empty()) return;
  const AttrValue name = entry.GetAttr("Name");
  const WordClassifier classifier(entry);
  if (name == "margin" || name == "padding")
    ExpandSides(entry, classifier, words);
  else if (name == "background-position")
    ExpandPosition(entry, classifier, words);
  else if (name == "font")
    ExpandFont(entry, classifier, words);
}

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lowered;
}

bool HoldsVar(std::string_view text) { return Lowered(text).find("var(") != std::string::npos; }

std::string JoinWithSpaces(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& word : words) {
    if (word.empty()) continue;
    if (!joined.empty()) joined += ' ';
    joined += word;
  }
  return joined;
}

/// The rows being composed, their values trimmed, and what the composition
/// needs to know of the entry.
class Composition final {
 public:
  Composition(const ActiveKeyword& active, const std::vector<MemberRow>& rows) : active_(active) {
    const XmlElement entry = active.Entry();
    if (entry) name_ = entry.GetAttr("Name").AsText();
    for (const MemberRow& row : rows) rows_.push_back(MemberRow{row.name, std::string(Trimmed(row.value))});
  }

  [[nodiscard]] std::string Compose() {
    const bool byPlace = IsSides() || IsPosition();
    // The values that would be written.
    std::vector<std::string_view> written;
    for (const MemberRow& row : rows_)
      if (!row.value.empty() && (byPlace || !active_.IsMemberDefault(row.name, row.value))) written.push_back(row.value);
    if (written.empty()) return {};
    const bool allSame = std::all_of(written.begin(), written.end(), [&](std::string_view v) { return v == written[0]; });
    if (allSame && (IsCssWideKeyword(written[0]) || HoldsVar(written[0]))) return std::string(written[0]);
    // A CSS-wide keyword is a whole value: beside other values it stands for
    // no value of its member.
    for (MemberRow& row : rows_)
      if (IsCssWideKeyword(row.value)) row.value.clear();
    if (IsSides()) return ComposeSides();
    if (IsPosition()) return ComposePosition();
    return ComposeByKind();
  }

 private:
  [[nodiscard]] const MemberRow* Row(std::string_view member) const {
    for (const MemberRow& row : rows_)
      if (row.name == member) return &row;
    return nullptr;
  }
  [[nodiscard]] std::string ValueOf(std::string_view member) const {
    const MemberRow* row = Row(member);
    return row != nullptr ? row->value : std::string();
  }
  [[nodiscard]] bool IsSides() const {
    return (name_ == "margin" || name_ == "padding" || name_ == "inset") && Row("top") != nullptr &&
           Row("right") != nullptr && Row("bottom") != nullptr && Row("left") != nullptr;
  }
  [[nodiscard]] bool IsPosition() const {
    return name_ == "background-position" && Row("horizontal") != nullptr && Row("vertical") != nullptr;
  }
  [[nodiscard]] bool Significant(std::string_view member, std::string_view value) const {
    return !value.empty() && !active_.IsMemberDefault(member, value);
  }

  // CSS gives a side left out the value of the side across from it, so the
  // shortest form drops trailing sides that equal their opposite.
  [[nodiscard]] std::string ComposeSides() const {
    const std::string absent = name_ == "inset" ? "auto" : "0";
    const auto side = [&](std::string_view member) {
      std::string value = ValueOf(member);
      return value.empty() ? absent : value;
    };
    const std::string top = side("top"), right = side("right"), bottom = side("bottom"), left = side("left");
    if (left != right) return JoinWithSpaces({top, right, bottom, left});
    if (bottom != top) return JoinWithSpaces({top, right, bottom});
    if (right != top) return JoinWithSpaces({top, right});
    return top;
  }

  // A lone coordinate is read with "center" as the other one.
  [[nodiscard]] std::string ComposePosition() const {
    std::string horizontal = ValueOf("horizontal");
    const std::string vertical = ValueOf("vertical");
    if (horizontal.empty() && vertical.empty()) return {};
    if (horizontal.empty()) horizontal = "0%";
    if (vertical.empty() || vertical == "center") return horizontal;
    return JoinWithSpaces({horizontal, vertical});
  }

  [[nodiscard]] std::string ComposeByKind() const {
    const bool font = name_ == "font";
    const bool background = name_ == "background";
    std::vector<std::string> words;
    for (const MemberRow& row : rows_) {
      std::string value = row.value;
      bool required = false;
      if (font && row.name == "line-height") continue;  // written with the size
      if (background && row.name == "background-size") continue;  // written with the position
      if (font && row.name == "font-size") {
        const std::string lineHeight = ValueOf("line-height");
        if (Significant("line-height", lineHeight) && value.find('/') == std::string::npos)
          value += "/" + lineHeight;
        required = true;
      } else if (font && row.name == "font-family") {
        required = true;
      } else if (background && row.name == "background-position") {
        const std::string size = ValueOf("background-size");
        if (Significant("background-size", size)) {
          if (value.empty()) value = "0% 0%";
          value += " / " + size;
          required = true;
        }
      }
      if (value.empty() || (!required && active_.IsMemberDefault(row.name, value))) continue;
      words.push_back(std::move(value));
    }
    return JoinWithSpaces(words);
  }

  const ActiveKeyword& active_;
  std::string name_;
  std::vector<MemberRow> rows_;
};

}  // namespace

bool IsCssWideKeyword(std::string_view text) {
  const std::string lowered = Lowered(text);
  return lowered == "inherit" || lowered == "initial" || lowered == "unset" || lowered == "revert" ||
         lowered == "revert-layer";
}

std::string ComposeShorthand(const ActiveKeyword& active, const std::vector<MemberRow>& rows) {
  return Composition(active, rows).Compose();
}

}  // namespace korvel
