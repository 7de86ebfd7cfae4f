// The folder view: entering folders and the desktop, folders that cannot be
// opened, the modes, selection by path, the three events, opening items,
// sorting in details, and thumbnails made off the window's thread.

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <QVBoxLayout>

#include <memory>

#include "support/guitestsupport.h"
#include "support/shellfixture.h"
#include "shell/foldermodel.h"
#include "shell/folderview.h"
#include "shell/thumbnailprovider.h"

#include <unistd.h>

namespace korvel {

namespace {

QStringList Names(const QStringList& paths) {
  QStringList names;
  for (QString path : paths) {
    const bool folder = path.endsWith(QLatin1Char('/'));
    if (folder) path.chop(1);
    names << path.mid(path.lastIndexOf(QLatin1Char('/')) + 1) + (folder ? QStringLiteral("/") : QString());
  }
  return names;
}

}  // namespace

class FolderViewTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    // Names sort as the user's language does; the tests read them in French.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  }
  void init();
  void cleanup();

  void enteringAFolderListsItsVisibleItemsFoldersFirst();
  void desktopShowsThePlaces();
  void folderThatCannotBeOpenedIsRefusedWithItsReason_data();
  void folderThatCannotBeOpenedIsRefusedWithItsReason();
  void unreadableSubFolderIsMarked();
  void modesAndTheSelectionAcrossThem();
  void selectItemByPath_data();
  void selectItemByPath();
  void focusAndSelectionAreReported();
  void includeHandlerHidesItems();
  void openingAFolderMovesThisView();
  void openingAFileGoesToTheOpener();
  void detailsSortByNameSizeAndDate();
  void thumbnailsAreMadeOffTheWindowThread();
  void folderModelFollowsItsFolder();
  void draggedItemsAreFileAddresses();

 private:
  void Enter(const QString& folder, int expectedItems);
  [[nodiscard]] QStringList All() const {
    QStringList names;
    view_->GetItemsData(names, false);
    return Names(names);
  }

  std::unique_ptr<ShellFixture> fixture_;
  std::unique_ptr<QWidget> window_;
  TFolderView* view_ = nullptr;
  QLineEdit* other_ = nullptr;
  std::unique_ptr<MessageRecorder> messages_;
  QStringList opened_;
};

void FolderViewTest::init() {
  fixture_ = std::make_unique<ShellFixture>();
  messages_ = std::make_unique<MessageRecorder>();
  window_ = std::make_unique<QWidget>();
  auto* layout = new QVBoxLayout(window_.get());
  view_ = new TFolderView(window_.get());
  other_ = new QLineEdit(window_.get());
  layout->addWidget(view_);
  layout->addWidget(other_);
  window_->resize(800, 600);
  view_->SetPlaces(fixture_->Places());
  opened_.clear();
  view_->SetFileOpener([this](const QString& file) {
    opened_ << file;
    return !file.endsWith(QStringLiteral(".txt"));
  });
}

void FolderViewTest::cleanup() {
  window_.reset();
  messages_.reset();
  fixture_.reset();
}

// Enters the folder; its items are there at once.
void FolderViewTest::Enter(const QString& folder, int expectedItems) {
  view_->SetPath(folder);
  QCOMPARE(All().size(), expectedItems);
}

