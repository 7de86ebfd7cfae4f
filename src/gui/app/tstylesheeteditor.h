#pragma once

// The stylesheet editor: the page "Edition" of the main window. It holds
// the rule tree, the property grid and the list of changes, and shows the
// open stylesheet (a StyleSheetDocument, which owns the file, the rules and
// their history); it validates and saves, undoes and redoes, and runs live
// mode (every change saved at once and the page opened again).
//
// The grid is where a value is typed; every change the user confirms there
// ends with MarkModified, which hands it to the document as one step. Every
// save goes through SaveStylesheet, which refuses to write a grid it cannot
// save faithfully; the document writes the file safely (a new file, then a
// rename; a read-only file only when the user says so).

#include <QByteArray>
#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

#include "app/launcher.h"
#include "app/stylesheetreader.h"
#include "app/textbridge.h"
#include "app/windowhelpers.h"
#include "dictionary/keyworddictionary.h"
#include "model/ruleplace.h"
#include "model/ruletree.h"
#include "model/stylesheetdocument.h"

class QBoxLayout;
class QComboBox;
class QLabel;
class QListWidget;
class QProgressDialog;
class QSplitter;
class QTabWidget;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvel {

class GStringGrid;
class ProgramLauncher;
class TCellDispatch;

class TStyleSheetEditor final : public QWidget {
  Q_OBJECT

 public:
  /// Loads the property dictionary; a missing or malformed one raises (the
  /// program cannot edit without it).
  TStyleSheetEditor(const QString& dictionaryPath, ProgramLauncher& launcher, QWidget* parent = nullptr);
  Q_DISABLE_COPY_MOVE(TStyleSheetEditor)
  ~TStyleSheetEditor() override;

  /// Reads the project's stylesheet (leftovers of interrupted saves in its
  /// folder go first) and fills the tree; `caption` names it above the tree.
  /// Unsaved edits are asked about first. False when they stay unsettled or
  /// the file could not be read (said already; the previous document and
  /// the file it is saved to stay).
  bool OpenStylesheet(const QString& cssFile, const QString& htmlFile, const QString& caption);
  /// Runs `showPage` (which brings this page to the front) and shows the
  /// first rule of the tree.
  void ShowFirstRule(const std::function<void()>& showPage);
  /// Shows the project's page, after "OK" and after a save in live mode:
  /// through the opener the window installed, else in the default browser.
  void OpenPage();
  /// What a save does once the grid is valid: write the file, keep
  /// everything as it is (nothing written, the edits stay), or read the
  /// stylesheet again (the edits are dropped).
  enum class SaveCheck { Write, Keep, Reload };
  /// Asked before every save (Ctrl+S, "Sauvegarder", live mode, the "Oui"
  /// of a question); without one every save writes.
  void SetSaveCheck(std::function<SaveCheck()> check) { saveCheck_ = std::move(check); }
  /// How OpenPage shows the page.
  void SetPageOpener(std::function<void()> open) { pageOpener_ = std::move(open); }
  /// Where the browser buttons send the browser; the page's path until the
  /// window installs its own.
  void SetPageAddress(std::function<QString()> address) { pageAddress_ = std::move(address); }
  /// Puts the outside tools' buttons (Firefox, the second browser, the text
  /// editor) on a tab's bottom panel; `suffix` ends their object names
  /// ("sbFirefox" + suffix…). The hints name the program each starts, or say
  /// it is missing. Returns the buttons in their row's order.
  QList<QToolButton*> AddOutsideToolButtons(QBoxLayout& panel, const QString& suffix = {});
  [[nodiscard]] OutsideTools& Tools() { return tools_; }
  /// Reads the stylesheet again after a change made outside: unsaved edits
  /// are dropped and the history starts anew; the tree comes back as the
  /// user left it (the same groups open, the shown rule selected).
  void ReloadStylesheet();
  /// Closing the window: a value being typed is committed, and unsaved
  /// edits are asked about (Yes saves, No drops, Cancel stays). Whether the
  /// window may close.
  bool QueryClose();
  /// Writes into the grid what its in-place boxes hold.
  void CommitPendingEdits();
  /// Creates the value editors, hidden, as popups of the main window (which
  /// does so when it is made; otherwise the first click on a value does).
  void CreatePopups(QWidget* mainWindow);
  /// Hides the value editors (another page is shown).
  void HidePopups();
  /// The "Sauvegarder" and live-mode buttons of another page, kept in step
  /// with this page's own.
  void AttachTwinButtons(QToolButton* save, QToolButton* live);

