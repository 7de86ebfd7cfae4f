#pragma once

// The property dictionary, "CSSKeywords.xml": which editor a property's value
// gets, which words the value may hold and how a shorthand splits into
// members. The program knows nothing of CSS beyond what this file says.
//
// Schema, as it is read: every child element of the root is an entry
// (KeyWord: Name, EditMode, EditIcon, DefaultValue, Special). Its members are
// its first n children, n being the number of its children tagged "Prop"
// (Name, DefaultValue, EditMode, EditIcon). Every child of a member is an
// item (Name, EditMode, EditIcon): a keyword, or one of the class words
// "length", "percentage", "color", "url". Names are compared exactly.

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dictionary/activekeyword.h"
#include "model/xmldocument.h"

namespace korvel {

/// The edit modes an entry or member may name; the click on a value opens
/// the editor the mode names, and any other text opens nothing. "expand"
/// (the sub-grid) is for entries only.
namespace editmode {
inline constexpr std::string_view kEdit = "edit";
inline constexpr std::string_view kFormEdit = "FormEdit";
inline constexpr std::string_view kExpand = "expand";
inline constexpr std::string_view kCombo = "combo";
inline constexpr std::string_view kGetColor = "getcolor";
inline constexpr std::string_view kShowImage = "ShowImage";
inline constexpr std::string_view kGetFont = "getfont";
inline constexpr std::array<std::string_view, 7> kForEntries = {kEdit,     kFormEdit,  kExpand, kCombo,
                                                                kGetColor, kShowImage, kGetFont};
inline constexpr std::array<std::string_view, 6> kForMembers = {kEdit,     kFormEdit,  kGetFont,
                                                                kCombo,    kGetColor,  kShowImage};
}  // namespace editmode

/// The icons an entry or item may carry: what choosing it in an in-place
/// combo box does (open the colour picker, import an image).
namespace editicon {
inline constexpr std::string_view kGetColor = "getcolor";
inline constexpr std::string_view kGetImage = "getimage";
inline constexpr std::array<std::string_view, 2> kAll = {kGetColor, kGetImage};
}  // namespace editicon

/// The pieces of the text between separators, in order, empty pieces left out.
[[nodiscard]] std::vector<std::string> SplitWords(std::string_view text, char separator);

/// The loaded dictionary and the one ActiveKeyword prepared from it. Read
/// once, never written: the entries are indexed by name when the dictionary
/// is made, so that a lookup (one per row of the property grid) does not
/// scan the file's entries. User-interface thread only.
class KeywordDictionary final {
 public:
  /// Reads the dictionary file. A missing or unreadable file raises
  /// FileError, a malformed one XmlError.
  static KeywordDictionary Load(const std::string& path);

  /// A dictionary over a parsed document; `origin` names it in error messages.
  explicit KeywordDictionary(XmlDocumentPtr document, std::string origin = "CSSKeywords.xml");
  KeywordDictionary(KeywordDictionary&&) = default;
  KeywordDictionary& operator=(KeywordDictionary&&) = default;
  KeywordDictionary(const KeywordDictionary&) = delete;
  KeywordDictionary& operator=(const KeywordDictionary&) = delete;

  /// The Name of every entry, in file order. Raises XmlError, naming the
  /// entry's place, when an entry has no Name.
  [[nodiscard]] std::vector<std::string> KeywordNames() const;

  /// The first entry whose Name equals the name exactly, or none. Entries
  /// without Name never match.
  [[nodiscard]] XmlElement FindKeyword(std::string_view name) const;

  /// Whether the property's entry (FindKeyword) opens the colour picker,
  /// that is whether its value cell shows a colour swatch.
  [[nodiscard]] bool IsColorProperty(std::string_view name) const;

  /// Replaces the ActiveKeyword by a copy of the property's entry and spreads
  /// the value's words over its members: a Special entry through
  /// ExpandShorthand, any other word by word through ClassifyWord and
  /// AssignWord, after which each member still without a word is given its
  /// DefaultValue when one of the entry's items accepts it.
  ///
  /// A name the dictionary lacks leaves the ActiveKeyword empty, shows "Le
  /// mot clé : <name>" and "n'est pas reconnu" on the next line, captioned
  /// with the application's title, and returns false.
  ///
  /// Raises XmlError, naming the entry, when a member or an item of the
  /// entry has no Name or its Special is neither a boolean nor a number; the
  /// ActiveKeyword then holds what was copied before the fault.
  bool PrepareKeyword(std::string_view name, std::string_view value);

  [[nodiscard]] const ActiveKeyword& Active() const { return active_; }
  [[nodiscard]] ActiveKeyword& Active() { return active_; }

  [[nodiscard]] const XmlDocumentPtr& Document() const { return document_; }

 private:
  // Hashes names and views alike, so that a lookup by view makes no string.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };

  XmlDocumentPtr document_;
  std::string origin_;
  ActiveKeyword active_;
  // Each Name's first entry, in the document above.
  std::unordered_map<std::string, XmlElement, NameHash, std::equal_to<>> entries_;
};

}  // namespace korvel
