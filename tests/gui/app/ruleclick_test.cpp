// A click on a rule of the tree repaints the property grid's pane and the
// two rows of the tree whose selection changed, nothing else; and what is
// then on screen is what a full repaint of the window would show. The
// "Edition" page stands as a tab of a tab widget, as in the main window,
// where a layout change inside the page reaches every tab widget around it.

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QRegion>
#include <QScreen>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <map>
#include <memory>

#include "app/tstylesheeteditor.h"
#include "editors/gstringgrid.h"
#include "support/guitestsupport.h"

namespace korvel {

namespace {

QByteArray Stylesheet() {
  QByteArray css = "a\n{\n color: red;\n}\n\n"
                   ".a-selector-long-enough-to-widen-the-tab\n{\n color: navy;\n width: 1px;\n}\n\n"
                   "@media print\n{\n h1\n {\n  color: black;\n }\n}\n\n"
                   ".many\n{\n";
  // More rows than the grid shows: its scroll bar comes and goes.
  for (int i = 0; i < 60; ++i) css += " --row-" + QByteArray::number(i) + ": " + QByteArray::number(i) + "px;\n";
  return css + "}\n";
}

// The paint events of every widget: where each painted, in the window's
// coordinates, and how many times.
class PaintRecorder final : public QObject {
 public:
  PaintRecorder() { QApplication::instance()->installEventFilter(this); }
  ~PaintRecorder() override { QApplication::instance()->removeEventFilter(this); }
  Q_DISABLE_COPY_MOVE(PaintRecorder)
  struct Paints {
    QRegion region;
    int events = 0;
  };
  std::map<QWidget*, Paints> painted;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->isWidgetType()) {
      auto* widget = static_cast<QWidget*>(watched);
      Paints& paints = painted[widget];
      paints.region += static_cast<QPaintEvent*>(event)->region().translated(widget->mapTo(widget->window(), QPoint()));
      ++paints.events;
    }
    return QObject::eventFilter(watched, event);
  }
};

QRect InWindow(const QWidget* widget, const QRect& rect) {
  return rect.translated(widget->mapTo(widget->window(), QPoint()));
}

}  // namespace

class RuleClickTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase() { pages_.reset(); }
  void repaintsOnlyTheGridPaneAndTheTwoRows_data();
  void repaintsOnlyTheGridPaneAndTheTwoRows();

 private:
  /// Makes the node current as a click does, then runs events until the
  /// grid has painted; false when it never does.
  bool Click(QTreeWidgetItem* node);

  QTemporaryDir dir_;
  MessageRecorder messages_;
  RecordingLauncher launcher_;
  std::unique_ptr<QTabWidget> pages_;
  TStyleSheetEditor* editor_ = nullptr;  // a page of pages_
};

void RuleClickTest::initTestCase() {
  QStandardPaths::setTestModeEnabled(true);
  const QString css = dir_.path() + QStringLiteral("/styles.css");
  QVERIFY(WriteAll(css, Stylesheet()));
  pages_ = std::make_unique<QTabWidget>();
  editor_ = new TStyleSheetEditor(QStringLiteral(KORVEL_DATA "/CSSKeywords.xml"), launcher_);
  pages_->addTab(new QWidget, QStringLiteral("Entrée"));
  pages_->addTab(editor_, QStringLiteral("Edition"));
  pages_->setGeometry(20, 20, 900, 640);
  pages_->show();
  QVERIFY(QTest::qWaitForWindowExposed(pages_.get()));
  QVERIFY(editor_->OpenStylesheet(css, QString(), QStringLiteral("styles.css")));
  editor_->ShowFirstRule([this] { pages_->setCurrentWidget(editor_); });
  editor_->RuleTree()->expandAll();
  QTest::qWait(50);
}

