#include "shell/folderview.h"

#include <QCollator>
#include <QEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QListView>
#include <QPalette>
#include <QStackedLayout>
#include <QTreeView>
#include <QUrl>

#include "base/messages.h"
#include "shell/thumbnailprovider.h"

namespace korvel {

namespace {

// A folder path without its final "/", except the root.
QString WithoutSlash(const QString& folder) {
  return folder.size() > 1 && folder.endsWith(QLatin1Char('/')) ? folder.chopped(1) : folder;
}

const QCollator& NameCollator() {
  static const QCollator collator = [] {
    QCollator made;
    made.setNumericMode(true);
    made.setCaseSensitivity(Qt::CaseInsensitive);
    return made;
  }();
  return collator;
}

}  // namespace

// FolderItemsModel ----------------------------------------------------------

FolderItemsModel::FolderItemsModel(FolderModel& files, ThumbnailProvider& thumbnails, QObject* parent)
    : QSortFilterProxyModel(parent), files_(files), thumbnails_(thumbnails), canList_(CanListFolder) {
  setSourceModel(&files);
  setDynamicSortFilter(true);
  connect(&thumbnails_, &ThumbnailProvider::ThumbnailReady, this, &FolderItemsModel::ThumbnailMade);
}

void FolderItemsModel::Forget() { readable_.clear(); }

void FolderItemsModel::SetInclude(std::function<bool(const QString&)> include) {
  include_ = std::move(include);
  invalidateFilter();
}

void FolderItemsModel::SetFolderAccess(std::function<bool(const QString&)> canList) {
  canList_ = std::move(canList);
  readable_.clear();
}

void FolderItemsModel::SetMode(TViewMode mode) {
  if (mode == mode_) return;
  const bool decorationsChange = mode == vmThumbnails || mode_ == vmThumbnails || mode == vmTiles || mode_ == vmTiles;
  mode_ = mode;
  if (decorationsChange && rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
}

bool FolderItemsModel::IsReadable(const QString& folder) const {
  const auto known = readable_.constFind(folder);
  if (known != readable_.constEnd()) return *known;
  const bool readable = canList_(folder);
  readable_.insert(folder, readable);
  return readable;
}

QString FolderItemsModel::PathOf(const QModelIndex& index) const {
  return index.siblingAtColumn(0).data(FolderModel::PathRole).toString();
}

QVariant FolderItemsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() != fcName || role >= Qt::UserRole)
    return QSortFilterProxyModel::data(index, role);
  const bool folder = QSortFilterProxyModel::data(index, FolderModel::IsFolderRole).toBool();
  switch (role) {
    case Qt::DecorationRole:
      if (mode_ == vmThumbnails && !folder) {
        const QString path = PathOf(index);
        if (ThumbnailProvider::IsPicture(path)) {
          const QPixmap thumbnail = thumbnails_.Thumbnail(path, index.data(FolderModel::ModifiedRole).toDateTime());
          if (!thumbnail.isNull()) return QIcon(thumbnail);
        }
      }
      break;
    case Qt::DisplayRole:
      if (mode_ == vmTiles) {
        const QModelIndex detail = index.siblingAtColumn(folder ? fcType : fcSize);
        return index.data(FolderModel::NameRole).toString() + QLatin1Char('\n') + detail.data().toString();
      }
      break;
    case Qt::ToolTipRole:
      if (folder && !IsReadable(PathOf(index))) return QStringLiteral("Korvel n'a pas le droit de lire ce dossier.");
      break;
    case Qt::ForegroundRole:
      if (folder && !IsReadable(PathOf(index))) return QPalette().color(QPalette::Disabled, QPalette::Text);
      break;
    default:
      break;
  }
  return QSortFilterProxyModel::data(index, role);
}

bool FolderItemsModel::filterAcceptsRow(int row, const QModelIndex& sourceParent) const {
  if (!include_) return true;
  return include_(files_.index(row, 0, sourceParent).data(FolderModel::PathRole).toString());
}

bool FolderItemsModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  const bool leftFolder = left.data(FolderModel::IsFolderRole).toBool();
  const bool rightFolder = right.data(FolderModel::IsFolderRole).toBool();
  if (leftFolder != rightFolder) {
    // Folders stay first whichever way the column is sorted.
    return (sortOrder() == Qt::AscendingOrder) == leftFolder;
  }
  switch (left.column()) {
    case fcSize: {
      const qint64 leftSize = left.data(FolderModel::SizeRole).toLongLong();
      const qint64 rightSize = right.data(FolderModel::SizeRole).toLongLong();
      if (leftSize != rightSize) return leftSize < rightSize;
      break;
    }
    case fcType: {
      const int order = NameCollator().compare(left.data().toString(), right.data().toString());
      if (order != 0) return order < 0;
      break;
    }
    case fcModified: {
      const QDateTime leftDate = left.data(FolderModel::ModifiedRole).toDateTime();
      const QDateTime rightDate = right.data(FolderModel::ModifiedRole).toDateTime();
      if (leftDate != rightDate) return leftDate < rightDate;
      break;
    }
    default:
      break;
  }
  return NameCollator().compare(left.data(FolderModel::NameRole).toString(),
                                right.data(FolderModel::NameRole).toString()) < 0;
}

