// A window's stored geometry comes from a file anyone may edit: whatever it
// holds, the window comes back on the screen and no larger than it.

#include <QScreen>
#include <QTest>
#include <QWidget>

#include <climits>

#include "app/controladapters.h"

namespace korvel {

class WindowControlTest final : public QObject {
  Q_OBJECT

 private slots:
  void storedGeometryIsKeptOnTheScreen_data() {
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QRect>("expected");  // null: anywhere on the screen, at most its size
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QTest::newRow("fits: kept as stored") << QRect(area.left() + 10, area.top() + 20, 300, 200)
                                          << QRect(area.left() + 10, area.top() + 20, 300, 200);
    QTest::newRow("largest int size") << QRect(0, 0, INT_MAX / 2, INT_MAX / 2) << QRect();
    QTest::newRow("largest int everywhere") << QRect() << QRect();
    QTest::newRow("too small grows to the least size") << QRect(area.left(), area.top(), 5, 5)
                                                       << QRect(area.left(), area.top(), 200, 150);
    QTest::newRow("overhanging the right edge moves in")
        << QRect(area.right() - 50, area.top(), 300, 200) << QRect(area.right() + 1 - 300, area.top(), 300, 200);
    QTest::newRow("far off the screen comes back") << QRect(-100000, -100000, 300, 200) << QRect();
  }
  void storedGeometryIsKeptOnTheScreen() {
    QFETCH(QRect, stored);
    QFETCH(QRect, expected);
    QWidget window;
    WindowControl control(window, "MainForm");
    if (stored.isNull())
      control.SetBounds(INT_MAX, INT_MAX, INT_MAX, INT_MAX);
    else
      control.SetBounds(stored.left(), stored.top(), stored.width(), stored.height());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    if (!expected.isNull()) QCOMPARE(window.geometry(), expected);
    QVERIFY2(area.contains(window.geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                              .arg(window.x())
                                                              .arg(window.y())
                                                              .arg(window.width())
                                                              .arg(window.height())));
  }
};

}  // namespace korvel

QTEST_MAIN(korvel::WindowControlTest)
#include "windowcontrol_test.moc"
