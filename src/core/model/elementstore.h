#pragma once

// A compact store of elements for the stylesheet's model: the elements in
// flat arrays linked by index, their attributes in another, and their texts
// in one buffer, or in the source they were read from, kept with the store.
// Tag and attribute names are kept once each and referred to by number. Nothing is freed until the store is: an element
// removed is only unlinked, and a text replaced stays in the buffer.
//
// It holds what the model needs of XML (elements, attributes in order, the
// text of an element) and nothing else: no comments, no mixed text. The
// arrays and the text buffer grow by pieces that never move, so an element's
// record keeps its address, and a text read from it stays valid, while the
// store lives.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

class ElementStore final {
 public:
  using Index = std::uint32_t;
  using NameId = std::uint16_t;
  static constexpr Index kNone = 0xFFFFFFFFu;
  /// The document itself: the parent of the root element, never a child.
  static constexpr Index kTop = 0;

  // The records have no initial values, so that the pieces they are made
  // in are not written, nor paged in, before they are used.

  /// A text in the buffer: where it starts, counted over all the pieces;
  /// or, when its size has kInSource set, where it starts in the source.
  struct Text {
    std::uint32_t offset;
    std::uint32_t size;
  };
  static constexpr std::uint32_t kInSource = 0x80000000u;
  struct Node {
    Index parent;
    Index first;
    Index last;
    Index previous;
    Index next;
    Index attrs;  // the first of its attributes, which follow one another
    Text text;
    NameId tag;
    std::uint16_t attrCount;
  };
  struct Attr {
    NameId name;
    Text value;
  };

  ElementStore();
  ElementStore(const ElementStore&) = delete;
  ElementStore& operator=(const ElementStore&) = delete;

  [[nodiscard]] Node& At(Index index) { return nodes_.At(index); }
  [[nodiscard]] const Node& At(Index index) const { return nodes_.At(index); }
  [[nodiscard]] Attr& AttrAt(Index index) { return attrs_.At(index); }
  [[nodiscard]] const Attr& AttrAt(Index index) const { return attrs_.At(index); }

  [[nodiscard]] std::string_view View(Text text) const {
    if (text.size == 0) return {};
    if (text.size & kInSource) return {source_->data() + text.offset, text.size & ~kInSource};
    const unsigned piece = TextPieceOf(text.offset);
    return {text_[piece].get() + (text.offset - TextPieceStart(piece)), text.size};
  }
  /// Copies `text` into the buffer, or refers to it where it lies within
  /// the source; a text replaced is not overwritten. Raises XmlError past
  /// 4 GiB of text, or for a single text of 2 GiB.
  Text Store(std::string_view text);
  /// Keeps `source`, which nothing changes, while the store lives: a text
  /// stored that lies within it is not copied. Raises XmlError past 4 GiB;
  /// a store keeps one source, since its texts may refer to it.
  void KeepSource(std::shared_ptr<const std::string> source);

  /// The number of a name, given it the first time it is asked for.
  NameId Intern(std::string_view name);
  /// The number of a name already given one; false when none was.
  bool Find(std::string_view name, NameId& id) const;
  [[nodiscard]] std::string_view NameOf(NameId id) const { return names_[id]; }

  /// A new element, not yet linked anywhere.
  Index Make(NameId tag);
  /// Links a new or unlinked element as the last child of `parent`, or just
  /// before `before` (one of the children of `parent`), or just after `after`.
  void LinkLast(Index parent, Index node);
  void LinkBefore(Index parent, Index node, Index before);
  void LinkAfter(Index parent, Index node, Index after);
  void LinkFirst(Index parent, Index node);
  /// Takes an element, with all below it, out of its parent's children.
  void Unlink(Index node);

  /// The attribute of that name, or kNone.
  [[nodiscard]] Index FindAttr(Index node, NameId name) const;
  /// Sets the value of an attribute, appended last when the element has none of that name.
  void SetAttr(Index node, NameId name, std::string_view value);
  /// Appends an attribute the element is known not to have yet.
  void AppendAttr(Index node, NameId name, std::string_view value);
  /// Takes an attribute off; nothing when there is none.
  void RemoveAttr(Index node, NameId name);

 private:
  // An array that grows by pieces which never move, each twice the size of
  // the one before (64 records, 128, 256…): a small document takes little,
  // a large one few pieces.
  template <typename T>
  class Pieces {
   public:
    static constexpr unsigned kFirstShift = 6;
    T& At(Index index) { return pieces_[PieceOf(index)][index - FirstOf(PieceOf(index))]; }
    const T& At(Index index) const { return pieces_[PieceOf(index)][index - FirstOf(PieceOf(index))]; }
    Index Add();
    [[nodiscard]] std::size_t Size() const { return size_; }

   private:
    static unsigned PieceOf(Index index) {
      return 31u - static_cast<unsigned>(__builtin_clz((index >> kFirstShift) + 1u));
    }
    static Index FirstOf(unsigned piece) { return ((Index{1} << piece) - 1u) << kFirstShift; }

    std::array<std::unique_ptr<T[]>, 27> pieces_;
    std::size_t size_ = 0;
  };

  // The texts lie in pieces of 64 KiB, 128 KiB, 256 KiB… one after the
  // other in a single count of 4 GiB. A text never straddles two pieces:
  // one that does not fit in what is left of a piece starts the next that
  // can hold it, and the pieces passed over are never made.
  static constexpr unsigned kTextFirstShift = 16;
  static unsigned TextPieceOf(std::uint32_t offset) {
    return 31u - static_cast<unsigned>(__builtin_clz((offset >> kTextFirstShift) + 1u));
  }
  static std::uint64_t TextPieceStart(unsigned piece) {
    return ((std::uint64_t{1} << piece) - 1u) << kTextFirstShift;
  }

  Pieces<Node> nodes_;
  Pieces<Attr> attrs_;
  std::array<std::unique_ptr<char[]>, 16> text_;
  std::uint64_t textEnd_ = 0;  // where the next text goes
  std::shared_ptr<const std::string> source_;
  static constexpr std::size_t kShortText = 16;
  std::array<Text, 64> recentShort_{};  // short texts copied lately, by a hash of their ends
  std::vector<std::string> names_;
  // The names' numbers, by a hash of the name, at most half full.
  static constexpr std::uint32_t kNoName = 0xFFFFFFFFu;
  std::vector<std::uint32_t> nameSlots_;
  void PlaceName(std::uint32_t id);
};

}  // namespace korvel
