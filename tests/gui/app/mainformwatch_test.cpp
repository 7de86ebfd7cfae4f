// What the window does with the world outside it: an outside edit of the
// stylesheet asked about when the application becomes active again, the
// outside tools' buttons with programs found on a PATH of the test's own,
// and the preview, whose connected page hears every save.

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <httplib.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "app/changewatch.h"
#include "app/dmunit.h"
#include "app/mainformunit.h"
#include "app/previewserver.h"
#include "app/settingsstore.h"
#include "app/tstylesheeteditor.h"
#include "editors/gstringgrid.h"
#include "support/guitestsupport.h"
#include "settings/gxmlini.h"

namespace korvel {

namespace {

using namespace std::chrono_literals;

const QByteArray kStylesheet =
    "/* <Texte> */\np { line-height: 1.5; color: red }\n/* </Texte> */\nh1 { color: navy }\n";
const QByteArray kEditedOutside =
    "/* <Texte> */\np { line-height: 2; color: red }\n/* </Texte> */\nh1 { color: navy }\n";
const std::string kStylesheetName = "css/styles.css";

QString S(const char* text) { return QString::fromUtf8(text); }
QStringList L(std::initializer_list<const char*> texts) {
  QStringList list;
  for (const char* text : texts) list << S(text);
  return list;
}

// As most editors save: a new file renamed over the old one.
bool SaveAsEditorsDo(const QString& path, const QByteArray& bytes) {
  const QString fresh = path + QStringLiteral(".new");
  return WriteAll(fresh, bytes) && std::rename(qPrintable(fresh), qPrintable(path)) == 0;
}

// Starts nothing; a program that is not an executable file fails to start,
// as a detached process would.
class PathLauncher final : public ProgramLauncher {
 public:
  bool OpenWithDefault(const QString& fileOrUrl) override {
    opened << fileOrUrl;
    return true;
  }
  bool StartProgram(const QString& program, const QStringList& arguments) override {
    if (!QFileInfo(program).isExecutable()) return false;
    started << (QStringList{program} + arguments);
    return true;
  }
  QString ApplicationFor(const QString& mimeType) override { return applications.value(mimeType); }
  bool OpenAs(const QString& file, const QString& mimeType) override {
    openedAs << (mimeType + QLatin1Char(' ') + file);
    return applications.contains(mimeType);
  }
  QStringList opened;
  QList<QStringList> started;
  QMap<QString, QString> applications;
  QStringList openedAs;
};

}  // namespace

class MainFormWatchTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init();
  void cleanup();

  void outsideChangesOnReturn_data();
  void outsideChangesOnReturn();
  void toolButtonsStartTheProgramsFoundOnPath_data();
  void toolButtonsStartTheProgramsFoundOnPath();
  void aSaveReachesTheConnectedPageAndOpensNothing();
  void underTheLocalServerPagesAreNotReadFromDisk();

 private:
  QString Project() const { return install_->Project(); }
  QString Page() const { return install_->Page(); }
  QString Stylesheet() const { return install_->Stylesheet(); }
  void OpenWindow();
  int RowOf(const QString& property) const;
  void ClickBox(const QString& property);
  QString PageAddress() const {
    return QString::fromStdString(window_->Preview()->AddressOf(Page().toStdString()));
  }

  std::unique_ptr<TestInstallation> install_;
  std::unique_ptr<TMainForm> window_;
  PathLauncher launcher_;
  QByteArray path_;
};

void MainFormWatchTest::init() {
  install_ = std::make_unique<TestInstallation>();
  QVERIFY(install_->Ready());
  launcher_ = {};
  path_ = qgetenv("PATH");
  QVERIFY(install_->MakeProject(kStylesheet, Project(),
                                "<html><head><link rel=\"stylesheet\" href=\"css/styles.css\"></head></html>"));
}

void MainFormWatchTest::cleanup() {
  window_.reset();
  qputenv("PATH", path_);
  QVERIFY(install_->AllAnswered());
  install_.reset();
}

void MainFormWatchTest::OpenWindow() {
  window_ = std::make_unique<TMainForm>(install_->Dm(), launcher_, install_->Registry());
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  QVERIFY(window_->Watch());
  QVERIFY(window_->Watch()->Thread().WaitUntilWatching(5s));
  QVERIFY(window_->Preview());
}

int MainFormWatchTest::RowOf(const QString& property) const {
  GStringGrid* grid = window_->Editor().PropertyGrid();
  for (int row = 0; row < grid->RowCount(); ++row)
    if (grid->CellText(0, row) == property) return row;
  return -1;
}