  /// Commits a value being typed and asks about unsaved edits: Yes saves
  /// them, No takes them back (they can be redone). False when the user
  /// cancelled or the save failed (said): the edits are still there.
  /// `droppedFrom`, when No was answered, is the place in the history the
  /// edits were taken back from.
  bool SettleUnsavedEdits(std::optional<std::size_t>* droppedFrom = nullptr);
  /// Shows a node of the tree: a rule's properties, a statement kept as
  /// written, or a group or block opened; asks about unsaved edits first
  /// (Yes, No, Cancel). `select` makes it the tree's current node, its
  /// groups and blocks opened. Returns false when the user cancelled or the
  /// edits could not be saved: the shown rule stays, selected in the tree.
  bool SelectRule(QTreeWidgetItem* node, bool select);
  void TVCSSClick(QTreeWidgetItem* node);
  bool SaveStylesheet();
  /// Ends every change confirmed in the grid: what the grid's rows hold
  /// goes into the document as one step (joined to the step before when
  /// both come from one editor `session`, non-zero); in live mode the file
  /// is saved and the page shown again.
  void MarkModified(int session = 0);
  /// Takes back the last step (Ctrl+Z, "Annuler"), or makes the step undone
  /// last again (Ctrl+Shift+Z, Ctrl+Y, "Rétablir"), and shows its rule. In
  /// live mode the file is saved as after any change.
  void Undo();
  void Redo();
  /// Reads a stylesheet into the document and fills the tree. False when
  /// the file cannot be read (said; the previous document and tree stay),
  /// and when the read was given up (the user cancelled it, or a later
  /// request replaced it). A file of BackgroundReadFrom() bytes or more is
  /// read on a thread of its own: the window goes on meanwhile, this page
  /// disabled, and a read longer than half a second shows a busy indicator
  /// that can cancel it. A request made meanwhile (another file, the same
  /// again) wins over the one waited for.
  bool LoadStylesheet(const QString& path);
  [[nodiscard]] qint64 BackgroundReadFrom() const { return backgroundReadFrom_; }
  void SetBackgroundReadFrom(qint64 bytes) { backgroundReadFrom_ = bytes; }
  /// Whether the file at `path` is read on a thread of its own, the window
  /// waiting with a progress dialog.
  [[nodiscard]] bool ReadsOnItsOwnThread(const QString& path) const;
  /// How long a read on a thread of its own goes before the busy indicator
  /// shows (half a second).
  void SetReadProgressDelay(int milliseconds) { readProgressDelayMs_ = milliseconds; }
  /// A read on a thread of its own is under way.
  [[nodiscard]] bool IsReading() const { return reading_; }
  /// Fills the rule tree anew from the document, as a load does; nothing
  /// shown in the grid.
  void FillRuleTree();
  void AddProperty(const QString& name);
  void DeleteProperty();
  void BorderClick();
  void SetLiveMode(bool on);

