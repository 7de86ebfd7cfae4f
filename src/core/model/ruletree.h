#pragma once

// The rules of a StyleDocument as the window's tree shows them: sorted by
// name, gathered into groups that the stylesheet declares itself with marker
// comments. A free comment whose whole text is "<name>" opens a group; one
// that is "</...>" closes it. Groups do not nest.
//
// Statements kept as written (at-rules) are listed too, at the top level, so
// the user sees that they are there; they cannot be edited here.

#include <functional>
#include <string>
#include <vector>

#include "model/styledocument.h"

namespace korvel {

struct RuleTreeNode {
  enum class Kind { Group, Rule, Verbatim };
  Kind kind = Kind::Rule;
  std::string text;                   ///< group name, rule name, or the statement's prelude
  std::vector<RuleTreeNode> children;  ///< a group's rules
  ConstXmlElement element;            ///< the rule or verbatim element; none for a group
};

/// The top-level nodes in document order: a rule under the group open at
/// its first appearance, groups and verbatim statements where they stand.
std::vector<RuleTreeNode> BuildRuleTree(const StyleDocument& document);

/// Orders two nodes; the window passes the platform's locale-aware,
/// case-sensitive comparison.
using NodeOrder = std::function<bool(const RuleTreeNode&, const RuleTreeNode&)>;

/// Sorts every level of the tree; by bytes when no order is given.
void SortRuleTree(std::vector<RuleTreeNode>& nodes, const NodeOrder& order = {});

}  // namespace korvel
