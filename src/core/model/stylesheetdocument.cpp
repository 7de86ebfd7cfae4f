#include "model/stylesheetdocument.h"

#include <algorithm>
#include <utility>

#include "model/cssparser.h"
#include "model/csswriter.h"
#include "model/filebytes.h"

namespace korvel {

namespace {

// Where the properties made by undone steps wait to be made again: an
// element beside the root, where no reader of the document looks. Moving a
// property there and back keeps its element, so the steps after it that
// change it still find it.
constexpr const char* kAtticTag = "Undone";

// One attribute set by a step: its element, and its text before and after
// (none: absent).
struct AttrChange {
  XmlElement node;
  std::string_view attr;  // one of the attrs:: names, which outlive the step
  std::optional<std::string> before;
  std::optional<std::string> after;
};

// A property a step made, and where it stands when the step is in force.
struct MadeProp {
  XmlElement node;
  XmlElement parent;
  XmlElement previous;  // none: the first child of its parent
};

std::optional<std::string> AttrOf(XmlElement node, std::string_view name) {
  const AttrValue attr = node.GetAttr(name);
  if (attr.IsAbsent()) return std::nullopt;
  return attr.AsText();
}

void PutAttr(XmlElement node, std::string_view name, const std::optional<std::string>& text) {
  if (text) node.SetAttr(name, std::string_view(*text));
  else node.RemoveAttr(name);
}

}  // namespace

struct StyleSheetDocument::Step {
  std::string label;
  XmlElement rule;
  int session = 0;
  std::vector<MadeProp> made;
  std::vector<AttrChange> changes;

  void Undo(XmlElement attic) const {
    for (auto change = changes.rbegin(); change != changes.rend(); ++change)
      PutAttr(change->node, change->attr, change->before);
    for (auto prop = made.rbegin(); prop != made.rend(); ++prop) attic.AppendMove(prop->node);
  }
  void Redo() const {
    for (MadeProp prop : made) {
      if (prop.previous) prop.parent.InsertMoveAfter(prop.node, prop.previous);
      else prop.parent.PrependMove(prop.node);
    }
    for (const AttrChange& change : changes) PutAttr(change.node, change.attr, change.after);
  }
};

StyleSheetDocument::StyleSheetDocument() : styles_(std::make_unique<StyleDocument>()) {}

StyleSheetDocument::~StyleSheetDocument() = default;

LoadedStylesheet StyleSheetDocument::Read(const std::string& path) {
  LoadedStylesheet loaded;
  loaded.bytes = std::make_shared<const std::string>(ReadFileBytes(path));
  RefuseWideText(*loaded.bytes, path);
  try {
    loaded.styles = std::make_unique<StyleDocument>(ReadStylesheet(loaded.bytes));
  } catch (const StyleError& error) {
    throw FileError("« " + path + " » : " + error.what());
  }
  loaded.path = path;
  loaded.encoding = DetectEncoding(*loaded.bytes);
  return loaded;
}

std::shared_ptr<const std::string> StyleSheetDocument::Adopt(LoadedStylesheet loaded) {
  const bool wasModified = IsModified();
  // The steps refer to elements of the document they were made in.
  steps_.clear();
  styles_ = std::move(loaded.styles);
  path_ = std::move(loaded.path);
  encoding_ = loaded.encoding;
  index_ = 0;
  savedIndex_ = 0;
  Notify(wasModified);
  return std::move(loaded.bytes);
}

std::string StyleSheetDocument::Save() {
  std::string bytes = Write(*styles_);
  WriteOptions options;
  options.replaceReadOnly = !replaceReadOnlyAgreed_.empty() && replaceReadOnlyAgreed_ == path_;
  WriteFileAtomically(path_, bytes, options);
  const bool wasModified = IsModified();
  savedIndex_ = index_;
  Notify(wasModified);
  return bytes;
}

XmlElement StyleSheetDocument::Attic() {
  return styles_->Xml()->TopLevel().ChildByTag(kAtticTag);
}

bool StyleSheetDocument::Apply(ConstXmlElement shown, const std::vector<PropEdit>& edits, std::string label,
                               int session) {
  if (!shown || edits.empty()) return false;
  // The document's own element, seen read-only by the caller.
  XmlElement rule = WritableElement(shown);
  auto step = std::make_unique<Step>();
  step->label = std::move(label);
  step->rule = rule;
  step->session = session;
  const auto change = [&](XmlElement node, std::string_view attr, std::optional<std::string> after) {
    std::optional<std::string> before = AttrOf(node, attr);
    if (before == after) return;
    PutAttr(node, attr, after);
    step->changes.push_back({node, attr, std::move(before), std::move(after)});
  };
  const auto flag = [](bool on) { return std::optional<std::string>(on ? "True" : "False"); };
  for (const PropEdit& edit : edits) {
    XmlElement prop = FindProp(rule, edit.name);
    if (!prop) {
      prop = rule.AppendChild(tags::kProp);
      prop.SetAttr(attrs::kName, edit.name);
      prop.SetAttr(attrs::kValue, std::string_view());
      prop.SetAttr(attrs::kChecked, true);
      step->made.push_back({prop, rule, prop.PreviousSibling()});
    }
    if (edit.value) change(prop, attrs::kValue, *edit.value);
    if (edit.checked && prop.GetAttr(attrs::kChecked).IsTrue() != *edit.checked)
      change(prop, attrs::kChecked, flag(*edit.checked));
    // A property brought back loses the mark, as if it had never been deleted.
    if (edit.deleted && prop.GetAttr(attrs::kDeleted).IsTrue() != *edit.deleted)
      change(prop, attrs::kDeleted, *edit.deleted ? flag(true) : std::nullopt);
  }
  if (step->made.empty() && step->changes.empty()) return false;

  const bool wasModified = IsModified();
  if (index_ < steps_.size()) {
    // The steps undone are given up, and the properties they made with them.
    XmlElement attic = Attic();
    for (std::size_t i = index_; i < steps_.size(); ++i) {
      for (const MadeProp& prop : steps_[i]->made) attic.RemoveChild(prop.node);
    }
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(index_), steps_.end());
    if (savedIndex_ && *savedIndex_ > index_) savedIndex_.reset();
  }
  if (session != 0 && index_ > 0 && steps_.back()->session == session) {
    Step& last = *steps_.back();
    for (AttrChange& later : step->changes) {
      const auto same = std::find_if(last.changes.begin(), last.changes.end(), [&](const AttrChange& earlier) {
        return earlier.node == later.node && earlier.attr == later.attr;
      });
      if (same != last.changes.end()) same->after = std::move(later.after);
      else last.changes.push_back(std::move(later));
    }
    last.made.insert(last.made.end(), step->made.begin(), step->made.end());
    last.label = std::move(step->label);
    // The saved state was the step's state before it grew: it is gone.
    if (savedIndex_ == index_) savedIndex_.reset();
    // Steps that came back where they started (Escape in the length editor
    // writes the value it opened with) leave no step behind.
    std::erase_if(last.changes, [](const AttrChange& undone) { return undone.before == undone.after; });
    if (last.changes.empty() && last.made.empty()) {
      steps_.pop_back();
      --index_;
    }
  } else {
    steps_.push_back(std::move(step));
    ++index_;
  }
  Notify(wasModified);
  return true;
}

