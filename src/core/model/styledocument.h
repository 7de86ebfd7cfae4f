#pragma once

// The in-memory model of the stylesheet being edited: an XML document with
// the root "KeyWords" and one element per rule, free comment or verbatim
// statement, in the order of their first appearance. Its elements live in a
// compact store (model/elementstore.h); it is made into XML text only when
// asked (korvel-css --xml).
//
//   <KeyWords Bom="True">                      Bom only when the file had one
//     <KeyWord Name="" Comment="text"/>        a free comment
//     <KeyWord Name="h1, h2" Comment="...">    a rule (Comment: optional, written
//                                              behind the selector)
//       <Prop Name="color" Value="red" Checked="True" [Deleted="True"] [Comment=".."]>
//         <Fallback Value="blue"/>             an earlier declaration of the name
//       </Prop>
//       <Verbatim Name=".b">.b { color: blue }</Verbatim>   nested block, as written
//       <Verbatim Name="">/* a note */</Verbatim>           a comment kept in its block
//     </KeyWord>
//     <Block Name="@media (max-width: 600px)">  a block of rules (@media, @supports,
//       <KeyWord Name="h1">...</KeyWord>       @layer, @keyframes...): a container
//       <KeyWord Name="" Comment="text"/>      read like the top level, to any depth
//     </Block>
//     <KeyWord Name="@font-face">...</KeyWord>  an at-rule holding declarations
//     <KeyWord Name=".a">                      a rule whose block nests rules:
//       <Prop .../><KeyWord Name="&amp;:hover">...</KeyWord>  children in the file's order
//     </KeyWord>
//     <Verbatim Name="@unknown x">@unknown x {...}</Verbatim>  at-rule, as written
//   </KeyWords>
//
// A container is the root, a "Block", or a rule holding nested rules. A
// rule is known by its place: its container and its name (and, where a
// name repeats in one container, which of them it is), never by its name
// alone.
//
// A repeated selector adds to its first rule in the same container when the
// reader finds that the move changes nothing a browser applies; otherwise
// it stays a rule of its own, and the name repeats in that container.
// At-rules holding declarations, keyframe steps and nested rules are never
// merged. Properties are unique by name within a rule. A property holds the
// declaration a browser applies (the last one, or the last "!important"
// one) and stands where that declaration stood; the other declarations of
// its name are its fallbacks, written just before it, in their order.
// Verbatim elements are never merged. The root's LineEnds="LF" or "CR" says
// the file ends its lines with LF or CR alone; otherwise with CR LF.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/xmldocument.h"

namespace korvel {

namespace tags {
inline constexpr std::string_view kRoot = "KeyWords";
inline constexpr std::string_view kRule = "KeyWord";
inline constexpr std::string_view kProp = "Prop";
inline constexpr std::string_view kVerbatim = "Verbatim";
inline constexpr std::string_view kFallback = "Fallback";
inline constexpr std::string_view kBlock = "Block";
}  // namespace tags

namespace attrs {
inline constexpr std::string_view kName = "Name";
inline constexpr std::string_view kValue = "Value";
inline constexpr std::string_view kChecked = "Checked";
inline constexpr std::string_view kDeleted = "Deleted";
inline constexpr std::string_view kComment = "Comment";
inline constexpr std::string_view kBom = "Bom";
inline constexpr std::string_view kLineEnds = "LineEnds";
}  // namespace attrs

class StyleDocument final {
 public:
  StyleDocument();
  ~StyleDocument();
  StyleDocument(StyleDocument&&) noexcept;
  StyleDocument& operator=(StyleDocument&&) noexcept;
  StyleDocument(const StyleDocument&) = delete;
  StyleDocument& operator=(const StyleDocument&) = delete;

  // A document held as const hands out elements that can only be read.
  [[nodiscard]] const XmlDocumentPtr& Xml() { return xml_; }
  [[nodiscard]] std::shared_ptr<const XmlDocument> Xml() const { return xml_; }
  [[nodiscard]] XmlElement Root() { return xml_->RootElement(); }
  [[nodiscard]] ConstXmlElement Root() const { return std::as_const(*xml_).RootElement(); }

  /// The first "KeyWord", in document order, whose "Name" is exactly this
  /// name; none when there is none. The empty name finds the first free
  /// comment. Answers from an index, not by scanning the document.
  [[nodiscard]] XmlElement FindRule(std::string_view name) { return RuleNamed(name); }
  [[nodiscard]] ConstXmlElement FindRule(std::string_view name) const { return RuleNamed(name); }

  /// Appends a "KeyWord" with that "Name" after the last root child.
  XmlElement AddRule(std::string_view name);
  /// Appends a "KeyWord" with that "Name" to a container: the root, a
  /// "Block" or a rule (a nested rule).
  XmlElement AddRule(XmlElement container, std::string_view name);
  /// Appends a "Block" whose "Name" is the at-rule's prelude ("@media
  /// print") to the root or to another "Block".
  XmlElement AddContainer(XmlElement parent, std::string_view prelude);

  /// The first rule of that name among the container's own children; none
  /// when there is none. From an index, like FindRule.
  [[nodiscard]] XmlElement FindRuleIn(ConstXmlElement container, std::string_view name);
  [[nodiscard]] ConstXmlElement FindRuleIn(ConstXmlElement container, std::string_view name) const;

