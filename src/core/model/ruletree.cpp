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

// A rule and, under it, the rules nested in it.
RuleTreeNode RuleNode(ConstXmlElement rule) {
  RuleTreeNode node{RuleTreeNode::Kind::Rule, std::string(rule.GetAttr(attrs::kName).View()), {}, rule};
  for (ConstXmlElement child : rule.Elements()) {
    if (IsRule(child) && !child.GetAttr(attrs::kName).View().empty()) node.children.push_back(RuleNode(child));
  }
  return node;
}

// What the root or a block holds, in the file's order.
std::vector<RuleTreeNode> Level(ConstXmlElement container) {
  std::vector<RuleTreeNode> level;
  std::size_t group = 0;  // index of the open group in `level`, plus one; 0 when none is open
  const auto place = [&](RuleTreeNode node) {
    if (group != 0) {
      level[group - 1].children.push_back(std::move(node));
    } else {
      level.push_back(std::move(node));
    }
  };

  for (ConstXmlElement child : container.Elements()) {
    if (IsVerbatim(child)) {
      level.push_back({RuleTreeNode::Kind::Verbatim, child.GetAttr(attrs::kName).AsText(), {}, child});
      continue;
    }
    if (IsBlock(child)) {
      place({RuleTreeNode::Kind::Container, child.GetAttr(attrs::kName).AsText(), Level(child), child});
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
        level.push_back({RuleTreeNode::Kind::Group, std::move(marker), {}, ConstXmlElement()});
        // A marker without a name gives a group node but leaves none open.
        group = level.back().text.empty() ? 0 : level.size();
      }
      continue;
    }
    place(RuleNode(child));
  }
  return level;
}

}  // namespace

void SortRuleTree(std::vector<RuleTreeNode>& nodes, const NodeOrder& order) {
  const auto before = [&](const RuleTreeNode& a, const RuleTreeNode& b) { return order ? order(a, b) : a.text < b.text; };
  std::stable_sort(nodes.begin(), nodes.end(), before);
  for (RuleTreeNode& node : nodes) {
    if (node.kind == RuleTreeNode::Kind::Group) std::stable_sort(node.children.begin(), node.children.end(), before);
  }
}

std::vector<RuleTreeNode> BuildRuleTree(const StyleDocument& document) { return Level(document.Root()); }

}  // namespace korvel
