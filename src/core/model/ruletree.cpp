#include "model/ruletree.h"

#include <algorithm>

#include "model/cssparser.h"

namespace korvel {

namespace {

// A marker is a comment whose whole text, trimmed, is "<name>" or "</...>":
// prose that mentions a tag ("the <details> element") is no marker.
bool ReadMarker(std::string_view comment, std::string& marker) {
  const std::string_view text = Trim(comment);
  if (text.size() < 2 || text.front() != '<' || text.back() != '>') return false;
  const std::string_view inside = text.substr(1, text.size() - 2);
  if (inside.find_first_of("<>") != std::string_view::npos) return false;
  marker = inside;
  return true;
}

}  // namespace

void SortRuleTree(std::vector<RuleTreeNode>& nodes, const NodeOrder& order) {
  std::stable_sort(nodes.begin(), nodes.end(), [&](const RuleTreeNode& a, const RuleTreeNode& b) {
    return order ? order(a, b) : a.text < b.text;
  });
  for (RuleTreeNode& node : nodes) SortRuleTree(node.children, order);
}

std::vector<RuleTreeNode> BuildRuleTree(const StyleDocument& document) {
  std::vector<RuleTreeNode> top;
  std::size_t group = 0;  // index of the open group in `top`, plus one; 0 when none is open

  for (ConstXmlElement child : document.Root().Elements()) {
    if (IsVerbatim(child)) {
      top.push_back({RuleTreeNode::Kind::Verbatim, child.GetAttr(attrs::kName).AsText(), {}, child});
      continue;
    }
    if (!IsRule(child)) continue;
    const AttrValue name = child.GetAttr(attrs::kName);
    if (name.IsAbsent()) continue;
    if (name.View().empty()) {
      const AttrValue comment = child.GetAttr(attrs::kComment);
      std::string marker;
      if (comment.IsAbsent() || !ReadMarker(comment.View(), marker)) continue;
      if (marker.starts_with('/')) {
        group = 0;
      } else {
        top.push_back({RuleTreeNode::Kind::Group, std::move(marker), {}, ConstXmlElement()});
        // A marker without a name gives a group node but leaves none open.
        group = top.back().text.empty() ? 0 : top.size();
      }
      continue;
    }
    RuleTreeNode rule{RuleTreeNode::Kind::Rule, std::string(name.View()), {}, child};
    if (group != 0) {
      top[group - 1].children.push_back(std::move(rule));
    } else {
      top.push_back(std::move(rule));
    }
  }
  return top;
}

}  // namespace korvel
