#pragma once

// The main window: the tab shell. It holds the pages — "Entrée" (the
// project), "Edition" (the stylesheet editor, TStyleSheetEditor) and
// "Images" — restores the last project when shown, and decides whether it
// may close (FormCloseQuery). The window's geometry and panes are recorded
// by TWindowLayout.

#include <QMainWindow>
#include <QString>

#include <string>
#include <string_view>

class QSplitter;
class QTabWidget;
class QToolButton;
class QWidget;

namespace korvel {

class GStringGrid;
class ProgramLauncher;
class SettingsStore;
class TDM;
class TStyleSheetEditor;
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
  /// Whether the window may close: a value being typed is committed and
  /// unsaved edits are asked about; the window's place is recorded.
  bool FormCloseQuery();

  [[nodiscard]] TStyleSheetEditor& Editor() const { return *editor_; }
  [[nodiscard]] GStringGrid* InputGrid() const { return InputGrid_; }
  [[nodiscard]] QTabWidget* Pages() const { return PgCtlMain_; }
  [[nodiscard]] const QString& CSSFilePath() const { return CSSFilePath_; }
  [[nodiscard]] const QString& ProjectFolderPath() const { return ProjectFolderPath_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildEntryTab();
  void BuildImagesTab();
  void PgCtlMainChange();

  bool RestoreProject();
  /// Opens the remembered project's settings and restores layout and paths;
  /// returns what keeps it from opening (French, for the user), or "".
  std::string RestoreRememberedProject();
  /// What "OK" does; `remember` false keeps the remembered project as it is.
  void OpenProject(bool remember);
  void UseExampleProject();
  bool OpenSettings(const QString& folder);
  void WriteSetting(std::string_view kind, const QString& value);

  TDM& dm_;
  ProgramLauncher& launcher_;
  SettingsStore& registry_;

  QString ProjectFolderPath_;
  QString HTMLFilePath_;
  QString CSSFilePath_;
  QString ImagesFolder_;
  QString ProjectName_;
  bool shown_ = false;

  TWindowLayout* layout_ = nullptr;
  TStyleSheetEditor* editor_ = nullptr;
  QTabWidget* PgCtlMain_ = nullptr;
  QWidget* tsIn_ = nullptr;
  QWidget* tsImages_ = nullptr;
  QToolButton* OKIn_ = nullptr;
  QSplitter* SplitterTVLV_ = nullptr;
  QSplitter* SplitterLVSG_ = nullptr;
  QWidget* TVInPanel_ = nullptr;
  QWidget* LVInPanel_ = nullptr;
  QWidget* SGInPanel_ = nullptr;
  GStringGrid* InputGrid_ = nullptr;
};

}  // namespace korvel
