#include "dictionary/activekeyword.h"

namespace korvel {

namespace {

std::string TextOf(const XmlElement& element, std::string_view attribute) {
  if (!element) return {};
  const AttrValue value = element.GetAttr(attribute);
  return value.IsAbsent() ? std::string() : value.AsText();
}

void AddItemNames(const XmlElement& member, std::vector<std::string>& list, bool withClasses) {
  for (XmlElement item : member.Elements()) {
    std::string name = TextOf(item, "Name");
    if (!withClasses && (name == "length" || name == "percentage")) continue;
    list.push_back(std::move(name));
  }
}

}  // namespace

ActiveKeyword::ActiveKeyword() { Reset(); }

void ActiveKeyword::Reset() { document_ = CreateXmlDocument("KeyWords"); }

XmlElement ActiveKeyword::Entry() const { return document_->RootElement().FindChild("KeyWord"); }

std::string ActiveKeyword::KeywordEditMode() const { return TextOf(Entry(), "EditMode"); }

std::string ActiveKeyword::KeywordEditIcon() const { return TextOf(Entry(), "EditIcon"); }

XmlElement ActiveKeyword::FindMember(std::string_view member) const {
  const XmlElement entry = Entry();
  if (!entry) return {};
  for (XmlElement candidate : entry.Elements())
    if (candidate.GetAttr("Name") == member) return candidate;
  return {};
}

std::string ActiveKeyword::MemberEditMode(std::string_view member) const {
  return TextOf(FindMember(member), "EditMode");
}

std::string ActiveKeyword::ItemEditIcon(std::string_view member, std::string_view item) const {
  const XmlElement found = FindMember(member);
  if (!found) return {};
  for (XmlElement candidate : found.Elements())
    if (candidate.GetAttr("Name") == item) return TextOf(candidate, "EditIcon");
  return {};
}

bool ActiveKeyword::IsMemberDefault(std::string_view member, std::string_view value) const {
  const XmlElement found = FindMember(member);
  return found && found.ChildCount() > 0 && found.GetAttr("DefaultValue") == value;
}

void ActiveKeyword::FillMemberGrid(std::vector<MemberRow>& rows) const {
  rows.clear();
  const XmlElement entry = Entry();
  if (!entry) return;
  for (XmlElement member : entry.Elements()) {
    const bool filled = member.HasAttr("Value");
    rows.push_back(MemberRow{TextOf(member, "Name"), TextOf(member, filled ? "Value" : "DefaultValue")});
  }
}

void ActiveKeyword::FillItemList(std::vector<std::string>& list, std::string_view member) const {
  list.clear();
  const XmlElement found = FindMember(member);
  if (found) AddItemNames(found, list, true);
}

bool ActiveKeyword::FillOtherValues(std::vector<std::string>& list, std::string_view member) const {
  list.clear();
  if (!member.empty()) {
    const XmlElement found = FindMember(member);
    if (found) AddItemNames(found, list, false);
  } else if (const XmlElement entry = Entry()) {
    for (XmlElement each : entry.Elements()) AddItemNames(each, list, false);
  }
  return !list.empty();
}

}  // namespace korvel
