#include "model/styledocument.h"

namespace korvel {

StyleDocument::StyleDocument() : xml_(CreateXmlDocument(tags::kRoot)) {}

XmlElement StyleDocument::FindRule(std::string_view name) const {
  const auto found = rules_.find(name);
  return found == rules_.end() ? XmlElement() : found->second;
}

XmlElement StyleDocument::AddRule(std::string_view name) {
  XmlElement rule = Root().AppendChild(tags::kRule);
  rule.SetAttr(attrs::kName, name);
  rules_.try_emplace(std::string(name), rule);
  return rule;
}

void StyleDocument::PutProp(std::string_view ruleName, std::string_view name, std::string_view value,
                            bool checked, std::string_view comment) {
  if (ruleName.empty()) {
    AddRule("").SetAttr(attrs::kComment, comment);
    return;
  }
  XmlElement rule = FindRule(ruleName);
  if (!rule) rule = AddRule(ruleName);
  if (name.empty() && !comment.empty()) {
    rule.SetAttr(attrs::kComment, comment);
    return;
  }
  XmlElement prop = FindProp(rule, name);
  if (!prop) {
    prop = rule.AppendChild(tags::kProp);
    prop.SetAttr(attrs::kName, name);
  }
  prop.SetAttr(attrs::kValue, value);
  prop.SetAttr(attrs::kChecked, checked);
  if (!comment.empty()) prop.SetAttr(attrs::kComment, comment);
}

XmlElement StyleDocument::AddVerbatim(std::string_view ruleName, std::string_view name, std::string_view text) {
  XmlElement parent = Root();
  if (!ruleName.empty()) {
    parent = FindRule(ruleName);
    if (!parent) parent = AddRule(ruleName);
  }
  XmlElement verbatim = parent.AppendChild(tags::kVerbatim);
  verbatim.SetAttr(attrs::kName, name);
  verbatim.SetTextOf(text);
  return verbatim;
}

bool StyleDocument::HasByteOrderMark() const { return Root().GetAttr(attrs::kBom).IsTrue(); }

void StyleDocument::SetByteOrderMark(bool present) {
  if (present) {
    Root().SetAttr(attrs::kBom, true);
  } else if (Root().HasAttr(attrs::kBom)) {
    Root().Node().remove_attribute("Bom");
  }
}

void StyleDocument::Reindex() {
  rules_.clear();
  for (XmlElement child : Root().Elements()) {
    const AttrValue name = child.GetAttr(attrs::kName);
    if (IsRule(child) && !name.IsAbsent()) rules_.try_emplace(std::string(name.View()), child);
  }
}

XmlElement FindProp(XmlElement rule, std::string_view name) {
  for (XmlElement child : rule.Elements()) {
    if (IsProp(child) && child.GetAttr(attrs::kName) == name) return child;
  }
  return XmlElement();
}

bool IsRule(XmlElement element) { return element && element.TagOf() == tags::kRule; }
bool IsProp(XmlElement element) { return element && element.TagOf() == tags::kProp; }
bool IsVerbatim(XmlElement element) { return element && element.TagOf() == tags::kVerbatim; }

}  // namespace korvel