void FolderItemsModel::ThumbnailMade(const QString& path) {
  const int row = files_.RowOf(path);
  if (row < 0) return;
  const QModelIndex item = mapFromSource(files_.index(row, 0));
  if (item.isValid()) emit dataChanged(item, item, {Qt::DecorationRole});
}

// TFolderView ---------------------------------------------------------------

TFolderView::TFolderView(QWidget* parent, ThumbnailProvider* thumbnails)
    : QWidget(parent),
      thumbnails_(thumbnails ? thumbnails : new ThumbnailProvider(96, this)),
      files_(new FolderModel(this)),
      stack_(new QStackedLayout(this)),
      list_(new QListView(this)),
      details_(new QTreeView(this)),
      places_(DesktopPlaces()),
      canList_(CanListFolder) {
  items_ = new FolderItemsModel(*files_, *thumbnails_, this);
  items_->sort(fcName, Qt::AscendingOrder);

  stack_->setContentsMargins(0, 0, 0, 0);
  stack_->addWidget(list_);
  stack_->addWidget(details_);
  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(list_), static_cast<QAbstractItemView*>(details_)}) {
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->installEventFilter(this);
    connect(view, &QAbstractItemView::activated, this, &TFolderView::Activated);
  }
  list_->setUniformItemSizes(true);
  list_->setMovement(QListView::Static);
  list_->setResizeMode(QListView::Adjust);
  list_->setLayoutMode(QListView::Batched);
  list_->setBatchSize(500);
  details_->setRootIsDecorated(false);
  details_->setItemsExpandable(false);
  details_->setUniformRowHeights(true);
  details_->setSortingEnabled(true);
  details_->header()->setSortIndicator(fcName, Qt::AscendingOrder);
  details_->setColumnWidth(fcName, 260);
  list_->setModel(items_);
  details_->setModel(items_);
  // One selection for both views, so that it survives a change of mode.
  QItemSelectionModel* unused = details_->selectionModel();
  details_->setSelectionModel(list_->selectionModel());
  delete unused;
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { emit OnStateChanged(this, vsSelectionChanged); });
  // A folder read again because it changed on disk keeps what was selected.
  connect(files_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
    keptSelection_.clear();
    GetItemsData(keptSelection_, true);
  });
  connect(files_, &QAbstractItemModel::modelReset, this, &TFolderView::RestoreSelection);
  ApplyMode();
}

