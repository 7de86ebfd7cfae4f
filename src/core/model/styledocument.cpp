#include "model/styledocument.h"

#include "model/csswriter.h"
#include "model/knownproperties.h"

#include <algorithm>

namespace korvel {

// The properties of the rules that have many, by name, while the document is
// being filled. A few properties are found faster by a scan.
struct StyleDocument::PropertyIndex {
  using Props = std::unordered_map<std::string_view, XmlElement>;
  static constexpr std::size_t kScanned = 16;
  std::unordered_map<const void*, Props> rules;
  // A parse puts the declarations of one rule in a row: the rule's
  // properties' index (none for a rule with few) is looked up once, not
  // once per declaration.
  XmlElement lastRule;
  Props* lastRuleProps = nullptr;
};

namespace {

bool StartsWithAny(std::string_view name, std::initializer_list<std::string_view> starts) {
  return std::any_of(starts.begin(), starts.end(), [&](std::string_view start) { return name.starts_with(start); });
}

// Whether the order of declarations of these two properties can change what
// a browser applies: one sets what the other sets (a shorthand and its
// longhands, a property and its prefixed alias). Names of one family
// ("border-color", "border-top") are taken to; so are the few shorthands
// whose longhands are named otherwise.
bool OrderMatters(std::string_view a, std::string_view b) {
  if (a.starts_with("--") || b.starts_with("--")) return false;
  a = Unprefixed(a);
  b = Unprefixed(b);
  if (a == "all" || b == "all" || FamilyOf(a) == FamilyOf(b)) return true;
  const auto across = [](std::string_view shorthand, std::string_view longhand) {
    return (shorthand == "font" && longhand == "line-height") ||
           (shorthand == "inset" && (longhand == "top" || longhand == "right" || longhand == "bottom" || longhand == "left")) ||
           (shorthand.starts_with("place-") && StartsWithAny(longhand, {"align-", "justify-"})) ||
           (shorthand == "gap" && StartsWithAny(longhand, {"row-gap", "column-gap"}));
  };
  return across(a, b) || across(b, a);
}

// Whether a property written after `prop` in its rule is one whose order
// with `prop` matters.
bool WrittenBetweenMatters(XmlElement prop, std::string_view name) {
  for (XmlElement next = prop.NextSibling(); next; next = next.NextSibling()) {
    if (!IsProp(next)) continue;
    const std::string_view other = next.GetAttr(attrs::kName).View();
    if (other != name && OrderMatters(name, other)) return true;
  }
  return false;
}

}  // namespace

StyleDocument::StyleDocument() : xml_(CreateCompactXmlDocument(tags::kRoot)) {}
StyleDocument::~StyleDocument() = default;
StyleDocument::StyleDocument(StyleDocument&&) noexcept = default;
StyleDocument& StyleDocument::operator=(StyleDocument&&) noexcept = default;

void StyleDocument::BeginFilling() { filling_ = std::make_unique<PropertyIndex>(); }
void StyleDocument::EndFilling() { filling_.reset(); }

// `rule` is the index's last rule.
XmlElement StyleDocument::FindPropWhileFilling(XmlElement rule, std::string_view name) {
  if (PropertyIndex::Props* props = filling_->lastRuleProps) {
    const auto found = props->find(name);
    return found == props->end() ? XmlElement() : found->second;
  }
  // Every child counts towards the index, so that a rule of many comments
  // and few properties is not scanned again at each declaration.
  std::size_t count = 0;
  XmlElement match;
  for (XmlElement child : rule.Elements()) {
    ++count;
    if (!match && IsProp(child) && child.GetAttr(attrs::kName) == name) match = child;
  }
  if (count > PropertyIndex::kScanned) {
    auto& props = filling_->rules[rule.Key()];
    for (XmlElement child : rule.Elements()) {
      if (IsProp(child)) props.try_emplace(child.GetAttr(attrs::kName).View(), child);
    }
    filling_->lastRuleProps = &props;
  }
  return match;
}

// A new property gets its attributes in one go: nothing to look up first.
XmlElement StyleDocument::AppendProp(XmlElement rule, std::string_view name, std::string_view value, bool checked,
                               std::string_view comment) {
  XmlElement prop = rule.AppendChild(tags::kProp);
  prop.AppendAttr(attrs::kName, name);
  prop.AppendAttr(attrs::kValue, value);
  prop.AppendAttr(attrs::kChecked, checked ? "True" : "False");
  if (!comment.empty()) prop.AppendAttr(attrs::kComment, comment);
  if (filling_) IndexNewProp(rule, prop);
  return prop;
}

// `rule` is the index's last rule.
void StyleDocument::IndexNewProp(XmlElement /*rule*/, XmlElement prop) {
  if (PropertyIndex::Props* props = filling_->lastRuleProps) props->try_emplace(prop.GetAttr(attrs::kName).View(), prop);
}

// The slot of that name, or the empty slot where it would go; none while
// the index is empty.
StyleDocument::RuleSlot* StyleDocument::FindSlot(const void* container, std::string_view name,
                                                  std::size_t hash) const {
  if (ruleSlots_.empty()) return nullptr;
  const std::size_t mask = ruleSlots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    RuleSlot& slot = ruleSlots_[at];
    if (slot.rule == ElementStore::kNone) return &slot;
    if (slot.hash != static_cast<std::uint32_t>(hash)) continue;
    const XmlElement rule = xml_->CompactElement(slot.rule);
    if (rule.Parent().Key() == container && rule.GetAttr(attrs::kName) == name) return &slot;
  }
}

