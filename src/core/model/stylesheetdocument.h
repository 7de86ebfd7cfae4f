#pragma once

// The open stylesheet: its file (path, encoding, line ends, whether the user
// agreed to replace it while it is read-only), its rules as a StyleDocument,
// and the history of the changes made to them since it was read.
//
// Every change of the rules goes through Apply, as one step of the history;
// Undo and Redo walk it. A step keeps only what it changed: the old and new
// value of each attribute it set, and the properties it made. "Modified" is
// not a flag: the document is modified while its place in the history is
// not the place of the last load or save.
//
// Failures: Load and Save raise FileError (in French, naming the file) and
// leave everything as it was; Save raises ReadOnlyFileError for a read-only
// file the user has not agreed to replace.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/styledocument.h"
#include "model/textencoding.h"

namespace korvel {

/// What one step does to one property of a rule, found by its name; fields
/// left empty stay as they are. A property the rule lacks is made (switched
/// on, with an empty value) before the fields are set.
struct PropEdit {
  std::string name;
  std::optional<std::string> value;
  std::optional<bool> checked;
  std::optional<bool> deleted;
};

/// A stylesheet read and parsed but not shown yet: what
/// StyleSheetDocument::Read makes, on any thread, and Adopt takes in. It
/// shares nothing with any other document (its bytes only with its own
/// stylesheet, and nothing changes them), so it may be handed between threads.
struct LoadedStylesheet {
  std::string path;
  // The file's bytes as read, which the document's texts refer to: nothing changes them.
  std::shared_ptr<const std::string> bytes;
  TextEncoding encoding = TextEncoding::Utf8;
  std::unique_ptr<StyleDocument> styles;
};

class StyleSheetDocument final {
 public:
  StyleSheetDocument();
  ~StyleSheetDocument();
  StyleSheetDocument(const StyleSheetDocument&) = delete;
  StyleSheetDocument& operator=(const StyleSheetDocument&) = delete;

  // ------------------------------------------------------------ the file

  /// Reads and parses the stylesheet at `path`; the history starts anew and
  /// the document is not modified. Returns the bytes read. On failure
  /// (FileError) the document, its path and its history stay as they were.
  std::shared_ptr<const std::string> Load(const std::string& path) { return Adopt(Read(path)); }
  /// The first half of Load: reads and parses the file, touching no
  /// document, so it may run on any thread. Raises FileError.
  [[nodiscard]] static LoadedStylesheet Read(const std::string& path);
  /// The second half of Load: the stylesheet read becomes this document's,
  /// its history starting anew. Returns the bytes read.
  std::shared_ptr<const std::string> Adopt(LoadedStylesheet loaded);
  /// Load of the same file again (it was changed outside).
  std::shared_ptr<const std::string> Reload() { return Load(path_); }
  /// Writes the rules into the file safely (a new file, then a rename) and
  /// marks this place of the history as saved. Returns the bytes written.
  std::string Save();
  /// The user agreed to replace the read-only file at this path; asked once
  /// per file.
  void AgreeToReplaceReadOnly() { replaceReadOnlyAgreed_ = path_; }

  [[nodiscard]] bool IsOpen() const { return !path_.empty(); }
  [[nodiscard]] const std::string& Path() const { return path_; }
  [[nodiscard]] TextEncoding Encoding() const { return encoding_; }
  [[nodiscard]] StyleDocument::LineEnd LineEnds() const { return styles_->LineEnds(); }
  [[nodiscard]] const StyleDocument& Styles() const { return *styles_; }

  // ----------------------------------------------------------- the steps

  /// The only way to change the rules: Styles() hands out elements that can
  /// only be read.
  /// Applies the edits to the properties of `rule` (an element of Styles())
  /// as one step named `label`. A later edit of the same property wins over
  /// an earlier one. The steps that could be redone are dropped. A step
  /// given the same non-zero `session` as the step just made, and not yet
  /// undone, joins it (the arrow steps of one editor). False, and nothing
  /// recorded, when the edits change nothing.
  bool Apply(ConstXmlElement rule, const std::vector<PropEdit>& edits, std::string label, int session = 0);

  [[nodiscard]] bool CanUndo() const { return index_ > 0; }
  [[nodiscard]] bool CanRedo() const { return index_ < steps_.size(); }
  /// The label of the step Undo (Redo) takes back (makes again); empty when none.
  [[nodiscard]] std::string UndoLabel() const;
  [[nodiscard]] std::string RedoLabel() const;
  /// Takes back the last step made; returns the rule it changed (none when
  /// there was nothing to undo).
  ConstXmlElement Undo();
  /// Makes the step undone last again; returns its rule, or none.
  ConstXmlElement Redo();
  /// Undoes or redoes steps until `index` steps are made. False when
  /// `index` is beyond the history.
  bool GoTo(std::size_t index);
  /// Goes back (or forward) to the place of the last load or save. False
  /// when that place is no longer in the history (a step was made after
  /// undoing past it).
  bool RevertToSaved();

  /// The steps made since the stylesheet was read, oldest first; Index()
  /// of them are in force, the others can be redone.
  [[nodiscard]] std::size_t StepCount() const { return steps_.size(); }
  [[nodiscard]] std::size_t Index() const { return index_; }
  [[nodiscard]] const std::string& StepLabel(std::size_t step) const;
  [[nodiscard]] ConstXmlElement StepRule(std::size_t step) const;

  /// The rules differ from the file as last read or written.
  [[nodiscard]] bool IsModified() const { return !savedIndex_ || *savedIndex_ != index_; }

  /// Called with the new state each time IsModified changes.
  void OnModifiedChanged(std::function<void(bool)> callback) { modifiedCallbacks_.push_back(std::move(callback)); }
  /// Called after every change of the history: a step made, undone or
  /// redone, a load, a save.
  void OnHistoryChanged(std::function<void()> callback) { historyCallbacks_.push_back(std::move(callback)); }

 private:
  struct Step;
  void Notify(bool wasModified);
  XmlElement Attic();

  std::string path_;
  TextEncoding encoding_ = TextEncoding::Utf8;
  std::string replaceReadOnlyAgreed_;
  std::unique_ptr<StyleDocument> styles_;
  std::vector<std::unique_ptr<Step>> steps_;
  std::size_t index_ = 0;
  std::optional<std::size_t> savedIndex_{0};  // none: the saved place was dropped
  std::vector<std::function<void(bool)>> modifiedCallbacks_;
  std::vector<std::function<void()>> historyCallbacks_;
};

}  // namespace korvel
