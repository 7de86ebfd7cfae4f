#pragma once

// The content of one folder, as a file manager shows it: icons, small icons,
// a list, details sortable by name, date and size, thumbnails of the
// pictures, or tiles. The view navigates by path; opening a folder inside it
// (double-click, Enter) moves this same view, opening a file hands it to the
// desktop's default program. Its owner hears when the folder changes
// (OnPathChanged), when the view gets or loses the focus or its selection
// changes (OnStateChanged), and decides item by item what is shown
// (OnCanIncludeItem).
//
// The path "" stands for the desktop: the home folder, the root and the
// mounted volumes. Folder paths end with "/". A folder that does not exist
// or that Korvel may not read is never entered: SetPath raises a
// FolderError with a French message and the view keeps its folder; opening
// one from inside the view shows that message. Hidden files are not shown.

#include <QSortFilterProxyModel>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <stdexcept>

#include "shell/foldermodel.h"
#include "shell/shellplaces.h"

class QAbstractItemView;
class QListView;
class QStackedLayout;
class QTreeView;

namespace korvel {

class ThumbnailProvider;

/// The view's modes, in this order (0 to 5).
enum TViewMode { vmIcons, vmSmallIcons, vmList, vmDetails, vmThumbnails, vmTiles };

/// Codes of OnStateChanged.
enum TViewState { vsSetFocus = 0, vsKillFocus = 1, vsSelectionChanged = 2 };

/// A folder could not be opened; what() is the French message for the user.
class FolderError final : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The items of the shown folder: filtered by the owner's rule, folders
/// first, sorted by the column asked, thumbnails as decorations in the
/// thumbnail mode, the detail under the name in the tiles mode.
class FolderItemsModel final : public QSortFilterProxyModel {
  Q_OBJECT

 public:
  FolderItemsModel(FolderModel& files, ThumbnailProvider& thumbnails, QObject* parent = nullptr);

  /// Forgets what it knew of the folders listed (a new folder is shown).
  void Forget();
  void SetInclude(std::function<bool(const QString&)> include);
  void SetFolderAccess(std::function<bool(const QString&)> canList);
  void SetMode(TViewMode mode);
  [[nodiscard]] TViewMode Mode() const { return mode_; }
  /// Whether a folder of the list may be read (asked once per folder).
  [[nodiscard]] bool IsReadable(const QString& folder) const;
  [[nodiscard]] QString PathOf(const QModelIndex& index) const;

  QVariant data(const QModelIndex& index, int role) const override;
 protected:
  bool filterAcceptsRow(int row, const QModelIndex& sourceParent) const override;
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

 private:
  void ThumbnailMade(const QString& path);

  FolderModel& files_;
  ThumbnailProvider& thumbnails_;
  std::function<bool(const QString&)> include_;
  std::function<bool(const QString&)> canList_;
  mutable QHash<QString, bool> readable_;
  TViewMode mode_ = vmIcons;
};

class TFolderView final : public QWidget {
  Q_OBJECT

 public:
  /// Decides whether the item at path (a folder ends with "/") is shown;
  /// include comes in true.
  using CanIncludeItem = std::function<void(TFolderView& sender, const QString& path, bool& include)>;
  /// Opens a file with the desktop's program; false when nothing could.
  /// The owner gives it (SetFileOpener): the view starts no program itself.
  using FileOpener = std::function<bool(const QString& file)>;

  /// Shows nothing until SetPath. Thumbnails come from the given provider,
  /// or from one of the view's own.
  explicit TFolderView(QWidget* parent = nullptr, ThumbnailProvider* thumbnails = nullptr);
  Q_DISABLE_COPY_MOVE(TFolderView)
  ~TFolderView() override;

  /// Enters the folder; "" is the desktop. The same folder again does
  /// nothing and raises no event. Raises FolderError when the folder does not
  /// exist, is not a folder or may not be read; the view then stays.
  void SetPath(const QString& path);
  /// The folder shown, ending with "/"; "" for the desktop (and before the
  /// first SetPath).
  [[nodiscard]] const QString& Path() const { return path_; }
  [[nodiscard]] bool IsDesktop() const { return path_.isEmpty(); }
  /// The caption of the folder shown: its name, or the desktop's.
  [[nodiscard]] QString GetCurrentName() const;

  void SetViewMode(TViewMode mode);
  [[nodiscard]] TViewMode ViewMode() const { return mode_; }

  /// Appends the full paths of the selected items (all items when
  /// selectedOnly is false) in the view's order; true when it appended any.
  bool GetItemsData(QStringList& names, bool selectedOnly) const;
  /// Selects, focuses and shows the item of the shown folder with that path
  /// (folders with or without their "/"); false when it is not shown.
  bool SelectItem(const QString& path);

  /// Sorts by a column of the details mode; the other modes show the same
  /// order.
  void SortBy(FolderColumn column, Qt::SortOrder order = Qt::AscendingOrder);

  /// Opens an item: a folder is entered, a file goes to the file opener.
  /// Failures are shown as messages.
  void OpenItem(const QString& path);

  /// True when the owner will mirror the next navigation in its tree.
  [[nodiscard]] bool SyncTree() const { return syncTree_; }
  void SetSyncTree(bool sync) { syncTree_ = sync; }

  void SetOnCanIncludeItem(CanIncludeItem handler);
  void SetFileOpener(FileOpener opener);
  /// Replaces the places of the desktop (tests, set-ups without the usual
  /// folders). Takes effect at the next SetPath("").
  void SetPlaces(QList<ShellPlace> places);
  /// Replaces the test of whether Korvel may list a folder.
  void SetFolderAccess(std::function<bool(const QString&)> canList);

  /// The item view of the present mode, and the model it shows.
  [[nodiscard]] QAbstractItemView* ItemView() const;
  /// The item views of every mode (one shows at a time), for the order the
  /// keyboard goes through the window.
  [[nodiscard]] QList<QAbstractItemView*> ItemViews() const;
  [[nodiscard]] QAbstractItemModel* Items() const;
  [[nodiscard]] ThumbnailProvider& Thumbnails() const { return *thumbnails_; }

 signals:
  /// The view entered another folder.
  void OnPathChanged(korvel::TFolderView* sender);
  /// The view got the focus (0), lost it (1), or its selection changed (2).
  void OnStateChanged(korvel::TFolderView* sender, int code);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ApplyMode();
  void RestoreSelection();
  void Activated(const QModelIndex& index);
  [[nodiscard]] QString CheckFolder(const QString& folder) const;
  [[nodiscard]] QString PathOfIndex(const QModelIndex& index) const;

  ThumbnailProvider* thumbnails_ = nullptr;
  FolderModel* files_ = nullptr;
  FolderItemsModel* items_ = nullptr;
  QStackedLayout* stack_ = nullptr;
  QListView* list_ = nullptr;
  QTreeView* details_ = nullptr;

  QString path_;
  bool entered_ = false;
  bool syncTree_ = true;
  TViewMode mode_ = vmIcons;
  QList<ShellPlace> places_;
  QStringList keptSelection_;
  CanIncludeItem canInclude_;
  FileOpener openFile_;
  std::function<bool(const QString&)> canList_;
};

}  // namespace korvel
