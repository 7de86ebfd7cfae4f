// The explorer pane: tree, view and path box kept in step, the view-mode
// menu and its check marks, the up button, the path box, and the mode kept
// for the settings file.

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

#include "support/guitestsupport.h"
#include "support/shellfixture.h"
#include "shell/gdirtreeview.h"
#include "shell/gexplorer.h"

namespace korvel {

namespace {

// A pane as the window builds one: three panels, the handlers attached.
struct Pane {
  explicit Pane(const ShellFixture& fixture) {
    auto* layout = new QVBoxLayout(&window);
    for (QWidget* panel : {&toolBarPanel, &treePanel, &viewPanel}) layout->addWidget(panel);
    explorer.SetPlaces(fixture.Places());
    explorer.CreateTree(&treePanel);
    explorer.Tree()->SetMediaRoots({fixture.MediaRoot()});
    QObject::connect(explorer.Tree(), &GDirTreeView::MouseUp, &explorer, [this] { explorer.PaneTreeMouseUp(); });
    explorer.CreateView(&viewPanel);
    QObject::connect(explorer.View(), &TFolderView::OnPathChanged, &explorer,
                     [this] { pathTexts << explorer.PanePathChanged(); });
    explorer.CreateToolBar(&toolBarPanel);
    window.resize(900, 700);
  }

  QStringList Checked() const {
    QStringList checked;
    for (QAction* item : explorer.ViewModeMenu()->actions())
      if (item->isChecked()) checked << item->text();
    return checked;
  }
  void OpenMenu() {
    emit explorer.ViewModeMenu()->aboutToShow();
  }
  void ClickNode(QTreeWidgetItem* node) {
    QTreeWidget* tree = explorer.Tree();
    QCoreApplication::processEvents();  // what the last click left to do
    for (QTreeWidgetItem* up = node->parent(); up; up = up->parent()) up->setExpanded(true);
    tree->scrollToItem(node);
    QCoreApplication::processEvents();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
  }

  QWidget window;
  QWidget toolBarPanel;
  QWidget treePanel;
  QWidget viewPanel;
  GExplorer explorer;
  QStringList pathTexts;
};

}  // namespace

class GExplorerTest final : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    fixture_ = std::make_unique<ShellFixture>();
    messages_ = std::make_unique<MessageRecorder>();
    pane_ = std::make_unique<Pane>(*fixture_);
    pane_->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane_->window));
  }
  void cleanup() {
    pane_.reset();
    messages_.reset();
    fixture_.reset();
  }

  void newPaneShowsTheDesktopEverywhere();
  void menuChecksTheModeOfItsOwnPane_data();
  void menuChecksTheModeOfItsOwnPane();
  void menuItemsSetTheModeOfTheirPaneOnly();
  void clickInTheTreeOpensTheFolderInTheView();
  void clickOnADriveWithoutMediumChangesNothing();
  void folderOpenedInTheViewIsFollowedByTheTree();
  void upButtonClimbsToTheDesktop();
  void pathBoxNavigatesOnEnter();
  void pathBoxCompletesFolderNames();
  void viewModeIsKeptForTheSettingsFile_data();
  void viewModeIsKeptForTheSettingsFile();

 private:
  GExplorer& Explorer() { return pane_->explorer; }

  std::unique_ptr<ShellFixture> fixture_;
  std::unique_ptr<MessageRecorder> messages_;
  std::unique_ptr<Pane> pane_;
};

void GExplorerTest::newPaneShowsTheDesktopEverywhere() {
  QVERIFY(Explorer().View()->IsDesktop());
  QCOMPARE(Explorer().Tree()->currentItem(), Explorer().Tree()->RootNode());
  QCOMPARE(pane_->pathTexts, QStringList());  // the view showed the desktop before the handler was attached
  // the tool bar's order: mode button, separator, up button, path box
  const QList<QAction*> actions = Explorer().ToolBar()->actions();
  QCOMPARE(actions.size(), 4);
  QCOMPARE(Explorer().ToolBar()->widgetForAction(actions[0]), Explorer().ViewModeButton());
  QCOMPARE(Explorer().ToolBar()->widgetForAction(actions[2]), Explorer().UpButton());
  QCOMPARE(Explorer().ToolBar()->widgetForAction(actions[3]), Explorer().PathEdit());
  QStringList captions;
  for (QAction* item : Explorer().ViewModeMenu()->actions()) captions << item->text();
  QCOMPARE(captions, (QStringList{QStringLiteral("Icônes"), QStringLiteral("Liste"), QStringLiteral("Détails"),
                                  QStringLiteral("Miniatures"), QStringLiteral("Mosaïques")}));
}

