#pragma once

// The main window: the tab shell. It holds the pages — "Entrée" (the
// project), "Edition" (the stylesheet editor, TStyleSheetEditor) and
// "Images" — restores the last project when shown, and decides whether it
// may close (FormCloseQuery). The window's geometry and panes are recorded
// by TWindowLayout.
//
// It also owns what follows the project outside the window: the change
// watch, which asks about outside edits of the stylesheet when the
// application becomes active again, and the preview server, through which
// the page is shown and refreshed in place at every save. Without inotify
// the window goes on without the watch; without the preview, pages are
// opened as files (or under the local server) as before. Both stop when the
// window closes. Before every save the stylesheet on disk is compared with
// the version the window holds: an outside edit is never overwritten
// without the user's say.

#include <QByteArray>
#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>

#include "base/messages.h"

class QTabWidget;
class QWidget;

namespace korvel {

class ChangeWatch;
class PreviewServer;
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
  /// A stylesheet to open when the window shows, instead of the remembered
  /// project (the command line's file): the project is its folder, with no
  /// page until one is picked on "Entrée".
  void SetStartStylesheet(const QString& cssFile) { startStylesheet_ = cssFile; }
  void FormShow();
  /// Whether the window may close: a value being typed is committed and
  /// unsaved edits are asked about; the window's place is recorded.
  bool FormCloseQuery();

  /// The editor; its popups and the "Images" tab are made first when the
  /// window has not painted yet (CompleteStartUp).
  [[nodiscard]] TStyleSheetEditor& Editor() const;
  [[nodiscard]] TEntryPage& EntryPage() const { return *entry_; }
  [[nodiscard]] QTabWidget* Pages() const { return PgCtlMain_; }
  /// The "Images" tab and the image picker, which the cell dispatch opens.
  [[nodiscard]] TImagesTab& ImagesTab() const;
  [[nodiscard]] TShowImageForm& ImagePicker() const;
  /// Makes what stays hidden at start-up: the value editors (and the
  /// listing of the installed fonts for the font picker), the image picker
  /// and the "Images" tab. Runs once, after the window's first paint or at
  /// the first call that needs them, whichever comes first.
  void CompleteStartUp();
  /// Opens the project or stylesheet FormShow found, once the window is on
  /// screen; does nothing the second time.
  void OpenOnScreen();

  /// The application became active again: tells that the stylesheet was
  /// deleted, or asks whether to reload it when it changed outside.
  void ApplicationEvents1Activate();
  /// The change watch (which compares the stylesheet even when the system
  /// has no inotify to give).
  [[nodiscard]] ChangeWatch* Watch() const { return watch_.get(); }
  /// The preview server of the open project; null before "OK" or when it
  /// could not start.
  [[nodiscard]] PreviewServer* Preview() const { return preview_.get(); }

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildImagesTab(ProgramLauncher& launcher);
  void PgCtlMainChange();

  void ProjectOpened();
  void OpenStartStylesheet();

  void StartWatch();
  void StylesheetRead(const QByteArray& bytes);
  void StylesheetWritten(const QByteArray& bytes);
  /// The editor began or ended reading a stylesheet on a thread of its own.
  void EditorReading(bool busy);
  /// A question whose yes reads the stylesheet again, saying so when that
  /// drops changes that could still be undone.
  [[nodiscard]] Message WithHistoryLoss(Message question) const;
  /// Says once, in the status bar, that the watch cannot see outside edits.
  void SayWatchProblem();
  void StartPreview();
  /// The preview step after "OK" and after a save in live mode.
  void ShowPage();
  /// Opens the page's address in the default browser; a failure is said in
  /// the status bar.
  void OpenInBrowser(const QString& address);
  /// Where the browsers find the page: the preview's address, else the
  /// page's own (PageAddress).
  [[nodiscard]] QString BrowserAddress() const;
  void StopWatchAndPreview();

  TDM& dm_;
  ProgramLauncher& launcher_;
  SettingsStore& registry_;

  bool shown_ = false;
  /// CompleteStartUp is on its way after the first paint.
  bool startUpQueued_ = false;
  std::function<void()> openOnScreen_;
  QString startStylesheet_;

  TWindowLayout* layout_ = nullptr;
  TStyleSheetEditor* editor_ = nullptr;
  QTabWidget* PgCtlMain_ = nullptr;
  TEntryPage* entry_ = nullptr;
  TImagesTab* imagesTab_ = nullptr;
  TShowImageForm* picker_ = nullptr;

  std::unique_ptr<ChangeWatch> watch_;
  /// The stylesheet the watch was given.
  QString watchedStylesheet_;
  bool activating_ = false;
  /// The application became active during a read: the watch's check waits for its end.
  bool activationPending_ = false;
  std::unique_ptr<PreviewServer> preview_;
  QString previewedProject_;
};

}  // namespace korvel
