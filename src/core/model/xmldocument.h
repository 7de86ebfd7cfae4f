#pragma once

// XML access for the stylesheet document, the property dictionary and the
// settings file: one vocabulary for elements and attributes, and one rule
// for booleans, integers and absent values. The dictionary and the settings
// are pugixml's documents; the stylesheet's model is held in a compact store
// of its own (model/elementstore.h), read and changed through the same
// handles, and printed as XML through pugixml when asked.
//
// Texts are bytes (std::string); nothing is converted on the way in or out.

#include <cstddef>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include <pugixml.hpp>

#include "model/elementstore.h"

namespace korvel {

/// Raised when the XML engine fails (unreadable or malformed file) or when an
/// absent value is read as text, boolean or integer. The message is the
/// engine's, with the file and the place where it applies.
class XmlError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The value of an attribute, or its absence.
///
/// Equality with a text is exact and case-sensitive; an absent value is
/// unequal to every text, the empty one included. The view stays valid until
/// the attribute is changed or its document is destroyed.
class AttrValue final {
 public:
  AttrValue() = default;
  explicit AttrValue(std::string_view text) : text_(text), present_(true) {}

  [[nodiscard]] bool IsAbsent() const { return !present_; }
  /// The stored text; throws XmlError when absent.
  [[nodiscard]] std::string AsText() const;
  /// The stored text without copying; throws XmlError when absent.
  [[nodiscard]] std::string_view View() const;
  /// "True"/"False" in any letter case, or a decimal number (zero is false).
  /// Throws XmlError for an absent value or any other text.
  [[nodiscard]] bool AsBool() const;
  /// A decimal integer. Throws XmlError for an absent value or other text.
  [[nodiscard]] long long AsInt() const;
  /// True when present and "True"/non-zero; absent or unreadable is false.
  [[nodiscard]] bool IsTrue() const;

  friend bool operator==(const AttrValue& value, std::string_view text) {
    return value.present_ && value.text_ == text;
  }

 private:
  std::string_view text_;
  bool present_ = false;
};

/// The child elements of an element, in document order, for a range-for:
/// over XmlElement or ConstXmlElement alike, each giving its own kind.
template <typename Element>
class ChildElements final {
 public:
  class Iterator final {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Element;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = Element;
    Iterator() = default;
    explicit Iterator(Element at) : at_(at) {}
    Element operator*() const { return at_; }
    Iterator& operator++() {
      at_ = at_.NextSibling();
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      ++*this;
      return before;
    }
    friend bool operator==(const Iterator& a, const Iterator& b) { return a.at_ == b.at_; }

   private:
    Element at_;
  };
  explicit ChildElements(Element first) : first_(first) {}
  [[nodiscard]] Iterator begin() const { return Iterator(first_); }
  [[nodiscard]] Iterator end() const { return Iterator(); }

 private:
  Element first_;
};

/// An element of an XML document, or none. A cheap handle: copies refer to
/// the same element, which lives as long as its document. The element is
/// pugixml's, or one of a compact store's (the stylesheet's model); both
/// read and change alike.
class XmlElement final {
 public:
  XmlElement() = default;
  explicit XmlElement(pugi::xml_node node) : node_(node) {}
  XmlElement(ElementStore* store, ElementStore::Index index) : store_(store), index_(index) {}

  [[nodiscard]] bool IsNone() const { return store_ == nullptr && !node_; }
  explicit operator bool() const { return !IsNone(); }
  friend bool operator==(const XmlElement& a, const XmlElement& b) {
    return a.node_ == b.node_ && a.store_ == b.store_ && a.index_ == b.index_;
  }
  /// What tells this element from every other one of its document, for maps.
  [[nodiscard]] const void* Key() const {
    return store_ ? static_cast<const void*>(&store_->At(index_)) : static_cast<const void*>(node_.internal_object());
  }

  [[nodiscard]] std::string_view TagOf() const;
  [[nodiscard]] std::string_view TextOf() const;
  /// Its number in its compact store, by which XmlDocument::CompactElement
  /// finds it again; 0 for pugixml's.
  [[nodiscard]] ElementStore::Index StoreIndex() const { return index_; }
  void SetTextOf(std::string_view text);
  /// Whether the element's tag is exactly `tag`.
  [[nodiscard]] bool HasTag(std::string_view tag) const;
  void SetTag(std::string_view tag);