bool RuleClickTest::Click(QTreeWidgetItem* node) {
  if (editor_->RuleTree()->currentItem() == node) return true;
  bool painted = false;
  struct Watch final : QObject {
    bool* painted;
    explicit Watch(bool* seen) : painted(seen) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() == QEvent::Paint) *painted = true;
      return QObject::eventFilter(watched, event);
    }
  } watch(&painted);
  QWidget* grid = editor_->PropertyGrid()->viewport();
  grid->installEventFilter(&watch);
  editor_->RuleTree()->setCurrentItem(node);
  for (int round = 0; round < 100 && !painted; ++round) QApplication::processEvents();
  grid->removeEventFilter(&watch);
  return painted;
}

void RuleClickTest::repaintsOnlyTheGridPaneAndTheTwoRows_data() {
  QTest::addColumn<QString>("from");
  QTest::addColumn<QString>("to");
  QTest::addColumn<int>("rows");
  const QString longName = QStringLiteral(".a-selector-long-enough-to-widen-the-tab");
  QTest::newRow("the tab widens") << QStringLiteral("a") << longName << 2;
  QTest::newRow("the tab narrows") << longName << QStringLiteral("a") << 1;
  QTest::newRow("a rule in a block") << QStringLiteral("a") << QStringLiteral("h1") << 1;
  QTest::newRow("the scroll bar comes") << QStringLiteral("a") << QStringLiteral(".many") << 60;
  QTest::newRow("the scroll bar goes") << QStringLiteral(".many") << longName << 2;
}

void RuleClickTest::repaintsOnlyTheGridPaneAndTheTwoRows() {
  QFETCH(QString, from);
  QFETCH(QString, to);
  QFETCH(int, rows);
  QTreeWidget* tree = editor_->RuleTree();
  QTreeWidgetItem* fromNode = editor_->FindNode(from);
  QTreeWidgetItem* toNode = editor_->FindNode(to);
  QVERIFY(fromNode && toNode);
  QVERIFY(Click(fromNode));

  std::map<QWidget*, PaintRecorder::Paints> painted;
  {
    PaintRecorder recorder;
    QVERIFY(Click(toNode));
    // What the view leaves for later is part of the click.
    QTest::qWait(30);
    painted = recorder.painted;
  }
  QCOMPARE(editor_->PropertyGrid()->RowCount(), rows);
  // Once: a layout left for after the first paint would paint it again.
  QCOMPARE(painted[editor_->PropertyGrid()->viewport()].events, 1);

  // The tree repaints the rows that lost and gained the selection.
  const auto row = [tree](QTreeWidgetItem* node) {
    const QRect item = tree->visualItemRect(node);
    return InWindow(tree->viewport(), QRect(0, item.top(), tree->viewport()->width(), item.height()));
  };
  const QRegion rowsChanged = QRegion(row(fromNode)) + row(toNode);
  // Anything else paints within the grid's pane (the tab widget whose tab
  // names the rule), the widgets behind it included.
  QWidget* pane = editor_->PropertyGrid()->parentWidget();
  while (pane && !qobject_cast<QTabWidget*>(pane)) pane = pane->parentWidget();
  QVERIFY(pane);
  const QRect paneArea = InWindow(pane, pane->rect());
  for (const auto& [widget, paints] : painted) {
    const bool inTree = widget == tree->viewport();
    const QRegion outside = paints.region - (inTree ? rowsChanged : QRegion(paneArea));
    QVERIFY2(outside.isEmpty(), qPrintable(QStringLiteral("%1 \"%2\" painted outside %3")
                                               .arg(QString::fromLatin1(widget->metaObject()->className()),
                                                    widget->objectName(),
                                                    inTree ? QStringLiteral("its two rows")
                                                           : QStringLiteral("the grid's pane"))));
  }

  // What the window shows is what it would show repainted from scratch.
  const QImage shown = pages_->screen()->grabWindow(pages_->winId()).toImage();
  const QImage fresh = pages_->grab().toImage();
  QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), fresh.convertToFormat(QImage::Format_RGB32));
}

}  // namespace korvel

QTEST_MAIN(korvel::RuleClickTest)
#include "ruleclick_test.moc"