void GExplorerTest::menuChecksTheModeOfItsOwnPane_data() {
  QTest::addColumn<int>("mode");
  QTest::addColumn<QStringList>("checked");
  QTest::newRow("icons") << int{vmIcons} << QStringList{QStringLiteral("Icônes")};
  QTest::newRow("small icons: no item") << int{vmSmallIcons} << QStringList{};
  QTest::newRow("list") << int{vmList} << QStringList{QStringLiteral("Liste")};
  QTest::newRow("details") << int{vmDetails} << QStringList{QStringLiteral("Détails")};
  QTest::newRow("thumbnails") << int{vmThumbnails} << QStringList{QStringLiteral("Miniatures")};
  QTest::newRow("tiles") << int{vmTiles} << QStringList{QStringLiteral("Mosaïques")};
}

void GExplorerTest::menuChecksTheModeOfItsOwnPane() {
  QFETCH(int, mode);
  QFETCH(QStringList, checked);
  // a mark left from an earlier opening goes
  Explorer().SetViewMode(vmDetails);
  pane_->OpenMenu();
  Explorer().View()->SetViewMode(static_cast<TViewMode>(mode));
  pane_->OpenMenu();
  QCOMPARE(pane_->Checked(), checked);
}

void GExplorerTest::menuItemsSetTheModeOfTheirPaneOnly() {
  Pane images(*fixture_);
  images.explorer.SetViewMode(vmThumbnails);
  images.OpenMenu();
  QCOMPARE(images.Checked(), QStringList{QStringLiteral("Miniatures")});
  images.explorer.ViewModeMenu()->actions().at(2)->trigger();  // "Détails"
  QCOMPARE(images.explorer.ViewMode(), vmDetails);
  QCOMPARE(Explorer().ViewMode(), vmIcons);
  pane_->OpenMenu();
  QCOMPARE(pane_->Checked(), QStringList{QStringLiteral("Icônes")});
}

void GExplorerTest::clickInTheTreeOpensTheFolderInTheView() {
  GDirTreeView* tree = Explorer().Tree();
  QTreeWidgetItem* home = tree->RootNode()->child(0);
  pane_->ClickNode(home);
  QCOMPARE(Explorer().View()->Path(), fixture_->Home());
  QVERIFY(!Explorer().View()->SyncTree());
  QCOMPARE(Explorer().PathEdit()->text(), fixture_->Home());
  QCOMPARE(pane_->pathTexts, QStringList{fixture_->Home()});
  // the desktop node shows the desktop, its caption in the path box
  pane_->ClickNode(tree->RootNode());
  QVERIFY(Explorer().View()->IsDesktop());
  QCOMPARE(Explorer().PathEdit()->text(), QStringLiteral("Bureau/"));
  QVERIFY(tree->RootNode()->isExpanded());
}

void GExplorerTest::clickOnADriveWithoutMediumChangesNothing() {
  GDirTreeView* tree = Explorer().Tree();
  QVERIFY(tree->GoToPath(fixture_->Path(QStringLiteral("media/cdrom/"))));
  QTreeWidgetItem* cdrom = tree->currentItem();
  pane_->ClickNode(tree->RootNode()->child(0));
  QCOMPARE(Explorer().View()->Path(), fixture_->Home());
  const QStringList before = pane_->pathTexts;
  pane_->ClickNode(cdrom);
  QCOMPARE(tree->currentItem(), cdrom);
  QCOMPARE(Explorer().View()->Path(), fixture_->Home());
  QCOMPARE(pane_->pathTexts, before);
  QVERIFY(messages_->shown.empty());
}

void GExplorerTest::folderOpenedInTheViewIsFollowedByTheTree() {
  Explorer().View()->SetPath(fixture_->Path(QStringLiteral("home/www/")));
  QCOMPARE(Explorer().Tree()->GetSelectedPath(), fixture_->Path(QStringLiteral("home/www/")));
  Explorer().View()->SetSyncTree(false);
  Explorer().View()->OpenItem(fixture_->Proj());
  QCOMPARE(Explorer().Tree()->GetSelectedPath(), fixture_->Proj());
  QCOMPARE(Explorer().PathEdit()->text(), fixture_->Proj());
  // a hidden folder is not in the tree: the path box still shows the view's
  const QString hidden = fixture_->Path(QStringLiteral("home/.hidden/"));
  Explorer().View()->OpenItem(hidden);
  QCOMPARE(Explorer().PathEdit()->text(), hidden);
  QCOMPARE(Explorer().Tree()->GetSelectedPath(), fixture_->Proj());
}