namespace {

std::size_t PlaceHash(const void* container, std::string_view name) {
  return std::hash<std::string_view>{}(name) ^ (std::hash<const void*>{}(container) * 0x9e3779b97f4a7c15ULL);
}

}  // namespace

XmlElement StyleDocument::RuleNamed(std::string_view name) const { return RuleNamedIn(xml_->RootElement().Key(), name); }

XmlElement StyleDocument::RuleNamedIn(const void* container, std::string_view name) const {
  const RuleSlot* slot = FindSlot(container, name, PlaceHash(container, name));
  return slot && slot->rule != ElementStore::kNone ? xml_->CompactElement(slot->rule) : XmlElement();
}

XmlElement StyleDocument::FindRuleIn(ConstXmlElement container, std::string_view name) {
  return RuleNamedIn(container.Key(), name);
}

ConstXmlElement StyleDocument::FindRuleIn(ConstXmlElement container, std::string_view name) const {
  return RuleNamedIn(container.Key(), name);
}

// A name already indexed keeps its first rule.
void StyleDocument::IndexRule(XmlElement rule, std::string_view name) {
  // Kept at most half full, so that probes stay short.
  if (2 * (ruleCount_ + 1) > ruleSlots_.size()) {
    std::vector<RuleSlot> old(std::max<std::size_t>(64, 2 * ruleSlots_.size()));
    old.swap(ruleSlots_);
    const std::size_t mask = ruleSlots_.size() - 1;
    for (const RuleSlot& slot : old) {
      if (slot.rule == ElementStore::kNone) continue;
      std::size_t at = slot.hash & mask;
      while (ruleSlots_[at].rule != ElementStore::kNone) at = (at + 1) & mask;
      ruleSlots_[at] = slot;
    }
  }
  const void* container = rule.Parent().Key();
  const std::size_t hash = PlaceHash(container, name);
  RuleSlot* slot = FindSlot(container, name, hash);
  if (slot->rule != ElementStore::kNone) return;
  *slot = RuleSlot{static_cast<std::uint32_t>(hash), rule.StoreIndex()};
  ++ruleCount_;
}

XmlElement StyleDocument::AddRule(std::string_view name) { return AddRule(Root(), name); }

XmlElement StyleDocument::AddRule(XmlElement container, std::string_view name) {
  XmlElement rule = container.AppendChild(tags::kRule);
  rule.AppendAttr(attrs::kName, name);
  IndexRule(rule, name);
  return rule;
}

XmlElement StyleDocument::AddContainer(XmlElement parent, std::string_view prelude) {
  XmlElement block = parent.AppendChild(tags::kBlock);
  block.SetAttr(attrs::kName, prelude);
  return block;
}

XmlElement StyleDocument::PutProp(std::string_view ruleName, std::string_view name, std::string_view value,
                                  bool checked, std::string_view comment) {
  if (ruleName.empty()) {
    XmlElement freeComment = AddRule("");
    freeComment.SetAttr(attrs::kComment, comment);
    return freeComment;
  }
  XmlElement rule = FindRule(ruleName);
  const bool newRule = !rule;
  if (newRule) rule = AddRule(ruleName);
  return PutPropInRule(rule, newRule, name, value, checked, comment);
}

