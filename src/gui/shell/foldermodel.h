#pragma once

// The items of one folder as a flat table (name, size, type, date), read in
// one pass when the folder is set, so that a folder of thousands of files is
// listed at once rather than in batches; sizes and dates are read when first
// asked for. Hidden items are left out; icons
// are those of the desktop's theme, looked up once per kind of file. The
// model also holds the desktop: the places given, as folders.
//
// A folder that changes on disk is read again a moment later. A folder that
// cannot be read lists nothing; the view refuses to enter one (it asks
// CanListFolder first), so this model raises nothing.

#include <QAbstractTableModel>
#include <QDateTime>
#include <QFileSystemWatcher>
#include <QHash>
#include <QList>
#include <QString>
#include <QTimer>

#include "shell/shellplaces.h"

namespace korvel {

/// The columns of the details mode.
enum FolderColumn { fcName = 0, fcSize = 1, fcType = 2, fcModified = 3 };

class FolderModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  /// The full path of an item (a folder ends with "/").
  static constexpr int PathRole = Qt::UserRole + 1;
  /// Raw values for sorting: size in bytes, date, whether a folder.
  static constexpr int SizeRole = Qt::UserRole + 2;
  static constexpr int ModifiedRole = Qt::UserRole + 3;
  static constexpr int IsFolderRole = Qt::UserRole + 4;
  /// The name alone (the display text may carry more).
  static constexpr int NameRole = Qt::UserRole + 5;

  explicit FolderModel(QObject* parent = nullptr);

  /// Lists the folder (ending with "/"), and watches it.
  void SetFolder(const QString& folder);
  /// Shows the places of the desktop.
  void SetPlaces(const QList<ShellPlace>& places);
  /// The row of an item by its full path, or -1.
  [[nodiscard]] int RowOf(const QString& path) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  /// Items can be dragged; the drag carries them as file addresses
  /// (text/uri-list), as a file manager's does.
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;

 private:
  // Size and date are read from the disk only when asked for (details,
  // tiles, sorting by them): listing a folder reads its names and kinds only.
  struct Entry {
    QString name;
    QString path;
    bool folder = false;
    mutable bool statted = false;
    mutable qint64 size = 0;
    mutable QDateTime modified;
  };

  const Entry& Statted(int row) const;

  void Reset(QList<Entry> entries);
  void ReadAgain();

  QString folder_;
  QList<Entry> entries_;
  QHash<QString, int> rows_;
  QFileSystemWatcher watcher_;
  QTimer readAgain_;
};

}  // namespace korvel
