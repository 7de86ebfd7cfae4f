#include "shell/foldermodel.h"

#include <QDirIterator>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>
#include <QMimeDatabase>

namespace korvel {

namespace {

QString FolderType() { return QStringLiteral("Dossier"); }

// Icons and type names by kind of file: the theme is asked once per kind,
// not once per file.
QIcon KindIcon(const QString& path, bool folder) {
  static QFileIconProvider provider;
  static QHash<QString, QIcon> icons;
  const QString suffix = folder ? QStringLiteral("/") : QFileInfo(path).suffix().toLower();
  auto known = icons.constFind(suffix);
  if (known == icons.constEnd()) known = icons.insert(suffix, provider.icon(QFileInfo(path)));
  return *known;
}

QString KindName(const QString& name) {
  static QMimeDatabase mimes;
  static QHash<QString, QString> names;
  const QString suffix = QFileInfo(name).suffix().toLower();
  auto known = names.constFind(suffix);
  if (known == names.constEnd())
    known = names.insert(suffix, mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension).comment());
  return *known;
}

}  // namespace

FolderModel::FolderModel(QObject* parent) : QAbstractTableModel(parent) {
  readAgain_.setSingleShot(true);
  readAgain_.setInterval(200);
  connect(&readAgain_, &QTimer::timeout, this, &FolderModel::ReadAgain);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { readAgain_.start(); });
}

void FolderModel::SetFolder(const QString& folder) {
  if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
  folder_ = folder;
  if (!folder.isEmpty()) watcher_.addPath(folder);
  ReadAgain();
}

void FolderModel::ReadAgain() {
  QList<Entry> entries;
  QDirIterator it(folder_, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
  while (it.hasNext()) {
    const QFileInfo info = it.nextFileInfo();
    Entry entry;
    entry.name = info.fileName();
    entry.folder = info.isDir();
    entry.path = entry.folder ? folder_ + entry.name + QLatin1Char('/') : folder_ + entry.name;
    entry.size = entry.folder ? 0 : info.size();
    entry.modified = info.lastModified();
    entries.append(std::move(entry));
  }
  Reset(std::move(entries));
}

void FolderModel::SetPlaces(const QList<ShellPlace>& places) {
  if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
  folder_.clear();
  QList<Entry> entries;
  for (const ShellPlace& place : places) {
    Entry entry;
    entry.name = place.caption;
    entry.path = place.path;
    entry.folder = true;
    entries.append(std::move(entry));
  }
  Reset(std::move(entries));
}

void FolderModel::Reset(QList<Entry> entries) {
  beginResetModel();
  entries_ = std::move(entries);
  rows_.clear();
  rows_.reserve(entries_.size());
  for (int row = 0; row < entries_.size(); ++row) rows_.insert(entries_[row].path, row);
  endResetModel();
}

int FolderModel::RowOf(const QString& path) const { return rows_.value(path, -1); }

int FolderModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int FolderModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant FolderModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
  const Entry& entry = entries_[index.row()];
  switch (role) {
    case PathRole: return entry.path;
    case SizeRole: return entry.size;
    case ModifiedRole: return entry.modified;
    case IsFolderRole: return entry.folder;
    case NameRole: return entry.name;
    case Qt::DisplayRole:
      switch (index.column()) {
        case fcName: return entry.name;
        case fcSize: return entry.folder ? QString() : QLocale().formattedDataSize(entry.size);
        case fcType: return entry.folder ? FolderType() : KindName(entry.name);
        case fcModified: return entry.modified.isValid() ? QLocale().toString(entry.modified, QLocale::ShortFormat) : QString();
        default: return {};
      }
    case Qt::DecorationRole:
      if (index.column() == fcName) return KindIcon(entry.path, entry.folder);
      return {};
    case Qt::TextAlignmentRole:
      if (index.column() == fcSize) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    default:
      return {};
  }
}

QVariant FolderModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
  switch (section) {
    case fcName: return QStringLiteral("Nom");
    case fcSize: return QStringLiteral("Taille");
    case fcType: return QStringLiteral("Type");
    case fcModified: return QStringLiteral("Modifié le");
    default: return {};
  }
}

}  // namespace korvel
