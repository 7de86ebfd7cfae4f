// The "Entrée" page over a small folder tree: picking page and stylesheet in
// the pane's view, entering a project folder, dropping tree folders and files
// from a file manager on the project grid, the local server's box, and "OK"
// storing the project, also when page and stylesheet share no folder but "/".

#include <QAbstractItemView>
#include <QAction>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QScopeGuard>
#include <QUrl>

#include <sys/stat.h>

#include <memory>

#include "app/dmunit.h"
#include "app/mainformunit.h"
#include "app/settingsstore.h"
#include "app/tentrypage.h"
#include "app/tstylesheeteditor.h"
#include "editors/gstringgrid.h"
#include "support/guitestsupport.h"
#include "support/shellfixture.h"
#include "settings/gxmlini.h"
#include "shell/gdirtreeview.h"
#include "shell/gexplorer.h"

namespace korvel {

namespace {

std::string Setting(const QString& file, std::string_view kind) {
  GXMLIni ini;
  ini.Open(file.toStdString());
  return ini.ReadValue(kind);
}

QMimeData* FileUrls(const QStringList& paths) {
  auto* mime = new QMimeData;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  mime->setUrls(urls);
  return mime;
}

}  // namespace

class EntryPageTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init();
  void cleanup();

  void pickingInTheViewFillsTheGrid_data();
  void pickingInTheViewFillsTheGrid();
  void pageThenStylesheetEnablesOK();
  void enteringAProjectFolderRefillsTheGrid();
  void unreadableFolderIsSaidAndLeavesTheGrid();
  void treeFolderDrops_data();
  void treeFolderDrops();
  void folderOfAnotherTreeIsRefused();
  void filesFromAFileManager_data();
  void filesFromAFileManager();
  void pageAndStylesheetDroppedEnableOK();
  void serverBoxAsksForTheFolder();
  void okStoresTheProject();
  void onlyRootInCommonAsksForTheFolder_data();
  void onlyRootInCommonAsksForTheFolder();
  void pageStaysPickedInASubFolder();
  void newProjectHasItsOwnImagesFolder();
  void viewModeIsKeptPerProject();
  void readmeStepsOpenOwnProject();

 private:
  void Enter(const QString& folder) { page_->Explorer()->View()->SetPath(folder); }
  void Select(const QString& path) { QVERIFY2(page_->Explorer()->View()->SelectItem(path), qPrintable(path)); }
  /// Clicks an item of the view by its name, as the user picks it; twice
  /// enters a folder. The page's own pane unless another is given.
  void ClickItem(const QString& name, GExplorer* pane = nullptr, bool twice = false);
  QString Cell(int row) const { return page_->InputGrid()->CellText(1, row); }
  QPoint CellCentre(int column, int row) const { return page_->InputGrid()->CellRect(column, row).center(); }
  /// Drops the data on a cell through the grid's viewport, as a drag does.
  bool Drop(QMimeData* mime, int column, int row);
  void WriteProjectSettings(const QString& page, const QString& stylesheet);

  std::unique_ptr<ShellFixture> fixture_;
  std::unique_ptr<TestInstallation> install_;
  std::unique_ptr<TEntryPage> page_;
};

void EntryPageTest::init() {
  fixture_ = std::make_unique<ShellFixture>();
  install_ = std::make_unique<TestInstallation>();
  QVERIFY(install_->Ready());
  page_ = std::make_unique<TEntryPage>(install_->Dm(), install_->Registry());
  page_->CreatePane(install_->launcher, fixture_->Places());
  page_->resize(1000, 700);
  page_->show();
  QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
}

void EntryPageTest::cleanup() {
  page_.reset();
  // A folder question without an answer is the user's Cancel.
  QCOMPARE(install_->messages.unanswered, 0);
  install_.reset();
  fixture_.reset();
}

bool EntryPageTest::Drop(QMimeData* mime, int column, int row) {
  std::unique_ptr<QMimeData> owned(mime);
  QWidget* viewport = page_->InputGrid()->viewport();
  const QPointF at = CellCentre(column, row);
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, mime, Qt::LeftButton, {});
  QCoreApplication::sendEvent(viewport, &enter);
  QDropEvent drop(at, Qt::CopyAction, mime, Qt::LeftButton, {});
  QCoreApplication::sendEvent(viewport, &drop);
  return enter.isAccepted() && drop.isAccepted();
}

