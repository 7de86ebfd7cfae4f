#pragma once

// The page "Entrée" of the main window: an explorer pane to browse to the
// project, the project grid (folder, page, stylesheet, images folder, local
// server) filled from the pane's selection or from drops, and the "OK" that
// opens the project. It restores the remembered project when the window is shown —
// or, when that project cannot be opened, says so once and takes the
// example project for this run, leaving the remembered one as it is — and
// stores the project (the remembered folder and the project's settings)
// when it is opened.

#include <QList>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <string_view>

#include "shell/shellplaces.h"

class QMimeData;
class QSplitter;
class QToolButton;

namespace korvel {

class GExplorer;
class GStringGrid;
class ProgramLauncher;
class SettingsStore;
class TDM;
class TWindowLayout;

/// The project as "OK" opened it (or as a stylesheet given alone makes it):
/// what the rest of the window works with, so that nothing else reads the
/// page's grid.
struct ProjectInfo {
  /// The project's folder, ending with "/".
  QString folder;
  /// The page shown in the browser; "" for a stylesheet given alone.
  QString page;
  QString stylesheet;
  /// The stylesheet as the grid shows it, relative to the project.
  QString stylesheetCaption;
  /// The images folder; "" when the project has none.
  QString imagesFolder;
  /// Whether the pages are served by the local web server, and the folder
  /// it serves (ending with "/").
  bool useLocalServer = false;
  QString localServerFolder;

  friend bool operator==(const ProjectInfo&, const ProjectInfo&) = default;
};

class TEntryPage final : public QWidget {
  Q_OBJECT

 public:
  TEntryPage(TDM& dm, SettingsStore& registry, QWidget* parent = nullptr);
  Q_DISABLE_COPY_MOVE(TEntryPage)
  ~TEntryPage() override;

  /// Builds the explorer pane into the page's panels (tree, view, tool bar)
  /// and attaches its handlers; files are opened through the launcher. The
  /// places are those of the tree's first level.
  void CreatePane(ProgramLauncher& launcher, QList<ShellPlace> places = DesktopPlaces());
  /// Lets the layout keep the pane's view mode in the settings file.
  void AttachLayout(TWindowLayout& layout);
  /// Asked before "OK" stores anything: whether the project may be opened
  /// now (the stylesheet open has its unsaved edits settled).
  void SetOpenQuery(std::function<bool()> query) { mayOpen_ = std::move(query); }
  /// Shows the project folder in the pane: tree, view and path box.
  void ShowProjectFolder();

  /// Restores the remembered project, its layout through `layout` (the
  /// example project when there is none or it cannot be opened). Whether
  /// page and stylesheet are known, so that the project can be opened at
  /// once (OpenRestoredProject).
  bool RestoreLastProject(TWindowLayout& layout);
  /// Takes a stylesheet given alone (on the command line): the project is
  /// its folder, with no page until one is picked; nothing is stored.
  void TakeStylesheet(const QString& cssFile);
  /// Opens what RestoreLastProject restored, as "OK" does; a broken
  /// remembered project stays the remembered one.
  void OpenRestoredProject();
  /// Stores the project (remembered folder, settings) and raises
  /// ProjectOpened. Page and stylesheet that share no folder but "/" or the
  /// home folder make the user choose the project's folder; cancelled,
  /// nothing is stored. The images folder is the one the grid names, else
  /// the project's own "Images/" when it has one, else none.
  void OKInClick();

  // The pane's and the grid's handlers.

  /// The view entered another folder: the grid is cleared, and refilled at
  /// once from the folder's settings file when it holds one. A folder below
  /// the page picked keeps what the grid shows, so that the stylesheet can
  /// be picked in a sub-folder.
  void LVInPathChanged();
  /// The view's focus or selection changed: a page or stylesheet selected
  /// goes into the grid.
  void LVInStateChanged(int code);
  /// Whether a drag at the point (grid viewport) may be dropped there.
  [[nodiscard]] bool SGInDragOver(const QMimeData* mime, const QObject* source, QPoint position) const;
  /// A drop on the grid: a folder of the pane's tree, or files from any
  /// file manager. True when it changed the grid.
  bool SGInDragDrop(const QMimeData* mime, const QObject* source, QPoint position);
  void SGInMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);