void MainFormWatchTest::ClickBox(const QString& property) {
  GStringGrid* grid = window_->Editor().PropertyGrid();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CheckBoxRect(0, RowOf(property)).center());
}

void MainFormWatchTest::outsideChangesOnReturn_data() {
  QTest::addColumn<bool>("ownSave");      // Korvel saves a switched-off colour first
  QTest::addColumn<bool>("unsavedEdit");  // the colour is switched off, not saved
  QTest::addColumn<QString>("outside");   // "edit", "delete" or nothing
  QTest::addColumn<int>("answer");  // to the question; -1: none is asked
  QTest::addColumn<QString>("asked");       // a part of the message shown; empty: nothing shown
  QTest::addColumn<QString>("lineHeight");  // the grid's value afterwards
  QTest::addColumn<bool>("colourOn");

  const auto ok = static_cast<int>(MessageAnswer::Ok);
  const auto cancel = static_cast<int>(MessageAnswer::Cancel);
  const int notAsked = -1;
  const QString modified = S("Le fichier CSS courant a été modifié : css/styles.css\nRecharger ?");
  const QString dropped = S("seront perdues");
  QTest::newRow("outside edit, OK reloads") << false << false << S("edit") << ok << modified << S("2") << true;
  QTest::newRow("own save asks nothing") << true << false << S("") << notAsked << S("") << S("1.5") << false;
  QTest::newRow("outside edit right after the own save")
      << true << false << S("edit") << ok << modified << S("2") << true;
  QTest::newRow("unsaved edits, Cancel keeps them")
      << false << true << S("edit") << cancel << dropped << S("1.5") << false;
  QTest::newRow("unsaved edits, OK drops them") << false << true << S("edit") << ok << dropped << S("2") << true;
  QTest::newRow("stylesheet deleted") << false << false << S("delete") << notAsked
                                      << S("Le fichier CSS courant a été supprimé! : css/styles.css") << S("1.5")
                                      << true;
}

void MainFormWatchTest::outsideChangesOnReturn() {
  QFETCH(bool, ownSave);
  QFETCH(bool, unsavedEdit);
  QFETCH(QString, outside);
  QFETCH(int, answer);
  QFETCH(QString, asked);
  QFETCH(QString, lineHeight);
  QFETCH(bool, colourOn);

  OpenWindow();
  TStyleSheetEditor& editor = window_->Editor();
  QCOMPARE(editor.ShownRule(), QStringLiteral("p"));
  if (ownSave || unsavedEdit) ClickBox(QStringLiteral("color"));
  if (ownSave) QVERIFY(editor.SaveStylesheet());
  if (outside == QStringLiteral("edit")) QVERIFY(SaveAsEditorsDo(Stylesheet(), kEditedOutside));
  if (outside == QStringLiteral("delete")) QVERIFY(QFile::remove(Stylesheet()));
  QVERIFY(window_->Watch()->Thread().WaitForName(kStylesheetName, 5s));

  if (answer >= 0) install_->messages.answers.push_back(static_cast<MessageAnswer>(answer));
  window_->ApplicationEvents1Activate();
  if (asked.isEmpty()) {
    QVERIFY(install_->messages.shown.empty());
  } else {
    QCOMPARE(install_->messages.shown.size(), std::size_t{1});
    QVERIFY2(install_->messages.Saw(asked.toStdString()), install_->messages.shown.front().text.c_str());
    QCOMPARE(install_->messages.shown.front().caption, std::string("Korvel"));
    // A reload starts the history anew: said when there are changes to lose.
    QCOMPARE(install_->messages.Saw("Les modifications ne pourront plus être annulées."),
             outside == QStringLiteral("edit") && (ownSave || unsavedEdit));
  }
  QVERIFY(install_->messages.answers.empty());

  // The tree is as the user left it, the grid shows the version kept.
  QCOMPARE(editor.ShownRule(), QStringLiteral("p"));
  QVERIFY(editor.FindNode(QStringLiteral("p"))->parent()->isExpanded());
  QCOMPARE(editor.RuleTree()->currentItem()->text(0), QStringLiteral("p"));
  GStringGrid* grid = editor.PropertyGrid();
  QCOMPARE(grid->CellText(1, RowOf(QStringLiteral("line-height"))), lineHeight);
  QCOMPARE(grid->IsChecked(0, RowOf(QStringLiteral("color"))), colourOn);
  QCOMPARE(editor.IsModified(), unsavedEdit && !colourOn);

  // Asked once: coming back again without a new change asks nothing.
  install_->messages.shown.clear();
  window_->ApplicationEvents1Activate();
  QVERIFY(install_->messages.shown.empty());
}

