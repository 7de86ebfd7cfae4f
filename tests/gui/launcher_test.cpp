// The outside tools with a PATH of small scripts standing in for browsers
// and editors: which program each button finds and starts, with which
// arguments, and what the user is told when none can start.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/launcher.h"
#include "guitestsupport.h"

namespace korvel {

namespace {

// A launcher whose every start fails.
class FailingLauncher final : public ProgramLauncher {
 public:
  bool OpenWithDefault(const QString&) override { return false; }
  bool StartProgram(const QString&, const QStringList&) override { return false; }
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
    QVERIFY(none.Editor().hint.startsWith(QStringLiteral("Editer avec l'application par défaut")));
  }

  void programsReceiveTheirArgumentsAsAList() {
    UsePath({QStringLiteral("firefox"), QStringLiteral("chromium"), QStringLiteral("kate")});
    DesktopLauncher desktop;
    QtMessageRecorder messages;
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

  void withoutAnEditorBothFilesOpenWithTheDefaultApplication() {
    UsePath({});
    RecordingLauncher launcher;
    OutsideTools tools(launcher);
    tools.RunEditor(QStringLiteral("/p/index.html"), QStringLiteral("/p/styles.css"));
    QCOMPARE(launcher.opened, (QStringList{QStringLiteral("/p/index.html"), QStringLiteral("/p/styles.css")}));
    QVERIFY(launcher.started.isEmpty());
  }

  void aMissingProgramIsToldInFrench() {
    UsePath({});
    DesktopLauncher desktop;
    QtMessageRecorder messages;
    OutsideTools tools(desktop);
    tools.RunFirefox(QStringLiteral("/p/index.html"));
    QCOMPARE(messages.shown.size(), std::size_t{1});
    QCOMPARE(messages.shown[0].text, std::string("Impossible de lancer le programme « firefox »."));
    QCOMPARE(messages.shown[0].caption, std::string("Erreur de lancement"));
  }

  void aFailedOpenIsToldAndReturnsMinusOne() {
    FailingLauncher failing;
    QtMessageRecorder messages;
    OutsideTools tools(failing);
    QCOMPARE(tools.OpenInDefaultBrowser(QStringLiteral("http://localhost/proj")), -1);
    QCOMPARE(messages.shown.at(0).text,
             std::string("Impossible d'ouvrir « http://localhost/proj » dans le navigateur."));
    QCOMPARE(messages.shown.at(0).caption, std::string("Erreur de lancement"));
    // The editor's fallback stops at the first failure: one message, not two.
    tools.RunEditor(QStringLiteral("/p/index.html"), QStringLiteral("/p/styles.css"));
    QCOMPARE(messages.shown.size(), std::size_t{2});
  }
};

}  // namespace korvel

QTEST_GUILESS_MAIN(korvel::LauncherTest)
#include "launcher_test.moc"
