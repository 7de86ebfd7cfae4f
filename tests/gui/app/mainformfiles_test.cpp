// The window and the files it reads and writes. A save never overwrites what
// another program wrote: the window compares the stylesheet on disk with the
// version it holds before every save, whatever the watch saw, and asks; the
// default answer keeps the outside text. A remembered project opens only as
// it was saved, and a file that cannot be read is said, naming it, without
// hanging the window.

#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "app/changewatch.h"
#include "app/dmunit.h"
#include "app/mainformunit.h"
#include "app/settingsstore.h"
#include "app/threadunit.h"
#include "app/tstylesheeteditor.h"
#include "editors/gstringgrid.h"
#include "support/guitestsupport.h"
#include "settings/gxmlini.h"

namespace korvel {

namespace {

using namespace std::chrono_literals;

const QByteArray kStylesheet = "p { line-height: 1.5; color: red }\nul { color: navy }\n";
const QByteArray kEditedOutside = "p { line-height: 2; color: red }\nul { color: navy }\n";

QString S(const char* text) { return QString::fromUtf8(text); }

int FailWithNoSpace(int, const char*, std::uint32_t) {
  errno = ENOSPC;
  return -1;
}

// The save that a user's action in the window makes.
enum class SaveBy { Shortcut, LiveMode };

}  // namespace

class MainFormFilesTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init();
  void cleanup();

  void aSaveAsksBeforeOverwritingAnOutsideEdit_data();
  void aSaveAsksBeforeOverwritingAnOutsideEdit();
  void withoutInotifyWatchesTheWindowSaysSoAndStillCompares();
  void aRememberedProjectOpensOnlyAsItWasSaved_data();
  void aRememberedProjectOpensOnlyAsItWasSaved();
  void aCopiedProjectOpensItsOwnFiles_data();
  void aCopiedProjectOpensItsOwnFiles();
  void aStylesheetThatCannotBeReadIsSaidNamingIt_data();
  void aStylesheetThatCannotBeReadIsSaidNamingIt();

 private:
  QString Project() const { return install_->Project(); }
  QString Stylesheet() const { return install_->Stylesheet(); }
  void OpenWindow();
  /// Opens the window on a project that may not open: the watch is not waited for.
  void OpenWindowAsIs();
  void SwitchColourOffAndSave(SaveBy by);
  [[nodiscard]] QString LineHeightShown() const;

  std::unique_ptr<TestInstallation> install_;
  std::unique_ptr<TMainForm> window_;
};

void MainFormFilesTest::init() {
  install_ = std::make_unique<TestInstallation>();
  QVERIFY(install_->Ready());
  QVERIFY(install_->MakeProject(kStylesheet, Project()));
}

void MainFormFilesTest::cleanup() {
  window_.reset();
  ThreadSurveillance::SetInotifyCalls(ThreadSurveillance::SystemInotifyCalls());
  QVERIFY(install_->AllAnswered());
  install_.reset();
}

void MainFormFilesTest::OpenWindowAsIs() {
  window_ = std::make_unique<TMainForm>(install_->Dm(), install_->launcher, install_->Registry());
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void MainFormFilesTest::OpenWindow() {
  OpenWindowAsIs();
  QVERIFY(window_->Watch());
  QVERIFY(window_->Watch()->Thread().WaitUntilWatching(5s));
  QCOMPARE(window_->Editor().ShownRule(), QStringLiteral("p"));
}

void MainFormFilesTest::SwitchColourOffAndSave(SaveBy by) {
  TStyleSheetEditor& editor = window_->Editor();
  editor.SetLiveMode(by == SaveBy::LiveMode);
  GStringGrid* grid = editor.PropertyGrid();
  int row = 0;
  while (row < grid->RowCount() && grid->CellText(0, row) != QStringLiteral("color")) ++row;
  QVERIFY(row < grid->RowCount());
  // Live mode saves at this click.
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CheckBoxRect(0, row).center());
  if (by == SaveBy::Shortcut) {
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTest::keySequence(window_.get(), QKeySequence::Save);
  }
}