  [[nodiscard]] GExplorer* Explorer() const { return explorer_; }
  [[nodiscard]] QToolButton* OKIn() const { return OKIn_; }
  [[nodiscard]] const QString& ImagesFolder() const { return ImagesFolder_; }

  [[nodiscard]] GStringGrid* InputGrid() const { return InputGrid_; }
  [[nodiscard]] QSplitter* SplitterTVLV() const { return SplitterTVLV_; }
  [[nodiscard]] QSplitter* SplitterLVSG() const { return SplitterLVSG_; }
  [[nodiscard]] const QString& ProjectFolderPath() const { return ProjectFolderPath_; }
  [[nodiscard]] const QString& HTMLFilePath() const { return HTMLFilePath_; }
  [[nodiscard]] const QString& CSSFilePath() const { return CSSFilePath_; }
  /// The stylesheet as the grid shows it, relative to the project.
  [[nodiscard]] QString StylesheetCaption() const;
  /// The project as it was opened last (OKInClick, OpenRestoredProject,
  /// TakeStylesheet); browsing the pane and editing the grid afterwards
  /// leave it as it is until the next opening.
  [[nodiscard]] const ProjectInfo& OpenedProject() const { return opened_; }

 signals:
  /// The project was stored: its stylesheet is to be opened.
  void ProjectOpened();

 private:
  bool RestoreProject();
  /// Settings read from a copy of a project name the original's files: the
  /// same files inside the folder read from are used (and said); without
  /// them the user is asked. False when the user declines.
  bool FollowCopiedProject();
  /// Opens the remembered project's settings and restores layout and paths;
  /// returns what keeps it from opening (French, for the user), or "".
  std::string RestoreRememberedProject();
  /// What "OK" does; `remember` false keeps the remembered project as it is.
  /// `restored` keeps the folder restored when page and stylesheet share
  /// only "/" (it was chosen before) instead of asking.
  void OpenProject(bool remember, bool restored);
  void UseExampleProject();
  bool OpenSettings(const QString& folder);
  void WriteSetting(std::string_view kind, const QString& value);
  /// The project's folder when page and stylesheet share only "/" or the
  /// home folder (`common`): asked of the user; "" when the user gives none.
  QString AskProjectFolder(const QString& common);
  void ClearGrid();
  /// Whether entering the folder keeps the picks: it lies below the page's.
  [[nodiscard]] bool KeepsPicks(const QString& folder) const;
  /// The images folder a project opened now gets.
  [[nodiscard]] QString ImagesFolderAtOpen() const;
  void DropTreeFolder(int row, const QString& folder);
  void DropFile(int row, const QString& file);
  void EnableOKWhenPageAndStylesheet();
  [[nodiscard]] bool IsTreeDrag(const QMimeData* mime, const QObject* source) const;
  [[nodiscard]] bool DropTarget(QPoint position, int* row) const;
  /// The project as the page shows it now.
  [[nodiscard]] ProjectInfo ShownProject() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:

  TDM& dm_;
  SettingsStore& registry_;
  TWindowLayout* layout_ = nullptr;

  QString ProjectFolderPath_;
  QString HTMLFilePath_;
  QString CSSFilePath_;
  QString ImagesFolder_;
  QString ProjectName_;
  ProjectInfo opened_;
  bool rememberAtOpen_ = true;
  bool showingProject_ = false;
  std::function<bool()> mayOpen_;
  GExplorer* explorer_ = nullptr;

  QToolButton* OKIn_ = nullptr;
  QWidget* ToolBarInPanel_ = nullptr;
  QSplitter* SplitterTVLV_ = nullptr;
  QSplitter* SplitterLVSG_ = nullptr;
  QWidget* TVInPanel_ = nullptr;
  QWidget* LVInPanel_ = nullptr;
  QWidget* SGInPanel_ = nullptr;
  GStringGrid* InputGrid_ = nullptr;
};

}  // namespace korvel
