// The folder tree: what a fresh tree has listed, the walk to a path, the
// expand buttons, the drive test, and what a dragged node carries.

#include <QItemSelectionModel>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <memory>

#include "support/shellfixture.h"
#include "shell/gdirtreeview.h"

namespace korvel {

class GDirTreeViewTest final : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    fixture_ = std::make_unique<ShellFixture>();
    tree_ = std::make_unique<GDirTreeView>();
    tree_->SetPlaces(fixture_->Places());
    tree_->SetMediaRoots({fixture_->MediaRoot()});
  }
  void cleanup() {
    tree_.reset();
    fixture_.reset();
  }

  void freshTreeListsTheDesktopOnly();
  void walkListsOnlyTheFoldersOnTheWay();
  void walkThatFailsSelectsNothingNew_data();
  void walkThatFailsSelectsNothingNew();
  void expandButtonOnlyWhereSubFoldersAre();
  void unreadableFolderIsMarkedAndNotExpandable();
  void selectedPathOfRootAndNothingIsEmpty();
  void driveWithoutMediumIsNotReady_data();
  void driveWithoutMediumIsNotReady();
  void draggedNodeCarriesItsFolder();
  void droppedFileUrlsBecomeLocalPaths();

 private:
  [[nodiscard]] QStringList Captions(QTreeWidgetItem* node) const {
    QStringList captions;
    for (int i = 0; i < node->childCount(); ++i) captions << node->child(i)->text(0);
    return captions;
  }

  std::unique_ptr<ShellFixture> fixture_;
  std::unique_ptr<GDirTreeView> tree_;
};

void GDirTreeViewTest::freshTreeListsTheDesktopOnly() {
  tree_->OpenPath({});
  QTreeWidgetItem* root = tree_->RootNode();
  QVERIFY(root);
  QCOMPARE(root->text(0), QStringLiteral("Bureau"));
  QVERIFY(root->isExpanded());
  QCOMPARE(tree_->currentItem(), root);
  QCOMPARE(Captions(root), (QStringList{QStringLiteral("Dossier personnel"), QStringLiteral("Système de fichiers"),
                                        QStringLiteral("USB")}));
  QCOMPARE(tree_->ListedFolders(), QStringList{QString()});
  for (int i = 0; i < root->childCount(); ++i) QVERIFY(!GDirTreeView::IsListed(root->child(i)));
  // a second OpenPath walks the same tree, it does not rebuild it
  tree_->OpenPath(fixture_->Proj());
  QCOMPARE(tree_->RootNode(), root);
}

void GDirTreeViewTest::walkListsOnlyTheFoldersOnTheWay() {
  tree_->OpenPath({});
  const QString proj = fixture_->Proj();
  // without its final "/", through the home place rather than the root
  QVERIFY(tree_->GoToPath(proj.chopped(1)));
  QCOMPARE(tree_->GetSelectedPath(), proj);
  QCOMPARE(tree_->currentItem()->text(0), QStringLiteral("proj"));
  QCOMPARE(tree_->currentItem()->parent()->parent()->text(0), QStringLiteral("Dossier personnel"));
  QCOMPARE(tree_->ListedFolders(), (QStringList{QString(), fixture_->Home(), fixture_->Path(QStringLiteral("home/www/")), proj}));
  QCOMPARE(Captions(tree_->currentItem()), QStringList{QStringLiteral("img")});
  // a folder of the fixture's root itself goes through the root place
  QVERIFY(tree_->GoToPath(fixture_->Path(QStringLiteral("media/cdrom/"))));
  QCOMPARE(tree_->currentItem()->parent()->parent()->text(0), QStringLiteral("Système de fichiers"));
}

void GDirTreeViewTest::walkThatFailsSelectsNothingNew_data() {
  QTest::addColumn<QString>("below");
  QTest::newRow("missing folder") << QStringLiteral("home/www/nowhere/");
  QTest::newRow("other letter case") << QStringLiteral("home/WWW/proj/");
  QTest::newRow("hidden folder") << QStringLiteral("home/.hidden/inner/");
  QTest::newRow("a file") << QStringLiteral("home/www/proj/index.html");
}

void GDirTreeViewTest::walkThatFailsSelectsNothingNew() {
  QFETCH(QString, below);
  tree_->OpenPath({});
  QVERIFY(tree_->GoToPath(fixture_->Path(QStringLiteral("home/docs/"))));
  QTreeWidgetItem* before = tree_->currentItem();
  QVERIFY(!tree_->GoToPath(fixture_->Path(below)));
  QCOMPARE(tree_->currentItem(), before);
  QVERIFY(!tree_->GoToPath(QStringLiteral("/somewhere/outside/the/places/")));
  QCOMPARE(tree_->currentItem(), before);
}

