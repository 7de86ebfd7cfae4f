// The outside tools with a PATH of small scripts standing in for browsers
// and editors: which program each button finds and starts, with which
// arguments, and what the user is told when none can start.

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include "app/launcher.h"
#include "support/guitestsupport.h"

namespace korvel {

namespace {

// A launcher whose every start fails, on a desktop that has an application
// for stylesheets.
class FailingLauncher final : public ProgramLauncher {
 public:
  bool OpenWithDefault(const QString&) override { return false; }
  bool StartProgram(const QString&, const QStringList&) override { return false; }
  QString ApplicationFor(const QString&) override { return QStringLiteral("Xed"); }
  bool OpenAs(const QString&, const QString&) override { return false; }
};

// "a b c" as a list of names.
QStringList Names(const char* spaced) { return QString::fromLatin1(spaced).split(QLatin1Char(' '), Qt::SkipEmptyParts); }

}  // namespace

class LauncherTest final : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir bin_;
  QByteArray savedPath_;

  // A program on the fake PATH that writes its arguments, one a line, to
  // <name>.ran beside itself.
  void Install(const QString& name) {
    const QString path = bin_.filePath(name);
    QFile script(path);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.ran\"\n");
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
  }

  void UsePath(const QStringList& programs) {
    for (const QString& name : QDir(bin_.path()).entryList(QDir::Files)) QFile::remove(bin_.filePath(name));
    for (const QString& name : programs) Install(name);
    qputenv("PATH", QFile::encodeName(bin_.path()));
  }

  QStringList ArgumentsReceivedBy(const QString& name) {
    QFile ran(bin_.filePath(name + QStringLiteral(".ran")));
    for (int round = 0; round < 250 && !ran.exists(); ++round) QTest::qWait(20);
    // The script may still be writing: wait for its last line.
    QByteArray text;
    for (int round = 0; round < 50; ++round) {
      if (ran.open(QIODevice::ReadOnly)) {
        text = ran.readAll();
        ran.close();
        if (text.endsWith('\n')) break;
      }
      QTest::qWait(20);
    }
    QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
  }

 private slots:
  void initTestCase() {
    QVERIFY(bin_.isValid());
    savedPath_ = qgetenv("PATH");
  }
  void cleanupTestCase() { qputenv("PATH", savedPath_); }

  void pageAddress_data() {
    QTest::addColumn<QString>("serverFolder");
    QTest::addColumn<bool>("useServer");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("address");
    QTest::newRow("no local server: the page itself")
        << "/var/www/" << false << "/home/ana/proj/index.html" << "/home/ana/proj/index.html";
    QTest::newRow("page in a project folder") << "/var/www/" << true << "/var/www/proj/index.php"
                                              << "http://localhost/proj";
    QTest::newRow("page in a sub-folder") << "/var/www/" << true << "/var/www/proj/sub/page.php"
                                          << "http://localhost/proj/sub";
    QTest::newRow("page at the server's root") << "/var/www/" << true << "/var/www/index.php" << "http://localhost/";
    QTest::newRow("page outside the server's folder") << "/var/www/" << true << "/home/ana/proj/index.php"
                                                      << "http://localhost/home/ana/proj";
  }
  void pageAddress() {
    QFETCH(QString, serverFolder);
    QFETCH(bool, useServer);
    QFETCH(QString, page);
    QFETCH(QString, address);
    QCOMPARE(PageAddress(serverFolder, useServer, page), address);
  }

  void eachButtonFindsItsFirstInstalledProgram_data() {
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("firefox");
    QTest::addColumn<QString>("chromium");
    QTest::addColumn<QString>("editor");
    QTest::newRow("everything") << Names("firefox firefox-esr chromium google-chrome notepadqq gedit")
                                << "firefox" << "chromium" << "notepadqq";
    QTest::newRow("Debian's own") << Names("firefox-esr chromium mousepad") << "firefox-esr" << "chromium"
                                  << "mousepad";
    QTest::newRow("vendors' browsers") << Names("microsoft-edge google-chrome kate mousepad") << ""
                                       << "google-chrome" << "kate";
    QTest::newRow("nothing") << Names("") << "" << "" << "";
  }
  void eachButtonFindsItsFirstInstalledProgram() {
    QFETCH(QStringList, installed);
    QFETCH(QString, firefox);
    QFETCH(QString, chromium);
    QFETCH(QString, editor);
    UsePath(installed);
    RecordingLauncher launcher;
    const OutsideTools tools(launcher);
    const auto found = [this](const QString& name) { return name.isEmpty() ? QString() : bin_.filePath(name); };
    QCOMPARE(tools.Firefox().program, found(firefox));
    QCOMPARE(tools.Chromium().program, found(chromium));
    QCOMPARE(tools.Editor().program, found(editor));
  }

  void hintsNameTheProgramOrSayItIsMissing() {
    UsePath({QStringLiteral("firefox-esr"), QStringLiteral("google-chrome"), QStringLiteral("gedit")});
    RecordingLauncher launcher;
    OutsideTools tools(launcher);
    QCOMPARE(tools.Firefox().hint, QStringLiteral("Lancer avec Firefox"));
    QCOMPARE(tools.Chromium().hint, QStringLiteral("Lancer avec Google Chrome"));
    QCOMPARE(tools.Editor().hint, QStringLiteral("Editer avec gedit"));

    UsePath({});
    OutsideTools none(launcher);
    QCOMPARE(none.Firefox().hint, QStringLiteral("Firefox n'est pas installé (firefox, firefox-esr)"));
    QCOMPARE(none.Chromium().hint,
             QStringLiteral("Aucun navigateur installé parmi chromium, google-chrome, microsoft-edge"));
    QCOMPARE(none.Editor().hint, QStringLiteral("Aucun éditeur installé (notepadqq, gedit, kate, mousepad) ni "
                                                "application du bureau pour text/css ou text/plain"));
    QVERIFY(!none.CanEdit());
  }

  void programsReceiveTheirArgumentsAsAList() {
    UsePath({QStringLiteral("firefox"), QStringLiteral("chromium"), QStringLiteral("kate")});
    DesktopLauncher desktop;
    MessageRecorder messages;
    OutsideTools tools(desktop);
    // Nothing here may be read by a shell.
    const QString page = QStringLiteral("/tmp/mon projet/\"page\" $(touch x); 'é'.html");
    const QString css = QStringLiteral("/tmp/mon projet/css/styles.css");
    tools.RunFirefox(page);
    tools.RunChromium(QStringLiteral("http://127.0.0.1:8123/index.html"));
    tools.RunEditor(page, css);
    QCOMPARE(ArgumentsReceivedBy(QStringLiteral("firefox")), QStringList{page});
    QCOMPARE(ArgumentsReceivedBy(QStringLiteral("chromium")), QStringList{QStringLiteral("http://127.0.0.1:8123/index.html")});
    QCOMPARE(ArgumentsReceivedBy(QStringLiteral("kate")), (QStringList{page, css}));
    QVERIFY(messages.shown.empty());
  }

  // Without an editor, only the stylesheet opens, and by its type: the page
  // is in the preview already.
  void withoutAnEditorTheStylesheetOpensWithTheDesktopsApplication_data() {
    QTest::addColumn<QStringList>("desktop");  // "type=name"
    QTest::addColumn<QStringList>("openedAs");
    QTest::addColumn<QString>("message");
    QTest::newRow("an application for CSS") << Names("text/css=Bluefish text/plain=Xed")
                                            << QStringList{QStringLiteral("text/css /p/styles.css")} << "";
    QTest::newRow("plain text only") << Names("text/plain=Xed")
                                     << QStringList{QStringLiteral("text/plain /p/styles.css")} << "";
    QTest::newRow("nothing") << Names("") << QStringList{}
                             << "Rien ne peut ouvrir la feuille de style « /p/styles.css » : aucun éditeur n'est "
                                "installé (notepadqq, gedit, kate, mousepad) et le bureau n'a pas d'application "
                                "pour text/css ni pour text/plain.";
  }
  void withoutAnEditorTheStylesheetOpensWithTheDesktopsApplication() {
    QFETCH(QStringList, desktop);
    QFETCH(QStringList, openedAs);
    QFETCH(QString, message);
    UsePath({});
    RecordingLauncher launcher;
    for (const QString& application : desktop)
      launcher.applications.insert(application.section(QLatin1Char('='), 0, 0),
                                   application.section(QLatin1Char('='), 1));
    MessageRecorder messages;
    OutsideTools tools(launcher);
    QCOMPARE(tools.CanEdit(), !openedAs.isEmpty());
    tools.RunEditor(QStringLiteral("/p/index.html"), QStringLiteral("/p/styles.css"));
    QCOMPARE(launcher.openedAs, openedAs);
    QVERIFY(launcher.opened.isEmpty());
    QVERIFY(launcher.started.isEmpty());
    QCOMPARE(messages.shown.size(), std::size_t(message.isEmpty() ? 0 : 1));
    if (!message.isEmpty()) QCOMPARE(QString::fromStdString(messages.shown[0].text), message);
  }

  // The desktop's own way: xdg-mime names the entry, whose command line
  // receives the stylesheet in place of its field code.
  void theDesktopsApplicationIsFoundAndStartedFromItsEntry() {
    UsePath({QStringLiteral("bluefish")});
    QFile query(bin_.filePath(QStringLiteral("xdg-mime")));
    QVERIFY(query.open(QIODevice::WriteOnly));
    query.write("#!/bin/sh\n[ \"$1 $2 $3\" = \"query default text/css\" ] && echo korvel-test-bluefish.desktop\n");
    query.close();
    QVERIFY(query.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QTemporaryDir data;
    QVERIFY(QDir().mkpath(data.filePath(QStringLiteral("applications"))));
    QFile entry(data.filePath(QStringLiteral("applications/korvel-test-bluefish.desktop")));
    QVERIFY(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Bluefish\nName[fr]=Bluefish en français\nExec=\"" +
                QFile::encodeName(bin_.filePath(QStringLiteral("bluefish"))) +
                "\" --new-window %F\nIcon=bluefish\n[Desktop Action New]\nName=Nouveau\nExec=other\n");
    entry.close();
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    QLocale::setDefault(QLocale(QStringLiteral("fr_FR")));

    DesktopLauncher desktop;
    MessageRecorder messages;
    OutsideTools tools(desktop);
    const QString caption = tools.Editor().caption;
    const QString css = QStringLiteral("/tmp/mon projet/css/styles.css");
    tools.RunEditor(QStringLiteral("/tmp/mon projet/index.html"), css);
    const QStringList received = ArgumentsReceivedBy(QStringLiteral("bluefish"));
    const bool plainText = desktop.ApplicationFor(QStringLiteral("text/plain")).isEmpty();

    qputenv("XDG_DATA_HOME", savedData);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(caption, QStringLiteral("Bluefish en français"));
    QCOMPARE(received, (QStringList{QStringLiteral("--new-window"), css}));
    QVERIFY(plainText);
    QVERIFY(messages.shown.empty());
  }

  void aMissingProgramIsToldInFrench() {
    UsePath({});
    DesktopLauncher desktop;
    MessageRecorder messages;
    OutsideTools tools(desktop);
    tools.RunFirefox(QStringLiteral("/p/index.html"));
    QCOMPARE(messages.shown.size(), std::size_t{1});
    QCOMPARE(messages.shown[0].text, std::string("Impossible de lancer le programme « firefox »."));
    QCOMPARE(messages.shown[0].caption, std::string("Échec du lancement"));
  }

  void aFailedOpenIsToldAndReturnsMinusOne() {
    UsePath({});
    FailingLauncher failing;
    MessageRecorder messages;
    OutsideTools tools(failing);
    QCOMPARE(tools.OpenInDefaultBrowser(QStringLiteral("http://localhost/proj")), -1);
    QCOMPARE(messages.shown.at(0).text, std::string("Impossible d'ouvrir l'adresse « http://localhost/proj » dans le navigateur."));
    QCOMPARE(messages.shown.at(0).caption, std::string("Échec du lancement"));
    // The desktop's application for stylesheets that cannot start is named.
    tools.RunEditor(QStringLiteral("/p/index.html"), QStringLiteral("/p/styles.css"));
    QCOMPARE(messages.shown.size(), std::size_t{2});
    QCOMPARE(messages.shown.at(1).text, std::string("Impossible d'ouvrir la feuille de style « /p/styles.css » avec Xed."));
  }
};

}  // namespace korvel

QTEST_GUILESS_MAIN(korvel::LauncherTest)
#include "launcher_test.moc"
