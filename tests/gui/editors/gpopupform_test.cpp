// The popup base: where it is placed (on the screen of its cell), which
// window it stays with, and the keys that confirm and cancel it from any of
// its controls.

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include "editors/gpopupform.h"
#include "editors/gstringgrid.h"

using korvel::GPopupForm;
using korvel::GStringGrid;

namespace {

// A popup with one control of each kind the editors use; OK gives the line
// edit's text followed by the combo box's.
class SamplePopup final : public GPopupForm {
 public:
  explicit SamplePopup(QWidget* mainWindow) : GPopupForm(mainWindow) {
    auto* layout = new QVBoxLayout(this);
    edit = new QLineEdit(this);
    combo = new QComboBox(this);
    combo->setEditable(true);
    combo->addItems({QStringLiteral("px"), QStringLiteral("em")});
    button = new QToolButton(this);
    layout->addWidget(edit);
    layout->addWidget(combo);
    layout->addWidget(button);
    resize(200, 100);
  }
  QLineEdit* edit;
  QComboBox* combo;
  QToolButton* button;

 protected:
  void OnOk() override { Accept(edit->text() + combo->currentText()); }
};

// A main window holding a property grid of three rows, shown.
struct MainWindow {
  MainWindow() {
    auto* layout = new QVBoxLayout(&window);
    grid = new GStringGrid(&window);
    layout->addWidget(grid);
    for (int row = 0; row < 3; ++row) {
      grid->SetCellText(0, row, QStringLiteral("name"));
      grid->SetCellText(1, row, QStringLiteral("value"));
    }
    window.setGeometry(100, 100, 400, 300);
    window.show();
  }
  QWidget window;
  GStringGrid* grid;
};

}  // namespace

class GPopupFormTest final : public QObject {
  Q_OBJECT

 private slots:
  void StaysAboveItsMainWindowOnly() {
    MainWindow main;
    SamplePopup popup(main.grid);
    QCOMPARE(popup.parentWidget(), &main.window);
    QVERIFY(popup.isWindow());
    QVERIFY(popup.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(popup.windowType(), Qt::Tool);
    QVERIFY(!popup.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(popup.isHidden());
  }

  void PlacedBesideTheValueCellAndOpenForThatRowOnly() {
    MainWindow main;
    SamplePopup popup(&main.window);
    const QRect cell = korvel::ValueCellInGlobal(*main.grid, 1);
    QCOMPARE(cell.topLeft(), main.grid->viewport()->mapToGlobal(main.grid->CellRect(1, 1).topLeft()));
    QVERIFY(korvel::ValueCellInGlobal(*main.grid, 7).isEmpty());

    popup.PlaceBeside(cell);
    QVERIFY(!popup.IsOpenAt(cell.top()));  // placed, not shown
    popup.show();
    QCOMPARE(popup.geometry().topLeft(), QPoint(cell.left() - 1, cell.top()));
    QVERIFY(popup.IsOpenAt(cell.top()));
    QVERIFY(!popup.IsOpenAt(korvel::ValueCellInGlobal(*main.grid, 2).top()));
  }

  // With no room below its cell the popup goes above it; with no room on
  // the right it moves left; grown after it was placed, it still fits.
  void StaysOnTheScreenOfItsCell() {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    SamplePopup popup(nullptr);
    popup.resize(250, 240);
    const QRect low(screen.left() + 100, screen.bottom() - 100, 150, 20);
    popup.PlaceBeside(low);
    popup.show();
    QCOMPARE(popup.geometry().bottom(), low.top() - 1);
    QCOMPARE(popup.x(), low.left() - 1);
    QVERIFY(popup.IsOpenAt(low.top()));

    const QRect right(screen.right() - 100, screen.top() + 50, 150, 20);
    popup.PlaceBeside(right);
    QCOMPARE(popup.geometry().right(), screen.right());
    QCOMPARE(popup.y(), right.top());

    const QRect lower(screen.left() + 100, screen.top() + screen.height() * 2 / 3, 150, 20);
    popup.PlaceBeside(lower);
    QCOMPARE(popup.pos(), QPoint(lower.left() - 1, lower.top()));
    popup.resize(250, screen.height() / 2);
    QVERIFY(screen.contains(popup.geometry()));
    QCOMPARE(popup.geometry().bottom(), lower.top() - 1);
    QVERIFY(popup.IsOpenAt(lower.top()));
  }

  void FollowsTheMainWindowAndHidesWithIt() {
    MainWindow main;
    SamplePopup popup(&main.window);
    popup.move(300, 200);
    popup.show();
    main.window.move(main.window.pos() + QPoint(30, -20));
    QTRY_COMPARE(popup.pos(), QPoint(330, 180));

    main.window.showMinimized();
    QTRY_VERIFY(popup.isHidden());

    main.window.showNormal();
    popup.show();
    popup.HideWithTab();
    QVERIFY(popup.isHidden());
  }

  void EscapeCancelsAndEnterConfirmsFromEveryControl() {
    MainWindow main;
    SamplePopup popup(&main.window);
    QSignalSpy accepted(&popup, &GPopupForm::Accepted);
    QSignalSpy cancelled(&popup, &GPopupForm::Cancelled);

    for (QWidget* control : {static_cast<QWidget*>(popup.edit), static_cast<QWidget*>(popup.combo->lineEdit()),
                             static_cast<QWidget*>(popup.button)}) {
      popup.show();
      QTest::keyClick(control, Qt::Key_Escape);
      QVERIFY(popup.isHidden());
    }
    QCOMPARE(cancelled.count(), 3);
    QCOMPARE(accepted.count(), 0);

    popup.show();
    popup.edit->setText(QStringLiteral("12"));
    QTest::keyClick(popup.combo->lineEdit(), Qt::Key_Return);
    QVERIFY(popup.isHidden());
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(accepted.at(0).at(0).toString(), QStringLiteral("12px"));
    QCOMPARE(popup.combo->count(), 2);  // Enter did not add the text to the list

    popup.show();
    QTest::keyClick(popup.edit, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(accepted.count(), 2);

    // Hidden, the popup no longer hears the keys of the main window.
    QTest::keyClick(main.grid, Qt::Key_Escape);
    QCOMPARE(cancelled.count(), 3);
  }

  void TabReachesEveryControl() {
    MainWindow main;
    SamplePopup popup(&main.window);
    popup.show();
    popup.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&popup));
    popup.edit->setFocus();
    QSet<QWidget*> reached;
    for (int step = 0; step < 6; ++step) {
      reached.insert(QApplication::focusWidget());
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QVERIFY(reached.contains(popup.edit));
    QVERIFY(reached.contains(popup.combo) || reached.contains(popup.combo->lineEdit()));
    QVERIFY(reached.contains(popup.button));
  }
};

QTEST_MAIN(GPopupFormTest)
#include "gpopupform_test.moc"