void EntryPageTest::ClickItem(const QString& name, GExplorer* pane, bool twice) {
  QAbstractItemView* items = (pane ? pane : page_->Explorer())->View()->ItemView();
  QAbstractItemModel* model = items->model();
  for (int row = 0; row < model->rowCount(); ++row) {
    const QModelIndex item = model->index(row, 0);
    if (item.data().toString() != name) continue;
    items->scrollTo(item);
    const QPoint at = items->visualRect(item).center();
    QTest::mouseClick(items->viewport(), Qt::LeftButton, {}, at);
    if (twice) QTest::mouseDClick(items->viewport(), Qt::LeftButton, {}, at);
    return;
  }
  QFAIL(qPrintable(name));
}

void EntryPageTest::WriteProjectSettings(const QString& pagePath, const QString& stylesheet) {
  GXMLIni ini;
  ini.Open((fixture_->Proj() + QStringLiteral("proj.xml")).toStdString());
  ini.WriteValue(nullptr, settingkind::kHTMLFilePath, pagePath.toStdString());
  ini.WriteValue(nullptr, settingkind::kCSSFilePath, stylesheet.toStdString());
  ini.WriteValue(nullptr, settingkind::kImagesFolder, (fixture_->Proj() + QStringLiteral("img")).toStdString());
  ini.WriteValue(nullptr, settingkind::kLocalServer, "true");
  ini.WriteValue(nullptr, settingkind::kLocalServerProjPath, "/srv/www/");
}

void EntryPageTest::pickingInTheViewFillsTheGrid_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<int>("row");  // -1: no row changes
  QTest::newRow("page") << "index.html" << 1;
  QTest::newRow("page in capitals") << "Index.HTML" << 1;
  QTest::newRow("php page") << "page.php" << 1;
  QTest::newRow(".htm is no page when picked") << "page.htm" << -1;
  QTest::newRow("stylesheet") << "styles.css" << 2;
  QTest::newRow("text file") << "notes.txt" << -1;
  QTest::newRow("image") << "img/photo.png" << -1;
  QTest::newRow("folder") << "img/" << -1;
}

void EntryPageTest::pickingInTheViewFillsTheGrid() {
  QFETCH(QString, name);
  QFETCH(int, row);
  for (const char* file : {"Index.HTML", "page.php", "page.htm"})
    ShellFixture::Write(fixture_->Proj() + QString::fromLatin1(file), "x");
  const QString inside = name.endsWith(QLatin1Char('/')) ? name.chopped(1) : name;
  const QString folder = fixture_->Proj() + inside.left(inside.lastIndexOf(QLatin1Char('/')) + 1);
  const QString path = fixture_->Proj() + name;
  Enter(folder);
  Select(path);
  QStringList rows;
  for (int r = 0; r < 5; ++r) rows << Cell(r);
  QStringList expected(5);
  if (row >= 0) expected[row] = QFileInfo(path).fileName();
  QCOMPARE(rows, expected);
  if (row == 1) QCOMPARE(page_->HTMLFilePath(), path);
  if (row == 2) QCOMPARE(page_->CSSFilePath(), path);
  QVERIFY(!page_->OKIn()->isEnabled());
}

void EntryPageTest::pageThenStylesheetEnablesOK() {
  Enter(fixture_->Proj());
  QCOMPARE(page_->Explorer()->PathEdit()->text(), fixture_->Proj());
  ClickItem(QStringLiteral("index.html"));
  QVERIFY(!page_->OKIn()->isEnabled());
  QVERIFY(Cell(0).isEmpty());
  ClickItem(QStringLiteral("styles.css"));
  QCOMPARE(Cell(1), QStringLiteral("index.html"));
  QCOMPARE(Cell(2), QStringLiteral("styles.css"));
  QCOMPARE(Cell(0), fixture_->Proj());
  QVERIFY(page_->OKIn()->isEnabled());
  // a folder picked now changes no file, but row 0 follows the path box
  page_->InputGrid()->SetCellText(1, 0, QString());
  Select(fixture_->Proj() + QStringLiteral("img/"));
  QCOMPARE(Cell(0), fixture_->Proj());
  QCOMPARE(Cell(1), QStringLiteral("index.html"));
}