void GDirTreeViewTest::expandButtonOnlyWhereSubFoldersAre() {
  tree_->OpenPath(fixture_->Path(QStringLiteral("home/www/")));
  QTreeWidgetItem* www = tree_->currentItem();
  QCOMPARE(Captions(www), (QStringList{QStringLiteral("empty"), QStringLiteral("proj")}));
  QCOMPARE(www->child(0)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
  QCOMPARE(www->child(1)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
  // hidden folders are not listed, nor their content
  QCOMPARE(Captions(www->parent()), (QStringList{QStringLiteral("docs"), QStringLiteral("www")}));
  // img holds files only: once its parent is listed, it has no button
  tree_->GoToPath(fixture_->Proj());
  QCOMPARE(tree_->currentItem()->child(0)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
  // the children are listed once, on the first expansion
  const qsizetype listed = tree_->ListedFolders().size();
  www->setExpanded(false);
  www->setExpanded(true);
  QCOMPARE(tree_->ListedFolders().size(), listed);
}

void GDirTreeViewTest::unreadableFolderIsMarkedAndNotExpandable() {
  const QString www = fixture_->Path(QStringLiteral("home/www/"));
  tree_->SetFolderAccess([www](const QString& folder) { return folder != www; });
  tree_->OpenPath(fixture_->Home());
  QTreeWidgetItem* node = tree_->NodeOf(www);
  QVERIFY(node);
  QCOMPARE(node->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
  QCOMPARE(node->toolTip(0), QStringLiteral("Korvel n'a pas le droit de lire ce dossier."));
  QVERIFY(tree_->NodeOf(fixture_->Path(QStringLiteral("home/docs/")))->toolTip(0).isEmpty());
}

void GDirTreeViewTest::selectedPathOfRootAndNothingIsEmpty() {
  QCOMPARE(tree_->GetSelectedPath(), QString());
  tree_->OpenPath({});
  QCOMPARE(tree_->GetSelectedPath(), QString());
  tree_->setCurrentItem(tree_->RootNode()->child(0));
  QCOMPARE(tree_->GetSelectedPath(), fixture_->Home());
}

void GDirTreeViewTest::driveWithoutMediumIsNotReady_data() {
  QTest::addColumn<QString>("below");
  QTest::addColumn<bool>("ready");
  QTest::newRow("empty drive") << QStringLiteral("media/cdrom/") << false;
  QTest::newRow("empty drive without its slash") << QStringLiteral("media/cdrom") << false;
  QTest::newRow("medium with files") << QStringLiteral("media/ann/USB/") << true;
  QTest::newRow("user folder holding a medium") << QStringLiteral("media/ann/") << true;
  QTest::newRow("folder deeper than a mount place") << QStringLiteral("media/ann/USB/x/y/") << true;
  QTest::newRow("empty folder elsewhere") << QStringLiteral("home/docs/") << true;
}

void GDirTreeViewTest::driveWithoutMediumIsNotReady() {
  QFETCH(QString, below);
  QFETCH(bool, ready);
  QCOMPARE(tree_->IsDriveReady(fixture_->Path(below)), ready);
}

void GDirTreeViewTest::draggedNodeCarriesItsFolder() {
  tree_->OpenPath(fixture_->Proj());
  QVERIFY(tree_->dragEnabled());
  const QModelIndexList selected = tree_->selectionModel()->selectedIndexes();
  QCOMPARE(selected.size(), 1);
  std::unique_ptr<QMimeData> data(tree_->model()->mimeData(selected));
  QVERIFY(data);
  QCOMPARE(data->urls(), QList<QUrl>{QUrl::fromLocalFile(fixture_->Proj())});
  QCOMPARE(QString::fromUtf8(data->data(QLatin1String(kFolderNodeMimeType))), fixture_->Proj());
  QCOMPARE(FolderNodeOf(data.get()), fixture_->Proj());
  QCOMPARE(LocalPathsOf(data.get()), QStringList{fixture_->Proj()});
  // the desktop node is no folder: it gives no drag
  tree_->setCurrentItem(tree_->RootNode());
  std::unique_ptr<QMimeData> none(tree_->model()->mimeData(tree_->selectionModel()->selectedIndexes()));
  QVERIFY(!none);
}

void GDirTreeViewTest::droppedFileUrlsBecomeLocalPaths() {
  QMimeData dropped;
  const QString page = fixture_->Proj() + QStringLiteral("index.html");
  dropped.setUrls({QUrl::fromLocalFile(page), QUrl(QStringLiteral("https://example.org/a.css")),
                   QUrl::fromLocalFile(fixture_->Proj().chopped(1))});
  QCOMPARE(LocalPathsOf(&dropped), (QStringList{page, fixture_->Proj()}));
  QCOMPARE(FolderNodeOf(&dropped), QString());
  QCOMPARE(LocalPathsOf(nullptr), QStringList());
}

}  // namespace korvel

QTEST_MAIN(korvel::GDirTreeViewTest)
#include "gdirtreeview_test.moc"