QString MainFormFilesTest::LineHeightShown() const {
  GStringGrid* grid = window_->Editor().PropertyGrid();
  for (int row = 0; row < grid->RowCount(); ++row)
    if (grid->CellText(0, row) == QStringLiteral("line-height")) return grid->CellText(1, row);
  return {};
}

void MainFormFilesTest::aSaveAsksBeforeOverwritingAnOutsideEdit_data() {
  QTest::addColumn<QString>("setting");  // how the outside edit comes
  QTest::addColumn<int>("by");
  QTest::addColumn<int>("answer");
  QTest::addColumn<QString>("onDisk");      // "outside" or "korvel"
  QTest::addColumn<QString>("lineHeight");  // what the grid shows afterwards
  QTest::addColumn<bool>("modified");

  const auto yes = static_cast<int>(MessageAnswer::Yes);
  const auto no = static_cast<int>(MessageAnswer::No);
  const auto cancel = static_cast<int>(MessageAnswer::Cancel);
  const auto shortcut = static_cast<int>(SaveBy::Shortcut);
  const auto live = static_cast<int>(SaveBy::LiveMode);
  for (const char* setting : {"edited while active", "folder deleted and brought back", "stylesheet is a link"}) {
    QTest::addRow("%s, Ctrl+S, Cancel keeps both", setting)
        << S(setting) << shortcut << cancel << S("outside") << S("1.5") << true;
    QTest::addRow("%s, Ctrl+S, Yes reloads", setting) << S(setting) << shortcut << yes << S("outside") << S("2") << false;
    QTest::addRow("%s, Ctrl+S, No overwrites", setting)
        << S(setting) << shortcut << no << S("korvel") << S("1.5") << false;
  }
  QTest::newRow("live mode, Cancel keeps both") << S("edited while active") << live << cancel << S("outside")
                                                << S("1.5") << true;
  QTest::newRow("live mode, No overwrites") << S("edited while active") << live << no << S("korvel") << S("1.5")
                                            << false;
}

void MainFormFilesTest::aSaveAsksBeforeOverwritingAnOutsideEdit() {
  QFETCH(QString, setting);
  QFETCH(int, by);
  QFETCH(int, answer);
  QFETCH(QString, onDisk);
  QFETCH(QString, lineHeight);
  QFETCH(bool, modified);

  namespace fs = std::filesystem;
  // The file the outside program writes: the stylesheet, or what its link names.
  QString written = Stylesheet();
  if (setting == S("stylesheet is a link")) {
    written = install_->Root() + QStringLiteral("/partage/commun.css");
    QVERIFY(WriteAll(written, kStylesheet));
    QVERIFY(QFile::remove(Stylesheet()));
    fs::create_symlink(written.toStdString(), Stylesheet().toStdString());
  }
  OpenWindow();
  if (setting == S("folder deleted and brought back")) {
    const QString copy = install_->Root() + QStringLiteral("/copie");
    QVERIFY(CopyFolder(Project(), copy));
    QVERIFY(QDir(Project()).removeRecursively());
    QVERIFY(window_->Watch()->Thread().WaitForChanges(5s));
    QVERIFY(CopyFolder(copy, Project()));
  }
  QVERIFY(WriteAll(written, kEditedOutside));

  install_->messages.answers.push_back(static_cast<MessageAnswer>(answer));
  SwitchColourOffAndSave(static_cast<SaveBy>(by));
  QCOMPARE(install_->messages.shown.size(), std::size_t{1});
  const Message& asked = install_->messages.shown.front();
  QVERIFY2(install_->messages.Saw("Le fichier CSS courant a été modifié hors de Korvel : css/styles.css\nRecharger ?"),
           asked.text.c_str());
  QCOMPARE(asked.buttons, MessageButtons::YesNoCancel);
  QVERIFY(install_->messages.answers.empty());

  if (onDisk == S("outside")) {
    QCOMPARE(ReadAll(written), kEditedOutside);
  } else {
    QVERIFY(ReadAll(written).contains("/*color: red; */"));
    QVERIFY(ReadAll(written).contains("line-height: 1.5"));
  }
  QCOMPARE(LineHeightShown(), lineHeight);
  QCOMPARE(window_->Editor().IsModified(), modified);
  // Once the version on disk is the one held, the next save asks nothing.
  if (answer != static_cast<int>(MessageAnswer::Cancel)) {
    install_->messages.shown.clear();
    window_->Editor().SetLiveMode(false);
    QVERIFY(window_->Editor().SaveStylesheet());
    QVERIFY(install_->messages.shown.empty());
  }
}

