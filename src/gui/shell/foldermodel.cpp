#include "shell/foldermodel.h"

#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>
#include <QMimeData>
#include <QMimeDatabase>
#include <QSet>
#include <QUrl>

#include <dirent.h>
#include <sys/stat.h>

namespace korvel {

namespace {

QString FolderType() { return QStringLiteral("Dossier"); }

// Icons and type names by kind of file: the theme is asked once per kind,
// not once per file.
QIcon KindIcon(const QString& path, bool folder) {
  static QFileIconProvider provider;
  static QHash<QString, QIcon> icons;
  if (folder) {
    static const QIcon folderIcon = provider.icon(QFileIconProvider::Folder);
    return folderIcon;
  }
  const QString suffix = QFileInfo(path).suffix().toLower();
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
  // The directory entries give names and kinds without a look at each file;
  // only links and file systems that do not tell the kind need one.
  const QByteArray encoded = QFile::encodeName(folder_);
  if (DIR* dir = folder_.isEmpty() ? nullptr : ::opendir(encoded.constData())) {
    while (const dirent* item = ::readdir(dir)) {
      if (item->d_name[0] == '.') continue;  // hidden, and . and ..
      Entry entry;
      entry.name = QFile::decodeName(item->d_name);
      if (item->d_type == DT_DIR) {
        entry.folder = true;
      } else if (item->d_type == DT_LNK || item->d_type == DT_UNKNOWN) {
        struct stat status {};
        entry.folder = ::fstatat(::dirfd(dir), item->d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
      }
      entry.path = entry.folder ? folder_ + entry.name + QLatin1Char('/') : folder_ + entry.name;
      entries.append(std::move(entry));
    }
    ::closedir(dir);
  }
  Reset(std::move(entries));
}

const FolderModel::Entry& FolderModel::Statted(int row) const {
  const Entry& entry = entries_[row];
  if (!entry.statted) {
    entry.statted = true;
    struct stat status {};
    if (::stat(QFile::encodeName(entry.path).constData(), &status) == 0) {
      entry.size = entry.folder ? 0 : static_cast<qint64>(status.st_size);
      entry.modified = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(status.st_mtim.tv_sec) * 1000 +
                                                      status.st_mtim.tv_nsec / 1'000'000);
    }
  }
  return entry;
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
    case SizeRole: return Statted(index.row()).size;
    case ModifiedRole: return Statted(index.row()).modified;
    case IsFolderRole: return entry.folder;
    case NameRole: return entry.name;
    case Qt::DisplayRole:
      switch (index.column()) {
        case fcName: return entry.name;
        case fcSize: return entry.folder ? QString() : QLocale().formattedDataSize(Statted(index.row()).size);
        case fcType: return entry.folder ? FolderType() : KindName(entry.name);
        case fcModified: {
          const QDateTime& modified = Statted(index.row()).modified;
          return modified.isValid() ? QLocale().toString(modified, QLocale::ShortFormat) : QString();
        }
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

Qt::ItemFlags FolderModel::flags(const QModelIndex& index) const {
  const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  return index.isValid() ? flags | Qt::ItemIsDragEnabled : flags;
}

QStringList FolderModel::mimeTypes() const { return {QStringLiteral("text/uri-list")}; }

QMimeData* FolderModel::mimeData(const QModelIndexList& indexes) const {
  QList<QUrl> urls;
  QSet<int> rows;
  for (const QModelIndex& index : indexes) {
    if (!index.isValid() || rows.contains(index.row())) continue;
    rows.insert(index.row());
    urls << QUrl::fromLocalFile(entries_[index.row()].path);
  }
  if (urls.isEmpty()) return nullptr;
  auto* data = new QMimeData;
  data->setUrls(urls);
  return data;
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
