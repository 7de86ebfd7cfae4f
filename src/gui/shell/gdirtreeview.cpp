#include "shell/gdirtreeview.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPalette>
#include <QTimer>

namespace korvel {

namespace {

constexpr int kFullNameRole = Qt::UserRole + 1;
constexpr int kNeedsLoadRole = Qt::UserRole + 2;

QIcon FolderIcon(const QString& folder) {
  static QFileIconProvider provider;
  return folder.isEmpty() ? provider.icon(QFileIconProvider::Desktop) : provider.icon(QFileInfo(folder));
}

}  // namespace

GDirTreeView::GDirTreeView(QWidget* parent)
    : QTreeWidget(parent), places_(DesktopPlaces()), mediaRoots_(DefaultMediaRoots()) {
  setHeaderHidden(true);
  setColumnCount(1);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  setMouseTracking(true);  // hot tracking
  setExpandsOnDoubleClick(true);
  connect(this, &QTreeWidget::itemExpanded, this, &GDirTreeView::LoadChildren);
  connect(this, &QTreeWidget::currentItemChanged, this, &GDirTreeView::CollapseOldBranch);
}

GDirTreeView::~GDirTreeView() = default;

void GDirTreeView::SetPlaces(QList<ShellPlace> places) { places_ = std::move(places); }

QString GDirTreeView::FullNameOf(const QTreeWidgetItem* node) {
  return node ? node->data(0, kFullNameRole).toString() : QString();
}

bool GDirTreeView::IsListed(const QTreeWidgetItem* node) { return node && !node->data(0, kNeedsLoadRole).toBool(); }

QTreeWidgetItem* GDirTreeView::AddNode(QTreeWidgetItem* parent, const QString& caption, const QString& folder) {
  auto* node = new QTreeWidgetItem(parent, {caption});
  node->setData(0, kFullNameRole, folder);
  node->setData(0, kNeedsLoadRole, true);
  node->setIcon(0, FolderIcon(folder));
  const bool readable = canList_(folder);
  if (!readable) {
    node->setToolTip(0, QStringLiteral("Korvel n'a pas le droit de lire ce dossier."));
    node->setForeground(0, palette().color(QPalette::Disabled, QPalette::Text));
  }
  node->setChildIndicatorPolicy(readable && HasSubFolders(folder) ? QTreeWidgetItem::ShowIndicator
                                                                  : QTreeWidgetItem::DontShowIndicator);
  return node;
}

void GDirTreeView::CreateRootNode() {
  clear();
  listed_.clear();
  rootNode_ = new QTreeWidgetItem(this, {DesktopCaption()});
  rootNode_->setData(0, kNeedsLoadRole, true);
  rootNode_->setIcon(0, FolderIcon({}));
  rootNode_->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
}

void GDirTreeView::LoadChildren(QTreeWidgetItem* node) {
  if (IsListed(node)) return;
  node->setData(0, kNeedsLoadRole, false);
  node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
  if (node == rootNode_) {
    listed_ << QString();
    for (const ShellPlace& place : places_) AddNode(node, place.caption, place.path);
    return;
  }
  const QString folder = FullNameOf(node);
  listed_ << folder;
  const QStringList names =
      QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::LocaleAware | QDir::IgnoreCase);
  for (const QString& name : names) AddNode(node, name, folder + name + QLatin1Char('/'));
}

void GDirTreeView::OpenPath(const QString& path) {
  if (!rootNode_) CreateRootNode();
  if (!path.isEmpty()) {
    GoToPath(path);
    return;
  }
  rootNode_->setExpanded(true);
  setCurrentItem(rootNode_);
}

bool GDirTreeView::GoToPath(const QString& path) {
  if (!rootNode_) CreateRootNode();
  const QString target = FolderPath(path);
  if (target.isEmpty()) return false;
  rootNode_->setExpanded(true);
  QTreeWidgetItem* current = nullptr;
  for (int i = 0; i < rootNode_->childCount(); ++i) {
    QTreeWidgetItem* place = rootNode_->child(i);
    const QString folder = FullNameOf(place);
    if (target.startsWith(folder) && (!current || folder.size() > FullNameOf(current).size())) current = place;
  }
  if (!current) return false;
  const QStringList steps = target.mid(FullNameOf(current).size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
  for (const QString& step : steps) {
    current->setExpanded(true);
    const QString wanted = FullNameOf(current) + step + QLatin1Char('/');
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < current->childCount() && !next; ++i)
      if (FullNameOf(current->child(i)) == wanted) next = current->child(i);
    if (!next) return false;
    current = next;
  }
  if (!IsListed(current)) current->setExpanded(true);
  setCurrentItem(current);
  scrollToItem(current);
  return true;
}

QString GDirTreeView::GetSelectedPath() const { return FullNameOf(currentItem()); }

bool GDirTreeView::IsDriveReady(const QString& path) const { return korvel::IsDriveReady(path, mediaRoots_); }

QTreeWidgetItem* GDirTreeView::NodeOf(const QString& folder) const {
  const QString wanted = FolderPath(folder);
  for (QTreeWidgetItemIterator it(const_cast<GDirTreeView*>(this)); *it; ++it)
    if ((*it) != rootNode_ && FullNameOf(*it) == wanted) return *it;
  return nullptr;
}

void GDirTreeView::CollapseOldBranch(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
  // Selecting a node opens it and closes the branch left, up to where the
  // two meet. Done once the mouse press that selected it is handled: rows
  // moving under the press would make it select nothing.
  QTimer::singleShot(0, this, [this, current, previous] { SwapBranches(current, previous); });
}

void GDirTreeView::SwapBranches(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
  if (current != currentItem()) return;
  if (current && current != rootNode_ && !current->isExpanded()) current->setExpanded(true);
  for (QTreeWidgetItem* node = previous; node && node != rootNode_; node = node->parent()) {
    bool shared = false;
    for (QTreeWidgetItem* up = current; up && !shared; up = up->parent()) shared = up == node;
    if (shared) break;
    node->setExpanded(false);
  }
}

void GDirTreeView::mouseReleaseEvent(QMouseEvent* event) {
  QTreeWidget::mouseReleaseEvent(event);
  emit MouseUp(event->button());
}

QStringList GDirTreeView::mimeTypes() const {
  return {QStringLiteral("text/uri-list"), QStringLiteral("text/plain"), QLatin1String(kFolderNodeMimeType)};
}

QMimeData* GDirTreeView::mimeData(const QList<QTreeWidgetItem*>& items) const {
  if (items.isEmpty() || FullNameOf(items.first()).isEmpty()) return nullptr;
  return FolderNodeMimeData(FullNameOf(items.first()));
}

}  // namespace korvel