void EntryPageTest::enteringAProjectFolderRefillsTheGrid() {
  QDir().mkpath(fixture_->Proj() + QStringLiteral("css"));
  const QString stylesheet = fixture_->Proj() + QStringLiteral("css/site.css");
  ShellFixture::Write(stylesheet, "p { color: red }");
  WriteProjectSettings(fixture_->Proj() + QStringLiteral("index.html"), stylesheet);
  Enter(fixture_->Path(QStringLiteral("home/www/")));
  QVERIFY(!page_->OKIn()->isEnabled());

  Enter(fixture_->Proj());
  QCOMPARE(install_->Dm().Ini().FileName(), (fixture_->Proj() + QStringLiteral("proj.xml")).toStdString());
  QCOMPARE(Cell(0), fixture_->Proj());
  QCOMPARE(Cell(1), QStringLiteral("index.html"));
  QCOMPARE(Cell(2), QStringLiteral("css/site.css"));
  QCOMPARE(Cell(3), QStringLiteral("img"));
  QVERIFY(page_->InputGrid()->IsChecked(0, 4));
  QCOMPARE(Cell(4), QStringLiteral("/srv/www/"));
  QCOMPARE(page_->CSSFilePath(), stylesheet);
  QVERIFY(page_->OKIn()->isEnabled());

  // leaving clears the grid but keeps the paths for "OK"
  page_->Explorer()->UpClick();
  for (int row = 0; row < 5; ++row) QVERIFY2(Cell(row).isEmpty(), qPrintable(Cell(row)));
  QVERIFY(!page_->InputGrid()->IsChecked(0, 4));
  QCOMPARE(page_->CSSFilePath(), stylesheet);
  QCOMPARE(page_->ProjectFolderPath(), fixture_->Path(QStringLiteral("home/www/")));

  // the desktop is no folder: no settings file is looked for there
  const std::string open = install_->Dm().Ini().FileName();
  Enter(QString());
  QVERIFY(page_->ProjectFolderPath().isEmpty());
  QCOMPARE(install_->Dm().Ini().FileName(), open);
  QVERIFY(install_->messages.shown.empty());
}

void EntryPageTest::unreadableFolderIsSaidAndLeavesTheGrid() {
  Enter(fixture_->Proj());
  Select(fixture_->Proj() + QStringLiteral("index.html"));
  const QString locked = fixture_->Path(QStringLiteral("home/docs/"));
  page_->Explorer()->View()->SetFolderAccess([locked](const QString& folder) { return folder != locked; });
  page_->Explorer()->PathEdit()->setText(locked);
  page_->Explorer()->PathEditReturn();
  QCOMPARE(install_->messages.shown.size(), std::size_t{1});
  QVERIFY2(install_->messages.Saw(locked.toStdString()), install_->messages.shown.front().text.c_str());
  QCOMPARE(page_->Explorer()->View()->Path(), fixture_->Proj());
  QCOMPARE(Cell(1), QStringLiteral("index.html"));
}

void EntryPageTest::treeFolderDrops_data() {
  QTest::addColumn<QString>("folder");  // below the fixture's root
  QTest::addColumn<int>("column");
  QTest::addColumn<int>("row");
  QTest::addColumn<bool>("accepted");
  QTest::addColumn<QString>("shown");  // below the fixture's root when it starts with "~"
  QTest::newRow("project folder, full path") << "home/www/proj/" << 1 << 0 << true << "~home/www/proj/";
  QTest::newRow("images below the project") << "home/www/proj/img/" << 1 << 3 << true << "img/";
  QTest::newRow("local server, full path") << "home/www/" << 1 << 4 << true << "~home/www/";
  QTest::newRow("not on the page") << "home/www/proj/img/" << 1 << 1 << false << "";
  QTest::newRow("not on the stylesheet") << "home/www/proj/img/" << 1 << 2 << false << "";
  QTest::newRow("not on a label") << "home/www/proj/img/" << 0 << 3 << false << "Dossier Images";
}