  [[nodiscard]] GStringGrid* PropertyGrid() const { return PropertyGrid_; }
  /// What a click on a value opens.
  [[nodiscard]] TCellDispatch& Dispatch();
  [[nodiscard]] QTreeWidget* RuleTree() const { return TVCSS_; }
  [[nodiscard]] QSplitter* Splitter() const { return SplitterEditTVSG_; }
  /// The document holds edits not yet in the file.
  [[nodiscard]] bool IsModified() const { return document_.IsModified(); }
  [[nodiscard]] bool LiveMode() const { return liveMode_; }
  /// The rule whose properties the grid shows (none for a statement kept
  /// as written), its name, and its place in the stylesheet.
  [[nodiscard]] ConstXmlElement ShownRuleElement() const { return shownRuleElement_; }
  [[nodiscard]] QString ShownRule() const;
  [[nodiscard]] RulePlace ShownPlace() const { return PlaceOf(shownRuleElement_); }
  [[nodiscard]] QString CSSFilePath() const { return FromStd(document_.Path()); }
  [[nodiscard]] const QString& HTMLFilePath() const { return HTMLFilePath_; }
  [[nodiscard]] const StyleSheetDocument& Document() const { return document_; }
  /// The "Annuler" and "Rétablir" buttons, and the list of the changes
  /// since the stylesheet was read, newest first.
  [[nodiscard]] QToolButton* UndoButton() const { return sbUndo_; }
  [[nodiscard]] QToolButton* RedoButton() const { return sbRedo_; }
  [[nodiscard]] QListWidget* ChangeList() const { return lbChanges_; }
  /// The tree node of a rule, block or statement by its text: the first of
  /// the top level and its groups, else the first, top to bottom, inside
  /// blocks and rules.
  [[nodiscard]] QTreeWidgetItem* FindNode(const QString& text) const;
  /// The tree node of a rule, block or statement of the open document.
  [[nodiscard]] QTreeWidgetItem* FindNode(ConstXmlElement element) const;
  /// The tree node of the rule or block at that place.
  [[nodiscard]] QTreeWidgetItem* FindNode(const RulePlace& place) const;

 signals:
  /// A message for the window's status bar.
  void StatusMessage(const QString& text);
  /// The stylesheet was read (a load) or written (a save): these are its
  /// bytes on disk now. Those read are the document's own, lent for the
  /// call and not copied: a receiver that keeps them makes a deep copy.
  void StylesheetRead(const QByteArray& bytes);
  void StylesheetWritten(const QByteArray& bytes);
  /// A read on a thread of its own began (true) or ended (false).
  void Reading(bool busy);

 private:
  /// A node of the tree told so that it can be found again once the tree
  /// was filled anew: a rule or block by its place, a group by its name and
  /// the place of the block it stands in (none at the top level), a
  /// statement by its text.
  struct TreeSpot {
    RuleTreeNode::Kind kind = RuleTreeNode::Kind::Rule;
    RulePlace place;
    QString text;
  };
  [[nodiscard]] TreeSpot SpotOf(const QTreeWidgetItem* node) const;
  [[nodiscard]] QTreeWidgetItem* FindSpot(const TreeSpot& spot) const;

  /// What became of a read: shown, failed (said), cancelled (the previous
  /// document stays), or superseded by a later request.
  enum class ReadOutcome { Shown, Failed, Cancelled, Superseded };
  ReadOutcome ReadAndShow(const QString& path);
  /// The page is disabled while a read on a thread of its own goes on; the
  /// busy indicator comes after a while.
  void BeginReading(const QString& path);
  void ShowReadProgress();
  void EndReading();
  /// What makes the tree's items, on any thread (itemMaker_).
  [[nodiscard]] RuleTreeItemMaker MakeItemMaker() const;
  /// Fills the rule tree with `items`, in their order.
  void ShowRuleTree(RuleTreeItems items);
  /// Says the syntax problems found (described) in the file just read.
  void WarnOfSyntaxProblems(const std::string& problems);
  /// Shows the properties of shownRuleElement_.
  void FillPropertyGrid();
  /// Hands what the grid's rows hold, where it differs from the shown rule,
  /// to the document as one step.
  void CommitGrid(int session);
  /// Shows a node of the tree: a rule's properties, a statement kept as
  /// written, or a group or block opened.
  void ShowNode(QTreeWidgetItem* node);
  /// Shows a rule's properties in the grid, named on its tab.
  void ShowRule(ConstXmlElement rule);
  /// Shows the rule a step changed, selected in the tree.
  void ShowRuleOf(ConstXmlElement rule);
  /// Takes back the edits made since the last save or load (reading the
  /// file again when that place is no longer in the history).
  void DropUnsavedEdits();
  /// The buttons and the list that show the history.
  void ShowHistory();
  void StepHistory(bool redo);
  void ChangeListClick(int row);
  bool ValidateGrid();
  /// Shows the colour swatch in the row's value cell when the property
  /// holds a colour.
  void ShowSwatchOf(int row);
  /// Writes the document into the stylesheet file; a read-only file is
  /// replaced only when the user says so. False when nothing was written.
  bool WriteStylesheetFile();
  /// Loads the stylesheet again and brings back the open groups, blocks and
  /// rules, and the shown rule.
  void ReloadKeepingTree();
  void sbFirefoxClick();
  void sbChromiumClick();
  void sbEditorClick();

