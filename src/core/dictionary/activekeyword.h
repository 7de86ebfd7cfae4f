#pragma once

// The working copy of one dictionary entry: the entry of the property whose
// row was clicked last, with that property's value spread over its members.
// The editors and the click dispatcher ask it, not the dictionary, which
// edit mode applies, which values to offer and what each member holds.
//
// Its document has the root "KeyWords" and, once prepared, one "KeyWord"
// (Name, PropsCount, EditIcon, EditMode, DefaultValue, Special), with one
// "Prop" per member (Name, DefaultValue, EditMode, EditIcon, and ValueType and
// Value once a word was given to it) holding one "Item" per accepted word
// (Name, EditMode, EditIcon). Every copied attribute is present, empty when
// the dictionary has none.

#include <string>
#include <string_view>
#include <vector>

#include "model/xmldocument.h"

namespace korvel {

/// One row of the sub-grid: a member's name and the value it shows.
struct MemberRow {
  std::string name;
  std::string value;

  friend bool operator==(const MemberRow&, const MemberRow&) = default;
};

/// The prepared entry. KeywordDictionary::PrepareKeyword replaces its
/// document; while it holds no entry (before the first preparation, or after
/// one for a name the dictionary lacks) every query answers as for a missing
/// member: empty text, none, false, an empty list. Names are compared
/// exactly. User-interface thread only.
class ActiveKeyword final {
 public:
  ActiveKeyword();
  // A copy would share the document with the original until either is
  // prepared again; editors hold a reference to the one instead.
  ActiveKeyword(const ActiveKeyword&) = delete;
  ActiveKeyword& operator=(const ActiveKeyword&) = delete;
  ActiveKeyword(ActiveKeyword&&) = default;
  ActiveKeyword& operator=(ActiveKeyword&&) = default;

  /// Replaces the document by an empty one (root "KeyWords", no entry).
  void Reset();

  [[nodiscard]] const XmlDocumentPtr& Document() const { return document_; }
  /// The prepared "KeyWord" element, or none.
  [[nodiscard]] XmlElement Entry() const;

  /// EditMode of the prepared entry.
  [[nodiscard]] std::string KeywordEditMode() const;
  /// EditIcon of the prepared entry.
  [[nodiscard]] std::string KeywordEditIcon() const;

  /// The first member with that Name, or none.
  [[nodiscard]] XmlElement FindMember(std::string_view member) const;
  /// That member's EditMode; empty when there is no such member.
  [[nodiscard]] std::string MemberEditMode(std::string_view member) const;
  /// EditIcon of the first item of that member with that Name; empty when
  /// the member or the item is missing.
  [[nodiscard]] std::string ItemEditIcon(std::string_view member, std::string_view item) const;
  /// True when the member exists, has at least one item, and its
  /// DefaultValue equals the value.
  [[nodiscard]] bool IsMemberDefault(std::string_view member, std::string_view value) const;

  /// Replaces `rows` by one row per member, in order: its Name, and its Value
  /// when it has one, else its DefaultValue.
  void FillMemberGrid(std::vector<MemberRow>& rows) const;
  /// Replaces `list` by the Names of that member's items, in order; empty
  /// when the entry lacks the member.
  void FillItemList(std::vector<std::string>& list, std::string_view member) const;
  /// Replaces `list` by the Names of that member's items, or of every
  /// member's items when `member` is empty, leaving out "length" and
  /// "percentage" and keeping repeats. Returns whether the list is not empty.
  bool FillOtherValues(std::vector<std::string>& list, std::string_view member) const;

 private:
  XmlDocumentPtr document_;
};

}  // namespace korvel