void EntryPageTest::treeFolderDrops() {
  QFETCH(QString, folder);
  QFETCH(int, column);
  QFETCH(int, row);
  QFETCH(bool, accepted);
  QFETCH(QString, shown);
  if (row != 0) QVERIFY(Drop(FolderNodeMimeData(fixture_->Proj()), 1, 0));
  const QString before = page_->InputGrid()->CellText(column, row);
  QCOMPARE(Drop(FolderNodeMimeData(fixture_->Path(folder)), column, row), accepted);
  if (shown.startsWith(QLatin1Char('~'))) shown = fixture_->Path(shown.mid(1));
  QCOMPARE(page_->InputGrid()->CellText(column, row), accepted ? shown : before);
  QCOMPARE(page_->InputGrid()->IsChecked(0, 4), accepted && row == 4);
  if (row == 3 && accepted) QCOMPARE(page_->ImagesFolder(), fixture_->Path(folder));
}

void EntryPageTest::folderOfAnotherTreeIsRefused() {
  GDirTreeView imagesTree;
  std::unique_ptr<QMimeData> folder(FolderNodeMimeData(fixture_->Proj()));
  const QPoint row0 = CellCentre(1, 0);
  QVERIFY(page_->SGInDragOver(folder.get(), page_->Explorer()->Tree(), row0));
  QVERIFY(!page_->SGInDragOver(folder.get(), &imagesTree, row0));
  QVERIFY(!page_->SGInDragDrop(folder.get(), &imagesTree, row0));
  QVERIFY(Cell(0).isEmpty());
}

void EntryPageTest::filesFromAFileManager_data() {
  QTest::addColumn<QString>("files");  // below the project folder, by ","
  QTest::addColumn<int>("column");
  QTest::addColumn<int>("row");
  QTest::addColumn<QString>("shown");  // "" : nothing changes
  QTest::newRow("page") << "index.html" << 1 << 1 << "index.html";
  QTest::newRow(".htm dropped is a page") << "sub/page.htm" << 1 << 1 << "sub/page.htm";
  QTest::newRow("stylesheet") << "styles.css,index.html" << 1 << 2 << "styles.css";
  QTest::newRow("images folder") << "img" << 1 << 3 << "img";
  QTest::newRow("stylesheet on the page row") << "styles.css" << 1 << 1 << "";
  QTest::newRow("only the first file counts") << "notes.txt,styles.css" << 1 << 2 << "";
  QTest::newRow("file on the project row") << "img" << 1 << 0 << "";
  QTest::newRow("label column") << "index.html" << 0 << 1 << "";
}

void EntryPageTest::filesFromAFileManager() {
  QFETCH(QString, files);
  QFETCH(int, column);
  QFETCH(int, row);
  QFETCH(QString, shown);
  QDir().mkpath(fixture_->Proj() + QStringLiteral("sub"));
  ShellFixture::Write(fixture_->Proj() + QStringLiteral("sub/page.htm"), "x");
  QVERIFY(Drop(FolderNodeMimeData(fixture_->Proj()), 1, 0));
  QStringList paths;
  for (const QString& file : files.split(QLatin1Char(','))) paths << fixture_->Proj() + file;
  const QString before = page_->InputGrid()->CellText(column, row);
  QCOMPARE(Drop(FileUrls(paths), column, row), !shown.isEmpty());
  QCOMPARE(page_->InputGrid()->CellText(column, row), shown.isEmpty() ? before : shown);
  if (row == 1 && !shown.isEmpty()) QCOMPARE(page_->HTMLFilePath(), paths.first());
  if (row == 2 && !shown.isEmpty()) QCOMPARE(page_->CSSFilePath(), paths.first());
  if (row == 3 && !shown.isEmpty()) QCOMPARE(page_->ImagesFolder(), paths.first());
}

void EntryPageTest::pageAndStylesheetDroppedEnableOK() {
  QVERIFY(Drop(FileUrls({fixture_->Proj() + QStringLiteral("index.html")}), 1, 1));
  QVERIFY(!page_->OKIn()->isEnabled());
  QVERIFY(Drop(FileUrls({fixture_->Proj() + QStringLiteral("styles.css")}), 1, 2));
  QVERIFY(page_->OKIn()->isEnabled());
}