std::string StyleSheetDocument::UndoLabel() const { return CanUndo() ? steps_[index_ - 1]->label : std::string(); }

std::string StyleSheetDocument::RedoLabel() const { return CanRedo() ? steps_[index_]->label : std::string(); }

ConstXmlElement StyleSheetDocument::Undo() {
  if (!CanUndo()) return {};
  const bool wasModified = IsModified();
  const Step& step = *steps_[--index_];
  step.Undo(Attic());
  Notify(wasModified);
  return step.rule;
}

ConstXmlElement StyleSheetDocument::Redo() {
  if (!CanRedo()) return {};
  const bool wasModified = IsModified();
  const Step& step = *steps_[index_++];
  step.Redo();
  Notify(wasModified);
  return step.rule;
}

bool StyleSheetDocument::GoTo(std::size_t index) {
  if (index > steps_.size()) return false;
  const bool wasModified = IsModified();
  while (index_ > index) steps_[--index_]->Undo(Attic());
  while (index_ < index) steps_[index_++]->Redo();
  Notify(wasModified);
  return true;
}

bool StyleSheetDocument::RevertToSaved() { return savedIndex_ && GoTo(*savedIndex_); }

const std::string& StyleSheetDocument::StepLabel(std::size_t step) const { return steps_.at(step)->label; }

ConstXmlElement StyleSheetDocument::StepRule(std::size_t step) const { return steps_.at(step)->rule; }

void StyleSheetDocument::Notify(bool wasModified) {
  for (const auto& callback : historyCallbacks_) callback();
  const bool modified = IsModified();
  if (modified != wasModified) {
    for (const auto& callback : modifiedCallbacks_) callback(modified);
  }
}

}  // namespace korvel
