#pragma once

// What the explorer panes stand on: the places at the top of the folder tree
// (the home folder, the file-system root and the mounted volumes, under one
// node that stands for the desktop), folder paths in the one form the panes
// use ("/" separates, a folder ends with "/"), whether a folder can be
// listed, and the paths carried by a drag.
//
// Nothing here raises: a path that cannot be read is reported by the answer.

#include <QList>
#include <QString>
#include <QStringList>

class QMimeData;

namespace korvel {

/// One place on the desktop: a caption and a folder path ending with "/".
struct ShellPlace {
  QString caption;
  QString path;

  friend bool operator==(const ShellPlace&, const ShellPlace&) = default;
};

/// The caption of the node and view that stand for the desktop.
QString DesktopCaption();

/// The home folder, the root "/" and the mounted volumes of real devices,
/// removable media included, in this order.
QList<ShellPlace> DesktopPlaces();

/// The absolute, cleaned form of a folder path ending with "/"; "" stays "".
/// Relative paths are taken from the current folder.
QString FolderPath(const QString& path);

/// The folder holding a folder path: /a/b/ gives /a/, / gives "".
QString ParentFolder(const QString& folder);

/// The last name of a folder path (/a/b/ gives b, / gives /).
QString FolderCaption(const QString& folder);

/// Whether Korvel may list the folder (it exists and opening it for reading
/// works).
bool CanListFolder(const QString& folder);

/// Whether the folder holds at least one sub-folder that is not hidden. Reads
/// the folder's link count first, so that a folder without sub-folders is
/// not opened at all on the file systems that count them.
bool HasSubFolders(const QString& folder);

/// The folders where removable media are mounted: /media/ and /run/media/.
QStringList DefaultMediaRoots();

/// False only for a mount place of removable media (a folder one or two
/// levels below one of the media roots, such as /media/cdrom/ or
/// /media/ann/USB/) that holds nothing: a drive without its medium. True for
/// everything else, folders deeper on the medium included.
bool IsDriveReady(const QString& path, const QStringList& mediaRoots = DefaultMediaRoots());

/// The mime type of a folder dragged from the tree: its path in UTF-8,
/// ending with "/". The same drag also carries the folder as text/uri-list.
inline constexpr char kFolderNodeMimeType[] = "application/x-korvel-folder";

/// The drag data of a folder: text/uri-list, text/plain and
/// kFolderNodeMimeType. The caller owns the result.
QMimeData* FolderNodeMimeData(const QString& folder);

/// The folder of a tree drag, ending with "/"; "" when the data holds none.
QString FolderNodeOf(const QMimeData* data);

/// The local paths of dropped files (text/uri-list, from any file manager),
/// in their order; folders end with "/". Addresses that are not local files
/// are left out.
QStringList LocalPathsOf(const QMimeData* data);

}  // namespace korvel
