#pragma once

// Thumbnails of pictures for the folder view. A thumbnail is made on a
// worker thread of the provider's own pool and kept in a cache; the window's
// thread only asks, and hears through ThumbnailReady when one is done, so
// that a folder of hundreds of photos never holds the window up.
//
// A file that cannot be read as a picture is remembered as such and never
// tried again while its date stays the same; no error is shown for it.

#include <QCache>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QString>
#include <QThreadPool>

namespace korvel {

class ThumbnailProvider final : public QObject {
  Q_OBJECT

 public:
  /// Thumbnails fit in a square of side edge pixels.
  explicit ThumbnailProvider(int edge = 96, QObject* parent = nullptr);
  Q_DISABLE_COPY_MOVE(ThumbnailProvider)
  /// Waits for the pictures being read; those not started are dropped.
  ~ThumbnailProvider() override;

  /// Whether the file's name says it is a picture Qt can read.
  [[nodiscard]] static bool IsPicture(const QString& path);

  /// The thumbnail of the picture as last modified at the given date, when
  /// it is made; otherwise a null pixmap, and the picture is queued unless it
  /// is already (or is known not to be a picture).
  QPixmap Thumbnail(const QString& path, const QDateTime& modified);

  /// Drops the pictures queued and not started yet (the view left the
  /// folder). Those being read still finish and are kept.
  void CancelPending();

  /// Pictures queued or being read.
  [[nodiscard]] int PendingCount() const { return static_cast<int>(pending_.size()); }
  [[nodiscard]] int Edge() const { return edge_; }

 signals:
  /// A thumbnail of the file is in the cache (or the file proved not to be
  /// a picture).
  void ThumbnailReady(const QString& path);

 private:
  void Finished(const QString& key, const QString& path, const QImage& image);

  int edge_;
  QThreadPool pool_;
  QCache<QString, QPixmap> cache_;
  QSet<QString> pending_;
  QSet<QString> failed_;
};

}  // namespace korvel
