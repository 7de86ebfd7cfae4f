#include "dictionary/valueclassification.h"

#include <optional>
#include <utility>

#include "colors/colorutils.h"

namespace korvel {

namespace {

std::string_view NameOf(const XmlElement& element) {
  const AttrValue name = element.GetAttr("Name");
  return name.IsAbsent() ? std::string_view() : name.View();
}

bool StartsWithDigit(std::string_view text) { return !text.empty() && text.front() >= '0' && text.front() <= '9'; }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The type an item gives the word, or nothing when it does not accept it.
std::optional<std::string> TypeIfAccepted(std::string_view item, std::string_view word) {
  if (item == "length" || item == "percentage") {
    const std::string_view number = word.starts_with('-') ? word.substr(1) : word;
    if (!StartsWithDigit(number)) return std::nullopt;
    return word.ends_with('%') ? "percentage" : "length";
  }
  if (item == "color") {
    if (word.starts_with('#') || ColorTable::Shared().HasColorName(word)) return "color";
    return std::nullopt;
  }
  if (item == "url") {
    if (word.starts_with("url")) return "url";
    return std::nullopt;
  }
  if (word == item) return std::string(word);
  return std::nullopt;
}

bool JoinsFilledMember(std::string_view member, std::string_view word) {
  if (IsNumberLike(word)) return true;
  if (word == "right" || word == "bottom" || word == "left" || word == "center") return true;
  // "top" is the one position word that is also a value of its own (vertical
  // alignment, caption side); it joins only a position.
  if (word == "top") return member == "position" || member.ends_with("-position");
  return member == "font-family";
}

}  // namespace

WordClassifier::WordClassifier(XmlElement entry) {
  // A member whose name an earlier member has adds its items to that
  // member's group: the earlier member is the one that accepts them.
  for (XmlElement member : entry.Elements()) {
    const std::string_view name = NameOf(member);
    MemberGroup* group = nullptr;
    for (MemberGroup& existing : groups_)
      if (existing.name == name) group = &existing;
    if (group == nullptr) group = &groups_.emplace_back(MemberGroup{name, {}});
    for (XmlElement item : member.Elements()) group->items.push_back(NameOf(item));
  }
}

ValueClass WordClassifier::Classify(std::string_view word) const {
  for (const MemberGroup& group : groups_) {
    for (std::string_view item : group.items) {
      std::optional<std::string> type = TypeIfAccepted(item, word);
      if (type) return ValueClass{std::string(group.name), std::move(*type)};
    }
  }
  return {};
}

ValueClass ClassifyWord(XmlElement entry, std::string_view word) { return WordClassifier(entry).Classify(word); }

void AssignWord(XmlElement entry, const ValueClass& valueClass, std::string_view word) {
  if (valueClass.member.empty()) return;
  for (XmlElement member : entry.Elements()) {
    if (NameOf(member) != valueClass.member) continue;
    if (!member.HasAttr("ValueType")) {
      member.SetAttr("ValueType", valueClass.type);
      member.SetAttr("Value", word);
      return;
    }
    if (JoinsFilledMember(valueClass.member, word)) {
      const AttrValue held = member.GetAttr("Value");
      std::string joined = held.IsAbsent() ? std::string() : held.AsText();
      joined += ' ';
      joined += word;
      member.SetAttr("Value", joined);
      return;
    }
  }
}

bool IsNumberLike(std::string_view text) {
  if (text.empty()) return false;
  if (text == "0") return true;
  if (text.back() == '%') return true;
  if (IsAsciiLetter(text.front())) return false;
  return !LengthUnitOf(text).empty();
}

std::string_view LengthUnitOf(std::string_view text) {
  std::string_view found;
  for (std::string_view unit : LengthUnits) {
    if (unit.size() < text.size() && unit.size() > found.size() &&
        EqualsIgnoringCase(text.substr(text.size() - unit.size()), unit))
      found = unit;
  }
  return found;
}

std::string UrlArgument(std::string_view value) {
  const std::size_t url = value.find("url");
  if (url == std::string_view::npos) return {};
  const std::string_view rest = value.substr(url + 3);
  const std::size_t close = rest.find(')');
  if (close == std::string_view::npos) return {};
  std::size_t open = rest.find('(');
  if (open == std::string_view::npos) open = 0;
  std::string address;
  for (std::size_t i = open; i <= close; ++i) {
    const char c = rest[i];
    if (c != '"' && c != '\'' && c != '(' && c != ')') address += c;
  }
  return address;
}

}  // namespace korvel