  /// Number of child elements (text and other nodes do not count).
  [[nodiscard]] std::size_t ChildCount() const;
  /// Child element by zero-based index in document order; none when out of range.
  [[nodiscard]] XmlElement ChildAt(std::size_t index) const;
  /// First child element with that tag, or none.
  [[nodiscard]] XmlElement FindChild(std::string_view tag) const;
  /// First child element with that tag; a new empty one is appended when there is none.
  XmlElement ChildByTag(std::string_view tag);
  /// A new empty element appended after the last child.
  XmlElement AppendChild(std::string_view tag);
  /// A new empty element before the first child, or just before `before`, a child.
  XmlElement PrependChild(std::string_view tag);
  XmlElement InsertChildBefore(std::string_view tag, XmlElement before);
  /// Removes a child element and everything below it.
  void RemoveChild(XmlElement child);
  /// Moves an element of the same document, with all below it, to the end
  /// of this one's children, or just before or after `place`, a child.
  /// Nothing moves when `place` is not a child, or when the element holds
  /// this one.
  void AppendMove(XmlElement moved);
  void PrependMove(XmlElement moved);
  void InsertMoveBefore(XmlElement moved, XmlElement place);
  void InsertMoveAfter(XmlElement moved, XmlElement place);
  [[nodiscard]] XmlElement Parent() const;
  /// The element's first and last child elements, and the elements beside it; none when there is none.
  [[nodiscard]] XmlElement FirstChild() const;
  [[nodiscard]] XmlElement LastChild() const;
  [[nodiscard]] XmlElement NextSibling() const;
  [[nodiscard]] XmlElement PreviousSibling() const;

  [[nodiscard]] AttrValue GetAttr(std::string_view name) const;
  [[nodiscard]] bool HasAttr(std::string_view name) const;
  /// An existing attribute keeps its place and takes the new value.
  void SetAttr(std::string_view name, std::string_view value);
  void SetAttr(std::string_view name, const char* value) { SetAttr(name, std::string_view(value)); }
  void SetAttr(std::string_view name, const std::string& value) { SetAttr(name, std::string_view(value)); }
  /// Stored as "True" or "False".
  void SetAttr(std::string_view name, bool value);
  /// Stored in decimal.
  void SetAttr(std::string_view name, long long value);
  void SetAttr(std::string_view name, int value) { SetAttr(name, static_cast<long long>(value)); }
  /// Appends an attribute the element does not have yet: nothing is looked up.
  void AppendAttr(std::string_view name, std::string_view value);
  /// Takes the attribute off; nothing when there is none.
  void RemoveAttr(std::string_view name);
  /// Calls `visit(name, value)` for each attribute, in order.
  template <typename Visit>
  void ForEachAttr(Visit&& visit) const {
    if (store_) {
      const ElementStore::Node& node = store_->At(index_);
      for (ElementStore::Index at = node.attrs; at != node.attrs + node.attrCount; ++at) {
        const ElementStore::Attr& attr = store_->AttrAt(at);
        visit(store_->NameOf(attr.name), store_->View(attr.value));
      }
    } else {
      for (pugi::xml_attribute attr = node_.first_attribute(); attr; attr = attr.next_attribute())
        visit(std::string_view(attr.name()), std::string_view(attr.value()));
    }
  }

  /// Iteration over the child elements, in document order.
  [[nodiscard]] ChildElements<XmlElement> Elements() const;

  /// pugixml's handle; none for an element of a compact store.
  [[nodiscard]] pugi::xml_node Node() const { return node_; }

 private:
  [[nodiscard]] XmlElement Compact(ElementStore::Index index) const {
    return index == ElementStore::kNone ? XmlElement() : XmlElement(store_, index);
  }
  [[nodiscard]] ElementStore::Node& Record() const { return store_->At(index_); }
  // For elements of a store.
  [[nodiscard]] bool IsParentOf(XmlElement child) const;
  bool Unhook(XmlElement moved, XmlElement place);

  pugi::xml_node node_;
  ElementStore* store_ = nullptr;
  ElementStore::Index index_ = 0;
};

inline ChildElements<XmlElement> XmlElement::Elements() const { return ChildElements<XmlElement>(FirstChild()); }

inline XmlElement XmlElement::FirstChild() const {
  if (store_) return Compact(Record().first);
  pugi::xml_node child = node_.first_child();
  while (child && child.type() != pugi::node_element) child = child.next_sibling();
  return XmlElement(child);
}

inline XmlElement XmlElement::NextSibling() const {
  if (store_) return Compact(Record().next);
  pugi::xml_node next = node_.next_sibling();
  while (next && next.type() != pugi::node_element) next = next.next_sibling();
  return XmlElement(next);
}

/// An element that may be read and not changed: what a document held as
/// const hands out, so that a reader cannot change what it is shown. It
/// reads as XmlElement does; an XmlElement converts to it, never back.
class ConstXmlElement final {
 public:
  ConstXmlElement() = default;
  // A writable element may always be read.
  ConstXmlElement(XmlElement element) : element_(element) {}  // NOLINT(google-explicit-constructor)

  [[nodiscard]] bool IsNone() const { return element_.IsNone(); }
  explicit operator bool() const { return static_cast<bool>(element_); }
  friend bool operator==(const ConstXmlElement& a, const ConstXmlElement& b) { return a.element_ == b.element_; }

