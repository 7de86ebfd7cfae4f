#include "model/styleedit.h"

namespace korvel {

XmlElement StyleEdit::AddProp(std::string_view rule, std::string_view name) {
  XmlElement element = document_.FindRule(rule);
  if (!element) return {};
  if (XmlElement prop = FindProp(element, name)) return prop;
  XmlElement prop = element.AppendChild(tags::kProp);
  prop.SetAttr(attrs::kName, name);
  prop.SetAttr(attrs::kValue, std::string_view());
  prop.SetAttr(attrs::kChecked, true);
  return prop;
}

void StyleEdit::SetValue(XmlElement prop, std::string_view value) { prop.SetAttr(attrs::kValue, value); }

void StyleEdit::SetChecked(XmlElement prop, bool checked) { prop.SetAttr(attrs::kChecked, checked); }

void StyleEdit::MarkDeleted(XmlElement prop) { prop.SetAttr(attrs::kDeleted, true); }

}  // namespace korvel
