#include "shell/thumbnailprovider.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>

namespace korvel {

namespace {

// The cache holds about this many kilobytes of pixels.
constexpr int kCacheKilobytes = 64 * 1024;

QString KeyOf(const QString& path, const QDateTime& modified) {
  return path + QLatin1Char('\n') + QString::number(modified.toMSecsSinceEpoch());
}

// Reads the picture already scaled down where the format allows, which is
// what keeps a folder of large photos quick.
QImage ReadThumbnail(const QString& path, int edge) {
  QImageReader reader(path);
  reader.setAutoTransform(true);
  const QSize size = reader.size();
  if (size.isValid() && (size.width() > edge || size.height() > edge))
    reader.setScaledSize(size.scaled(edge, edge, Qt::KeepAspectRatio));
  QImage image = reader.read();
  if (!image.isNull() && (image.width() > edge || image.height() > edge))
    image = image.scaled(edge, edge, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  return image;
}

}  // namespace

ThumbnailProvider::ThumbnailProvider(int edge, QObject* parent)
    : QObject(parent), edge_(edge), cache_(kCacheKilobytes) {
  pool_.setMaxThreadCount(2);
}

ThumbnailProvider::~ThumbnailProvider() {
  pool_.clear();
  pool_.waitForDone();
}

bool ThumbnailProvider::IsPicture(const QString& path) {
  static const QList<QByteArray> formats = QImageReader::supportedImageFormats();
  const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
  return !suffix.isEmpty() && formats.contains(suffix);
}

QPixmap ThumbnailProvider::Thumbnail(const QString& path, const QDateTime& modified) {
  const QString key = KeyOf(path, modified);
  if (const QPixmap* made = cache_.object(key)) return *made;
  if (pending_.contains(key) || failed_.contains(key)) return {};
  pending_.insert(key);
  const int edge = edge_;
  pool_.start([this, key, path, edge] {
    const QImage image = ReadThumbnail(path, edge);
    QMetaObject::invokeMethod(this, [this, key, path, image] { Finished(key, path, image); }, Qt::QueuedConnection);
  });
  return {};
}

void ThumbnailProvider::CancelPending() {
  // Jobs not started are dropped by the pool; their keys must go too, or
  // those pictures would never be asked for again.
  pool_.clear();
  pending_.clear();
}

void ThumbnailProvider::Finished(const QString& key, const QString& path, const QImage& image) {
  pending_.remove(key);
  if (image.isNull()) {
    failed_.insert(key);
  } else {
    auto* pixmap = new QPixmap(QPixmap::fromImage(image));
    cache_.insert(key, pixmap, std::max(1, pixmap->width() * pixmap->height() * 4 / 1024));
  }
  emit ThumbnailReady(path);
}

}  // namespace korvel