void FolderViewTest::enteringAFolderListsItsVisibleItemsFoldersFirst() {
  QAbstractItemModelTester tester(view_->Items(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  QSignalSpy changed(view_, &TFolderView::OnPathChanged);
  Enter(fixture_->Proj().chopped(1), 4);
  QCOMPARE(view_->Path(), fixture_->Proj());
  QCOMPARE(view_->GetCurrentName(), QStringLiteral("proj"));
  QCOMPARE(changed.size(), 1);
  QCOMPARE(changed.first().first().value<TFolderView*>(), view_);
  // the hidden file is not shown; the folder comes first
  QCOMPARE(All(), (QStringList{QStringLiteral("img/"), QStringLiteral("index.html"), QStringLiteral("notes.txt"),
                               QStringLiteral("styles.css")}));
  // the same folder again is no navigation
  view_->SetPath(fixture_->Proj());
  QCOMPARE(changed.size(), 1);
  // a file made there shows up, and the selection stays
  QVERIFY(view_->SelectItem(fixture_->Proj() + QStringLiteral("notes.txt")));
  ShellFixture::Write(fixture_->Proj() + QStringLiteral("added.css"), "x");
  QTRY_COMPARE(All().size(), 5);
  QCOMPARE(All().at(1), QStringLiteral("added.css"));
  QStringList selected;
  QVERIFY(view_->GetItemsData(selected, true));
  QCOMPARE(Names(selected), QStringList{QStringLiteral("notes.txt")});
  Enter(fixture_->Path(QStringLiteral("home/www/empty/")), 1);
  QCOMPARE(changed.size(), 2);
  QCOMPARE(All(), QStringList{QStringLiteral("only.txt")});
}

void FolderViewTest::desktopShowsThePlaces() {
  QSignalSpy changed(view_, &TFolderView::OnPathChanged);
  view_->SetPath({});
  QVERIFY(view_->IsDesktop());
  QCOMPARE(changed.size(), 1);
  QCOMPARE(view_->GetCurrentName(), QStringLiteral("Bureau"));
  QStringList paths;
  QVERIFY(view_->GetItemsData(paths, false));
  QCOMPARE(paths, (QStringList{fixture_->Home(), fixture_->Path(), fixture_->Path(QStringLiteral("media/ann/USB/"))}));
  // opening a place enters it
  view_->OpenItem(fixture_->Home());
  QCOMPARE(view_->Path(), fixture_->Home());
}

void FolderViewTest::folderThatCannotBeOpenedIsRefusedWithItsReason_data() {
  QTest::addColumn<QString>("below");
  QTest::addColumn<bool>("readable");
  QTest::addColumn<QString>("reason");
  QTest::newRow("missing") << QStringLiteral("home/nowhere/") << true << QStringLiteral("il n'existe pas");
  QTest::newRow("a file") << QStringLiteral("home/www/proj/index.html") << true
                          << QStringLiteral("ce n'est pas un dossier");
  QTest::newRow("not readable") << QStringLiteral("home/docs/") << false
                                << QStringLiteral("Korvel n'a pas le droit de le lire");
}

void FolderViewTest::folderThatCannotBeOpenedIsRefusedWithItsReason() {
  QFETCH(QString, below);
  QFETCH(bool, readable);
  QFETCH(QString, reason);
  const QString refused = fixture_->Path(below);
  if (!readable) view_->SetFolderAccess([refused](const QString& folder) { return folder != refused; });
  Enter(fixture_->Proj(), 4);
  QSignalSpy changed(view_, &TFolderView::OnPathChanged);
  try {
    view_->SetPath(refused);
    QFAIL("no error");
  } catch (const FolderError& error) {
    const QString message = QString::fromUtf8(error.what());
    QVERIFY2(message.startsWith(QStringLiteral("Impossible d'ouvrir")), error.what());
    QVERIFY2(message.contains(reason) && message.contains(QFileInfo(refused).fileName()), error.what());
  }
  QCOMPARE(view_->Path(), fixture_->Proj());
  QCOMPARE(changed.size(), 0);
  // opened from inside the view, the same reason is shown, once
  view_->OpenItem(FolderPath(refused));
  QCOMPARE(messages_->shown.size(), 1u);
  QVERIFY(messages_->Saw(reason.toStdString()));
  QCOMPARE(view_->Path(), fixture_->Proj());
}

void FolderViewTest::unreadableSubFolderIsMarked() {
  // root reads every folder: the permission is real only for other users
  const QString docs = fixture_->Path(QStringLiteral("home/docs/"));
  if (::geteuid() == 0) {
    view_->SetFolderAccess([docs](const QString& folder) { return folder != docs; });
  } else {
    QVERIFY(QFile::setPermissions(docs, QFileDevice::WriteOwner));
  }
  Enter(fixture_->Home(), 2);
  const QModelIndex root = view_->ItemView()->rootIndex();
  QModelIndex docsItem;
  for (int row = 0; row < view_->Items()->rowCount(root); ++row)
    if (view_->Items()->index(row, 0, root).data().toString() == QStringLiteral("docs"))
      docsItem = view_->Items()->index(row, 0, root);
  QVERIFY(docsItem.isValid());
  QCOMPARE(docsItem.data(Qt::ToolTipRole).toString(), QStringLiteral("Korvel n'a pas le droit de lire ce dossier."));
  QVERIFY(!view_->Items()->index(1 - docsItem.row(), 0, root).data(Qt::ToolTipRole).isValid());
  view_->OpenItem(docs);
  QVERIFY(messages_->Saw("n'a pas le droit"));
  QCOMPARE(view_->Path(), fixture_->Home());
  QFile::setPermissions(docs, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void FolderViewTest::modesAndTheSelectionAcrossThem() {
  // a mode set before the first folder holds for it
  view_->SetViewMode(vmDetails);
  Enter(fixture_->Proj(), 4);
  QVERIFY(qobject_cast<QTreeView*>(view_->ItemView()));
  QVERIFY(view_->SelectItem(fixture_->Proj() + QStringLiteral("styles.css")));
  struct Expected {
    TViewMode mode;
    QListView::ViewMode kind;
    QListView::Flow flow;
    int icon;
  };
  for (const Expected& expected : {Expected{vmIcons, QListView::IconMode, QListView::LeftToRight, 48},
                                   Expected{vmSmallIcons, QListView::ListMode, QListView::LeftToRight, 16},
                                   Expected{vmList, QListView::ListMode, QListView::TopToBottom, 16},
                                   Expected{vmThumbnails, QListView::IconMode, QListView::LeftToRight, 96},
                                   Expected{vmTiles, QListView::ListMode, QListView::LeftToRight, 48}}) {
    view_->SetViewMode(expected.mode);
    QCOMPARE(view_->ViewMode(), expected.mode);
    auto* list = qobject_cast<QListView*>(view_->ItemView());
    QVERIFY(list);
    QVERIFY(list->isVisibleTo(window_.get()));
    QCOMPARE(list->viewMode(), expected.kind);
    QCOMPARE(list->flow(), expected.flow);
    QCOMPARE(list->iconSize(), QSize(expected.icon, expected.icon));
    QStringList selected;
    QVERIFY(view_->GetItemsData(selected, true));
    QCOMPARE(Names(selected), QStringList{QStringLiteral("styles.css")});
  }
  // tiles show the kind or the size under the name
  const QModelIndex root = view_->ItemView()->rootIndex();
  QCOMPARE(view_->Items()->index(0, 0, root).data().toString(), QStringLiteral("img\nDossier"));
}

void FolderViewTest::selectItemByPath_data() {
  QTest::addColumn<QString>("path");
  QTest::addColumn<QString>("selected");
  QTest::newRow("file") << QStringLiteral("styles.css") << QStringLiteral("styles.css");
  QTest::newRow("folder with its slash") << QStringLiteral("img/") << QStringLiteral("img/");
  QTest::newRow("folder without its slash") << QStringLiteral("img") << QStringLiteral("img/");
  QTest::newRow("hidden file") << QStringLiteral(".secret") << QString();
  QTest::newRow("file of another folder") << QStringLiteral("../empty/only.txt") << QString();
  QTest::newRow("missing file") << QStringLiteral("nothing.css") << QString();
}

void FolderViewTest::selectItemByPath() {
  QFETCH(QString, path);
  QFETCH(QString, selected);
  Enter(fixture_->Proj(), 4);
  QVERIFY(view_->SelectItem(fixture_->Proj() + QStringLiteral("index.html")));
  QCOMPARE(view_->SelectItem(fixture_->Proj() + path), !selected.isEmpty());
  QStringList names;
  QVERIFY(view_->GetItemsData(names, true));
  QCOMPARE(Names(names), QStringList{selected.isEmpty() ? QStringLiteral("index.html") : selected});
  if (!selected.isEmpty()) QCOMPARE(view_->ItemView()->currentIndex().data().toString(), QString(selected).remove(QLatin1Char('/')));
}

void FolderViewTest::focusAndSelectionAreReported() {
  window_->show();
  QApplication::setActiveWindow(window_.get());
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  Enter(fixture_->Proj(), 4);
  other_->setFocus();
  QTRY_VERIFY(other_->hasFocus());
  QSignalSpy states(view_, &TFolderView::OnStateChanged);
  view_->ItemView()->setFocus();
  QTRY_COMPARE(states.size(), 1);
  QCOMPARE(states.at(0).at(1).toInt(), 0);
  view_->SelectItem(fixture_->Proj() + QStringLiteral("index.html"));
  QCOMPARE(states.size(), 2);
  QCOMPARE(states.at(1).at(1).toInt(), 2);
  other_->setFocus();
  QTRY_COMPARE(states.size(), 3);
  QCOMPARE(states.at(2).at(1).toInt(), 1);
  // no selection yet: nothing to give
  Enter(fixture_->Path(QStringLiteral("home/www/empty/")), 1);
  QStringList names{QStringLiteral("kept")};
  QVERIFY(!view_->GetItemsData(names, true));
  QCOMPARE(names, QStringList{QStringLiteral("kept")});
}

void FolderViewTest::includeHandlerHidesItems() {
  QAbstractItemModelTester tester(view_->Items(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  QStringList asked;
  view_->SetOnCanIncludeItem([&asked, this](TFolderView& sender, const QString& path, bool& include) {
    QCOMPARE(&sender, view_);
    asked << path;
    if (path.endsWith(QStringLiteral(".css"))) include = false;
  });
  Enter(fixture_->Proj(), 3);
  QCOMPARE(All(), (QStringList{QStringLiteral("img/"), QStringLiteral("index.html"), QStringLiteral("notes.txt")}));
  QVERIFY(asked.contains(fixture_->Proj() + QStringLiteral("img/")));
  // a handler that leaves include alone hides nothing
  view_->SetOnCanIncludeItem([](TFolderView&, const QString&, bool&) {});
  QCOMPARE(All().size(), 4);
  // the desktop's places go through the handler too
  view_->SetOnCanIncludeItem([this](TFolderView&, const QString& path, bool& include) {
    include = path != fixture_->Path();
  });
  view_->SetPath({});
  QCOMPARE(view_->Items()->rowCount(), 2);
}

void FolderViewTest::openingAFolderMovesThisView() {
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  Enter(fixture_->Path(QStringLiteral("home/www/")), 2);
  QSignalSpy changed(view_, &TFolderView::OnPathChanged);
  view_->SetSyncTree(false);
  // a double-click on a folder
  QAbstractItemView* items = view_->ItemView();
  const QModelIndex proj = items->model()->index(1, 0, items->rootIndex());
  QCOMPARE(proj.data().toString(), QStringLiteral("proj"));
  items->scrollTo(proj);
  const QPoint point = items->visualRect(proj).center();
  QTest::mouseClick(items->viewport(), Qt::LeftButton, {}, point);
  QTest::mouseDClick(items->viewport(), Qt::LeftButton, {}, point);
  QCOMPARE(view_->Path(), fixture_->Proj());
  QCOMPARE(changed.size(), 1);
  QVERIFY(view_->SyncTree());
  // Enter on a selected folder
  QTRY_COMPARE(All().size(), 4);
  view_->SelectItem(fixture_->Proj() + QStringLiteral("img/"));
  QTest::keyClick(items, Qt::Key_Return);
  QCOMPARE(view_->Path(), fixture_->Proj() + QStringLiteral("img/"));
  QCOMPARE(changed.size(), 2);
  QVERIFY(opened_.isEmpty());
}

void FolderViewTest::openingAFileGoesToTheOpener() {
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  Enter(fixture_->Proj(), 4);
  const QString page = fixture_->Proj() + QStringLiteral("index.html");
  QVERIFY(view_->SelectItem(page));
  QTest::keyClick(view_->ItemView(), Qt::Key_Return);
  QCOMPARE(opened_, QStringList{page});
  QCOMPARE(view_->Path(), fixture_->Proj());
  QVERIFY(messages_->shown.empty());
  // nothing could open it: the user is told
  view_->OpenItem(fixture_->Proj() + QStringLiteral("notes.txt"));
  QCOMPARE(messages_->shown.size(), 1u);
  QVERIFY(messages_->Saw("Aucun programme ne peut ouvrir le fichier"));
  // A view its owner gave no opener starts nothing of its own, and says so.
  const QStringList openedBefore = opened_;
  view_->SetFileOpener({});
  view_->OpenItem(page);
  QCOMPARE(opened_, openedBefore);
  QCOMPARE(messages_->shown.size(), 2u);
}

void FolderViewTest::detailsSortByNameSizeAndDate() {
  const QString folder = fixture_->Path(QStringLiteral("home/www/sorted/"));
  QDir().mkpath(folder + QStringLiteral("sub"));
  const QDateTime now = QDateTime::currentDateTime();
  struct File {
    const char* name;
    int bytes;
    int daysAgo;
  };
  for (const File& file : {File{"b10.css", 30, 1}, File{"a.css", 10, 3}, File{"b9.css", 20, 2}}) {
    const QString path = folder + QString::fromLatin1(file.name);
    ShellFixture::Write(path, QByteArray(file.bytes, 'x'));
    QFile handle(path);
    QVERIFY(handle.open(QIODevice::ReadWrite));
    QVERIFY(handle.setFileTime(now.addDays(-file.daysAgo), QFileDevice::FileModificationTime));
  }
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  view_->SetViewMode(vmDetails);
  Enter(folder, 4);
  const QString sub = QStringLiteral("sub/");
  QCOMPARE(All(), (QStringList{sub, QStringLiteral("a.css"), QStringLiteral("b9.css"), QStringLiteral("b10.css")}));
  auto* details = qobject_cast<QTreeView*>(view_->ItemView());
  QVERIFY(details);
  QCOMPARE(details->model()->headerData(fcModified, Qt::Horizontal).toString(), QStringLiteral("Modifié le"));
  // folders stay first whichever way a column is sorted
  struct Case {
    FolderColumn column;
    Qt::SortOrder order;
    QStringList expected;
  };
  for (const Case& sorted :
       {Case{fcSize, Qt::DescendingOrder, {sub, QStringLiteral("b10.css"), QStringLiteral("b9.css"), QStringLiteral("a.css")}},
        Case{fcSize, Qt::AscendingOrder, {sub, QStringLiteral("a.css"), QStringLiteral("b9.css"), QStringLiteral("b10.css")}},
        Case{fcModified, Qt::AscendingOrder, {sub, QStringLiteral("a.css"), QStringLiteral("b9.css"), QStringLiteral("b10.css")}},
        Case{fcModified, Qt::DescendingOrder, {sub, QStringLiteral("b10.css"), QStringLiteral("b9.css"), QStringLiteral("a.css")}},
        Case{fcName, Qt::DescendingOrder, {sub, QStringLiteral("b10.css"), QStringLiteral("b9.css"), QStringLiteral("a.css")}}}) {
    view_->SortBy(sorted.column, sorted.order);
    QCOMPARE(All(), sorted.expected);
    QCOMPARE(details->header()->sortIndicatorSection(), static_cast<int>(sorted.column));
  }
  // a click on a column header sorts too
  QTest::mouseClick(details->header()->viewport(), Qt::LeftButton, {},
                    QPoint(details->header()->sectionViewportPosition(fcSize) + 5, 5));
  QCOMPARE(details->header()->sortIndicatorSection(), static_cast<int>(fcSize));
  QCOMPARE(All().size(), 4);
  QCOMPARE(All().at(1), details->header()->sortIndicatorOrder() == Qt::AscendingOrder ? QStringLiteral("a.css")
                                                                                       : QStringLiteral("b10.css"));
}

void FolderViewTest::thumbnailsAreMadeOffTheWindowThread() {
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  QSignalSpy made(&view_->Thumbnails(), &ThumbnailProvider::ThumbnailReady);
  view_->SetViewMode(vmThumbnails);
  Enter(fixture_->Proj() + QStringLiteral("img/"), 2);
  QTRY_COMPARE(made.size(), 2);
  QCOMPARE(view_->Thumbnails().PendingCount(), 0);
  const QModelIndex root = view_->ItemView()->rootIndex();
  const QModelIndex broken = view_->Items()->index(0, 0, root);
  const QModelIndex photo = view_->Items()->index(1, 0, root);
  QCOMPARE(photo.data().toString(), QStringLiteral("photo.png"));
  // the picture itself, scaled down into the square
  const QPixmap thumbnail = photo.data(Qt::DecorationRole).value<QIcon>().pixmap(96, 96);
  QCOMPARE(thumbnail.size(), QSize(96, 72));
  QCOMPARE(thumbnail.toImage().pixelColor(48, 36), QColor(10, 200, 30));
  // a file that is no picture keeps its file icon and is not tried again
  QVERIFY(!broken.data(Qt::DecorationRole).value<QIcon>().isNull());
  QCOMPARE(made.size(), 2);
  QCOMPARE(view_->Thumbnails().PendingCount(), 0);

  // asking never waits: the answer is "not yet" until the worker is done
  ThumbnailProvider provider(32);
  QSignalSpy ready(&provider, &ThumbnailProvider::ThumbnailReady);
  const QString path = fixture_->Proj() + QStringLiteral("img/photo.png");
  const QDateTime date = QFileInfo(path).lastModified();
  QVERIFY(provider.Thumbnail(path, date).isNull());
  QCOMPARE(provider.PendingCount(), 1);
  QVERIFY(ready.wait());
  QCOMPARE(provider.Thumbnail(path, date).size(), QSize(32, 24));
  // a newer date of the file makes it again
  QVERIFY(provider.Thumbnail(path, date.addSecs(5)).isNull());
  QVERIFY(ready.wait());
}

void FolderViewTest::folderModelFollowsItsFolder() {
  FolderModel files;
  QAbstractItemModelTester tester(&files, QAbstractItemModelTester::FailureReportingMode::QtTest);
  files.SetFolder(fixture_->Proj());
  QCOMPARE(files.rowCount(), 4);
  const int img = files.RowOf(fixture_->Proj() + QStringLiteral("img/"));
  QVERIFY(img >= 0);
  QVERIFY(files.index(img, 0).data(FolderModel::IsFolderRole).toBool());
  QCOMPARE(files.index(img, fcType).data().toString(), QStringLiteral("Dossier"));
  QCOMPARE(files.RowOf(fixture_->Proj() + QStringLiteral(".secret")), -1);
  const int page = files.RowOf(fixture_->Proj() + QStringLiteral("index.html"));
  QCOMPARE(files.index(page, 0).data(FolderModel::SizeRole).toLongLong(), 1);
  QVERIFY(!files.index(page, fcModified).data().toString().isEmpty());
  QFile::remove(fixture_->Proj() + QStringLiteral("notes.txt"));
  QTRY_COMPARE(files.rowCount(), 3);
  files.SetPlaces(fixture_->Places());
  QCOMPARE(files.rowCount(), 3);
  QCOMPARE(files.index(0, 0).data().toString(), QStringLiteral("Dossier personnel"));
  QCOMPARE(files.index(0, 0).data(FolderModel::PathRole).toString(), fixture_->Home());
  // a folder that cannot be read lists nothing
  files.SetFolder(fixture_->Path(QStringLiteral("home/nowhere/")));
  QCOMPARE(files.rowCount(), 0);
}

void FolderViewTest::draggedItemsAreFileAddresses() {
  Enter(fixture_->Proj(), 4);
  QVERIFY(view_->ItemView()->dragEnabled());
  view_->SelectItem(fixture_->Proj() + QStringLiteral("index.html"));
  QItemSelectionModel* selection = view_->ItemView()->selectionModel();
  selection->select(view_->Items()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  std::unique_ptr<QMimeData> data(view_->Items()->mimeData(selection->selectedIndexes()));
  QVERIFY(data);
  QStringList dragged = LocalPathsOf(data.get());
  dragged.sort();
  QCOMPARE(dragged,
           (QStringList{fixture_->Proj() + QStringLiteral("img/"), fixture_->Proj() + QStringLiteral("index.html")}));
}

}  // namespace korvel

QTEST_MAIN(korvel::FolderViewTest)
#include "folderview_test.moc"
