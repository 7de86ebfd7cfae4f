// The swatch colour of CSS colour values, and its painting.

#include <QImage>
#include <QPainter>
#include <QTest>

#include "editors/colorswatch.h"

namespace korvel {

class ColorSwatchTest final : public QObject {
  Q_OBJECT

 private slots:
  void colourOfValue_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QColor>("colour");
    const auto rgba = [](int r, int g, int b, int a = 255) { return QColor(r, g, b, a); };
    QTest::newRow("table name") << "red" << rgba(255, 0, 0);
    QTest::newRow("table name, upper case, blanks") << " RED " << rgba(255, 0, 0);
    QTest::newRow("name only the table has") << "feldspar" << rgba(0xD1, 0x92, 0x75);
    QTest::newRow("the table's own value wins") << "mediumpurple" << rgba(0x93, 0x70, 0xD8);
    QTest::newRow("keyword the table lacks") << "grey" << rgba(128, 128, 128);
    QTest::newRow("system colour") << "buttonface" << rgba(0xEC, 0xE9, 0xD8);
    QTest::newRow("transparent") << "transparent" << rgba(0, 0, 0, 0);
    QTest::newRow("#RGB") << "#abc" << rgba(0xAA, 0xBB, 0xCC);
    QTest::newRow("#RGBA") << "#f008" << rgba(255, 0, 0, 0x88);
    QTest::newRow("#RRGGBB") << "#12aB56" << rgba(0x12, 0xAB, 0x56);
    QTest::newRow("#RRGGBBAA, alpha last") << "#ff000080" << rgba(255, 0, 0, 128);
    QTest::newRow("rgb with commas") << "rgb(255, 128, 0)" << rgba(255, 128, 0);
    QTest::newRow("rgb in percentages") << "rgb(100% 0% 50%)" << rgba(255, 0, 128);
    QTest::newRow("rgba") << "rgba(0,0,255,0.5)" << rgba(0, 0, 255, 128);
    QTest::newRow("rgb with slash alpha") << "rgb(0 0 0 / 50%)" << rgba(0, 0, 0, 128);
    QTest::newRow("rgb clamps") << "rgb(300, -4, 0)" << rgba(255, 0, 0);
    QTest::newRow("hsl") << "hsl(120, 100%, 25%)" << rgba(0, 128, 0);
    QTest::newRow("hsl in degrees, blanks") << "HSL(240deg 100% 50%)" << rgba(0, 0, 255);
    QTest::newRow("hsla, hue past a turn") << "hsla(480, 100%, 50%, 1)" << rgba(0, 255, 0);
    QTest::newRow("custom property") << "var(--brand)" << QColor();
    QTest::newRow("currentColor") << "currentColor" << QColor();
    QTest::newRow("keyword that is no colour") << "inherit" << QColor();
    QTest::newRow("not hexadecimal") << "#GGG" << QColor();
    QTest::newRow("five digits") << "#12345" << QColor();
    QTest::newRow("empty") << "" << QColor();
    QTest::newRow("two components") << "rgb(1, 2)" << QColor();
    QTest::newRow("hue in percent") << "hsl(50%, 50%, 50%)" << QColor();
    QTest::newRow("unknown function") << "lab(50% 40 59)" << QColor();
    QTest::newRow("two names") << "red blue" << QColor();
    QTest::newRow("Qt-only form") << "#ff0000ff0000" << QColor();
  }
  void colourOfValue() {
    QFETCH(QString, value);
    QFETCH(QColor, colour);
    const QColor found = SwatchColorOf(value);
    QCOMPARE(found.isValid(), colour.isValid());
    if (colour.isValid()) {
      QCOMPARE(found.toRgb().rgb(), colour.rgb());
      QVERIFY2(qAbs(found.alpha() - colour.alpha()) <= 1, qPrintable(QString::number(found.alpha())));
    }
  }

  void paintsTheColourInsideAnOutline() {
    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(Qt::white);
    const QRect cell(0, 0, 20, 20);
    const QRect swatch = SwatchRect(cell);
    QCOMPARE(swatch, QRect(2, 2, 16, 16));
    {
      QPainter painter(&image);
      PaintColorSwatch(painter, swatch, QColor(0, 128, 0));
    }
    QCOMPARE(image.pixelColor(10, 10), QColor(0, 128, 0));
    QVERIFY(image.pixelColor(2, 2).lightness() < 100);
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::white));
  }

  void translucentColourShowsTheCheckerboard() {
    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      PaintColorSwatch(painter, SwatchRect(QRect(0, 0, 20, 20)), QColor(0, 0, 0, 0));
    }
    QVERIFY(image.pixelColor(5, 5) != image.pixelColor(14, 5));
  }

  void invalidColourPaintsNothing() {
    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      PaintColorSwatch(painter, SwatchRect(QRect(0, 0, 20, 20)), SwatchColorOf(QStringLiteral("var(--brand)")));
    }
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) QCOMPARE(image.pixelColor(x, y), QColor(Qt::white));
  }
};

}  // namespace korvel

QTEST_MAIN(korvel::ColorSwatchTest)
#include "colorswatch_test.moc"