void MainFormWatchTest::toolButtonsStartTheProgramsFoundOnPath_data() {
  QTest::addColumn<QStringList>("onPath");
  // The desktop's applications, "type=name".
  QTest::addColumn<QStringList>("desktop");
  QTest::addColumn<QString>("button");
  QTest::addColumn<QString>("caption");
  QTest::addColumn<QString>("hint");
  // "<bin>" is the test's PATH, "<address>" the page's preview address,
  // "<page>" and "<css>" the project's files.
  QTest::addColumn<QStringList>("started");
  QTest::addColumn<QStringList>("openedAs");

  const QStringList none;
  QTest::newRow("firefox-esr when firefox is missing")
      << L({"firefox-esr"}) << none << S("sbFirefox") << S("firefox-esr") << S("Lancer avec Firefox")
      << L({"<bin>/firefox-esr", "<address>"}) << none;
  QTest::newRow("firefox before firefox-esr")
      << L({"firefox-esr", "firefox"}) << none << S("sbFirefox") << S("firefox") << S("Lancer avec Firefox")
      << L({"<bin>/firefox", "<address>"}) << none;
  QTest::newRow("google-chrome when chromium is missing")
      << L({"microsoft-edge", "google-chrome"}) << none << S("sbChromium") << S("google-chrome")
      << S("Lancer avec Google Chrome") << L({"<bin>/google-chrome", "<address>"}) << none;
  QTest::newRow("chromium first") << L({"google-chrome", "chromium"}) << none << S("sbChromium") << S("chromium")
                                  << S("Lancer avec Chromium") << L({"<bin>/chromium", "<address>"}) << none;
  QTest::newRow("gedit before kate, the page then the stylesheet")
      << L({"kate", "mousepad", "gedit"}) << L({"text/css=Xed"}) << S("sbEditor") << S("gedit")
      << S("Editer avec gedit") << L({"<bin>/gedit", "<page>", "<css>"}) << none;
  QTest::newRow("no editor: the stylesheet alone, with the desktop's application for CSS")
      << L({"firefox"}) << L({"text/css=Bluefish", "text/plain=Xed"}) << S("sbEditor") << S("Bluefish")
      << S("Ouvrir la feuille de style avec Bluefish, l'application du bureau pour text/css") << none
      << L({"text/css <css>"});
  QTest::newRow("no editor, nothing for CSS: the application for plain text")
      << L({"firefox"}) << L({"text/plain=Xed"}) << S("sbEditor") << S("Xed")
      << S("Ouvrir la feuille de style avec Xed, l'application du bureau pour text/plain") << none
      << L({"text/plain <css>"});
  QTest::newRow("nothing can open the stylesheet: the button says so and is disabled")
      << L({"firefox"}) << none << S("sbEditor") << S("Éditeur")
      << S("Aucun éditeur installé (notepadqq, gedit, kate, mousepad) ni application du bureau pour text/css ou "
           "text/plain")
      << none << none;
  QTest::newRow("missing browser: its button is disabled")
      << L({"gedit"}) << none << S("sbFirefox") << S("firefox") << S("Firefox n'est pas installé") << none << none
     ;
}

