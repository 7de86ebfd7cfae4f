#pragma once

// The rules of a StyleDocument as the window's tree shows them.
//
// Each level lists what its container holds: rules, groups, blocks of rules
// ("@media print", a container node labelled with its prelude) and
// statements kept as written (shown so that the user sees they are there;
// they cannot be edited here). A rule's nested rules stand under it. An
// at-rule holding declarations ("@font-face") is a rule like any other.
//
// Groups are declared by the stylesheet itself with marker comments, at the
// top level and inside blocks alike: a free comment whose whole text is
// "<name>" opens a group, one that is "</...>" closes it. Until it closes,
// the rules and blocks of that container go into the group; statements kept
// as written stay where they stand. Groups do not nest, but a block inside a
// group may hold groups of its own.
//
// Order: BuildRuleTree gives every level in the file's order. SortRuleTree
// sorts the top level and its groups' rules by name, as the window always
// has; the nodes inside a block, and the nested rules under a rule, keep the
// file's order, in which they take effect.

#include <functional>
#include <string>
#include <vector>

#include "model/styledocument.h"

namespace korvel {

struct RuleTreeNode {
  enum class Kind { Group, Rule, Verbatim, Container };
  Kind kind = Kind::Rule;
  std::string text;                    ///< group name, rule name, or the statement's or block's prelude
  std::vector<RuleTreeNode> children;  ///< a group's or block's nodes, a rule's nested rules
  ConstXmlElement element;             ///< the rule, statement or block; none for a group
};

/// The top-level nodes, each level in the file's order.
std::vector<RuleTreeNode> BuildRuleTree(const StyleDocument& document);

/// Orders two nodes; the window passes the platform's locale-aware,
/// case-sensitive comparison.
using NodeOrder = std::function<bool(const RuleTreeNode&, const RuleTreeNode&)>;

/// Sorts the top level and the rules of its groups; by bytes when no order
/// is given. What blocks and rules hold keeps the file's order.
void SortRuleTree(std::vector<RuleTreeNode>& nodes, const NodeOrder& order = {});

}  // namespace korvel
