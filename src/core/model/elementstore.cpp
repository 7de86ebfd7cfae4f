#include "model/elementstore.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "model/xmldocument.h"

namespace korvel {

template <typename T>
ElementStore::Index ElementStore::Pieces<T>::Add() {
  if (size_ >= kNone - 1) throw XmlError("Le document compte trop d'éléments.");
  const auto index = static_cast<Index>(size_);
  const unsigned piece = PieceOf(index);
  if (!pieces_[piece]) pieces_[piece] = std::make_unique_for_overwrite<T[]>(std::size_t{1} << (piece + kFirstShift));
  ++size_;
  return index;
}

namespace {

constexpr std::size_t kTextPiece = 256 * 1024;

}  // namespace

ElementStore::ElementStore(std::size_t expectedText) {
  // The texts kept are about the size of the file read: its names, values
  // and comments without the blanks and punctuation around them.
  textCapacity_ = std::max(expectedText, std::size_t{4096});
  text_.push_back(std::make_unique_for_overwrite<char[]>(textCapacity_));
  Make(Intern("#document"));  // the top
}

ElementStore::Text ElementStore::Store(std::string_view text) {
  if (text.empty()) return Text{0, 0, 0};
  if (text.size() > std::numeric_limits<std::uint32_t>::max()) throw XmlError("Le texte dépasse 4 Gio.");
  if (textCapacity_ - textUsed_ < text.size()) {
    if (text_.size() >= std::numeric_limits<std::uint32_t>::max()) throw XmlError("Le document compte trop de textes.");
    textCapacity_ = std::max(text.size(), kTextPiece);
    text_.push_back(std::make_unique_for_overwrite<char[]>(textCapacity_));
    textUsed_ = 0;
  }
  const Text stored{static_cast<std::uint32_t>(text_.size() - 1), static_cast<std::uint32_t>(textUsed_),
                    static_cast<std::uint32_t>(text.size())};
  std::memcpy(text_.back().get() + textUsed_, text.data(), text.size());
  textUsed_ += text.size();
  return stored;
}

namespace {

std::size_t RecentSlot(const char* data) { return (reinterpret_cast<std::uintptr_t>(data) >> 3) & 31; }

}  // namespace

bool ElementStore::Find(std::string_view name, NameId& id) const {
  Recent& recent = recent_[RecentSlot(name.data())];
  if (recent.data == name.data() && names_[recent.id] == name) {
    id = recent.id;
    return true;
  }
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] == name) {
      id = static_cast<NameId>(i);
      recent = {name.data(), id};
      return true;
    }
  }
  return false;
}

ElementStore::NameId ElementStore::Intern(std::string_view name) {
  NameId id = 0;
  if (Find(name, id)) return id;
  if (names_.size() > std::numeric_limits<NameId>::max()) throw XmlError("Le document compte trop de noms.");
  names_.emplace_back(name);
  return static_cast<NameId>(names_.size() - 1);
}

ElementStore::Index ElementStore::Make(NameId tag) {
  const Index index = nodes_.Add();
  At(index) = Node{kNone, kNone, kNone, kNone, kNone, kNone, Text{0, 0, 0}, tag};
  return index;
}

void ElementStore::LinkLast(Index parent, Index node) {
  Node& p = At(parent);
  Node& n = At(node);
  n.parent = parent;
  n.previous = p.last;
  n.next = kNone;
  if (p.last != kNone) At(p.last).next = node;
  else p.first = node;
  p.last = node;
}

void ElementStore::LinkFirst(Index parent, Index node) {
  Node& p = At(parent);
  if (p.first == kNone) return LinkLast(parent, node);
  LinkBefore(parent, node, p.first);
}

void ElementStore::LinkBefore(Index parent, Index node, Index before) {
  Node& n = At(node);
  Node& b = At(before);
  n.parent = parent;
  n.next = before;
  n.previous = b.previous;
  if (b.previous != kNone) At(b.previous).next = node;
  else At(parent).first = node;
  b.previous = node;
}

void ElementStore::LinkAfter(Index parent, Index node, Index after) {
  const Index next = At(after).next;
  if (next == kNone) LinkLast(parent, node);
  else LinkBefore(parent, node, next);
}

void ElementStore::Unlink(Index node) {
  Node& n = At(node);
  if (n.parent == kNone) return;
  Node& p = At(n.parent);
  if (n.previous != kNone) At(n.previous).next = n.next;
  else p.first = n.next;
  if (n.next != kNone) At(n.next).previous = n.previous;
  else p.last = n.previous;
  n.parent = n.previous = n.next = kNone;
}

ElementStore::Index ElementStore::FindAttr(Index node, NameId name) const {
  for (Index attr = At(node).attrs; attr != kNone; attr = AttrAt(attr).next)
    if (AttrAt(attr).name == name) return attr;
  return kNone;
}

void ElementStore::SetAttr(Index node, NameId name, std::string_view value) {
  const Index found = FindAttr(node, name);
  if (found == kNone) return AppendAttr(node, name, value);
  // The old text stays where it is: a reader may still hold a view of it.
  AttrAt(found).value = Store(value);
}

void ElementStore::AppendAttr(Index node, NameId name, std::string_view value) {
  const Index index = attrs_.Add();
  Attr& attr = AttrAt(index);
  attr = Attr{kNone, name, Store(value)};
  Index* link = &At(node).attrs;
  while (*link != kNone) link = &AttrAt(*link).next;
  *link = index;
}

void ElementStore::RemoveAttr(Index node, NameId name) {
  for (Index* link = &At(node).attrs; *link != kNone; link = &AttrAt(*link).next) {
    if (AttrAt(*link).name == name) {
      *link = AttrAt(*link).next;
      return;
    }
  }
}

}  // namespace korvel