void EntryPageTest::serverBoxAsksForTheFolder() {
  GStringGrid* grid = page_->InputGrid();
  auto clickBox = [grid] { QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CheckBoxRect(0, 4).center()); };
  clickBox();  // the dialog is cancelled
  QCOMPARE(install_->folders.captions, QStringList{QStringLiteral("Repertoire des Projets du serveur local")});
  QVERIFY(!grid->IsChecked(0, 4));
  QVERIFY(Cell(4).isEmpty());

  install_->folders.answers << QStringLiteral("/srv/www");
  clickBox();
  QVERIFY(grid->IsChecked(0, 4));
  QCOMPARE(Cell(4), QStringLiteral("/srv/www/"));

  clickBox();  // unchecked: the folder goes, no dialog
  QVERIFY(!grid->IsChecked(0, 4));
  QVERIFY(Cell(4).isEmpty());
  QCOMPARE(install_->folders.captions.size(), 2);
}

void EntryPageTest::okStoresTheProject() {
  QDir().mkpath(fixture_->Proj() + QStringLiteral("css"));
  const QString stylesheet = fixture_->Proj() + QStringLiteral("css/site.css");
  ShellFixture::Write(stylesheet, "p { color: red }");
  // the page picked in the view, the stylesheet of a sub-folder dropped
  Enter(fixture_->Proj());
  Select(fixture_->Proj() + QStringLiteral("index.html"));
  QVERIFY(Drop(FileUrls({stylesheet}), 1, 2));
  install_->folders.answers << QStringLiteral("/srv/www");
  QTest::mouseClick(page_->InputGrid()->viewport(), Qt::LeftButton, {},
                    page_->InputGrid()->CheckBoxRect(0, 4).center());

  QSignalSpy opened(page_.get(), &TEntryPage::ProjectOpened);
  QTest::mouseClick(page_->OKIn(), Qt::LeftButton);
  QCOMPARE(opened.size(), 1);
  // the project is the deepest folder holding page and stylesheet
  QCOMPARE(page_->ProjectFolderPath(), fixture_->Proj());
  QCOMPARE(install_->Registry().ProjectFolderPath(), fixture_->Proj());
  const QString settings = fixture_->Proj() + QStringLiteral("proj.xml");
  QCOMPARE(install_->Dm().Ini().FileName(), settings.toStdString());
  QCOMPARE(Setting(settings, settingkind::kHTMLFilePath), (fixture_->Proj() + QStringLiteral("index.html")).toStdString());
  QCOMPARE(Setting(settings, settingkind::kCSSFilePath), stylesheet.toStdString());
  QCOMPARE(Setting(settings, settingkind::kLocalServerProjPath), std::string("/srv/www/"));
  QCOMPARE(Setting(settings, settingkind::kLocalServer), std::string("true"));
  QVERIFY(install_->messages.shown.empty());
  // Opened again as stored, the project's settings file is not saved again
  // (a save replaces the file, and with it its inode).
  const auto inodeOf = [](const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : ino_t{0};
  };
  const ino_t stored = inodeOf(settings);
  QVERIFY(stored != 0);
  QTest::mouseClick(page_->OKIn(), Qt::LeftButton);
  QCOMPARE(opened.size(), 2);
  QCOMPARE(inodeOf(settings), stored);
  QCOMPARE(Setting(settings, settingkind::kLocalServerProjPath), std::string("/srv/www/"));

  // The window is handed the project as opened, and keeps it while the
  // user browses and edits the grid again.
  const ProjectInfo expected{fixture_->Proj(), fixture_->Proj() + QStringLiteral("index.html"), stylesheet,
                             Cell(2), QString(), true, QStringLiteral("/srv/www/")};
  QCOMPARE(page_->OpenedProject(), expected);
  QTest::mouseClick(page_->InputGrid()->viewport(), Qt::LeftButton, {},
                    page_->InputGrid()->CheckBoxRect(0, 4).center());
  QVERIFY(!page_->InputGrid()->IsChecked(0, 4));
  Enter(fixture_->Path(QStringLiteral("home/www/empty/")));
  QVERIFY(Cell(2).isEmpty());
  QCOMPARE(page_->OpenedProject(), expected);
}