  [[nodiscard]] const void* Key() const { return element_.Key(); }
  [[nodiscard]] std::string_view TagOf() const { return element_.TagOf(); }
  [[nodiscard]] std::string_view TextOf() const { return element_.TextOf(); }
  [[nodiscard]] bool HasTag(std::string_view tag) const { return element_.HasTag(tag); }
  [[nodiscard]] std::size_t ChildCount() const { return element_.ChildCount(); }
  [[nodiscard]] ConstXmlElement FirstChild() const { return element_.FirstChild(); }
  [[nodiscard]] ConstXmlElement LastChild() const { return element_.LastChild(); }
  [[nodiscard]] ConstXmlElement NextSibling() const { return element_.NextSibling(); }
  [[nodiscard]] ConstXmlElement PreviousSibling() const { return element_.PreviousSibling(); }
  template <typename Visit>
  void ForEachAttr(Visit&& visit) const {
    element_.ForEachAttr(std::forward<Visit>(visit));
  }
  [[nodiscard]] ConstXmlElement ChildAt(std::size_t index) const { return element_.ChildAt(index); }
  [[nodiscard]] ConstXmlElement FindChild(std::string_view tag) const { return element_.FindChild(tag); }
  [[nodiscard]] ConstXmlElement Parent() const { return element_.Parent(); }
  [[nodiscard]] AttrValue GetAttr(std::string_view name) const { return element_.GetAttr(name); }
  [[nodiscard]] bool HasAttr(std::string_view name) const { return element_.HasAttr(name); }

  [[nodiscard]] ChildElements<ConstXmlElement> Elements() const {
    return ChildElements<ConstXmlElement>(FirstChild());
  }

  /// The engine's handle, for readers that walk attributes and children in
  /// the engine's own terms. The engine knows no const: whoever writes
  /// through it goes round the document's owner.
  [[nodiscard]] pugi::xml_node Node() const { return element_.Node(); }

 private:
  friend XmlElement WritableElement(ConstXmlElement element);
  XmlElement element_;
};

/// The element itself, for the owner of its document, which hands out
/// elements to read and takes them back to change them.
inline XmlElement WritableElement(ConstXmlElement element) { return element.element_; }

/// Whether the engine's NUL-terminated text is exactly `expected`, compared in
/// place: no measuring of the text first. A NUL in `expected` never matches.
inline bool TextEquals(const char* text, std::string_view expected) {
  for (const char c : expected) {
    if (c == '\0' || *text != c) return false;
    ++text;
  }
  return *text == '\0';
}

/// An XML document with its declaration and one root element. Held through
/// XmlDocumentPtr: it lives while any holder keeps it. Its elements are
/// pugixml's, or a compact store's (CreateCompactXmlDocument).
class XmlDocument final {
 public:
  XmlDocument() = default;
  explicit XmlDocument(std::unique_ptr<ElementStore> store) : store_(std::move(store)) {}
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  [[nodiscard]] XmlElement RootElement();
  [[nodiscard]] ConstXmlElement RootElement() const;
  /// The document itself: the root element and whatever stands beside it.
  [[nodiscard]] XmlElement TopLevel();
  /// The whole document as UTF-8 XML with its declaration.
  [[nodiscard]] std::string ToText() const;
  /// Keeps `source` with a compact document: a text given to one of its
  /// elements that lies within it is referred to, not copied. Nothing may
  /// change `source`. Does nothing for pugixml's document.
  void KeepSource(std::shared_ptr<const std::string> source);
  /// The element of a compact document with that number (StoreIndex).
  [[nodiscard]] XmlElement CompactElement(ElementStore::Index index) { return XmlElement(store_.get(), index); }
  /// pugixml's document; empty for a compact one.
  [[nodiscard]] pugi::xml_document& Engine() { return doc_; }

 private:
  pugi::xml_document doc_;
  std::unique_ptr<ElementStore> store_;
};

using XmlDocumentPtr = std::shared_ptr<XmlDocument>;

/// The bytes of an XML file as UTF-8 text. The encoding is the one its
/// declaration names: UTF-8 (or none), ISO-8859-1 / Latin-1, Windows-1252
/// or US-ASCII; a UTF-8 byte-order mark is dropped. Raises XmlError naming
/// `origin` for a UTF-16 or UTF-32 file and for any other encoding.
std::string XmlTextAsUtf8(std::string_view bytes, std::string_view origin);

/// Why the engine could not read a document, in French, with the place.
std::string ParseErrorText(const pugi::xml_parse_result& result);

/// Parses an XML file. Whitespace between elements is not kept. A missing,
/// unreadable or malformed file raises XmlError with the engine's message.
XmlDocumentPtr LoadXmlFile(const std::string& path);
/// Parses XML held in memory; failures as for LoadXmlFile.
XmlDocumentPtr ParseXmlText(std::string_view text, std::string_view origin = "XML");
/// A new document: a declaration and an empty root element with that tag.
XmlDocumentPtr CreateXmlDocument(std::string_view rootTag);
/// The same, held in a compact store.
XmlDocumentPtr CreateCompactXmlDocument(std::string_view rootTag);
/// Writes the whole document as UTF-8 XML with its declaration, safely: a
/// new file beside the old one, then a rename. Raises on failure.
void SaveXmlFile(const XmlDocument& document, const std::string& path);

}  // namespace korvel
