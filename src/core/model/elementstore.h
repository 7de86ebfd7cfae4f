#pragma once

// A compact store of elements for the stylesheet's model: the elements in
// flat arrays linked by index, their attributes in another, and all their
// texts in one buffer. Tag and attribute names are kept once each and
// referred to by number. Nothing is freed until the store is: an element
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

  /// A text in the buffer: its piece, and where it lies in it.
  struct Text {
    std::uint32_t piece;
    std::uint32_t offset;
    std::uint32_t size;
  };
  struct Node {
    Index parent;
    Index first;
    Index last;
    Index previous;
    Index next;
    Index attrs;  // the first attribute
    Text text;
    NameId tag;
  };
  struct Attr {
    Index next;
    NameId name;
    Text value;
  };

  /// `expectedText`: about how many bytes of text the store will hold (the
  /// size of the file read), so that the buffer is reserved once.
  explicit ElementStore(std::size_t expectedText = 0);
  ElementStore(const ElementStore&) = delete;
  ElementStore& operator=(const ElementStore&) = delete;

  [[nodiscard]] Node& At(Index index) { return nodes_.At(index); }
  [[nodiscard]] const Node& At(Index index) const { return nodes_.At(index); }
  [[nodiscard]] Attr& AttrAt(Index index) { return attrs_.At(index); }
  [[nodiscard]] const Attr& AttrAt(Index index) const { return attrs_.At(index); }

  [[nodiscard]] std::string_view View(Text text) const { return {text_[text.piece].get() + text.offset, text.size}; }
  /// Copies `text` into the buffer; a text replaced is not overwritten.
  Text Store(std::string_view text);

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

   private:
    static unsigned PieceOf(Index index) {
      return 31u - static_cast<unsigned>(__builtin_clz((index >> kFirstShift) + 1u));
    }
    static Index FirstOf(unsigned piece) { return ((Index{1} << piece) - 1u) << kFirstShift; }

    std::array<std::unique_ptr<T[]>, 27> pieces_;
    std::size_t size_ = 0;
  };

  Pieces<Node> nodes_;
  Pieces<Attr> attrs_;
  // The texts, in pieces: the first sized from the text expected, the
  // others as needed. A text never straddles two pieces.
  std::vector<std::unique_ptr<char[]>> text_;
  std::size_t textUsed_ = 0;      // in the last piece
  std::size_t textCapacity_ = 0;  // of the last piece
  std::vector<std::string> names_;
  // The last numbers found, by where the name asked for lies: callers mostly
  // ask with the same few literals.
  struct Recent {
    const char* data = nullptr;
    NameId id = 0;
  };
  mutable std::array<Recent, 32> recent_{};
};

}  // namespace korvel
