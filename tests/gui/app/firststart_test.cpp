// The first start on a machine where no browser opens the page: the window
// comes up and says so in its status bar; no box comes before it. What stays
// hidden at first (the value editors, the image picker, the "Images" tab)
// is made by the window itself once it is up, and stays hidden.

#include <QStatusBar>
#include <QTabWidget>

#include "app/timagestab.h"
#include "app/tstylesheeteditor.h"
#include "editors/fontsunit.h"
#include "editors/showimageunit.h"
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
  void hiddenPartsAreMadeOnceTheWindowIsUpAndStayHidden();
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

// Nothing here asks the window for its editor or its tabs, which would make
// them on the spot: the window must make them by itself, or a click on an
// image value would find no picker.
void FirstStartTest::hiddenPartsAreMadeOnceTheWindowIsUpAndStayHidden() {
  RecordingLauncher launcher;
  ExampleWindow example(launcher);
  QVERIFY(example.Show());
  TMainForm& window = example.Window();
  QTRY_VERIFY(window.findChild<TImagesTab*>() != nullptr);
  TImagesTab* images = window.findChild<TImagesTab*>();
  QCOMPARE(window.Pages()->count(), 3);
  QCOMPARE(window.Pages()->indexOf(images), 2);
  QVERIFY(!window.Pages()->isTabVisible(2));
  QVERIFY(window.Pages()->isTabVisible(1));
  const auto* picker = window.findChild<TShowImageForm*>();
  QVERIFY(picker != nullptr);
  QVERIFY(!picker->isVisible());
  const auto* fonts = window.findChild<TFontForm*>();
  QVERIFY(fonts != nullptr);
  QVERIFY(!fonts->isVisible());
  QVERIFY(example.Messages().shown.empty());
}

}  // namespace korvel

QTEST_MAIN(korvel::FirstStartTest)
#include "firststart_test.moc"