void MainFormFilesTest::withoutInotifyWatchesTheWindowSaysSoAndStillCompares() {
  ThreadSurveillance::SetInotifyCalls({ThreadSurveillance::SystemInotifyCalls().init, &FailWithNoSpace});
  OpenWindow();
  const QString said = window_->statusBar()->currentMessage();
  QVERIFY2(said.contains(S("ne sont pas surveillées")) && said.contains(S("max_user_watches")), qPrintable(said));

  // Said once: coming back says nothing more, and asks about the edit the
  // watch could not see.
  window_->statusBar()->clearMessage();
  QVERIFY(WriteAll(Stylesheet(), kEditedOutside));
  install_->messages.answers.push_back(MessageAnswer::Ok);
  window_->ApplicationEvents1Activate();
  QVERIFY(install_->messages.Saw("Le fichier CSS courant a été modifié : css/styles.css"));
  QCOMPARE(LineHeightShown(), S("2"));
  QVERIFY(window_->statusBar()->currentMessage().isEmpty());
}

void MainFormFilesTest::aRememberedProjectOpensOnlyAsItWasSaved_data() {
  QTest::addColumn<QString>("remembered");  // "<site>" stands for the project folder
  QTest::addColumn<bool>("settingsThere");
  QTest::addColumn<QString>("said");  // empty: the project opens and nothing is said
  QTest::newRow("without its final slash") << S("<site>") << true << QString();
  QTest::newRow("the root folder") << S("/") << true
                                   << S("la racine « / » ne peut pas être le dossier d'un projet");
  QTest::newRow("its settings file gone") << S("<site>/") << false
                                          << S("/site/site.xml » n'existe pas");
}

void MainFormFilesTest::aRememberedProjectOpensOnlyAsItWasSaved() {
  QFETCH(QString, remembered);
  QFETCH(bool, settingsThere);
  QFETCH(QString, said);
  const QString site = install_->Root() + QStringLiteral("/site");
  install_->Registry().SetProjectFolderPath(remembered.replace(S("<site>"), site));
  if (!settingsThere) QVERIFY(QFile::remove(site + QStringLiteral("/site.xml")));
  OpenWindowAsIs();

  QVERIFY2(!QFileInfo::exists(install_->Root() + QStringLiteral("/sitesite.xml")), "no settings file beside the project");
  QCOMPARE(QFileInfo::exists(site + QStringLiteral("/site.xml")), settingsThere);
  if (said.isEmpty()) {
    QVERIFY(install_->messages.shown.empty());
    QCOMPARE(window_->Editor().CSSFilePath(), Stylesheet());
    return;
  }
  QCOMPARE(install_->messages.shown.size(), std::size_t{1});
  QVERIFY2(install_->messages.Saw(said.toStdString()), install_->messages.shown.front().text.c_str());
  // The example project is opened instead.
  QVERIFY(window_->Editor().CSSFilePath().startsWith(install_->Dm().ExampleFolder()));
}

void MainFormFilesTest::aCopiedProjectOpensItsOwnFiles_data() {
  QTest::addColumn<bool>("stylesheetCopied");
  QTest::addColumn<int>("answer");  // to the question; -1: none is asked
  QTest::addColumn<QString>("opened");  // "copy", "original" or "example"
  QTest::newRow("its files are there: used and said") << true << -1 << S("copy");
  QTest::newRow("its stylesheet is not: asked, Cancel") << false << static_cast<int>(MessageAnswer::Cancel)
                                                        << S("example");
  QTest::newRow("its stylesheet is not: asked, OK") << false << static_cast<int>(MessageAnswer::Ok)
                                                    << S("original");
}

