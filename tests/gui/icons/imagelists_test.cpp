// The pictures drawn in code: their count and size at both pixel ratios,
// that each one is a drawing of its own, and that the three check-box
// pictures the grids rely on show what they stand for.

#include <functional>

#include <QImage>
#include <QTest>

#include "icons/imagelists.h"
#include "editors/gstringgrid.h"

using namespace korvel;

namespace {

using Picker = std::function<bool(const QColor&)>;

int CountPixels(const QPixmap& picture, const Picker& wanted) {
  const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (wanted(image.pixelColor(x, y))) ++count;
  return count;
}

bool Opaque(const QColor& colour) { return colour.alpha() > 200; }
bool Green(const QColor& colour) {
  return Opaque(colour) && colour.green() > colour.red() + 60 && colour.green() > colour.blue() + 60;
}
bool Red(const QColor& colour) {
  return Opaque(colour) && colour.red() > colour.green() + 100 && colour.red() > colour.blue() + 100;
}

}  // namespace

class ImageListsTest final : public QObject {
  Q_OBJECT

 private slots:
  void lists_data();
  void lists();
  void checkBoxPictures();
  void indicesOutsideTheLists();
};

void ImageListsTest::lists_data() {
  QTest::addColumn<bool>("tree");
  QTest::addColumn<qreal>("ratio");
  QTest::addColumn<int>("count");
  QTest::addColumn<int>("size");
  QTest::newRow("image list, ratio 1") << false << 1.0 << 13 << 19;
  QTest::newRow("image list, ratio 2") << false << 2.0 << 13 << 19;
  QTest::newRow("tree list, ratio 1") << true << 1.0 << 5 << 16;
  QTest::newRow("tree list, ratio 2") << true << 2.0 << 5 << 16;
}

void ImageListsTest::lists() {
  QFETCH(bool, tree);
  QFETCH(qreal, ratio);
  QFETCH(int, count);
  QFETCH(int, size);
  const QList<QPixmap> pictures = tree ? MakeTreeImageList(ratio) : MakeImageList(ratio);
  QCOMPARE(pictures.size(), count);
  QCOMPARE(tree ? kTreeImageCount : kImageCount, count);
  QCOMPARE(tree ? kTreeImageSize : kImageSize, size);
  for (int index = 0; index < pictures.size(); ++index) {
    const QPixmap& picture = pictures.at(index);
    QCOMPARE(picture.devicePixelRatio(), ratio);
    QCOMPARE(picture.deviceIndependentSize().toSize(), QSize(size, size));
    QCOMPARE(picture.size(), QSize(size, size) * ratio);
    // A drawing on a transparent ground, not an empty or a filled square.
    const int opaque = CountPixels(picture, Opaque);
    QVERIFY2(opaque >= 16 * ratio * ratio, qPrintable(QString::number(index)));
    QCOMPARE(picture.toImage().pixelColor(0, 0).alpha(), 0);
    // The single-picture accessors give the same drawing.
    const QPixmap alone = tree ? TreeImageListPixmap(index, ratio) : ImageListPixmap(index, ratio);
    QCOMPARE(alone.toImage(), picture.toImage());
    for (int other = 0; other < index; ++other)
      QVERIFY2(pictures.at(other).toImage() != picture.toImage(),
               qPrintable(QStringLiteral("%1 and %2 are the same").arg(other).arg(index)));
  }
}

void ImageListsTest::checkBoxPictures() {
  // The grid draws these indices; the list must hold the matching pictures.
  QCOMPARE(GStringGrid::kUncheckedImage, kImageCheckBox);
  QCOMPARE(GStringGrid::kCheckedImage, kImageCheckBoxTicked);
  QCOMPARE(GStringGrid::kDeletedImage, kImageDeleted);
  QCOMPARE(GStringGrid::kCheckBoxSize, kImageSize);

  for (const qreal ratio : {1.0, 2.0}) {
    const QList<QPixmap> pictures = MakeImageList(ratio);
    const QPixmap& empty = pictures.at(kImageCheckBox);
    const QPixmap& ticked = pictures.at(kImageCheckBoxTicked);
    const QPixmap& deleted = pictures.at(kImageDeleted);
    // An empty box is light inside.
    const QColor inside = empty.toImage().pixelColor(empty.width() / 2, empty.height() / 2);
    QVERIFY(Opaque(inside));
    QVERIFY(inside.lightness() > 200);
    QCOMPARE(CountPixels(empty, Green), 0);
    QCOMPARE(CountPixels(empty, Red), 0);
    // The tick is green, the deleted mark red.
    QVERIFY(CountPixels(ticked, Green) > 8 * ratio * ratio);
    QCOMPARE(CountPixels(ticked, Red), 0);
    QVERIFY(CountPixels(deleted, Red) > 12 * ratio * ratio);
    QCOMPARE(CountPixels(deleted, Green), 0);
  }
}

void ImageListsTest::indicesOutsideTheLists() {
  QVERIFY(ImageListPixmap(-1).isNull());
  QVERIFY(ImageListPixmap(kImageCount).isNull());
  QVERIFY(TreeImageListPixmap(kTreeImageCount).isNull());
  QVERIFY(!TreeImageListPixmap(kTreeImageRule).isNull());
}

QTEST_MAIN(ImageListsTest)
#include "imagelists_test.moc"
