// The window while the editor reads a stylesheet on a thread of its own:
// coming back to the application meanwhile asks nothing about the
// stylesheet being replaced; the check waits for the read's end and is made
// on the stylesheet shown then.

#include <QStandardPaths>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <memory>

#include "app/changewatch.h"
#include "app/mainformunit.h"
#include "app/threadunit.h"
#include "app/tstylesheeteditor.h"
#include "support/guitestsupport.h"

namespace korvel {

namespace {

using namespace std::chrono_literals;

const QByteArray kStylesheet = "p { line-height: 1.5 }\n";
const QByteArray kEditedOutside = "p { line-height: 2 }\n";

// As most editors save: a new file renamed over the old one.
bool SaveAsEditorsDo(const QString& path, const QByteArray& bytes) {
  const QString fresh = path + QStringLiteral(".new");
  return WriteAll(fresh, bytes) && std::rename(qPrintable(fresh), qPrintable(path)) == 0;
}

}  // namespace

class MainFormReadingTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void theWatchAsksOnceTheReadHasEnded_data();
  void theWatchAsksOnceTheReadHasEnded();
};

void MainFormReadingTest::theWatchAsksOnceTheReadHasEnded_data() {
  QTest::addColumn<bool>("readable");
  QTest::addColumn<QString>("shown");  // the stylesheet shown in the end, below the project
  // The other stylesheet was just read: nothing to ask about.
  QTest::newRow("another stylesheet read") << true << QStringLiteral("css/other.css");
  // The stylesheet shown stays, and its outside edit is asked about.
  QTest::newRow("the read fails") << false << QStringLiteral("css/styles.css");
}

void MainFormReadingTest::theWatchAsksOnceTheReadHasEnded() {
  QFETCH(bool, readable);
  QFETCH(QString, shown);
  TestInstallation install;
  QVERIFY(install.Ready());
  QVERIFY(install.MakeProject(kStylesheet));
  const QString other = install.Project() + QStringLiteral("css/other.css");
  if (readable) QVERIFY(WriteAll(other, "h1 { color: navy }\n"));
  TMainForm window(install.Dm(), install.launcher, install.Registry());
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QVERIFY(window.Watch());
  QVERIFY(window.Watch()->Thread().WaitUntilWatching(5s));
  TStyleSheetEditor& editor = window.Editor();
  QCOMPARE(editor.CSSFilePath(), install.Stylesheet());

  QVERIFY(SaveAsEditorsDo(install.Stylesheet(), kEditedOutside));
  QVERIFY(window.Watch()->Thread().WaitForName("css/styles.css", 5s));
  editor.SetBackgroundReadFrom(0);
  bool askedDuringRead = true;
  QObject::connect(&editor, &TStyleSheetEditor::Reading, &window, [&](bool busy) {
    if (!busy) return;
    window.ApplicationEvents1Activate();
    askedDuringRead = !install.messages.shown.empty();
  });
  if (!readable) install.messages.answers.push_back(MessageAnswer::Cancel);
  QCOMPARE(editor.LoadStylesheet(other), readable);
  QVERIFY(!askedDuringRead);
  QCoreApplication::processEvents();

  QCOMPARE(editor.CSSFilePath(), install.Project() + shown);
  const bool asked = install.messages.Saw("Le fichier CSS courant a été modifié : css/styles.css\nRecharger ?");
  QCOMPARE(asked, !readable);
  QCOMPARE(install.messages.shown.size(), std::size_t{readable ? 0u : 2u});  // the error, then the question
  QVERIFY(install.messages.answers.empty());
  QVERIFY(install.AllAnswered());
}

}  // namespace korvel

QTEST_MAIN(korvel::MainFormReadingTest)
#include "mainformreading_test.moc"
