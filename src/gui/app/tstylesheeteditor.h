#pragma once

// The stylesheet editor: the page "Edition" of the main window. It holds
// the rule tree and the property grid, loads the stylesheet, shows one
// rule's properties, keeps track of unsaved edits, validates and saves, and
// runs live mode (every change saved at once and the page opened again).
//
// Every change of a value ends with MarkModified; every save goes through
// SaveStylesheet, which refuses to write a grid it cannot save faithfully,
// writes the document through StyleEdit and the file safely (a new file,
// then a rename; a read-only file only when the user says so).

#include <QByteArray>
#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

#include "app/launcher.h"
#include "app/textbridge.h"
#include "dictionary/keyworddictionary.h"
#include "model/styledocument.h"

class QBoxLayout;
class QComboBox;
class QLabel;
class QSplitter;
class QTabWidget;
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
  /// are dropped, the tree comes back as the user left it (the same groups
  /// open, the shown rule selected).
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
  /// them, No drops them. False when the user cancelled or the save failed
  /// (said): the edits are still in the grid. `dropped` tells that No was
  /// answered.
  bool SettleUnsavedEdits(bool* dropped = nullptr);
  /// Shows a rule of the tree; asks about unsaved edits first (Yes, No,
  /// Cancel). Returns false when the user cancelled or the edits could not
  /// be saved: the shown rule stays, selected in the tree.
  bool SelectRule(QTreeWidgetItem* node, bool select);
  void TVCSSClick(QTreeWidgetItem* node);
  bool SaveStylesheet();
  void MarkModified(bool live, bool enable, bool reload);
  /// Reads CSSFilePath into a new document and fills the tree. False when
  /// the file cannot be read (said; the previous document and tree stay).
  bool LoadStylesheet();
  void AddProperty(const QString& name);
  void DeleteProperty();
  void BorderClick();
  void SetLiveMode(bool on);

  [[nodiscard]] GStringGrid* PropertyGrid() const { return PropertyGrid_; }
  /// What a click on a value opens.
  [[nodiscard]] TCellDispatch& Dispatch();
  [[nodiscard]] QTreeWidget* RuleTree() const { return TVCSS_; }
  [[nodiscard]] QSplitter* Splitter() const { return SplitterEditTVSG_; }
  /// The grid holds edits not yet in the file.
  [[nodiscard]] bool IsModified() const { return modified_; }
  [[nodiscard]] bool LiveMode() const { return liveMode_; }
  [[nodiscard]] const QString& ShownRule() const { return shownRule_; }
  [[nodiscard]] const QString& CSSFilePath() const { return CSSFilePath_; }
  [[nodiscard]] const QString& HTMLFilePath() const { return HTMLFilePath_; }
  [[nodiscard]] bool OwnSavePending() const { return ownSavePending_; }
  [[nodiscard]] const StyleDocument* Document() const { return document_.get(); }
  /// The tree node of a rule or statement by its text, inside groups too.
  [[nodiscard]] QTreeWidgetItem* FindNode(const QString& text) const;

 signals:
  /// A message for the window's status bar.
  void StatusMessage(const QString& text);
  /// The stylesheet was read (a load) or written (a save): these are its
  /// bytes on disk now.
  void StylesheetRead(const QByteArray& bytes);
  void StylesheetWritten(const QByteArray& bytes);

 private:
  void FillRuleTree();
  void WarnOfSyntaxProblems(std::string_view css);
  void FillPropertyGrid(const QString& ruleName);
  void WriteGridToDocument();
  bool ValidateGrid();
  /// Shows the colour swatch in the row's value cell when the property
  /// holds a colour.
  void ShowSwatchOf(int row);
  /// The modified state, and the "Sauvegarder" buttons that show it.
  void SetModified(bool modified);
  /// Writes the document into the stylesheet file; a read-only file is
  /// replaced only when the user says so. False when nothing was written.
  bool WriteStylesheetFile();
  /// Loads the stylesheet again and brings back the open groups and the
  /// shown rule.
  void ReloadKeepingTree();
  void sbFirefoxClick();
  void sbChromiumClick();
  void sbEditorClick();

  [[nodiscard]] std::string Bytes(const QString& text) const { return FromQt(text, encoding_); }
  [[nodiscard]] QString Text(std::string_view bytes) const { return ToQt(bytes, encoding_); }

  ProgramLauncher& launcher_;
  OutsideTools tools_;
  std::function<void()> pageOpener_;
  std::function<QString()> pageAddress_;
  std::function<SaveCheck()> saveCheck_;
  KeywordDictionary dictionary_;
  std::unique_ptr<StyleDocument> document_;
  TextEncoding encoding_ = TextEncoding::Utf8;

  QString CSSFilePath_;
  QString syntaxWarnedFor_;  // the file whose syntax errors were last said
  QString HTMLFilePath_;
  QString shownRule_;
  /// The read-only stylesheet the user agreed to replace.
  QString replaceReadOnlyAgreed_;
  bool liveMode_ = false;
  bool modified_ = false;
  bool ownSavePending_ = false;
  bool reloadAfterSave_ = false;
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
  TCellDispatch* dispatch_ = nullptr;
};

}  // namespace korvel