// Page and stylesheet sharing only "/" or the home folder: the project's
// folder is asked for, never taken as it is.
void EntryPageTest::onlyRootInCommonAsksForTheFolder_data() {
  QTest::addColumn<QString>("pagePath");  // below the fixture's root when it starts with "~"
  QTest::addColumn<bool>("answerOk");
  QTest::addColumn<QString>("chosen");  // likewise
  QTest::addColumn<bool>("opened");
  const QString elsewhere = QStringLiteral("/korvel-elsewhere/index.html");
  QTest::newRow("question cancelled") << elsewhere << false << "" << false;
  QTest::newRow("dialog cancelled") << elsewhere << true << "" << false;
  QTest::newRow("the root again") << elsewhere << true << "/" << false;
  QTest::newRow("a folder chosen") << elsewhere << true << "~home/www/proj" << true;
  QTest::newRow("home: question cancelled") << "~home/index.html" << false << "" << false;
  QTest::newRow("home: a folder chosen") << "~home/index.html" << true << "~home/www/proj" << true;
}

void EntryPageTest::onlyRootInCommonAsksForTheFolder() {
  QFETCH(QString, pagePath);
  QFETCH(bool, answerOk);
  QFETCH(QString, chosen);
  QFETCH(bool, opened);
  if (chosen.startsWith(QLatin1Char('~'))) chosen = fixture_->Path(chosen.mid(1));
  const bool inHome = pagePath.startsWith(QLatin1Char('~'));
  if (inHome) pagePath = fixture_->Path(pagePath.mid(1));
  const QByteArray home = qgetenv("HOME");
  qputenv("HOME", fixture_->Path(QStringLiteral("home")).toLocal8Bit());
  const auto restoreHome = qScopeGuard([&home] { qputenv("HOME", home); });
  install_->folders.answers << chosen;
  install_->messages.answers.push_back(answerOk ? MessageAnswer::Ok : MessageAnswer::Cancel);
  // a page elsewhere, given by a file manager
  QVERIFY(Drop(FileUrls({pagePath}), 1, 1));
  QVERIFY(Drop(FileUrls({fixture_->Proj() + QStringLiteral("styles.css")}), 1, 2));
  QSignalSpy openedSpy(page_.get(), &TEntryPage::ProjectOpened);
  page_->OKInClick();

  QVERIFY(install_->messages.Saw(inHome ? "n'ont en commun que votre dossier personnel"
                                : "n'ont aucun dossier en commun hormis la racine"));
  QVERIFY(!QFileInfo::exists(fixture_->Home() + QStringLiteral("home.xml")));
  QCOMPARE(install_->folders.captions.size(), answerOk ? 1 : 0);
  QCOMPARE(openedSpy.size(), opened ? 1 : 0);
  QCOMPARE(install_->messages.Saw("ne peut pas être le dossier d'un projet"), chosen == QStringLiteral("/"));
  QVERIFY(!QFileInfo::exists(QStringLiteral("/.xml")));
  if (!opened) {
    QVERIFY(install_->Registry().ProjectFolderPath().isEmpty());
    QVERIFY(!QFileInfo::exists(fixture_->Proj() + QStringLiteral("proj.xml")));
    return;
  }
  QCOMPARE(install_->Registry().ProjectFolderPath(), fixture_->Proj());
  QCOMPARE(page_->ProjectFolderPath(), fixture_->Proj());
  QCOMPARE(Setting(fixture_->Proj() + QStringLiteral("proj.xml"), settingkind::kHTMLFilePath), pagePath.toStdString());
}