  /// The parser's way of storing what it reads, in the order it reads it:
  /// - an empty rule name appends a free comment holding `comment`;
  /// - a property name that is empty, with a comment, sets the rule's comment;
  /// - otherwise the property is added to the rule (made when missing). When
  ///   the rule has it already, in the same state, the declaration a browser
  ///   applies stays in force (a later one, unless the earlier one alone is
  ///   "!important") and the other becomes a fallback; a property that takes
  ///   a later declaration moves to the end of its rule, where that
  ///   declaration stands. A switched-off property taking a declaration in
  ///   force is kept as a comment where it stood. A switched-off value never
  ///   replaces one in force: it is ignored (callers keep it as a comment).
  /// Returns the property (or the rule, or free comment) stored into.
  XmlElement PutProp(std::string_view rule, std::string_view name, std::string_view value, bool checked,
                     std::string_view comment);
  /// The same, into a rule already found or made: a reader that stores many
  /// items into one rule looks its name up once, not once per item.
  XmlElement PutProp(XmlElement rule, std::string_view name, std::string_view value, bool checked,
                     std::string_view comment);

  /// Moves a rule to the end of its container (it is read again further on).
  void MoveRuleToEnd(XmlElement rule);

  /// FindProp for the parser: between BeginFilling and EndFilling it answers
  /// from the same index as PutProp. None when the rule or property is missing.
  XmlElement FindRuleProp(std::string_view rule, std::string_view name);
  XmlElement FindRuleProp(XmlElement rule, std::string_view name);

  /// Appends a statement or block kept exactly as written: at the root when
  /// `rule` is empty, else inside that rule (made when missing). `text` has
  /// CR LF line ends.
  XmlElement AddVerbatim(std::string_view rule, std::string_view name, std::string_view text);
  XmlElement AddVerbatim(XmlElement parent, std::string_view name, std::string_view text);

  /// Whether the file started with a UTF-8 byte-order mark, kept on save.
  [[nodiscard]] bool HasByteOrderMark() const;
  void SetByteOrderMark(bool present);

  /// How the file ends its lines: CR LF, LF alone or CR alone.
  enum class LineEnd : std::uint8_t { CrLf, Lf, Cr };
  [[nodiscard]] LineEnd LineEnds() const;
  void SetLineEnds(LineEnd lineEnd);
  /// Whether the file ends its lines with LF alone.
  [[nodiscard]] bool UsesLineFeeds() const { return LineEnds() == LineEnd::Lf; }
  void SetLineFeeds(bool lineFeeds) { SetLineEnds(lineFeeds ? LineEnd::Lf : LineEnd::CrLf); }

  /// Rebuilds the name index after the document was changed through its XML
  /// elements directly (rules removed or renamed).
  void Reindex();

  /// Between these two calls PutProp finds a rule's properties through an
  /// index instead of a scan of the rule, so that filling a document stays
  /// linear when a rule gathers thousands of properties (":root" in large
  /// frameworks). The parser brackets its work with them; nothing else may
  /// change the document in between.
  void BeginFilling();
  void EndFilling();

 private:
  // The name index: open addressing on the names' hashes. A slot holds the
  // first rule of its name; the rule's own "Name" is the key, so the index
  // keeps no copy of the names, and a miss touches one slot, not a chain of
  // scattered nodes (on a large stylesheet the old map's misses were an
  // eighth of loading).
  // A rule is indexed under its container and its name. A slot holds its
  // hash's low half and the rule's number in the document's store: 8 bytes.
  struct RuleSlot {
    std::uint32_t hash = 0;
    ElementStore::Index rule = ElementStore::kNone;
  };
  RuleSlot* FindSlot(const void* container, std::string_view name, std::size_t hash) const;
  [[nodiscard]] XmlElement RuleNamed(std::string_view name) const;
  [[nodiscard]] XmlElement RuleNamedIn(const void* container, std::string_view name) const;
  void IndexRule(XmlElement rule, std::string_view name);
  void IndexRulesIn(XmlElement container);

  struct PropertyIndex;
  XmlElement FindPropWhileFilling(XmlElement rule, std::string_view name);
  void SelectRuleWhileFilling(XmlElement rule, bool isNew);
  XmlElement PutPropInRule(XmlElement rule, bool newRule, std::string_view name, std::string_view value,
                           bool checked, std::string_view comment);
  void IndexNewProp(XmlElement rule, XmlElement prop);
  XmlElement AppendProp(XmlElement rule, std::string_view name, std::string_view value, bool checked,
                  std::string_view comment);

  XmlDocumentPtr xml_;
  mutable std::vector<RuleSlot> ruleSlots_;
  std::size_t ruleCount_ = 0;
  std::unique_ptr<PropertyIndex> filling_;
};

/// The first "Prop" of the rule whose "Name" is exactly this name, or none.
XmlElement FindProp(XmlElement rule, std::string_view name);
ConstXmlElement FindProp(ConstXmlElement rule, std::string_view name);

/// Whether a declaration's value ends with "!important", blanks and
/// comments allowed around the "!" and after it; "\!important" is not.
bool IsImportant(std::string_view value);

/// Whether the element is a rule or free comment ("KeyWord"), a property
/// ("Prop") or a verbatim statement ("Verbatim").
bool IsRule(ConstXmlElement element);
bool IsProp(ConstXmlElement element);
bool IsVerbatim(ConstXmlElement element);
/// Takes off a property's fallbacks.
void RemoveFallbacks(XmlElement prop);
/// Whether the element is a "Block": an at-rule holding rules.
bool IsBlock(ConstXmlElement element);
/// Whether rules stand among the element's children: the root, a "Block",
/// or a rule (its nested rules).
bool IsContainer(ConstXmlElement element);

}  // namespace korvel
