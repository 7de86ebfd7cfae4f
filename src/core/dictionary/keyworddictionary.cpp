#include "dictionary/keyworddictionary.h"

#include <utility>

#include "base/messages.h"
#include "dictionary/shorthands.h"
#include "dictionary/valueclassification.h"

namespace korvel {

namespace {

std::string_view TextOrEmpty(const XmlElement& element, std::string_view attribute) {
  const AttrValue value = element.GetAttr(attribute);
  return value.IsAbsent() ? std::string_view() : value.View();
}

// The ActiveKeyword is rebuilt on every click: its elements are new, so their
// attributes are appended straight away rather than looked for first.
void AppendAttr(XmlElement element, const char* name, std::string_view value) {
  element.Node().append_attribute(name).set_value(value.data(), value.size());
}

std::string Quoted(std::string_view name) { return "« " + std::string(name) + " »"; }

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::vector<std::string> SplitWords(std::string_view text, char separator) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) pieces.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

KeywordDictionary KeywordDictionary::Load(const std::string& path) {
  return KeywordDictionary(LoadXmlFile(path), path);
}

KeywordDictionary::KeywordDictionary(XmlDocumentPtr document, std::string origin)
    : document_(std::move(document)), origin_(std::move(origin)) {
  for (XmlElement entry : document_->RootElement().Elements()) {
    const AttrValue name = entry.GetAttr("Name");
    // The first entry of a name is the one found; a later one never is.
    if (!name.IsAbsent()) entries_.try_emplace(name.AsText(), entry);
  }
}

std::vector<std::string> KeywordDictionary::KeywordNames() const {
  std::vector<std::string> names;
  for (XmlElement entry : document_->RootElement().Elements()) {
    const AttrValue name = entry.GetAttr("Name");
    if (name.IsAbsent()) {
      throw XmlError(origin_ + " : l'entrée n° " + std::to_string(names.size() + 1) +
                     " n'a pas d'attribut Name.");
    }
    names.push_back(name.AsText());
  }
  return names;
}

XmlElement KeywordDictionary::FindKeyword(std::string_view name) const {
  const auto found = entries_.find(name);
  return found == entries_.end() ? XmlElement() : found->second;
}

bool KeywordDictionary::IsColorProperty(std::string_view name) const {
  const XmlElement entry = FindKeyword(name);
  return entry && entry.GetAttr("EditMode") == editmode::kGetColor;
}

bool KeywordDictionary::PrepareKeyword(std::string_view name, std::string_view value) {
  active_.Reset();
  const XmlElement entry = FindKeyword(name);
  if (!entry) {
    ShowMessage(Message{"Le mot clé : " + std::string(name) + "\n n'est pas reconnu",
                        std::string(kApplicationTitle), MessageKind::Information, MessageButtons::Ok});
    return false;
  }

  const std::string entryName = entry.GetAttr("Name").AsText();
  long long propsCount = 0;
  for (XmlElement child : entry.Elements())
    if (child.TagOf() == "Prop") ++propsCount;
  bool special = false;
  if (const AttrValue specialText = entry.GetAttr("Special"); !specialText.IsAbsent()) {
    try {
      special = specialText.AsBool();
    } catch (const XmlError& error) {
      throw XmlError(origin_ + " : l'entrée " + Quoted(entryName) + ", attribut Special : " + error.what());
    }
  }

  XmlElement prepared = active_.Document()->RootElement().AppendChild("KeyWord");
  AppendAttr(prepared, "Name", entryName);
  AppendAttr(prepared, "PropsCount", std::to_string(propsCount));
  AppendAttr(prepared, "EditIcon", TextOrEmpty(entry, "EditIcon"));
  AppendAttr(prepared, "EditMode", TextOrEmpty(entry, "EditMode"));
  AppendAttr(prepared, "DefaultValue", TextOrEmpty(entry, "DefaultValue"));
  AppendAttr(prepared, "Special", special ? "True" : "False");

  // The members are the first PropsCount children, whatever their tags.
  long long index = 0;
  for (XmlElement member : entry.Elements()) {
    if (index++ == propsCount) break;
    const AttrValue memberName = member.GetAttr("Name");
    if (memberName.IsAbsent()) {
      throw XmlError(origin_ + " : l'entrée " + Quoted(entryName) + " a un membre sans attribut Name (n° " +
                     std::to_string(index) + ").");
    }
    XmlElement prop = prepared.AppendChild("Prop");
    AppendAttr(prop, "Name", memberName.View());
    AppendAttr(prop, "DefaultValue", TextOrEmpty(member, "DefaultValue"));
    AppendAttr(prop, "EditMode", TextOrEmpty(member, "EditMode"));
    AppendAttr(prop, "EditIcon", TextOrEmpty(member, "EditIcon"));
    for (XmlElement item : member.Elements()) {
      const AttrValue itemName = item.GetAttr("Name");
      if (itemName.IsAbsent()) {
        throw XmlError(origin_ + " : l'entrée " + Quoted(entryName) + ", membre " + Quoted(memberName.View()) +
                       " : un élément n'a pas d'attribut Name.");
      }
      XmlElement copy = prop.AppendChild("Item");
      AppendAttr(copy, "Name", itemName.View());
      AppendAttr(copy, "EditMode", TextOrEmpty(item, "EditMode"));
      AppendAttr(copy, "EditIcon", TextOrEmpty(item, "EditIcon"));
    }
  }

  const std::vector<std::string> words = value.empty() ? std::vector<std::string>() : SplitWords(Trim(value), ' ');
  if (special) {
    ExpandShorthand(prepared, words);
    return true;
  }
  const WordClassifier classifier(prepared);
  for (const std::string& word : words) AssignWord(prepared, classifier.Classify(word), word);
  for (XmlElement member : prepared.Elements()) {
    if (member.HasAttr("Value")) continue;
    const std::string defaultValue = member.GetAttr("DefaultValue").AsText();
    AssignWord(prepared, classifier.Classify(defaultValue), defaultValue);
  }
  return true;
}

}  // namespace korvel