void MainFormWatchTest::toolButtonsStartTheProgramsFoundOnPath() {
  QFETCH(QStringList, onPath);
  QFETCH(QStringList, desktop);
  QFETCH(QString, button);
  QFETCH(QString, caption);
  QFETCH(QString, hint);
  QFETCH(QStringList, started);
  QFETCH(QStringList, openedAs);

  const QString bin = install_->Root() + QStringLiteral("/path");
  QVERIFY(QDir().mkpath(bin));
  for (const QString& name : onPath) {
    QVERIFY(WriteAll(bin + QLatin1Char('/') + name, "#!/bin/sh\n"));
    QVERIFY(QFile::setPermissions(bin + QLatin1Char('/') + name, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
  }
  for (const QString& application : desktop)
    launcher_.applications.insert(application.section(QLatin1Char('='), 0, 0), application.section(QLatin1Char('='), 1));
  qputenv("PATH", bin.toLocal8Bit());
  OpenWindow();
  launcher_.opened.clear();

  auto expand = [&](QStringList texts) {
    for (QString& text : texts) {
      text.replace(QStringLiteral("<bin>"), bin);
      text.replace(QStringLiteral("<address>"), PageAddress());
      text.replace(QStringLiteral("<page>"), Page());
      text.replace(QStringLiteral("<css>"), Stylesheet());
    }
    return texts;
  };
  auto* sb = window_->Editor().findChild<QToolButton*>(button);
  QVERIFY(sb);
  QCOMPARE(sb->text(), caption);
  QVERIFY2(sb->toolTip().contains(hint), qPrintable(sb->toolTip()));
  // a button that can start nothing is disabled
  QCOMPARE(sb->isEnabled(), !started.isEmpty() || !openedAs.isEmpty());
  sb->click();
  QCOMPARE(launcher_.started, started.isEmpty() ? QList<QStringList>{} : QList<QStringList>{expand(started)});
  QCOMPARE(launcher_.openedAs, expand(openedAs));
  // Nothing is opened outside the preview: the page is already shown there.
  QCOMPARE(launcher_.opened, QStringList{});
  QVERIFY(install_->messages.shown.empty());
}

void MainFormWatchTest::aSaveReachesTheConnectedPageAndOpensNothing() {
  OpenWindow();
  // "OK" opened the page once, through the preview.
  QCOMPARE(launcher_.opened, QStringList{PageAddress()});
  PreviewServer& preview = *window_->Preview();

  httplib::Client browser("127.0.0.1", preview.Port());
  std::mutex mutex;
  std::string received;
  auto saw = [&](const std::string& part) {
    std::lock_guard lock(mutex);
    return received.find(part) != std::string::npos;
  };
  std::thread listening([&] {
    browser.Get(preview.EventsPath(), [&](const char* data, std::size_t length) {
      std::lock_guard lock(mutex);
      received.append(data, length);
      return true;
    });
  });
  QTRY_COMPARE(preview.ConnectedPages(), 1);
  QTRY_VERIFY(saw("retry:"));

  // In live mode a change is saved at once; the page hears it and no tab
  // is opened.
  window_->Editor().SetLiveMode(true);
  ClickBox(QStringLiteral("color"));
  QVERIFY(ReadAll(Stylesheet()).contains("/*color: red; */"));
  QTRY_VERIFY(saw("event: saved\n"));
  // A save by the button is heard as well.
  window_->Editor().SetLiveMode(false);
  ClickBox(QStringLiteral("color"));
  QVERIFY(window_->Editor().SaveStylesheet());
  QTRY_VERIFY(saw("event: saved\ndata: 2\n\n"));
  QCOMPARE(launcher_.opened.size(), 1);
  // The page's stylesheet, as the browser fetches it after the event.
  httplib::Client fetch("127.0.0.1", preview.Port());
  const auto css = fetch.Get(preview.BasePath() + "css/styles.css");
  QVERIFY(css);
  QCOMPARE(QByteArray::fromStdString(css->body), ReadAll(Stylesheet()));

  // Closing the window stops the server: the page's connection ends and
  // nothing answers any more.
  const int port = preview.Port();
  const std::string path = preview.BasePath() + "index.html";
  QVERIFY(window_->close());
  QVERIFY(!window_->Preview());
  QVERIFY(!window_->Watch());
  listening.join();
  httplib::Client late("127.0.0.1", port);
  late.set_connection_timeout(1);
  QVERIFY(!late.Get(path));
}

void MainFormWatchTest::underTheLocalServerPagesAreNotReadFromDisk() {
  GXMLIni ini;
  ini.Open((Project() + QStringLiteral("site.xml")).toStdString());
  ini.WriteValue(nullptr, settingkind::kLocalServer, "true");
  ini.WriteValue(nullptr, settingkind::kLocalServerProjPath, (install_->Root() + QStringLiteral("/")).toStdString());
  OpenWindow();
  // The page goes to the local web server (PHP runs there), not to the file:
  // whatever answers, it is not the file read from the project.
  httplib::Client browser("127.0.0.1", window_->Preview()->Port());
  browser.set_read_timeout(10);
  const auto page = browser.Get(window_->Preview()->BasePath() + "index.html");
  QVERIFY(page);
  QVERIFY(!(page->status == 200 && QByteArray::fromStdString(page->body).startsWith(ReadAll(Page()).left(20))));
  // Without it the file is served.
  ini.WriteValue(nullptr, settingkind::kLocalServer, "false");
  window_.reset();
  OpenWindow();
  httplib::Client again("127.0.0.1", window_->Preview()->Port());
  const auto file = again.Get(window_->Preview()->BasePath() + "index.html");
  QVERIFY(file);
  QCOMPARE(file->status, 200);
  QVERIFY(QByteArray::fromStdString(file->body).startsWith(ReadAll(Page()).left(20)));
}

}  // namespace korvel

QTEST_MAIN(korvel::MainFormWatchTest)
#include "mainformwatch_test.moc"
