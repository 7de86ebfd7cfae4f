// The window's layout on its own: splitters and grids in a plain window,
// recorded into a project's settings file once a change has settled and
// restored from it.

#include <QApplication>
#include <QHBoxLayout>
#include <QSplitter>
#include <QStandardPaths>
#include <QTest>

#include <memory>

#include "app/twindowlayout.h"
#include "editors/gstringgrid.h"
#include "support/guitestsupport.h"

namespace korvel {

namespace {

/// A window with the panes and grids the layout looks after.
struct LaidOutWindow {
  LaidOutWindow() {
    auto* row = new QHBoxLayout(&window);
    for (QSplitter** splitter : {&tree, &grid, &rules}) {
      *splitter = new QSplitter(&window);
      (*splitter)->addWidget(new QWidget);
      (*splitter)->addWidget(new QWidget);
      row->addWidget(*splitter);
    }
    // As on "Entrée": the grid below the folder view.
    grid->setOrientation(Qt::Vertical);
    inputGrid = new GStringGrid(&window);
    propertyGrid = new GStringGrid(&window);
    row->addWidget(inputGrid);
    row->addWidget(propertyGrid);
    window.resize(900, 500);
  }
  [[nodiscard]] TWindowLayout::Parts Parts() const { return {tree, grid, rules, inputGrid, propertyGrid}; }

  QWidget window;
  QSplitter* tree = nullptr;
  QSplitter* grid = nullptr;
  QSplitter* rules = nullptr;
  GStringGrid* inputGrid = nullptr;
  GStringGrid* propertyGrid = nullptr;
};

/// What the splitter's panes share: its length without the handle.
int Room(const QSplitter& splitter) {
  const int length = splitter.orientation() == Qt::Horizontal ? splitter.width() : splitter.height();
  return length - splitter.handleWidth();
}

}  // namespace

class WindowLayoutTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init();
  void cleanup();

  void splitterDragIsRecordedOnceSettled();
  void panesAndWindowAreRestoredAsRecorded();

 private:
  [[nodiscard]] QString Settings() const { return install_->Project() + QStringLiteral("site.xml"); }

  std::unique_ptr<TestInstallation> install_;
  std::unique_ptr<LaidOutWindow> shown_;
  TWindowLayout* layout_ = nullptr;
};

void WindowLayoutTest::init() {
  install_ = std::make_unique<TestInstallation>(false);
  QVERIFY(install_->Ready());
  QVERIFY(install_->MakeProject("p { color: red }\n"));
  install_->Dm().Ini().Open(Settings().toStdString());
  shown_ = std::make_unique<LaidOutWindow>();
  layout_ = new TWindowLayout(shown_->window, install_->Dm(), shown_->Parts());
  shown_->window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&shown_->window));
}

void WindowLayoutTest::cleanup() {
  shown_.reset();
  layout_ = nullptr;
  QVERIFY(install_->AllAnswered());
  install_.reset();
}

void WindowLayoutTest::splitterDragIsRecordedOnceSettled() {
  const QByteArray before = ReadAll(Settings());
  QVERIFY(!before.contains("TVInPanel"));
  QSplitter* splitter = shown_->tree;
  // A drag: many steps, none of which rewrites the settings file.
  for (int width = 50; width <= 100; width += 10) {
    splitter->setSizes({width, Room(*splitter) - width});
    emit splitter->splitterMoved(width, 1);
  }
  QCOMPARE(ReadAll(Settings()), before);
  // Once it settles, the last width is recorded.
  QTRY_VERIFY(ReadAll(Settings()).contains("TVInPanel"));
  QVERIFY2(ReadAll(Settings()).contains("<Width>100</Width>"), ReadAll(Settings()).constData());
}

void WindowLayoutTest::panesAndWindowAreRestoredAsRecorded() {
  // The tree's first pane, the grid's second (below), the rules' first.
  shown_->tree->setSizes({70, Room(*shown_->tree) - 70});
  shown_->grid->setSizes({Room(*shown_->grid) - 60, 60});
  shown_->rules->setSizes({90, Room(*shown_->rules) - 90});
  for (QSplitter* splitter : {shown_->tree, shown_->grid, shown_->rules}) emit splitter->splitterMoved(1, 1);
  layout_->RecordWindowNow();
  QTRY_VERIFY(ReadAll(Settings()).contains("PgCtlCSS") && ReadAll(Settings()).contains("SGInPanel") &&
              ReadAll(Settings()).contains("TVInPanel"));

  // In a window of the same size.
  LaidOutWindow restored;
  TWindowLayout layout(restored.window, install_->Dm(), restored.Parts());
  restored.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&restored.window));
  layout.SetRestoring(true);
  layout.Restore();
  layout.SetRestoring(false);
  QCOMPARE(restored.tree->sizes().first(), 70);
  QCOMPARE(restored.grid->sizes().last(), 60);
  QCOMPARE(restored.rules->sizes().first(), 90);

  // The window's own size.
  shown_->window.resize(800, 450);
  layout_->RecordWindowNow();
  LaidOutWindow resized;
  TWindowLayout again(resized.window, install_->Dm(), resized.Parts());
  again.RestoreWindow();
  QCOMPARE(resized.window.size(), QSize(800, 450));
}

}  // namespace korvel

QTEST_MAIN(korvel::WindowLayoutTest)
#include "windowlayout_test.moc"