// The page picked, then the stylesheet in a sub-folder: the page stays, and
// "OK" opens the folder holding both. Another folder entered drops both
// from the grid, and "OK" with them.
void EntryPageTest::pageStaysPickedInASubFolder() {
  QDir().mkpath(fixture_->Proj() + QStringLiteral("css"));
  const QString stylesheet = fixture_->Proj() + QStringLiteral("css/site.css");
  ShellFixture::Write(stylesheet, "p { color: red }");
  Enter(fixture_->Proj());
  ClickItem(QStringLiteral("index.html"));
  Enter(fixture_->Proj() + QStringLiteral("css/"));
  QCOMPARE(Cell(1), QStringLiteral("index.html"));
  ClickItem(QStringLiteral("site.css"));
  QCOMPARE(Cell(1), QStringLiteral("index.html"));
  QCOMPARE(Cell(2), QStringLiteral("site.css"));
  QVERIFY(page_->OKIn()->isEnabled());

  Enter(fixture_->Path(QStringLiteral("home/docs/")));
  for (int row = 0; row < 4; ++row) QVERIFY2(Cell(row).isEmpty(), qPrintable(Cell(row)));
  QVERIFY(!page_->OKIn()->isEnabled());
  // a stylesheet alone does not make a project
  Enter(fixture_->Proj() + QStringLiteral("css/"));
  ClickItem(QStringLiteral("site.css"));
  QVERIFY(Cell(1).isEmpty());
  QVERIFY(!page_->OKIn()->isEnabled());

  Enter(fixture_->Proj());
  ClickItem(QStringLiteral("index.html"));
  Enter(fixture_->Proj() + QStringLiteral("css/"));
  ClickItem(QStringLiteral("site.css"));
  QSignalSpy opened(page_.get(), &TEntryPage::ProjectOpened);
  QTest::mouseClick(page_->OKIn(), Qt::LeftButton);
  QCOMPARE(opened.size(), 1);
  QCOMPARE(page_->ProjectFolderPath(), fixture_->Proj());
  QVERIFY(install_->messages.shown.empty());
}

// The images folder of a project opened before does not follow the next
// one: a new project has the folder the grid names, its own "Images/", or
// none.
void EntryPageTest::newProjectHasItsOwnImagesFolder() {
  const QString settings = fixture_->Proj() + QStringLiteral("proj.xml");
  auto openProj = [&] {
    Enter(fixture_->Proj());
    ClickItem(QStringLiteral("index.html"));
    ClickItem(QStringLiteral("styles.css"));
    page_->OKInClick();
    return Setting(settings, settingkind::kImagesFolder);
  };
  QVERIFY(Drop(FolderNodeMimeData(fixture_->Path(QStringLiteral("home/www/"))), 1, 0));
  QVERIFY(Drop(FolderNodeMimeData(fixture_->Path(QStringLiteral("home/www/empty/"))), 1, 3));
  QCOMPARE(page_->ImagesFolder(), fixture_->Path(QStringLiteral("home/www/empty/")));
  QCOMPARE(openProj(), std::string());
  QVERIFY(Cell(3).isEmpty());

  QDir().mkpath(fixture_->Proj() + QStringLiteral("Images"));
  QFile::remove(settings);
  QCOMPARE(openProj(), (fixture_->Proj() + QStringLiteral("Images")).toStdString());
  QCOMPARE(Cell(3), QStringLiteral("Images"));

  // the folder the grid names wins
  QFile::remove(settings);
  Enter(fixture_->Proj());
  ClickItem(QStringLiteral("index.html"));
  ClickItem(QStringLiteral("styles.css"));
  QVERIFY(Drop(FolderNodeMimeData(fixture_->Proj() + QStringLiteral("img/")), 1, 3));
  page_->OKInClick();
  QCOMPARE(Setting(settings, settingkind::kImagesFolder), (fixture_->Proj() + QStringLiteral("img/")).toStdString());
}

// The mode picked from the pane's menu is the project's: recorded in its
// settings file and back when the window opens it again.
void EntryPageTest::viewModeIsKeptPerProject() {
  page_.reset();
  const QString project = fixture_->Proj();
  GXMLIni ini;
  ini.Open((project + QStringLiteral("proj.xml")).toStdString());
  ini.WriteValue(nullptr, settingkind::kHTMLFilePath, (project + QStringLiteral("index.html")).toStdString());
  ini.WriteValue(nullptr, settingkind::kCSSFilePath, (project + QStringLiteral("styles.css")).toStdString());
  install_->Registry().SetProjectFolderPath(project);
  auto openWindow = [this] {
    auto window = std::make_unique<TMainForm>(install_->Dm(), install_->launcher, install_->Registry());
    window->show();
    return window;
  };
  auto window = openWindow();
  QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  GExplorer* pane = window->EntryPage().Explorer();
  QCOMPARE(pane->ViewMode(), vmIcons);
  QCOMPARE(pane->View()->Path(), project);
  QAction* details = pane->ViewModeMenu()->actions().at(2);
  QCOMPARE(details->text(), QStringLiteral("Détails"));
  details->trigger();
  QCOMPARE(pane->ViewMode(), vmDetails);
  QFile settings(project + QStringLiteral("proj.xml"));
  QVERIFY(settings.open(QIODevice::ReadOnly));
  const QByteArray text = settings.readAll();
  QVERIFY2(text.contains("Type=\"ViewMode\" Name=\"LVInPanel\"") && text.contains("<Value>3</Value>"), text.constData());
  window->hide();
  window.reset();

  window = openWindow();
  QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  QCOMPARE(window->EntryPage().Explorer()->ViewMode(), vmDetails);
  window->hide();
}

