#pragma once

// An explorer pane: the folder tree, the folder view and a tool bar above
// them (the view-mode menu button, the up button, the path box). The pane
// owns no window: its owner hands it panels and it builds its controls into
// them, parented to those panels.
//
// The owner attaches the two handlers that keep tree, view and path box in
// step: the tree's MouseUp to PaneTreeMouseUp, and the view's OnPathChanged
// to a handler of its own that calls PanePathChanged first.
//
// Failures to open a folder (from the tree, the up button or the path box)
// are shown as messages; the view then keeps its folder.

#include <QObject>
#include <QString>

#include "shell/folderview.h"

class QAction;
class QCompleter;
class QLineEdit;
class QMenu;
class QStringListModel;
class QToolBar;
class QToolButton;
class QWidget;

namespace korvel {

class GDirTreeView;

class GExplorer final : public QObject {
  Q_OBJECT

 public:
  explicit GExplorer(QObject* parent = nullptr);
  Q_DISABLE_COPY_MOVE(GExplorer)
  ~GExplorer() override;

  /// Builds the tree into the panel and shows the desktop in it. Places, if
  /// given, replace the usual ones (home, "/", mounted volumes).
  void CreateTree(QWidget* panel);
  /// Builds the view into the panel and shows the desktop in it.
  void CreateView(QWidget* panel, ThumbnailProvider* thumbnails = nullptr);
  /// Builds the tool bar into the panel.
  void CreateToolBar(QWidget* panel);

  /// The tree's mouse-up: opens the selected folder in the view (the root:
  /// the desktop), unless it is a removable-media place without medium.
  void PaneTreeMouseUp();
  /// The view entered a folder: the tree follows when the view asks for it,
  /// and the path box shows the folder, ending with "/". Returns that text.
  QString PanePathChanged();
  /// The up button: the folder holding the one shown ("/" goes to the
  /// desktop; at the desktop nothing happens).
  void UpClick();
  /// Enter in the path box: opens the folder typed. "" and the desktop's
  /// caption are the desktop, "~" the home folder, and a path that does not
  /// start with "/" is taken inside the folder shown (the home folder at the
  /// desktop).
  void PathEditReturn();

  /// The view mode, as the settings file keeps it per pane.
  [[nodiscard]] TViewMode ViewMode() const;
  void SetViewMode(TViewMode mode);
  /// A stored mode read back: the mode of that number, or fallback when the
  /// number names none.
  [[nodiscard]] static TViewMode ViewModeFromNumber(int number, TViewMode fallback = vmIcons);

  /// Places for the tree and the desktop of the view; call before the
  /// Create functions (tests, set-ups without the usual folders).
  void SetPlaces(QList<ShellPlace> places);

  [[nodiscard]] GDirTreeView* Tree() const { return Tree_; }
  [[nodiscard]] TFolderView* View() const { return View_; }
  [[nodiscard]] QToolBar* ToolBar() const { return ToolBar_; }
  [[nodiscard]] QLineEdit* PathEdit() const { return PathEdit_; }
  [[nodiscard]] QToolButton* ViewModeButton() const { return ViewModeButton_; }
  [[nodiscard]] QToolButton* UpButton() const { return UpButton_; }
  /// The tool bar's controls, then the tree's and the view's, in the order
  /// the keyboard goes through them (a page places them in its own order).
  [[nodiscard]] QList<QWidget*> ToolBarControls() const;
  [[nodiscard]] QList<QWidget*> FolderControls() const;
  /// The view-mode menu, in the order Icônes, Liste, Détails, Miniatures,
  /// Mosaïques.
  [[nodiscard]] QMenu* ViewModeMenu() const { return tbPopup_; }

 private:
  void ShowModeChecks();
  void ListFoldersToComplete(const QString& text);
  void Navigate(const QString& path, bool syncTree);

  GDirTreeView* Tree_ = nullptr;
  TFolderView* View_ = nullptr;
  QToolBar* ToolBar_ = nullptr;
  QLineEdit* PathEdit_ = nullptr;
  QToolButton* ViewModeButton_ = nullptr;
  QToolButton* UpButton_ = nullptr;
  QMenu* tbPopup_ = nullptr;
  QCompleter* completer_ = nullptr;
  QStringListModel* folderNames_ = nullptr;
  QString completedFolder_;
  QList<QAction*> modeItems_;
  QList<ShellPlace> places_;
  bool placesGiven_ = false;
};

}  // namespace korvel