XmlElement StyleDocument::PutProp(XmlElement rule, std::string_view name, std::string_view value, bool checked,
                                  std::string_view comment) {
  return PutPropInRule(rule, false, name, value, checked, comment);
}

XmlElement StyleDocument::PutPropInRule(XmlElement rule, bool newRule, std::string_view name,
                                        std::string_view value, bool checked, std::string_view comment) {
  if (filling_ && filling_->lastRule != rule) SelectRuleWhileFilling(rule, newRule);
  if (name.empty() && !comment.empty()) {
    rule.SetAttr(attrs::kComment, comment);
    return rule;
  }
  XmlElement prop;
  if (!newRule) prop = filling_ ? FindPropWhileFilling(rule, name) : FindProp(rule, name);
  if (!prop) return AppendProp(rule, name, value, checked, comment);

  const bool wasChecked = prop.GetAttr(attrs::kChecked).IsTrue();
  // A switched-off declaration is an alternative written in a comment; it
  // must not take the place of the declaration in force, which would be lost.
  if (!checked && wasChecked) return prop;
  if (checked && !wasChecked) {
    // The switched-off declarations stay, as the comment they were, where
    // they stood; the property goes on with the declaration in force.
    XmlElement kept = rule.InsertChildBefore(tags::kVerbatim, prop);
    kept.AppendAttr(attrs::kName, "");
    kept.SetTextOf(SwitchedOffText(prop));
    RemoveFallbacks(prop);
    prop.SetAttr(attrs::kValue, value);
    prop.SetAttr(attrs::kChecked, true);
  } else {
    const std::string_view held = prop.GetAttr(attrs::kValue).View();
    const bool laterWins = IsImportant(value) || !IsImportant(held);
    if (laterWins && checked && WrittenBetweenMatters(prop, name)) {
      // Moved past a longhand or shorthand of its own, the earlier
      // declaration would override it, or be overridden: it stays where it
      // stood, as written, and the property goes on from the later one.
      XmlElement kept = rule.InsertChildBefore(tags::kVerbatim, prop);
      kept.AppendAttr(attrs::kName, "");
      kept.SetTextOf(PropText(prop));
      RemoveFallbacks(prop);
      prop.RemoveAttr(attrs::kComment);
      prop.SetAttr(attrs::kValue, value);
      if (!comment.empty()) prop.SetAttr(attrs::kComment, comment);
      rule.AppendMove(prop);
      return prop;
    }
    // A later declaration that an "!important" one overrides goes first: it
    // is written before the others, and read back first it stays a fallback
    // whatever the importance of those that follow, so the save reads back
    // the same.
    XmlElement fallback = laterWins ? prop.AppendChild(tags::kFallback) : prop.PrependChild(tags::kFallback);
    fallback.AppendAttr(attrs::kValue, laterWins ? held : value);
    if (!laterWins) {
      if (!comment.empty()) prop.SetAttr(attrs::kComment, comment);
      return prop;
    }
    prop.SetAttr(attrs::kValue, value);
  }
  if (!comment.empty()) prop.SetAttr(attrs::kComment, comment);
  // The property stands where the declaration in force stands.
  if (prop.NextSibling()) rule.AppendMove(prop);
  return prop;
}

void StyleDocument::SelectRuleWhileFilling(XmlElement rule, bool isNew) {
  filling_->lastRule = rule;
  const auto indexed = isNew ? filling_->rules.end() : filling_->rules.find(rule.Key());
  filling_->lastRuleProps = indexed == filling_->rules.end() ? nullptr : &indexed->second;
}

XmlElement StyleDocument::FindRuleProp(std::string_view ruleName, std::string_view name) {
  const XmlElement rule = FindRule(ruleName);
  return rule ? FindRuleProp(rule, name) : XmlElement();
}

XmlElement StyleDocument::FindRuleProp(XmlElement rule, std::string_view name) {
  if (!filling_) return FindProp(rule, name);
  if (filling_->lastRule != rule) SelectRuleWhileFilling(rule, false);
  return FindPropWhileFilling(rule, name);
}

void StyleDocument::MoveRuleToEnd(XmlElement rule) {
  if (rule.NextSibling()) rule.Parent().AppendMove(rule);
}

XmlElement StyleDocument::AddVerbatim(std::string_view ruleName, std::string_view name, std::string_view text) {
  XmlElement parent = Root();
  if (!ruleName.empty()) {
    parent = FindRule(ruleName);
    if (!parent) parent = AddRule(ruleName);
  }
  return AddVerbatim(parent, name, text);
}