  [[nodiscard]] std::string Bytes(const QString& text) const { return FromQt(text, document_.Encoding()); }
  [[nodiscard]] QString Text(std::string_view bytes) const { return ToQt(bytes, document_.Encoding()); }

  ProgramLauncher& launcher_;
  OutsideTools tools_;
  std::function<void()> pageOpener_;
  std::function<QString()> pageAddress_;
  std::function<SaveCheck()> saveCheck_;
  KeywordDictionary dictionary_;
  StyleSheetDocument document_;

  QString syntaxWarnedFor_;  // the file whose syntax errors were last said
  // Files this large and more are read on a thread of their own.
  qint64 backgroundReadFrom_ = qint64{1} << 20;
  int readRequest_ = 0;                       // counts the reads asked for; the last one wins
  BackgroundRead* pendingRead_ = nullptr;     // the read waited for, on the stack of ReadAndShow
  bool reading_ = false;
  QString readingName_;                       // the file being read, for the busy indicator
  int readProgressDelayMs_ = 500;
  QTimer* progressTimer_ = nullptr;
  QProgressDialog* progress_ = nullptr;
  /// Made once: the icons it shares with the items are then let go on this
  /// thread, never on a reading thread.
  RuleTreeItemMaker itemMaker_;
  QString HTMLFilePath_;
  /// The rule whose properties the grid shows; none for a statement. Known
  /// by its element, never by its name: the same selector may stand in
  /// several blocks.
  ConstXmlElement shownRuleElement_;
  bool liveMode_ = false;
  bool followTree_ = true;

  QSplitter* SplitterEditTVSG_ = nullptr;
  QTabWidget* PgCtlCSS_ = nullptr;
  QTreeWidget* TVCSS_ = nullptr;
  QTabWidget* PGCtlEdit_ = nullptr;
  QWidget* tsGrid_ = nullptr;
  GStringGrid* PropertyGrid_ = nullptr;
  QToolButton* sbDelete_ = nullptr;
  QToolButton* sbAdd_ = nullptr;
  QToolButton* sbOK_ = nullptr;
  QComboBox* CBAdd_ = nullptr;
  QToolButton* TBBorder_ = nullptr;
  QLabel* ruleInfo_ = nullptr;
  QToolButton* sbSaveModifs_ = nullptr;
  QToolButton* sbLed_ = nullptr;
  QToolButton* sbSaveImgModifs_ = nullptr;
  QToolButton* sbLedImg_ = nullptr;
  QToolButton* sbUndo_ = nullptr;
  QToolButton* sbRedo_ = nullptr;
  QListWidget* lbChanges_ = nullptr;
  std::size_t listedIndex_ = 0;  // the history's place when lbChanges_ was last brought up to date
  TCellDispatch* dispatch_ = nullptr;
};

}  // namespace korvel
