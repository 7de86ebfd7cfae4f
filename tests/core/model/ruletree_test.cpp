#include "model/ruletree.h"

#include <gtest/gtest.h>

#include "model/cssparser.h"

namespace korvel {
namespace {

// The tree written as "name" for rules, "name[children]" for groups and
// "@name" for statements kept as written.
std::string Render(const std::vector<RuleTreeNode>& nodes) {
  std::string out;
  for (const RuleTreeNode& node : nodes) {
    if (!out.empty()) out += ' ';
    if (node.kind == RuleTreeNode::Kind::Verbatim) out += '@';
    out += node.text;
    if (node.kind == RuleTreeNode::Kind::Group) out += '[' + Render(node.children) + ']';
  }
  return out;
}

std::string Tree(std::string_view css) {
  const StyleDocument doc = ReadStylesheet(css);
  std::vector<RuleTreeNode> nodes = BuildRuleTree(doc);
  SortRuleTree(nodes);
  return Render(nodes);
}

TEST(RuleTree, GroupsSortingAndMarkers) {
  const struct {
    const char* what;
    const char* css;
    const char* tree;
  } cases[] = {
      {"no markers: a flat sorted list", "p{a:1} b{a:1} a{a:1}", "a b p"},
      {"a group gathers the rules until its end", "/*<G>*/ p{a:1} b{a:1} /*</G>*/ a{a:1}", "G[b p] a"},
      {"groups sort among the rules", "z{a:1} /*<M>*/ m{a:1} /*</M>*/ a{a:1}", "M[m] a z"},
      {"a second opening marker starts a new group", "/*<A>*/ x{a:1} /*<B>*/ y{a:1}", "A[x] B[y]"},
      {"any closing marker ends the open group", "/*<A>*/ x{a:1} /*</>*/ y{a:1}", "A[x] y"},
      {"a closing marker with no group open does nothing", "/*</A>*/ x{a:1}", "x"},
      {"a comment that is not wholly a marker is prose", "/*<A*/ x{a:1}", "x"},
      {"a tag named in prose opens no group", "/*! uses <details> and <summary> */ x{a:1} y{a:1}", "x y"},
      {"a marker may stand between blanks", "/*  <A>  */ x{a:1}", "A[x]"},
      {"an empty marker gives an empty group and none open", "/*<>*/ x{a:1}", "[] x"},
      {"prose comments have no node", "/* Header */ x{a:1}", "x"},
      {"a rule read twice stays under its first group", "/*<A>*/ x{a:1} /*</A>*/ x{b:2}", "A[x]"},
      {"statements kept as written are listed", "@unknown x { p { a: 1 } } p{a:1}", "@@unknown x p"},
  };
  for (const auto& c : cases) EXPECT_EQ(Tree(c.css), c.tree) << c.what;
}

TEST(RuleTree, NodesPointAtTheirElements) {
  const StyleDocument doc = ReadStylesheet("/*<G>*/ p{a:1} /*</G>*/ @import x;");
  const std::vector<RuleTreeNode> nodes = BuildRuleTree(doc);
  ASSERT_EQ(nodes.size(), 2u);
  EXPECT_EQ(nodes[0].children[0].element, doc.FindRule("p"));
  EXPECT_TRUE(nodes[0].element.IsNone());
  EXPECT_TRUE(IsVerbatim(nodes[1].element));
}

}  // namespace
}  // namespace korvel
