#pragma once

// The folder tree of an explorer pane: folders only, listed lazily (a
// folder's children are read the first time it is expanded, and a folder
// without sub-folders shows no expand button), hidden folders left out. Its
// first level is one node standing for the desktop; below it the home
// folder, the root "/" and the mounted volumes.
//
// The owner drives the tree to a path (GoToPath: every folder on the way is
// expanded and the last one selected) and reads the selected folder. A node
// can be dragged: the drag carries the folder as text/uri-list and as
// kFolderNodeMimeType (shellplaces.h).
//
// Listing a folder that cannot be read gives no children; such a folder is
// shown greyed, with a tooltip saying so. Nothing here raises.

#include <QList>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

#include <functional>

#include "shell/shellplaces.h"

namespace korvel {

class GDirTreeView final : public QTreeWidget {
  Q_OBJECT

 public:
  explicit GDirTreeView(QWidget* parent = nullptr);
  Q_DISABLE_COPY_MOVE(GDirTreeView)
  ~GDirTreeView() override;

  /// Replaces the places under the desktop node; takes effect when the
  /// root is made (the first OpenPath).
  void SetPlaces(QList<ShellPlace> places);
  /// Replaces the test of whether Korvel may list a folder.
  void SetFolderAccess(std::function<bool(const QString&)> canList) { canList_ = std::move(canList); }
  /// Replaces the folders where removable media are mounted (IsDriveReady).
  void SetMediaRoots(QStringList roots) { mediaRoots_ = std::move(roots); }

  /// Makes the root on first use; then walks to the path, or, for "",
  /// expands the root and selects it.
  void OpenPath(const QString& path);
  /// Expands the nodes from the root down to the folder and selects it. The
  /// way goes through the place that holds the folder most closely (the home
  /// folder rather than "/"). Names compare exactly. False, with nothing newly
  /// selected, when a folder on the way is not in the tree; the nodes
  /// expanded so far stay expanded.
  bool GoToPath(const QString& path);
  /// The selected folder, ending with "/"; "" for the root or no selection.
  [[nodiscard]] QString GetSelectedPath() const;
  /// False only for a mount place of removable media that holds nothing.
  [[nodiscard]] bool IsDriveReady(const QString& path) const;

  [[nodiscard]] QTreeWidgetItem* RootNode() const { return rootNode_; }
  /// The node of a folder among those listed so far, or null.
  [[nodiscard]] QTreeWidgetItem* NodeOf(const QString& folder) const;
  /// The folder of a node, ending with "/"; "" for the root.
  [[nodiscard]] static QString FullNameOf(const QTreeWidgetItem* node);
  /// Whether the node's children have been listed.
  [[nodiscard]] static bool IsListed(const QTreeWidgetItem* node);
  /// The folders listed so far, in the order they were listed.
  [[nodiscard]] const QStringList& ListedFolders() const { return listed_; }

 signals:
  /// A mouse button was released over the tree.
  void MouseUp(Qt::MouseButton button);

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;

 private:
  void CreateRootNode();
  void LoadChildren(QTreeWidgetItem* node);
  QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& caption, const QString& folder);
  void CollapseOldBranch(QTreeWidgetItem* current, QTreeWidgetItem* previous);
  void SwapBranches(QTreeWidgetItem* current, QTreeWidgetItem* previous);

  QTreeWidgetItem* rootNode_ = nullptr;
  QList<ShellPlace> places_;
  QStringList mediaRoots_;
  QStringList listed_;
  std::function<bool(const QString&)> canList_ = CanListFolder;
};

}  // namespace korvel