XmlElement StyleDocument::AddVerbatim(XmlElement parent, std::string_view name, std::string_view text) {
  XmlElement verbatim = parent.AppendChild(tags::kVerbatim);
  verbatim.AppendAttr(attrs::kName, name);
  verbatim.SetTextOf(text);
  return verbatim;
}

bool StyleDocument::HasByteOrderMark() const { return Root().GetAttr(attrs::kBom).IsTrue(); }

void StyleDocument::SetByteOrderMark(bool present) {
  if (present) {
    Root().SetAttr(attrs::kBom, true);
  } else {
    Root().RemoveAttr(attrs::kBom);
  }
}

StyleDocument::LineEnd StyleDocument::LineEnds() const {
  const AttrValue lineEnds = Root().GetAttr(attrs::kLineEnds);
  if (lineEnds == "LF") return LineEnd::Lf;
  if (lineEnds == "CR") return LineEnd::Cr;
  return LineEnd::CrLf;
}

void StyleDocument::SetLineEnds(LineEnd lineEnd) {
  if (lineEnd != LineEnd::CrLf) {
    Root().SetAttr(attrs::kLineEnds, lineEnd == LineEnd::Lf ? "LF" : "CR");
  } else {
    Root().RemoveAttr(attrs::kLineEnds);
  }
}

void StyleDocument::Reindex() {
  ruleSlots_.clear();
  ruleCount_ = 0;
  IndexRulesIn(Root());
}

void StyleDocument::IndexRulesIn(XmlElement container) {
  for (XmlElement child : container.Elements()) {
    const AttrValue name = child.GetAttr(attrs::kName);
    if (IsRule(child) && !name.IsAbsent()) IndexRule(child, name.View());
    if (IsContainer(child)) IndexRulesIn(child);
  }
}

XmlElement FindProp(XmlElement rule, std::string_view name) {
  for (XmlElement child : rule.Elements()) {
    if (IsProp(child) && child.GetAttr(attrs::kName) == name) return child;
  }
  return XmlElement();
}

// Reading finds what writing would: one search, seen read-only.
ConstXmlElement FindProp(ConstXmlElement rule, std::string_view name) { return FindProp(WritableElement(rule), name); }

namespace {

// The value without the blanks and comments at its end.
std::string_view WithoutTrailingBlanksAndComments(std::string_view value) {
  for (;;) {
    while (!value.empty() && static_cast<unsigned char>(value.back()) <= 32) value.remove_suffix(1);
    if (!value.ends_with("*/") || value.size() < 4) return value;
    const std::size_t open = value.rfind("/*", value.size() - 4);
    if (open == std::string_view::npos) return value;
    value = value.substr(0, open);
  }
}

}  // namespace

bool IsImportant(std::string_view value) {
  value = WithoutTrailingBlanksAndComments(value);
  constexpr std::string_view kImportant = "important";
  if (value.size() < kImportant.size()) return false;
  for (std::size_t i = 0; i < kImportant.size(); ++i) {
    if ((value[value.size() - kImportant.size() + i] | 0x20) != kImportant[i]) return false;
  }
  value.remove_suffix(kImportant.size());
  value = WithoutTrailingBlanksAndComments(value);
  if (!value.ends_with('!')) return false;
  // "\!" is an escaped character, not the "!" of "!important".
  value.remove_suffix(1);
  std::size_t backslashes = 0;
  while (backslashes < value.size() && value[value.size() - 1 - backslashes] == '\\') ++backslashes;
  return backslashes % 2 == 0;
}

bool IsRule(ConstXmlElement element) { return element && element.HasTag(tags::kRule); }
bool IsProp(ConstXmlElement element) { return element && element.HasTag(tags::kProp); }
bool IsVerbatim(ConstXmlElement element) { return element && element.HasTag(tags::kVerbatim); }
bool IsBlock(ConstXmlElement element) { return element && element.HasTag(tags::kBlock); }

bool IsContainer(ConstXmlElement element) {
  return element && (IsBlock(element) || IsRule(element) || element.HasTag(tags::kRoot));
}

void RemoveFallbacks(XmlElement prop) {
  while (const XmlElement fallback = prop.FindChild(tags::kFallback)) prop.RemoveChild(fallback);
}

}  // namespace korvel