void MainFormFilesTest::aCopiedProjectOpensItsOwnFiles() {
  QFETCH(bool, stylesheetCopied);
  QFETCH(int, answer);
  QFETCH(QString, opened);
  const QString copy = install_->Root() + QStringLiteral("/copie/");
  QVERIFY(CopyFolder(Project(), copy));
  QVERIFY(QFile::rename(copy + QStringLiteral("site.xml"), copy + QStringLiteral("copie.xml")));
  if (!stylesheetCopied) QVERIFY(QFile::remove(copy + QStringLiteral("css/styles.css")));
  install_->Registry().SetProjectFolderPath(copy);
  if (answer >= 0) install_->messages.answers.push_back(static_cast<MessageAnswer>(answer));
  OpenWindowAsIs();

  QVERIFY(!install_->messages.shown.empty());
  const std::string said = install_->messages.shown.front().text;
  QVERIFY2(said.find("désignent les fichiers") != std::string::npos, said.c_str());
  QVERIFY(install_->messages.answers.empty());
  const QString expected = opened == S("copy")       ? copy + QStringLiteral("css/styles.css")
                           : opened == S("original") ? Stylesheet()
                                                     : install_->Dm().ExampleFolder() + QStringLiteral("styles.css");
  QCOMPARE(window_->Editor().CSSFilePath(), expected);
  if (opened != S("copy")) return;
  // A save goes to the copy, and its settings now name the copy's files.
  window_->Editor().SetLiveMode(true);
  SwitchColourOffAndSave(SaveBy::LiveMode);
  QCOMPARE(ReadAll(Stylesheet()), kStylesheet);
  QVERIFY(ReadAll(copy + QStringLiteral("css/styles.css")).contains("/*color: red; */"));
  QVERIFY(ReadAll(copy + QStringLiteral("copie.xml")).contains((copy + QStringLiteral("css/styles.css")).toUtf8()));
}

void MainFormFilesTest::aStylesheetThatCannotBeReadIsSaidNamingIt_data() {
  QTest::addColumn<QString>("kind");
  QTest::addColumn<QString>("said");
  QTest::newRow("a NUL byte") << S("nul") << S("» : Ce fichier n'est pas une feuille de style : il contient un octet nul.");
  QTest::newRow("UTF-16") << S("utf16") << S("» : encodage UTF-16 non pris en charge.");
  QTest::newRow("a FIFO") << S("fifo") << S("» n'est pas un fichier ordinaire mais un tube nommé");
  QTest::newRow("/dev/zero") << S("zero") << S("« /dev/zero » n'est pas un fichier ordinaire mais un périphérique");
}

void MainFormFilesTest::aStylesheetThatCannotBeReadIsSaidNamingIt() {
  QFETCH(QString, kind);
  QFETCH(QString, said);
  QString stylesheet = Stylesheet();
  if (kind == S("nul")) QVERIFY(WriteAll(stylesheet, QByteArray("p { color: red }\0", 17)));
  if (kind == S("utf16")) QVERIFY(WriteAll(stylesheet, QByteArray("\xFF\xFEp\0 \0{\0}\0", 10)));
  if (kind == S("fifo")) {
    QVERIFY(QFile::remove(stylesheet));
    QCOMPARE(::mkfifo(qPrintable(stylesheet), 0644), 0);
  }
  if (kind == S("zero")) {
    stylesheet = S("/dev/zero");
    GXMLIni ini;
    ini.Open((Project() + QStringLiteral("site.xml")).toStdString());
    ini.WriteValue(nullptr, settingkind::kCSSFilePath, "/dev/zero");
  }
  OpenWindowAsIs();
  QVERIFY2(install_->messages.Saw(said.toStdString()), install_->messages.shown.empty() ? "nothing said" : install_->messages.shown.front().text.c_str());
  if (kind != S("zero")) QVERIFY(install_->messages.Saw(stylesheet.toStdString()));
}

}  // namespace korvel

QTEST_MAIN(korvel::MainFormFilesTest)
#include "mainformfiles_test.moc"
