// The first start on a machine where no browser opens the page: the window
// comes up and says so in its status bar; no box comes before it.

#include <QStatusBar>
#include <QTabWidget>

#include "app/tstylesheeteditor.h"
#include "support/examplewindow.h"

namespace korvel {

namespace {

/// A desktop where nothing opens: no default browser, no program starts.
class NothingOpens final : public ProgramLauncher {
 public:
  bool OpenWithDefault(const QString& fileOrUrl) override {
    tried << fileOrUrl;
    return false;
  }
  bool StartProgram(const QString&, const QStringList&) override { return false; }
  QString ApplicationFor(const QString&) override { return {}; }
  bool OpenAs(const QString&, const QString&) override { return false; }
  QStringList tried;
};

}  // namespace

class FirstStartTest final : public QObject {
  Q_OBJECT

 private slots:
  void withoutABrowserTheWindowSaysSoInItsStatusBar();
};

void FirstStartTest::withoutABrowserTheWindowSaysSoInItsStatusBar() {
  NothingOpens launcher;
  ExampleWindow example(launcher);
  QVERIFY(example.Show());
  TMainForm& window = example.Window();
  // The example project is open and its page was tried.
  QCOMPARE(window.Pages()->currentWidget(), &window.Editor());
  QCOMPARE(launcher.tried.size(), qsizetype{1});
  QVERIFY(example.Messages().shown.empty());
  QCOMPARE(window.statusBar()->currentMessage(),
           QStringLiteral("Impossible d'ouvrir l'adresse « %1 » dans le navigateur.").arg(launcher.tried.front()));
}

}  // namespace korvel

QTEST_MAIN(korvel::FirstStartTest)
#include "firststart_test.moc"
