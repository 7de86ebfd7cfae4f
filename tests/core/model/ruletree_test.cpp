#include "model/ruletree.h"

#include <gtest/gtest.h>

#include <functional>

#include "model/cssparser.h"

namespace korvel {
namespace {

// The tree written as "name" for rules, "name(nested)" for a rule holding
// rules, "name[children]" for groups, "name{children}" for blocks and
// "@name" for statements kept as written.
std::string Render(const std::vector<RuleTreeNode>& nodes) {
  std::string out;
  for (const RuleTreeNode& node : nodes) {
    if (!out.empty()) out += ' ';
    if (node.kind == RuleTreeNode::Kind::Verbatim) out += '@';
    out += node.text;
    switch (node.kind) {
      case RuleTreeNode::Kind::Group: out += '[' + Render(node.children) + ']'; break;
      case RuleTreeNode::Kind::Container: out += '{' + Render(node.children) + '}'; break;
      case RuleTreeNode::Kind::Rule:
        if (!node.children.empty()) out += '(' + Render(node.children) + ')';
        break;
      case RuleTreeNode::Kind::Verbatim: break;
    }
  }
  return out;
}

std::string SortedTree(const StyleDocument& doc) {
  std::vector<RuleTreeNode> nodes = BuildRuleTree(doc);
  SortRuleTree(nodes);
  return Render(nodes);
}

std::string Tree(std::string_view css) { return SortedTree(ReadStylesheet(css)); }

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

// Documents with blocks and nested rules, made through the document's own
// calls as a reading of the file makes them.
struct Builder {
  StyleDocument doc;
  XmlElement Rule(XmlElement container, std::string_view name) {
    XmlElement rule = doc.AddRule(container, name);
    doc.PutProp(rule, "color", "red", true, "");
    return rule;
  }
  void Marker(XmlElement container, std::string_view text) {
    doc.AddRule(container, "").SetAttr(attrs::kComment, text);
  }
};

TEST(RuleTree, BlocksAndNestedRulesKeepTheFilesOrder) {
  const struct {
    const char* what;
    std::function<void(Builder&)> build;
    const char* tree;
  } cases[] = {
      {"a block holds its rules unsorted, and sorts by its prelude at the top level",
       [](Builder& b) {
         b.Rule(b.doc.Root(), "b");
         const XmlElement media = b.doc.AddContainer(b.doc.Root(), "@media print");
         b.Rule(media, "z");
         b.Rule(media, "a");
         b.Rule(b.doc.Root(), "a");
       },
       "@media print{z a} a b"},
      {"blocks nest to any depth",
       [](Builder& b) {
         const XmlElement media = b.doc.AddContainer(b.doc.Root(), "@media screen");
         const XmlElement supports = b.doc.AddContainer(media, "@supports (display: grid)");
         b.Rule(supports, "h1");
         b.Rule(media, "h1");
       },
       "@media screen{@supports (display: grid){h1} h1}"},
      {"nested rules stand under their parent in the file's order",
       [](Builder& b) {
         const XmlElement card = b.Rule(b.doc.Root(), ".card");
         b.Rule(card, "&:hover");
         const XmlElement title = b.Rule(card, ".title");
         b.Rule(title, "&::after");
         b.Rule(card, "&.a");
       },
       ".card(&:hover .title(&::after) &.a)"},
      {"a group inside a block keeps the file's order and ends with the block",
       [](Builder& b) {
         const XmlElement media = b.doc.AddContainer(b.doc.Root(), "@media print");
         b.Marker(media, "<Print>");
         b.Rule(media, "p");
         b.Rule(media, "a");
         b.Marker(media, "</Print>");
         b.Rule(media, "z");
         b.Marker(media, "<Open>");
         b.Rule(media, "y");
         b.Rule(b.doc.Root(), "x");
       },
       "@media print{Print[p a] z Open[y]} x"},
      {"a group open at the top level gathers the blocks too, sorted with its rules",
       [](Builder& b) {
         b.Marker(b.doc.Root(), "<Layout>");
         b.Rule(b.doc.Root(), "p");
         const XmlElement media = b.doc.AddContainer(b.doc.Root(), "@media print");
         b.Rule(media, "p");
         b.Marker(b.doc.Root(), "</Layout>");
         b.Rule(b.doc.Root(), "a");
       },
       "Layout[@media print{p} p] a"},
      {"a statement kept as written stays where it stands, even in a group",
       [](Builder& b) {
         const XmlElement media = b.doc.AddContainer(b.doc.Root(), "@media print");
         b.Marker(media, "<G>");
         b.Rule(media, "p");
         b.doc.AddVerbatim(media, "@unknown", "@unknown;");
         b.Rule(media, "a");
       },
       "@media print{G[p a] @@unknown}"},
      {"an at-rule holding declarations is a rule",
       [](Builder& b) {
         b.Rule(b.doc.Root(), "@font-face");
         const XmlElement media = b.doc.AddContainer(b.doc.Root(), "@media print");
         b.Rule(media, "@page");
       },
       "@font-face @media print{@page}"},
      {"a repeated name in one block is two rules",
       [](Builder& b) {
         const XmlElement media = b.doc.AddContainer(b.doc.Root(), "@media print");
         b.Rule(media, "p");
         b.Rule(media, "a");
         b.Rule(media, "p");
       },
       "@media print{p a p}"},
  };
  for (const auto& c : cases) {
    Builder b;
    c.build(b);
    EXPECT_EQ(SortedTree(b.doc), c.tree) << c.what;
  }
}

TEST(RuleTree, NodesPointAtTheirElements) {
  const StyleDocument doc = ReadStylesheet("/*<G>*/ p{a:1} /*</G>*/ @import x;");
  const std::vector<RuleTreeNode> nodes = BuildRuleTree(doc);
  ASSERT_EQ(nodes.size(), 2u);
  EXPECT_EQ(nodes[0].children[0].element, doc.FindRule("p"));
  EXPECT_TRUE(nodes[0].element.IsNone());
  EXPECT_TRUE(IsVerbatim(nodes[1].element));
}

TEST(RuleTree, TheSameSelectorInEachPlaceIsItsOwnNode) {
  Builder b;
  const XmlElement top = b.Rule(b.doc.Root(), "h1");
  const XmlElement media = b.doc.AddContainer(b.doc.Root(), "@media print");
  const XmlElement inMedia = b.Rule(media, "h1");
  const XmlElement card = b.Rule(b.doc.Root(), ".card");
  const XmlElement nested = b.Rule(card, "h1");
  std::vector<RuleTreeNode> nodes = BuildRuleTree(b.doc);
  SortRuleTree(nodes);
  ASSERT_EQ(Render(nodes), ".card(h1) @media print{h1} h1");
  EXPECT_EQ(nodes[0].children[0].element, nested);
  EXPECT_EQ(nodes[1].element, media);
  EXPECT_EQ(nodes[1].children[0].element, inMedia);
  EXPECT_EQ(nodes[2].element, top);
}

}  // namespace
}  // namespace korvel