// "Opening your own project" in the README, step by step, in the window a
// first start shows (the example project open on "Edition").
void EntryPageTest::readmeStepsOpenOwnProject() {
  page_.reset();
  const QString home = install_->Root() + QStringLiteral("/home");
  const QString site = home + QStringLiteral("/Documents/monsite/");
  QVERIFY(WriteAll(site + QStringLiteral("index.html"), "<html></html>"));
  QVERIFY(WriteAll(site + QStringLiteral("css/styles.css"), "body { color: navy }\n"));
  QVERIFY(QDir().mkpath(site + QStringLiteral("Images")));
  const QByteArray savedHome = qgetenv("HOME");
  qputenv("HOME", home.toLocal8Bit());
  const auto restoreHome = qScopeGuard([&savedHome] { qputenv("HOME", savedHome); });

  TMainForm window(install_->Dm(), install_->launcher, install_->Registry());
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QCOMPARE(window.Pages()->currentWidget(), &window.Editor());
  TEntryPage& entry = window.EntryPage();
  window.Pages()->setCurrentWidget(&entry);
  GExplorer* pane = entry.Explorer();
  GStringGrid* grid = entry.InputGrid();

  // 1. the folder typed in the path box
  pane->PathEdit()->clear();
  QTest::keyClicks(pane->PathEdit(), QStringLiteral("~/Documents/monsite"));
  QTest::keyClick(pane->PathEdit(), Qt::Key_Return);
  QCOMPARE(pane->View()->Path(), site);
  // 2. the page
  ClickItem(QStringLiteral("index.html"), pane);
  QCOMPARE(grid->CellText(1, 1), QStringLiteral("index.html"));
  // 3. css/ entered, the stylesheet clicked
  ClickItem(QStringLiteral("css"), pane, true);
  QCOMPARE(pane->View()->Path(), site + QStringLiteral("css/"));
  ClickItem(QStringLiteral("styles.css"), pane);
  QCOMPARE(grid->CellText(1, 1), QStringLiteral("index.html"));
  QCOMPARE(grid->CellText(1, 2), QStringLiteral("styles.css"));
  QVERIFY(entry.OKIn()->isEnabled());
  // 4. the images folder dragged from the tree
  std::unique_ptr<QMimeData> images(FolderNodeMimeData(site + QStringLiteral("Images")));
  QVERIFY(entry.SGInDragDrop(images.get(), pane->Tree(), grid->CellRect(1, 3).center()));
  QCOMPARE(grid->CellText(1, 3), QStringLiteral("Images/"));
  // 5. "OK"
  QTest::mouseClick(entry.OKIn(), Qt::LeftButton);

  QCOMPARE(window.Pages()->currentWidget(), &window.Editor());
  QCOMPARE(window.windowTitle(), site);
  QCOMPARE(window.Editor().CSSFilePath(), site + QStringLiteral("css/styles.css"));
  QCOMPARE(window.Editor().ShownRule(), QStringLiteral("body"));
  QCOMPARE(install_->Registry().ProjectFolderPath(), site);
  const QString settings = site + QStringLiteral("monsite.xml");
  QCOMPARE(Setting(settings, settingkind::kHTMLFilePath), (site + QStringLiteral("index.html")).toStdString());
  QCOMPARE(Setting(settings, settingkind::kCSSFilePath), (site + QStringLiteral("css/styles.css")).toStdString());
  QCOMPARE(Setting(settings, settingkind::kImagesFolder), (site + QStringLiteral("Images/")).toStdString());
  QVERIFY(install_->messages.shown.empty());
  window.hide();
}

}  // namespace korvel

QTEST_MAIN(korvel::EntryPageTest)
#include "entrypage_test.moc"
