#pragma once

// The main window: the tab shell. It holds the pages — "Entrée" (the
// project), "Edition" (the stylesheet editor, TStyleSheetEditor) and
// "Images" — restores the last project when shown, and decides whether it
// may close (FormCloseQuery). The window's geometry and panes are recorded
// by TWindowLayout.

#include <QMainWindow>
#include <QString>

class QTabWidget;
class QWidget;

namespace korvel {

class ProgramLauncher;
class SettingsStore;
class TDM;
class TEntryPage;
class TImagesTab;
class TShowImageForm;
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
  /// Whether the window may close: a value being typed is committed and
  /// unsaved edits are asked about; the window's place is recorded.
  bool FormCloseQuery();

  [[nodiscard]] TStyleSheetEditor& Editor() const { return *editor_; }
  [[nodiscard]] TEntryPage& EntryPage() const { return *entry_; }
  [[nodiscard]] QTabWidget* Pages() const { return PgCtlMain_; }
  /// The "Images" tab and the image picker, which the cell dispatch opens.
  [[nodiscard]] TImagesTab& ImagesTab() const { return *imagesTab_; }
  [[nodiscard]] TShowImageForm& ImagePicker() const { return *picker_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildImagesTab();
  void PgCtlMainChange();

  void ProjectOpened();

  TDM& dm_;
  SettingsStore& registry_;

  bool shown_ = false;

  TWindowLayout* layout_ = nullptr;
  TStyleSheetEditor* editor_ = nullptr;
  QTabWidget* PgCtlMain_ = nullptr;
  TEntryPage* entry_ = nullptr;
  TImagesTab* imagesTab_ = nullptr;
  TShowImageForm* picker_ = nullptr;
};

}  // namespace korvel
