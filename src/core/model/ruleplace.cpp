#include "model/ruleplace.h"

#include <algorithm>

namespace korvel {

namespace {

bool Same(ConstXmlElement element, std::string_view tag, std::string_view name) {
  return element.TagOf() == tag && element.GetAttr(attrs::kName) == name;
}

}  // namespace

RulePlace PlaceOf(ConstXmlElement element) {
  RulePlace place;
  for (; element && (IsRule(element) || IsBlock(element)); element = element.Parent()) {
    const std::string_view tag = element.TagOf();
    const std::string_view name = element.GetAttr(attrs::kName).View();
    std::size_t occurrence = 0;
    for (ConstXmlElement sibling : element.Parent().Elements()) {
      if (sibling == element) break;
      if (Same(sibling, tag, name)) ++occurrence;
    }
    place.steps.push_back({std::string(tag), std::string(name), occurrence});
  }
  std::reverse(place.steps.begin(), place.steps.end());
  return place;
}

ConstXmlElement FindPlace(const StyleDocument& document, const RulePlace& place) {
  if (place.IsEmpty()) return {};
  ConstXmlElement at = document.Root();
  for (const RulePlace::Step& step : place.steps) {
    ConstXmlElement found;
    std::size_t seen = 0;
    for (ConstXmlElement child : at.Elements()) {
      if (Same(child, step.tag, step.name) && seen++ == step.occurrence) {
        found = child;
        break;
      }
    }
    if (!found) return {};
    at = found;
  }
  return at;
}

XmlElement FindPlace(StyleDocument& document, const RulePlace& place) {
  return WritableElement(FindPlace(std::as_const(document), place));
}

std::string PlaceLabel(const RulePlace& place) {
  if (place.IsEmpty()) return {};
  std::string label = place.steps.back().name;
  for (auto step = place.steps.rbegin() + 1; step != place.steps.rend(); ++step) {
    label += " dans ";
    label += step->name;
  }
  return label;
}

}  // namespace korvel