void TFolderView::RestoreSelection() {
  QItemSelectionModel* selection = list_->selectionModel();
  for (const QString& path : std::as_const(keptSelection_)) {
    const int row = files_->RowOf(path);
    if (row < 0) continue;
    const QModelIndex item = items_->mapFromSource(files_->index(row, 0));
    if (!item.isValid()) continue;
    if (!selection->currentIndex().isValid()) selection->setCurrentIndex(item, QItemSelectionModel::NoUpdate);
    selection->select(item, QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  keptSelection_.clear();
}

TFolderView::~TFolderView() = default;

QString TFolderView::GetCurrentName() const { return IsDesktop() ? DesktopCaption() : FolderCaption(path_); }

QString TFolderView::CheckFolder(const QString& folder) const {
  const QFileInfo info(WithoutSlash(folder));
  if (!info.exists())
    return QStringLiteral("Impossible d'ouvrir le dossier « %1 » : il n'existe pas.").arg(folder);
  if (!info.isDir()) return QStringLiteral("Impossible d'ouvrir « %1 » : ce n'est pas un dossier.").arg(WithoutSlash(folder));
  if (!canList_(folder))
    return QStringLiteral("Impossible d'ouvrir le dossier « %1 » : Korvel n'a pas le droit de le lire.").arg(folder);
  return {};
}

void TFolderView::SetPath(const QString& path) {
  const QString folder = FolderPath(path);
  if (entered_ && folder == path_) return;
  if (!folder.isEmpty()) {
    const QString problem = CheckFolder(folder);
    if (!problem.isEmpty()) throw FolderError(problem.toStdString());
  }
  thumbnails_->CancelPending();
  path_ = folder;
  entered_ = true;
  items_->Forget();
  if (IsDesktop()) {
    files_->SetPlaces(places_);
  } else {
    files_->SetFolder(folder);
  }
  emit OnPathChanged(this);
}

QAbstractItemModel* TFolderView::Items() const { return items_; }

QAbstractItemView* TFolderView::ItemView() const {
  return mode_ == vmDetails ? static_cast<QAbstractItemView*>(details_) : static_cast<QAbstractItemView*>(list_);
}

QList<QAbstractItemView*> TFolderView::ItemViews() const { return {list_, details_}; }

void TFolderView::SetViewMode(TViewMode mode) {
  const bool hadFocus = ItemView()->hasFocus();
  mode_ = mode;
  ApplyMode();
  if (hadFocus) ItemView()->setFocus();
}

void TFolderView::ApplyMode() {
  if (mode_ != vmThumbnails) thumbnails_->CancelPending();
  items_->SetMode(mode_);
  if (mode_ == vmDetails) {
    stack_->setCurrentWidget(details_);
    return;
  }
  struct Layout {
    QListView::ViewMode kind;
    QListView::Flow flow;
    int icon;
    QSize grid;
  };
  const int thumb = thumbnails_->Edge();
  const Layout layout = [&]() -> Layout {
    switch (mode_) {
      case vmSmallIcons: return {QListView::ListMode, QListView::LeftToRight, 16, {180, 22}};
      case vmList: return {QListView::ListMode, QListView::TopToBottom, 16, {220, 22}};
      case vmThumbnails: return {QListView::IconMode, QListView::LeftToRight, thumb, {thumb + 28, thumb + 44}};
      case vmTiles: return {QListView::ListMode, QListView::LeftToRight, 48, {260, 60}};
      default: return {QListView::IconMode, QListView::LeftToRight, 48, {100, 84}};
    }
  }();
  list_->setViewMode(layout.kind);
  list_->setFlow(layout.flow);
  list_->setWrapping(true);
  list_->setWordWrap(layout.kind == QListView::IconMode || mode_ == vmTiles);
  list_->setIconSize({layout.icon, layout.icon});
  list_->setGridSize(layout.grid);
  list_->setMovement(QListView::Static);
  // Changing the list's kind resets its drag settings.
  list_->setDragEnabled(true);
  list_->setDragDropMode(QAbstractItemView::DragOnly);
  stack_->setCurrentWidget(list_);
}

bool TFolderView::GetItemsData(QStringList& names, bool selectedOnly) const {
  const qsizetype before = names.size();
  QModelIndexList rows;
  if (selectedOnly) {
    // The icon and list modes select the name alone, the details mode whole
    // rows: an item counts when its name is selected.
    for (const QModelIndex& index : list_->selectionModel()->selectedIndexes())
      if (index.column() == 0) rows << index;
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  } else {
    for (int row = 0; row < items_->rowCount(); ++row) rows << items_->index(row, 0);
  }
  for (const QModelIndex& row : rows) {
    const QString path = PathOfIndex(row);
    if (!path.isEmpty()) names << path;
  }
  return names.size() > before;
}

QString TFolderView::PathOfIndex(const QModelIndex& index) const { return items_->PathOf(index); }

bool TFolderView::SelectItem(const QString& path) {
  for (int row = 0; row < items_->rowCount(); ++row) {
    const QModelIndex item = items_->index(row, 0);
    const QString itemPath = PathOfIndex(item);
    if (itemPath != path && !(itemPath.endsWith(QLatin1Char('/')) && itemPath.chopped(1) == path)) continue;
    list_->selectionModel()->setCurrentIndex(
        item, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ItemView()->scrollTo(item);
    return true;
  }
  return false;
}

void TFolderView::SortBy(FolderColumn column, Qt::SortOrder order) {
  details_->header()->setSortIndicator(column, order);
  items_->sort(column, order);
}

void TFolderView::OpenItem(const QString& path) {
  if (path.endsWith(QLatin1Char('/'))) {
    try {
      // The owner's tree follows a folder opened inside the view.
      syncTree_ = true;
      SetPath(path);
    } catch (const FolderError& error) {
      ShowMessage(error.what(), MessageKind::Error);
    }
    return;
  }
  if (!openFile_ || !openFile_(path))
    ShowMessage(QStringLiteral("Aucun programme ne peut ouvrir le fichier « %1 ».").arg(path).toStdString(),
                MessageKind::Warning);
}

void TFolderView::Activated(const QModelIndex& index) {
  const QString path = PathOfIndex(index);
  if (!path.isEmpty()) OpenItem(path);
}

void TFolderView::SetOnCanIncludeItem(CanIncludeItem handler) {
  canInclude_ = std::move(handler);
  if (canInclude_) {
    items_->SetInclude([this](const QString& path) {
      bool include = true;
      canInclude_(*this, path, include);
      return include;
    });
  } else {
    items_->SetInclude({});
  }
}

void TFolderView::SetFileOpener(FileOpener opener) { openFile_ = std::move(opener); }

void TFolderView::SetPlaces(QList<ShellPlace> places) { places_ = std::move(places); }

void TFolderView::SetFolderAccess(std::function<bool(const QString&)> canList) {
  canList_ = canList;
  items_->SetFolderAccess(std::move(canList));
}

bool TFolderView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ || watched == details_) {
    if (event->type() == QEvent::FocusIn) emit OnStateChanged(this, vsSetFocus);
    if (event->type() == QEvent::FocusOut) emit OnStateChanged(this, vsKillFocus);
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace korvel
