#pragma once

// The in-memory model of the stylesheet being edited: an XML document with
// the root "KeyWords" and one element per rule, free comment or verbatim
// statement, in the order of their first appearance.
//
//   <KeyWords Bom="True">                      Bom only when the file had one
//     <KeyWord Name="" Comment="text"/>        a free comment
//     <KeyWord Name="h1, h2" Comment="...">    a rule (Comment: optional)
//       <Prop Name="color" Value="red" Checked="True" [Deleted="True"] [Comment=".."]/>
//       <Verbatim Name=".b">.b { color: blue }</Verbatim>   nested block, as written
//     </KeyWord>
//     <Verbatim Name="@media print">@media print {...}</Verbatim>  at-rule, as written
//   </KeyWords>
//
// Rules are unique by name (a repeated selector adds to its first rule) and
// properties are unique by name within a rule (a repeated property updates
// the first one in place). Verbatim elements are never merged.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/xmldocument.h"

namespace korvel {

namespace tags {
inline constexpr std::string_view kRoot = "KeyWords";
inline constexpr std::string_view kRule = "KeyWord";
inline constexpr std::string_view kProp = "Prop";
inline constexpr std::string_view kVerbatim = "Verbatim";
}  // namespace tags

namespace attrs {
inline constexpr std::string_view kName = "Name";
inline constexpr std::string_view kValue = "Value";
inline constexpr std::string_view kChecked = "Checked";
inline constexpr std::string_view kDeleted = "Deleted";
inline constexpr std::string_view kComment = "Comment";
inline constexpr std::string_view kBom = "Bom";
}  // namespace attrs

class StyleDocument final {
 public:
  StyleDocument();
  ~StyleDocument();
  StyleDocument(StyleDocument&&) noexcept;
  StyleDocument& operator=(StyleDocument&&) noexcept;
  StyleDocument(const StyleDocument&) = delete;
  StyleDocument& operator=(const StyleDocument&) = delete;

  [[nodiscard]] const XmlDocumentPtr& Xml() const { return xml_; }
  [[nodiscard]] XmlElement Root() const { return xml_->RootElement(); }

  /// The first "KeyWord", in document order, whose "Name" is exactly this
  /// name; none when there is none. The empty name finds the first free
  /// comment. Answers from an index, not by scanning the document.
  [[nodiscard]] XmlElement FindRule(std::string_view name) const;

  /// Appends a "KeyWord" with that "Name" after the last root child.
  XmlElement AddRule(std::string_view name);

  /// The parser's way of storing what it reads:
  /// - an empty rule name appends a free comment holding `comment`;
  /// - a property name that is empty, with a comment, sets the rule's comment;
  /// - otherwise the property is added to the rule (made when missing), or,
  ///   when the rule has it already, updated in place: it takes the value and
  ///   checked state, and the comment only when one is given — except that a
  ///   switched-off value never replaces one in force.
  void PutProp(std::string_view rule, std::string_view name, std::string_view value, bool checked,
               std::string_view comment);

  /// Appends a statement or block kept exactly as written: at the root when
  /// `rule` is empty, else inside that rule (made when missing). `text` has
  /// CR LF line ends.
  XmlElement AddVerbatim(std::string_view rule, std::string_view name, std::string_view text);

  /// Whether the file started with a UTF-8 byte-order mark, kept on save.
  [[nodiscard]] bool HasByteOrderMark() const;
  void SetByteOrderMark(bool present);

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
  struct RuleSlot {
    std::size_t hash = 0;
    XmlElement rule;
  };
  RuleSlot* FindSlot(std::string_view name, std::size_t hash) const;
  void IndexRule(XmlElement rule, std::string_view name);

  struct PropertyIndex;
  XmlElement FindPropWhileFilling(XmlElement rule, std::string_view name);
  void IndexNewProp(XmlElement rule, XmlElement prop);
  void AppendProp(XmlElement rule, std::string_view name, std::string_view value, bool checked,
                  std::string_view comment);

  XmlDocumentPtr xml_;
  mutable std::vector<RuleSlot> ruleSlots_;
  std::size_t ruleCount_ = 0;
  std::unique_ptr<PropertyIndex> filling_;
  pugi::xml_node ruleModel_;      // a "KeyWord" with an empty "Name"
  pugi::xml_node propModels_[2];  // a "Prop" switched off, and one switched on
};

/// The first "Prop" of the rule whose "Name" is exactly this name, or none.
XmlElement FindProp(XmlElement rule, std::string_view name);

/// Whether the element is a rule or free comment ("KeyWord"), a property
/// ("Prop") or a verbatim statement ("Verbatim").
bool IsRule(XmlElement element);
bool IsProp(XmlElement element);
bool IsVerbatim(XmlElement element);

}  // namespace korvel
