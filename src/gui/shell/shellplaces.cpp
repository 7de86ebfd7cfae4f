#include "shell/shellplaces.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMimeData>
#include <QStorageInfo>
#include <QUrl>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel {

namespace {

bool IsBelow(const QString& folder, const QString& root) {
  return folder.startsWith(root) && folder.size() > root.size();
}

// Mounts of real devices only: the kernel's own file systems, bind mounts of
// single files and the root itself are not places the user browses to.
bool IsBrowsableVolume(const QStorageInfo& volume) {
  const QString root = FolderPath(volume.rootPath());
  if (root == QStringLiteral("/") || !QFileInfo(root).isDir()) return false;
  for (const char* system : {"/proc/", "/sys/", "/dev/", "/boot/", "/snap/"})
    if (root.startsWith(QLatin1String(system))) return false;
  if (root.startsWith(QStringLiteral("/run/")) && !root.startsWith(QStringLiteral("/run/media/"))) return false;
  return volume.device().startsWith("/dev/");
}

}  // namespace

QString DesktopCaption() { return QStringLiteral("Bureau"); }

QList<ShellPlace> DesktopPlaces() {
  QList<ShellPlace> places{{QStringLiteral("Dossier personnel"), FolderPath(QDir::homePath())},
                           {QStringLiteral("Système de fichiers"), QStringLiteral("/")}};
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!IsBrowsableVolume(volume)) continue;
    const QString root = FolderPath(volume.rootPath());
    QString caption = volume.name();
    if (caption.isEmpty()) caption = FolderCaption(root);
    const ShellPlace place{caption, root};
    if (!places.contains(place)) places.append(place);
  }
  return places;
}

QString FolderPath(const QString& path) {
  if (path.isEmpty()) return {};
  QString folder = QDir::cleanPath(QDir::current().absoluteFilePath(path));
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder;
}

QString ParentFolder(const QString& folder) {
  if (folder.isEmpty() || folder == QStringLiteral("/")) return {};
  const QString clean = FolderPath(folder);
  const qsizetype slash = clean.lastIndexOf(QLatin1Char('/'), clean.size() - 2);
  return clean.left(slash + 1);
}

QString FolderCaption(const QString& folder) {
  if (folder == QStringLiteral("/")) return folder;
  QString name = folder;
  if (name.endsWith(QLatin1Char('/'))) name.chop(1);
  return name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
}

bool CanListFolder(const QString& folder) {
  if (::access(QFile::encodeName(folder).constData(), R_OK | X_OK) != 0) return false;
  DIR* dir = ::opendir(QFile::encodeName(folder).constData());
  if (!dir) return false;
  ::closedir(dir);
  return true;
}

bool HasSubFolders(const QString& folder) {
  struct stat status {};
  // A folder's link count is 2 plus its sub-folders where the file system
  // counts them; 2 means none, so the folder need not be opened.
  if (::stat(QFile::encodeName(folder).constData(), &status) == 0 && status.st_nlink == 2) return false;
  QDirIterator sub(folder, QDir::Dirs | QDir::NoDotAndDotDot);
  return sub.hasNext();
}

QStringList DefaultMediaRoots() { return {QStringLiteral("/media/"), QStringLiteral("/run/media/")}; }

bool IsDriveReady(const QString& path, const QStringList& mediaRoots) {
  const QString folder = FolderPath(path);
  for (const QString& root : mediaRoots) {
    const QString base = FolderPath(root);
    if (!IsBelow(folder, base)) continue;
    const qsizetype depth = folder.mid(base.size()).count(QLatin1Char('/'));
    if (depth > 2) return true;
    return !QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
  }
  return true;
}

QMimeData* FolderNodeMimeData(const QString& folder) {
  auto* data = new QMimeData;
  data->setUrls({QUrl::fromLocalFile(folder)});
  data->setText(folder);
  data->setData(QLatin1String(kFolderNodeMimeType), folder.toUtf8());
  return data;
}

QString FolderNodeOf(const QMimeData* data) {
  if (!data || !data->hasFormat(QLatin1String(kFolderNodeMimeType))) return {};
  return FolderPath(QString::fromUtf8(data->data(QLatin1String(kFolderNodeMimeType))));
}

QStringList LocalPathsOf(const QMimeData* data) {
  QStringList paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = QDir::cleanPath(url.toLocalFile());
    if (path.isEmpty()) continue;
    paths << (QFileInfo(path).isDir() ? FolderPath(path) : path);
  }
  return paths;
}

}  // namespace korvel
