#include "model/elementstore.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

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

ElementStore::ElementStore() {
  Make(Intern("#document"));  // the top
}

void ElementStore::KeepSource(std::shared_ptr<const std::string> source) {
  if (source_) throw std::logic_error("ElementStore: a source is kept already");
  if (source && source->size() > std::numeric_limits<std::uint32_t>::max())
    throw XmlError("Le document dépasse 4 Gio de texte.");
  source_ = std::move(source);
}

ElementStore::Text ElementStore::Store(std::string_view text) {
  if (text.empty()) return Text{0, 0};
  if (text.size() >= kInSource) throw XmlError("Le document a un texte de plus de 2 Gio.");
  if (source_) {
    // Compared as numbers: the text may lie in another object altogether.
    const auto begin = reinterpret_cast<std::uintptr_t>(source_->data());
    const auto at = reinterpret_cast<std::uintptr_t>(text.data());
    if (at >= begin && text.size() <= source_->size() && at - begin <= source_->size() - text.size())
      return Text{static_cast<std::uint32_t>(at - begin), static_cast<std::uint32_t>(text.size()) | kInSource};
  }
  // A short text, mostly a word the model writes itself ("True"), is
  // stored once and shared: texts are never overwritten.
  Text* recent = nullptr;
  if (text.size() <= kShortText) {
    recent = &recentShort_[(text.size() * 31u + static_cast<unsigned char>(text.front()) * 7u +
                            static_cast<unsigned char>(text.back())) % recentShort_.size()];
    if (recent->size == text.size() && View(*recent) == text) return *recent;
  }
  const std::uint64_t limit = TextPieceStart(static_cast<unsigned>(text_.size()));
  std::uint64_t at = textEnd_;
  unsigned piece = 0;
  for (;;) {
    if (at + text.size() > limit) throw XmlError("Le document dépasse 4 Gio de texte.");
    piece = TextPieceOf(static_cast<std::uint32_t>(at));
    const std::uint64_t end = TextPieceStart(piece + 1);
    if (at + text.size() <= end) break;
    at = end;
  }
  if (!text_[piece]) text_[piece] = std::make_unique_for_overwrite<char[]>(std::size_t{1} << (piece + kTextFirstShift));
  std::memcpy(text_[piece].get() + (at - TextPieceStart(piece)), text.data(), text.size());
  textEnd_ = at + text.size();
  const Text stored{static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(text.size())};
  if (recent) *recent = stored;
  return stored;
}

namespace {

// A hash of a name from its size and its first and last bytes, read a word
// at a time: names are short, and mostly differ there.
std::uint64_t NameHash(std::string_view name) {
  const std::size_t n = name.size();
  std::uint64_t first = 0;
  std::uint64_t last = 0;
  if (n >= 8) {
    std::memcpy(&first, name.data(), 8);
    std::memcpy(&last, name.data() + n - 8, 8);
  } else if (n >= 4) {
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    std::memcpy(&a, name.data(), 4);
    std::memcpy(&b, name.data() + n - 4, 4);
    first = a;
    last = b;
  } else {
    for (const char c : name) first = first * 131 + static_cast<unsigned char>(c);
  }
  std::uint64_t h = (first ^ (last * 0xC2B2AE3D27D4EB4Full) ^ n) * 0x9E3779B97F4A7C15ull;
  return h ^ (h >> 32);
}

}  // namespace

// The table is only written by Intern: readers in several threads may share
// a document they do not change.
bool ElementStore::Find(std::string_view name, NameId& id) const {
  if (nameSlots_.empty()) return false;
  const std::size_t mask = nameSlots_.size() - 1;
  for (std::size_t i = NameHash(name) & mask;; i = (i + 1) & mask) {
    const std::uint32_t slot = nameSlots_[i];
    if (slot == kNoName) return false;
    if (names_[slot] == name) {
      id = static_cast<NameId>(slot);
      return true;
    }
  }
}

ElementStore::NameId ElementStore::Intern(std::string_view name) {
  NameId id = 0;
  if (Find(name, id)) return id;
  if (names_.size() > std::numeric_limits<NameId>::max()) throw XmlError("Le document compte trop de noms.");
  names_.emplace_back(name);
  if (names_.size() * 2 > nameSlots_.size()) {
    nameSlots_.assign(std::max<std::size_t>(32, nameSlots_.size() * 2), kNoName);
    for (std::uint32_t n = 0; n < names_.size(); ++n) PlaceName(n);
  } else {
    PlaceName(static_cast<std::uint32_t>(names_.size() - 1));
  }
  return static_cast<NameId>(names_.size() - 1);
}

void ElementStore::PlaceName(std::uint32_t id) {
  const std::size_t mask = nameSlots_.size() - 1;
  std::size_t i = NameHash(names_[id]) & mask;
  while (nameSlots_[i] != kNoName) i = (i + 1) & mask;
  nameSlots_[i] = id;
}

ElementStore::Index ElementStore::Make(NameId tag) {
  const Index index = nodes_.Add();
  At(index) = Node{kNone, kNone, kNone, kNone, kNone, 0, Text{0, 0}, tag, 0};
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
  const Node& n = At(node);
  for (Index attr = n.attrs; attr != n.attrs + n.attrCount; ++attr)
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
  Node& n = At(node);
  if (n.attrCount == std::numeric_limits<std::uint16_t>::max()) throw XmlError("L'élément a trop d'attributs.");
  const Text stored = Store(value);
  // An element's attributes follow one another. Those of an element made
  // earlier move to the end first, past the attributes made since.
  if (n.attrCount == 0 || n.attrs + n.attrCount != attrs_.Size()) {
    const auto start = static_cast<Index>(attrs_.Size());
    for (Index i = 0; i < n.attrCount; ++i) AttrAt(attrs_.Add()) = AttrAt(n.attrs + i);
    n.attrs = start;
  }
  AttrAt(attrs_.Add()) = Attr{name, stored};
  ++n.attrCount;
}

void ElementStore::RemoveAttr(Index node, NameId name) {
  const Index found = FindAttr(node, name);
  if (found == kNone) return;
  Node& n = At(node);
  for (Index at = found; at + 1 != n.attrs + n.attrCount; ++at) AttrAt(at) = AttrAt(at + 1);
  --n.attrCount;
}

}  // namespace korvel
