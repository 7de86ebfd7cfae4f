#pragma once

// The main window: the project grid on "Entrée", the rule tree and the
// property grid on "Edition", and the flows between them — restoring the
// last project at start, loading the stylesheet, showing a rule, keeping
// track of unsaved edits, and saving.
//
// Every change of a value ends with MarkModified; every save goes through
// SaveStylesheet, which refuses to write a grid it cannot save faithfully
// and writes the file safely (a new file, then a rename).

#include <QMainWindow>
#include <QString>

#include <memory>

#include "app/textbridge.h"
#include "dictionary/keyworddictionary.h"
#include "model/styledocument.h"

class QComboBox;
class QLabel;
class QSplitter;
class QTabWidget;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace korvel {

class GStringGrid;
class ProgramLauncher;
class SettingsStore;
class TDM;
class TWindowLayout;

class TMainForm final : public QMainWindow {
  Q_OBJECT

 public:
  /// Loads the property dictionary; a missing or malformed one raises (the
  /// program cannot edit without it).
  TMainForm(TDM& dm, ProgramLauncher& launcher, SettingsStore& registry, QWidget* parent = nullptr);
  Q_DISABLE_COPY_MOVE(TMainForm)
  ~TMainForm() override;

  // What tests and the start-up drive.
  void FormShow();
  void OKInClick();
  /// Shows a rule of the tree; asks about unsaved edits first. Returns false
  /// when the user's edits could not be saved and the shown rule stays.
  bool SelectRule(QTreeWidgetItem* node, bool select);
  void TVCSSClick(QTreeWidgetItem* node);
  bool SaveStylesheet();
  void MarkModified(bool live, bool enable, bool reload);
  void LoadStylesheet();
  void AddProperty(const QString& name);
  void DeleteProperty();
  void BorderClick();
  void SetLiveMode(bool on);

  [[nodiscard]] GStringGrid* InputGrid() const { return InputGrid_; }
  [[nodiscard]] GStringGrid* PropertyGrid() const { return PropertyGrid_; }
  [[nodiscard]] QTreeWidget* RuleTree() const { return TVCSS_; }
  [[nodiscard]] QTabWidget* Pages() const { return PgCtlMain_; }
  /// The grid holds edits not yet in the file.
  [[nodiscard]] bool IsModified() const { return modified_; }
  [[nodiscard]] bool LiveMode() const { return liveMode_; }
  [[nodiscard]] const QString& ShownRule() const { return shownRule_; }
  [[nodiscard]] const QString& CSSFilePath() const { return CSSFilePath_; }
  [[nodiscard]] const QString& ProjectFolderPath() const { return ProjectFolderPath_; }
  [[nodiscard]] bool OwnSavePending() const { return ownSavePending_; }
  [[nodiscard]] const StyleDocument* Document() const { return document_.get(); }
  /// The tree node of a rule or statement by its text, inside groups too.
  [[nodiscard]] QTreeWidgetItem* FindNode(const QString& text) const;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildEntryTab();
  void BuildEditTab();
  void BuildImagesTab();

  bool RestoreProject();
  /// Opens the remembered project's settings and restores layout and paths;
  /// returns what keeps it from opening (French, for the user), or "".
  std::string RestoreRememberedProject();
  /// What "OK" does; `remember` false keeps the remembered project as it is.
  void OpenProject(bool remember);

  void UseExampleProject();
  bool OpenSettings(const QString& folder);
  void WriteSetting(std::string_view kind, const QString& value);

  void FillRuleTree();
  void FillPropertyGrid(const QString& ruleName);
  void WriteGridToDocument();
  bool ValidateGrid();
  void PropertyGridMouseDown(QPoint position);
  void OpenValueEditor(int column, int row);
  void PropertyGridComboChange();
  void OpenPage();
  /// The modified state, and the two "Sauvegarder" buttons that show it.
  void SetModified(bool modified);
  /// Writes into the grid what its in-place boxes hold.
  void CommitPendingEdits();
  /// Writes the document into the stylesheet file; a read-only file is
  /// replaced only when the user says so. False when nothing was written.
  bool WriteStylesheetFile();

  [[nodiscard]] std::string Bytes(const QString& text) const { return FromQt(text, encoding_); }
  [[nodiscard]] QString Text(std::string_view bytes) const { return ToQt(bytes, encoding_); }

  TDM& dm_;
  ProgramLauncher& launcher_;
  SettingsStore& registry_;
  KeywordDictionary dictionary_;

  std::unique_ptr<StyleDocument> document_;
  TextEncoding encoding_ = TextEncoding::Utf8;

  QString ProjectFolderPath_;
  QString HTMLFilePath_;
  QString CSSFilePath_;
  QString ImagesFolder_;
  QString ProjectName_;
  QString shownRule_;
  /// The read-only stylesheet the user agreed to replace.
  QString replaceReadOnlyAgreed_;
  bool liveMode_ = false;
  bool modified_ = false;
  bool ownSavePending_ = false;
  bool reloadAfterSave_ = false;
  bool shown_ = false;
  bool followTree_ = true;

  TWindowLayout* layout_ = nullptr;
  QTabWidget* PgCtlMain_ = nullptr;
  QWidget* tsIn_ = nullptr;
  QWidget* tsEdit_ = nullptr;
  QWidget* tsImages_ = nullptr;
  QToolButton* OKIn_ = nullptr;
  QSplitter* SplitterTVLV_ = nullptr;
  QSplitter* SplitterLVSG_ = nullptr;
  QWidget* TVInPanel_ = nullptr;
  QWidget* LVInPanel_ = nullptr;
  QWidget* SGInPanel_ = nullptr;
  GStringGrid* InputGrid_ = nullptr;

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
};

}  // namespace korvel