void GExplorerTest::upButtonClimbsToTheDesktop() {
  Explorer().View()->SetPath(fixture_->Proj());
  QTest::mouseClick(Explorer().UpButton(), Qt::LeftButton);
  QCOMPARE(Explorer().View()->Path(), fixture_->Path(QStringLiteral("home/www/")));
  QCOMPARE(Explorer().Tree()->GetSelectedPath(), fixture_->Path(QStringLiteral("home/www/")));
  QCOMPARE(Explorer().PathEdit()->text(), fixture_->Path(QStringLiteral("home/www/")));
  Explorer().View()->SetPath(QStringLiteral("/"));
  QSignalSpy changed(Explorer().View(), &TFolderView::OnPathChanged);
  QTest::mouseClick(Explorer().UpButton(), Qt::LeftButton);
  QVERIFY(Explorer().View()->IsDesktop());
  QCOMPARE(Explorer().Tree()->currentItem(), Explorer().Tree()->RootNode());
  // at the desktop the button does nothing
  QTest::mouseClick(Explorer().UpButton(), Qt::LeftButton);
  QCOMPARE(changed.size(), 1);
}

void GExplorerTest::pathBoxNavigatesOnEnter() {
  QLineEdit* box = Explorer().PathEdit();
  box->setText(fixture_->Proj().chopped(1));
  QTest::keyClick(box, Qt::Key_Return);
  QCOMPARE(Explorer().View()->Path(), fixture_->Proj());
  QCOMPARE(box->text(), fixture_->Proj());
  QCOMPARE(Explorer().Tree()->GetSelectedPath(), fixture_->Proj());
  // a folder that is not there: one message, and the box shows the folder again
  box->setText(fixture_->Path(QStringLiteral("home/nowhere")));
  QTest::keyClick(box, Qt::Key_Return);
  QCOMPARE(messages_->shown.size(), 1u);
  QVERIFY(messages_->Saw("il n'existe pas"));
  QCOMPARE(Explorer().View()->Path(), fixture_->Proj());
  QCOMPARE(box->text(), fixture_->Proj());
  // a name alone is a folder inside the one shown
  box->setText(QStringLiteral("img"));
  QTest::keyClick(box, Qt::Key_Return);
  QCOMPARE(Explorer().View()->Path(), fixture_->Proj() + QStringLiteral("img/"));
  box->setText(QStringLiteral("../.."));
  QTest::keyClick(box, Qt::Key_Return);
  QCOMPARE(Explorer().View()->Path(), fixture_->Path(QStringLiteral("home/www/")));
  // the desktop's caption is the desktop
  box->setText(QStringLiteral("Bureau/"));
  QTest::keyClick(box, Qt::Key_Return);
  QVERIFY(Explorer().View()->IsDesktop());
  QCOMPARE(box->text(), QStringLiteral("Bureau/"));
}

void GExplorerTest::pathBoxCompletesFolderNames() {
  QLineEdit* box = Explorer().PathEdit();
  QCompleter* completer = box->completer();
  QVERIFY(completer);
  box->setFocus();
  box->clear();
  QTest::keyClicks(box, fixture_->Path(QStringLiteral("home/www/p")));
  QCOMPARE(completer->completionCount(), 1);
  QCOMPARE(completer->currentCompletion(), fixture_->Path(QStringLiteral("home/www/proj/")));
  // files and hidden folders are not offered
  QTest::keyClicks(box, QStringLiteral("roj/"));
  QCOMPARE(completer->completionCount(), 1);
  QCOMPARE(completer->currentCompletion(), fixture_->Proj() + QStringLiteral("img/"));
  box->clear();
  QTest::keyClicks(box, fixture_->Home());
  QCOMPARE(completer->completionCount(), 2);
  // "~/…" completes in the home folder, keeping the "~"
  const QByteArray home = qgetenv("HOME");
  qputenv("HOME", fixture_->Path(QStringLiteral("home")).toLocal8Bit());
  const auto restoreHome = qScopeGuard([&home] { qputenv("HOME", home); });
  box->clear();
  QTest::keyClicks(box, QStringLiteral("~/www/p"));
  QCOMPARE(completer->completionCount(), 1);
  QCOMPARE(completer->currentCompletion(), QStringLiteral("~/www/proj/"));
}

void GExplorerTest::viewModeIsKeptForTheSettingsFile_data() {
  QTest::addColumn<int>("stored");
  QTest::addColumn<int>("mode");
  QTest::newRow("icons") << 0 << int{vmIcons};
  QTest::newRow("details") << 3 << int{vmDetails};
  QTest::newRow("tiles") << 5 << int{vmTiles};
  QTest::newRow("negative") << -1 << int{vmThumbnails};
  QTest::newRow("past the last") << 6 << int{vmThumbnails};
}

void GExplorerTest::viewModeIsKeptForTheSettingsFile() {
  QFETCH(int, stored);
  QFETCH(int, mode);
  const TViewMode read = GExplorer::ViewModeFromNumber(stored, vmThumbnails);
  QCOMPARE(int{read}, mode);
  Explorer().SetViewMode(read);
  QCOMPARE(int{Explorer().ViewMode()}, mode);
  QCOMPARE(int{Explorer().View()->ViewMode()}, mode);
}

}  // namespace korvel

QTEST_MAIN(korvel::GExplorerTest)
#include "gexplorer_test.moc"
