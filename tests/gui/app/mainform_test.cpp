// The main window, driven as a user drives it: a project is opened, rules
// are clicked, boxes toggled, values edited in place, and the file's bytes
// are compared after each save.

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QSplitter>
#include <QStandardPaths>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>

#include <memory>

#include "app/dmunit.h"
#include "app/mainformunit.h"
#include "app/previewserver.h"
#include "app/tcelldispatch.h"
#include "app/tentrypage.h"
#include "app/timagestab.h"
#include "app/tstylesheeteditor.h"
#include "app/settingsstore.h"
#include "editors/formeditunit.h"
#include "editors/gstringgrid.h"
#include "support/guitestsupport.h"
#include "model/filebytes.h"
#include "settings/gxmlini.h"
#include "shell/folderview.h"
#include "shell/gexplorer.h"

namespace korvel {

namespace {

const QByteArray kStylesheet =
    "@import url(\"reset.css\");\n"
    "/* <Layout> */\n"
    "body { margin: 0; color: #333333 }\n"
    "/* </Layout> */\n"
    "h1 { color: navy; font-size: 2em; /*border: 1px solid red; */ }\n"
    "p { line-height: 1.5 }\n"
    "@media print {\n  p { color: black }\n}\n"
    ".card { padding: 4px; .title { font-weight: bold } }\n";

}  // namespace

class MainFormTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    // The tree sorts as the user's language does; the tests read it in French.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  }
  void init();
  void cleanup();

  void firstRunOpensTheExampleProject();
  void storedProjectOpensWithItsRulesGroupedAndSorted();
  void toggleAndSaveWritesSwitchedOffProperty();
  void deleteAndSaveRemovesTheLine();
  void addPropertyAndEditInPlace();
  void escapeCancelsAnInPlaceEdit();
  void keywordValueIsPickedFromTheList();
  void yesOnAnotherRuleSavesTheFile();
  void noOnAnotherRuleDropsTheEdits();
  void refusedSaveKeepsTheShownRule();
  void cancelOnAnotherRuleStaysOnTheRule();
  void okOfEntreeAsksAboutTheTypedValue_data();
  void okOfEntreeAsksAboutTheTypedValue();
  void ruleInsideAGroupIsFoundAgainAfterReload();
  void valueThatWouldCutTheStylesheetIsRefused();
  void closingAsksAboutUnsavedEdits_data();
  void closingAsksAboutUnsavedEdits();
  void latinStylesheetKeepsItsBytes();
  void liveModeSavesAtOnce();
  void brokenProjectIsSaidOnceAndStaysRemembered_data();
  void brokenProjectIsSaidOnceAndStaysRemembered();
  void readOnlySettingsAreSaidOnce();
  void malformedSettingsFileIsReportedAndLeftAlone();
  void unwritableStylesheetKeepsTheEdits();
  void borderButtonOutlinesTheRule();
  void missingDictionaryStopsTheWindowWithItsName();
  void emptyCustomPropertyCanBeSaved();
  void liveModeWritesATypedChoiceOnce();
  void readOnlyStylesheetIsReplacedOnlyWhenTheUserSays();
  void interruptedSaveLeftoversGoWhenTheProjectOpens();
  void typedValueIsCommittedBeforeLeaving_data();
  void typedValueIsCommittedBeforeLeaving();
  void keyboardInTheTreeShowsTheRule();
  void nameColumnTheUserWidenedStaysWide();
  void nameColumnFitsItsLongestName_data();
  void nameColumnFitsItsLongestName();
  void reloadingSaveKeepsTheTreeAsItWas();
  void unreadableStylesheetLeavesTheShownOneToBeSaved();
  void syntaxErrorsAreSaidOnceWithTheirLines();
  void stylesheetGivenAloneOpensWithoutAPage_data();
  void stylesheetGivenAloneOpensWithoutAPage();
  void stylesheetReadOnItsOwnThreadAtStartUpWaitsForTheWindow_data();
  void stylesheetReadOnItsOwnThreadAtStartUpWaitsForTheWindow();
  void imagesTabStaysWithTheOpenedProjectWhileEntreeBrowses();

 private:
  QString Project() const { return install_->Project(); }
  QString Stylesheet() const { return install_->Stylesheet(); }
  void MakeProject(const QByteArray& css);
  void OpenWindow();
  void ClickRule(const QString& name);
  void ClickBox(int row);
  void ClickValue(int row);
  int RowOf(const QString& property) const;
  bool Save() { return window_->Editor().SaveStylesheet(); }

  std::unique_ptr<TestInstallation> install_;
  std::unique_ptr<TMainForm> window_;
};

void MainFormTest::init() {
  install_ = std::make_unique<TestInstallation>();
  QVERIFY(install_->Ready());
}

void MainFormTest::cleanup() {
  if (window_) {
    window_->hide();
    window_.reset();
  }
  QVERIFY(install_->AllAnswered());
  install_.reset();
}

void MainFormTest::MakeProject(const QByteArray& css) {
  QVERIFY(QDir().mkpath(Project() + QStringLiteral("img")));
  QVERIFY(install_->MakeProject(css, Project() + QStringLiteral("img")));
}

void MainFormTest::OpenWindow() {
  window_ = std::make_unique<TMainForm>(install_->Dm(), install_->launcher, install_->Registry());
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void MainFormTest::ClickRule(const QString& name) {
  QTreeWidgetItem* node = window_->Editor().FindNode(name);
  QVERIFY2(node, qPrintable(name));
  QTreeWidget* tree = window_->Editor().RuleTree();
  if (node->parent()) node->parent()->setExpanded(true);
  tree->scrollToItem(node);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
}

void MainFormTest::ClickBox(int row) {
  GStringGrid* grid = window_->Editor().PropertyGrid();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CheckBoxRect(0, row).center());
}

void MainFormTest::ClickValue(int row) {
  GStringGrid* grid = window_->Editor().PropertyGrid();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(1, row).center());
}

int MainFormTest::RowOf(const QString& property) const {
  GStringGrid* grid = window_->Editor().PropertyGrid();
  for (int row = 0; row < grid->RowCount(); ++row)
    if (grid->CellText(0, row) == property) return row;
  return -1;
}

void MainFormTest::firstRunOpensTheExampleProject() {
  OpenWindow();
  const QString example = install_->Dm().ExampleFolder();
  QCOMPARE(window_->EntryPage().CSSFilePath(), example + QStringLiteral("styles.css"));
  QCOMPARE(window_->Pages()->currentIndex(), 1);
  QVERIFY(window_->Editor().RuleTree()->topLevelItemCount() > 0);
  QVERIFY(!window_->Editor().ShownRule().isEmpty());
  QVERIFY(window_->Editor().PropertyGrid()->RowCount() > 0);
  // The page is shown through the preview, which serves the project.
  QVERIFY(window_->Preview());
  const std::string page = (example + QStringLiteral("index.html")).toStdString();
  QCOMPARE(install_->launcher.opened, QStringList{QString::fromStdString(window_->Preview()->AddressOf(page))});
  QVERIFY(QFileInfo::exists(example + QStringLiteral("exempleCSS.xml")));
  QCOMPARE(install_->Registry().ProjectFolderPath(), example);
  QVERIFY(install_->messages.shown.empty());
}

void MainFormTest::storedProjectOpensWithItsRulesGroupedAndSorted() {
  MakeProject(kStylesheet);
  OpenWindow();
  QCOMPARE(window_->EntryPage().ProjectFolderPath(), Project());
  QTreeWidget* tree = window_->Editor().RuleTree();
  QStringList top;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) top << tree->topLevelItem(i)->text(0);
  QCOMPARE(top, (QStringList{QStringLiteral(".card"), QStringLiteral("@import url(\"reset.css\")"),
                             QStringLiteral("@media print"), QStringLiteral("h1"), QStringLiteral("Layout"),
                             QStringLiteral("p")}));
  QTreeWidgetItem* layout = window_->Editor().FindNode(QStringLiteral("body"))->parent();
  QVERIFY(layout);
  QCOMPARE(layout->text(0), QStringLiteral("Layout"));
  // the first rule of the tree is shown
  QCOMPARE(window_->Editor().ShownRule(), QStringLiteral(".card"));
  ClickRule(QStringLiteral("body"));
  GStringGrid* grid = window_->Editor().PropertyGrid();
  QCOMPARE(grid->RowCount(), 2);
  QCOMPARE(grid->CellText(0, 1), QStringLiteral("color"));
  QCOMPARE(grid->CellText(1, 1), QStringLiteral("#333333"));
  QVERIFY(grid->IsChecked(0, 1));
}

void MainFormTest::toggleAndSaveWritesSwitchedOffProperty() {
  MakeProject(kStylesheet);
  OpenWindow();
  ClickRule(QStringLiteral("h1"));
  QCOMPARE(window_->Editor().ShownRule(), QStringLiteral("h1"));
  const int color = RowOf(QStringLiteral("color"));
  const int border = RowOf(QStringLiteral("border"));
  QVERIFY(!window_->Editor().PropertyGrid()->IsChecked(0, border));
  ClickBox(color);
  ClickBox(border);
  QVERIFY(window_->Editor().IsModified());
  QVERIFY(Save());
  QVERIFY(!window_->Editor().IsModified());
  const QByteArray saved = ReadAll(Stylesheet());
  QVERIFY(saved.contains("h1\n{\n /*color: navy; */\n font-size: 2em;\n border: 1px solid red;\n}\n"));
  QVERIFY2(saved.startsWith("@import url(\"reset.css\");\n"), saved.constData());
  // Blocks and nested rules in the same layout, one step in per level.
  QVERIFY(saved.contains("@media print\n{\n p\n {\n  color: black;\n }\n}\n"));
  QVERIFY(saved.contains(".card\n{\n padding: 4px;\n .title\n {\n  font-weight: bold;\n }\n}\n"));
}

void MainFormTest::deleteAndSaveRemovesTheLine() {
  MakeProject(kStylesheet);
  OpenWindow();
  ClickRule(QStringLiteral("h1"));
  window_->Editor().PropertyGrid()->SetCurrentRow(RowOf(QStringLiteral("font-size")));
  window_->Editor().DeleteProperty();
  QVERIFY(window_->Editor().PropertyGrid()->IsDeleted(0, RowOf(QStringLiteral("font-size"))));
  QVERIFY(Save());
  QVERIFY(!ReadAll(Stylesheet()).contains("font-size"));
  QCOMPARE(window_->Editor().ShownRule(), QStringLiteral("h1"));
  // the reload takes the row away
  QCOMPARE(RowOf(QStringLiteral("font-size")), -1);
  QCOMPARE(window_->Editor().PropertyGrid()->RowCount(), 2);
}

void MainFormTest::addPropertyAndEditInPlace() {
  MakeProject(kStylesheet);
  OpenWindow();
  ClickRule(QStringLiteral("p"));
  // A length opens the length editor; its free text box is OK'd with Enter.
  window_->Editor().AddProperty(QStringLiteral("text-indent"));
  GStringGrid* grid = window_->Editor().PropertyGrid();
  TFormEdit* lengths = window_->Editor().Dispatch().FormEdit();
  const int row = RowOf(QStringLiteral("text-indent"));
  QVERIFY(row >= 0);
  QVERIFY(lengths->isVisible());
  QTest::keyClicks(lengths->Edit(), QStringLiteral("2em"));
  QTest::keyClick(lengths->Edit(), Qt::Key_Return);
  QCOMPARE(grid->CellText(1, row), QStringLiteral("2em"));

  ClickValue(RowOf(QStringLiteral("line-height")));
  QVERIFY(lengths->isVisible());
  lengths->Edit()->selectAll();
  QTest::keyClicks(lengths->Edit(), QStringLiteral("1.8"));
  QTest::keyClick(lengths->Edit(), Qt::Key_Return);
  QVERIFY(window_->Editor().IsModified());
  QVERIFY(Save());
  QVERIFY(ReadAll(Stylesheet()).contains("p\n{\n line-height: 1.8;\n text-indent: 2em;\n}\n"));
}

void MainFormTest::escapeCancelsAnInPlaceEdit() {
  MakeProject("p { order: 1; line-height: 1.5 }\n");
  OpenWindow();
  GStringGrid* grid = window_->Editor().PropertyGrid();
  ClickValue(0);
  QVERIFY(grid->IsEditVisible());
  QTest::keyClicks(grid->EditBox(), QStringLiteral("9"));
  QTest::keyClick(grid->EditBox(), Qt::Key_Escape);
  QCOMPARE(grid->CellText(1, 0), QStringLiteral("1"));
  // and so does the length editor's
  TFormEdit* lengths = window_->Editor().Dispatch().FormEdit();
  ClickValue(1);
  QVERIFY(lengths->isVisible());
  QTest::keyClicks(lengths->Edit(), QStringLiteral("9"));
  QTest::keyClick(lengths->Edit(), Qt::Key_Escape);
  QVERIFY(!lengths->isVisible());
  QCOMPARE(grid->CellText(1, 1), QStringLiteral("1.5"));
  QVERIFY(!window_->Editor().IsModified());
}

void MainFormTest::keywordValueIsPickedFromTheList() {
  MakeProject("p { text-align: left; line-height: 1.5 }\n");
  OpenWindow();
  GStringGrid* grid = window_->Editor().PropertyGrid();
  ClickValue(RowOf(QStringLiteral("text-align")));
  QVERIFY(grid->IsComboVisible());
  QVERIFY(grid->ComboItems().contains(QStringLiteral("center")));
  QVERIFY(grid->ComboItems().contains(QStringLiteral("inherit")));
  QCOMPARE(grid->ComboText(), QStringLiteral("left"));
  grid->ComboBox()->setFocus();
  const int center = grid->ComboItems().indexOf(QStringLiteral("center"));
  grid->ComboBox()->setCurrentIndex(center);
  emit grid->ComboBox()->textActivated(QStringLiteral("center"));
  QCOMPARE(grid->CellText(1, RowOf(QStringLiteral("text-align"))), QStringLiteral("center"));
  QVERIFY(window_->Editor().IsModified());
}

void MainFormTest::yesOnAnotherRuleSavesTheFile() {
  MakeProject(kStylesheet);
  OpenWindow();
  ClickRule(QStringLiteral("h1"));
  ClickBox(RowOf(QStringLiteral("color")));
  install_->messages.answers.push_back(MessageAnswer::Yes);
  ClickRule(QStringLiteral("p"));
  QVERIFY(install_->messages.Saw("Sauvegarder ?"));
  // Yes writes the file, not only the document
  QVERIFY(ReadAll(Stylesheet()).contains(" /*color: navy; */"));
  QVERIFY(!window_->Editor().IsModified());
  QCOMPARE(window_->Editor().ShownRule(), QStringLiteral("p"));
}

void MainFormTest::noOnAnotherRuleDropsTheEdits() {
  MakeProject(kStylesheet);
  OpenWindow();
  ClickRule(QStringLiteral("h1"));
  ClickBox(RowOf(QStringLiteral("color")));
  install_->messages.answers.push_back(MessageAnswer::No);
  ClickRule(QStringLiteral("p"));
  QVERIFY(!window_->Editor().IsModified());
  QCOMPARE(ReadAll(Stylesheet()), kStylesheet);
  ClickRule(QStringLiteral("h1"));
  QVERIFY(window_->Editor().PropertyGrid()->IsChecked(0, RowOf(QStringLiteral("color"))));
}

void MainFormTest::refusedSaveKeepsTheShownRule() {
  MakeProject(kStylesheet);
  OpenWindow();
  ClickRule(QStringLiteral("h1"));
  window_->Editor().AddProperty(QStringLiteral("margin"));  // left empty
  QTest::keyClick(window_->Editor().PropertyGrid()->EditBox(), Qt::Key_Return);
  install_->messages.answers.push_back(MessageAnswer::Yes);
  ClickRule(QStringLiteral("p"));
  QVERIFY(install_->messages.Saw("non renseignées"));
  QCOMPARE(window_->Editor().ShownRule(), QStringLiteral("h1"));
  QCOMPARE(window_->Editor().RuleTree()->currentItem()->text(0), QStringLiteral("h1"));
  QVERIFY(window_->Editor().IsModified());
  QCOMPARE(ReadAll(Stylesheet()), kStylesheet);
}

void MainFormTest::cancelOnAnotherRuleStaysOnTheRule() {
  MakeProject(kStylesheet);
  OpenWindow();
  ClickRule(QStringLiteral("h1"));
  ClickBox(RowOf(QStringLiteral("color")));
  install_->messages.answers.push_back(MessageAnswer::Cancel);
  ClickRule(QStringLiteral("p"));
  QCOMPARE(install_->messages.shown.size(), std::size_t{1});
  QCOMPARE(install_->messages.shown.front().buttons, MessageButtons::YesNoCancel);
  QCOMPARE(window_->Editor().ShownRule(), QStringLiteral("h1"));
  QCOMPARE(window_->Editor().RuleTree()->currentItem()->text(0), QStringLiteral("h1"));
  QVERIFY(window_->Editor().IsModified());
  QVERIFY(!window_->Editor().PropertyGrid()->IsChecked(0, RowOf(QStringLiteral("color"))));
  QCOMPARE(ReadAll(Stylesheet()), kStylesheet);
}

// "OK" on "Entrée" reads the stylesheet again: the value still being typed
// is asked about first, and saved, dropped or kept as the user says.
void MainFormTest::okOfEntreeAsksAboutTheTypedValue_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<int>("answer");
  QTest::addColumn<QByteArray>("inFile");
  QTest::addColumn<bool>("reopened");
  QTest::newRow("yes saves the typed value") << "2" << static_cast<int>(MessageAnswer::Yes) << QByteArray("order: 2;")
                                             << true;
  QTest::newRow("no drops it") << "2" << static_cast<int>(MessageAnswer::No) << QByteArray("order: 1") << true;
  QTest::newRow("cancel keeps it unsaved") << "2" << static_cast<int>(MessageAnswer::Cancel)
                                           << QByteArray("order: 1") << false;
  QTest::newRow("a save refused keeps it unsaved")
      << "" << static_cast<int>(MessageAnswer::Yes) << QByteArray("order: 1") << false;
}

void MainFormTest::okOfEntreeAsksAboutTheTypedValue() {
  QFETCH(QString, typed);
  QFETCH(int, answer);
  QFETCH(QByteArray, inFile);
  QFETCH(bool, reopened);
  const QByteArray css = "p { text-align: left; order: 1 }\nh1 { color: navy }\n";
  MakeProject(css);
  OpenWindow();
  window_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  ClickRule(QStringLiteral("p"));
  GStringGrid* grid = window_->Editor().PropertyGrid();
  ClickValue(RowOf(QStringLiteral("order")));
  QVERIFY(grid->IsEditVisible());
  grid->EditBox()->selectAll();
  if (typed.isEmpty()) QTest::keyClick(grid->EditBox(), Qt::Key_Delete);
  else QTest::keyClicks(grid->EditBox(), typed);

  window_->Pages()->setCurrentWidget(&window_->EntryPage());
  QVERIFY(window_->EntryPage().OKIn()->isEnabled());
  install_->messages.answers.push_back(static_cast<MessageAnswer>(answer));
  QTest::mouseClick(window_->EntryPage().OKIn(), Qt::LeftButton);
  QVERIFY(install_->messages.Saw("Sauvegarder ?"));
  QCOMPARE(install_->messages.Saw("non renseignées"), typed.isEmpty());
  QVERIFY2(ReadAll(Stylesheet()).contains(inFile), ReadAll(Stylesheet()).constData());
  QCOMPARE(window_->Pages()->currentWidget() == &window_->Editor(), reopened);
  QCOMPARE(window_->Editor().IsModified(), !reopened);
  // not reopened, the edit is still in the grid to be saved
  if (!reopened) QCOMPARE(grid->CellText(1, RowOf(QStringLiteral("order"))), typed);
}

void MainFormTest::ruleInsideAGroupIsFoundAgainAfterReload() {
  MakeProject(kStylesheet);
  OpenWindow();
  ClickRule(QStringLiteral("body"));
  window_->Editor().PropertyGrid()->SetCurrentRow(RowOf(QStringLiteral("margin")));
  window_->Editor().DeleteProperty();
  QVERIFY(Save());
  QCOMPARE(window_->Editor().ShownRule(), QStringLiteral("body"));
  QCOMPARE(RowOf(QStringLiteral("margin")), -1);
  // Saving again must not bring the deleted property back.
  ClickBox(RowOf(QStringLiteral("color")));
  QVERIFY(Save());
  QVERIFY(!ReadAll(Stylesheet()).contains("margin"));
}

void MainFormTest::valueThatWouldCutTheStylesheetIsRefused() {
  MakeProject(kStylesheet);
  OpenWindow();
  ClickRule(QStringLiteral("p"));
  window_->Editor().PropertyGrid()->SetCellText(1, 0, QStringLiteral("1.5 } body { color: red"));
  window_->Editor().MarkModified();
  QVERIFY(!Save());
  QVERIFY(install_->messages.Saw("couperait la feuille de style"));
  QCOMPARE(ReadAll(Stylesheet()), kStylesheet);
  QVERIFY(window_->Editor().IsModified());
}

void MainFormTest::closingAsksAboutUnsavedEdits_data() {
  QTest::addColumn<int>("answer");
  QTest::addColumn<bool>("closed");
  QTest::addColumn<bool>("saved");
  QTest::newRow("yes saves and closes") << static_cast<int>(MessageAnswer::Yes) << true << true;
  QTest::newRow("no closes without saving") << static_cast<int>(MessageAnswer::No) << true << false;
  QTest::newRow("cancel stays") << static_cast<int>(MessageAnswer::Cancel) << false << false;
}

void MainFormTest::closingAsksAboutUnsavedEdits() {
  QFETCH(int, answer);
  QFETCH(bool, closed);
  QFETCH(bool, saved);
  MakeProject(kStylesheet);
  OpenWindow();
  ClickRule(QStringLiteral("p"));
  ClickBox(0);
  install_->messages.answers.push_back(static_cast<MessageAnswer>(answer));
  QCOMPARE(window_->close(), closed);
  QVERIFY(install_->messages.Saw("Sauvegarder ?"));
  QCOMPARE(ReadAll(Stylesheet()).contains("/*line-height: 1.5; */"), saved);
}

void MainFormTest::latinStylesheetKeepsItsBytes() {
  const QByteArray latin = "p { content: \"caf\xe9\"; color: red }\nh1 { font-family: \"Cr\xe8me\" }\n";
  MakeProject(latin);
  OpenWindow();
  QCOMPARE(window_->Editor().ShownRule(), QStringLiteral("h1"));
  QCOMPARE(window_->Editor().PropertyGrid()->CellText(1, 0), QStringLiteral("\"Crème\""));
  ClickRule(QStringLiteral("p"));
  window_->Editor().PropertyGrid()->SetCellText(1, 1, QStringLiteral("rouge-é"));
  window_->Editor().MarkModified();
  QVERIFY(Save());
  const QByteArray saved = ReadAll(Stylesheet());
  QVERIFY(saved.contains("content: \"caf\xe9\";"));
  QVERIFY(saved.contains("color: rouge-\xe9;"));
  QVERIFY(saved.contains("font-family: \"Cr\xe8me\";"));
}

void MainFormTest::liveModeSavesAtOnce() {
  MakeProject(kStylesheet);
  OpenWindow();
  ClickRule(QStringLiteral("p"));
  window_->Editor().SetLiveMode(true);
  install_->launcher.opened.clear();
  ClickBox(0);
  QVERIFY(!window_->Editor().IsModified());
  QVERIFY(ReadAll(Stylesheet()).contains("/*line-height: 1.5; */"));
  // The page opened at "OK" is still on its way: no second tab.
  QVERIFY(install_->launcher.opened.isEmpty());
}

void MainFormTest::brokenProjectIsSaidOnceAndStaysRemembered_data() {
  QTest::addColumn<QString>("removed");  // below the project folder; empty: the folder itself
  QTest::addColumn<QString>("said");
  QTest::newRow("stylesheet missing") << QStringLiteral("css/styles.css") << QStringLiteral("styles.css");
  QTest::newRow("page missing") << QStringLiteral("index.html") << QStringLiteral("index.html");
  QTest::newRow("folder gone") << QString() << QStringLiteral("n'existe plus");
}

void MainFormTest::brokenProjectIsSaidOnceAndStaysRemembered() {
  QFETCH(QString, removed);
  QFETCH(QString, said);
  MakeProject(kStylesheet);
  if (removed.isEmpty()) {
    QVERIFY(QDir(Project()).removeRecursively());
  } else {
    QVERIFY(QFile::remove(Project() + removed));
  }
  OpenWindow();
  QCOMPARE(window_->EntryPage().CSSFilePath(), install_->Dm().ExampleFolder() + QStringLiteral("styles.css"));
  QCOMPARE(install_->messages.shown.size(), size_t{1});
  QVERIFY(install_->messages.Saw(Project().toStdString()));
  QVERIFY(install_->messages.Saw(said.toStdString()));
  // The example serves this run; the project stays the one to open next time.
  QCOMPARE(install_->Registry().ProjectFolderPath(), Project());
  // Until the user opens a project.
  window_->EntryPage().OKInClick();
  QCOMPARE(install_->Registry().ProjectFolderPath(), install_->Dm().ExampleFolder());
}

void MainFormTest::readOnlySettingsAreSaidOnce() {
  MakeProject(kStylesheet);
  const QString settings = Project() + QStringLiteral("site.xml");
  QVERIFY(QFile::setPermissions(settings, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
  OpenWindow();  // opening writes five settings
  QCOMPARE(window_->EntryPage().CSSFilePath(), Stylesheet());
  QCOMPARE(install_->messages.shown.size(), size_t{1});
  QVERIFY(install_->messages.Saw(settings.toStdString()));
  // nor once more for the layout
  QVERIFY(window_->close());
  QCOMPARE(install_->messages.shown.size(), size_t{1});
}

void MainFormTest::malformedSettingsFileIsReportedAndLeftAlone() {
  MakeProject(kStylesheet);
  const QByteArray broken = "<?xml version=\"1.0\"?><Document><Object></Document>";
  QVERIFY(WriteAll(Project() + QStringLiteral("site.xml"), broken));
  OpenWindow();
  QCOMPARE(install_->messages.shown.size(), size_t{1});
  QVERIFY(install_->messages.Saw((Project() + QStringLiteral("site.xml")).toStdString()));
  QCOMPARE(window_->EntryPage().CSSFilePath(), install_->Dm().ExampleFolder() + QStringLiteral("styles.css"));
  QCOMPARE(install_->Registry().ProjectFolderPath(), Project());
  QCOMPARE(ReadAll(Project() + QStringLiteral("site.xml")), broken);
}

void MainFormTest::unwritableStylesheetKeepsTheEdits() {
  MakeProject(kStylesheet);
  OpenWindow();
  ClickRule(QStringLiteral("p"));
  ClickBox(0);
  // A folder where the file was: the save cannot replace it.
  QFile::remove(Stylesheet());
  QDir().mkpath(Stylesheet());
  QVERIFY(!Save());
  QVERIFY(install_->messages.Saw("styles.css"));
  QVERIFY(window_->Editor().IsModified());
}

void MainFormTest::borderButtonOutlinesTheRule() {
  MakeProject("p { border: 2px solid red; color: red }\nh1 { color: navy }\n");
  OpenWindow();
  window_->Editor().BorderClick();  // h1, shown first, has no border yet
  QVERIFY(ReadAll(Stylesheet()).contains("h1\n{\n color: navy;\n border: 1px dotted black;\n}"));
  ClickRule(QStringLiteral("p"));
  window_->Editor().BorderClick();  // replaces the rule's own border, which the grid held
  QVERIFY(ReadAll(Stylesheet()).contains("p\n{\n border: 1px dotted black;\n color: red;\n}"));
  QVERIFY(!window_->Editor().IsModified());
}

void MainFormTest::missingDictionaryStopsTheWindowWithItsName() {
  QFile::remove(install_->Dm().DictionaryPath());
  try {
    TMainForm window(install_->Dm(), install_->launcher, install_->Registry());
    QFAIL("a window without its dictionary must not be made");
  } catch (const std::exception& error) {
    QVERIFY2(QString::fromUtf8(error.what()).contains(QStringLiteral("CSSKeywords.xml")), error.what());
  }
}

void MainFormTest::emptyCustomPropertyCanBeSaved() {
  MakeProject(":root { --bs-btn-font-family: ; color: red }\n");
  OpenWindow();
  QCOMPARE(window_->Editor().ShownRule(), QStringLiteral(":root"));
  ClickBox(RowOf(QStringLiteral("color")));
  QVERIFY(Save());
  QVERIFY(install_->messages.shown.empty());
  const QByteArray saved = ReadAll(Stylesheet());
  QVERIFY2(saved.contains("--bs-btn-font-family: ;"), saved.constData());
  QVERIFY(saved.contains("/*color: red; */"));

  // An ordinary property still needs a value.
  window_->Editor().AddProperty(QStringLiteral("margin"));
  QTest::keyClick(window_->Editor().PropertyGrid()->EditBox(), Qt::Key_Return);
  QVERIFY(!Save());
  QVERIFY(install_->messages.Saw("non renseignées"));
}

void MainFormTest::liveModeWritesATypedChoiceOnce() {
  MakeProject("p { text-align: left; line-height: 1.5 }\n");
  OpenWindow();
  window_->Editor().SetLiveMode(true);
  QSignalSpy saves(&window_->Editor(), &TStyleSheetEditor::StylesheetWritten);
  GStringGrid* grid = window_->Editor().PropertyGrid();
  const int row = RowOf(QStringLiteral("text-align"));
  ClickValue(row);
  QVERIFY(grid->IsComboVisible());
  grid->ComboBox()->lineEdit()->selectAll();
  QTest::keyClicks(grid->ComboBox()->lineEdit(), QStringLiteral("center"));
  // Nothing is written while the choice is being typed.
  QCOMPARE(saves.size(), 0);
  QCOMPARE(ReadAll(Stylesheet()), QByteArray("p { text-align: left; line-height: 1.5 }\n"));
  QTest::keyClick(grid->ComboBox(), Qt::Key_Return);
  QVERIFY(!grid->IsComboVisible());
  QCOMPARE(saves.size(), 1);
  QVERIFY(ReadAll(Stylesheet()).contains("text-align: center;"));

  // Escape leaves the value and the file alone.
  ClickValue(row);
  grid->ComboBox()->lineEdit()->selectAll();
  QTest::keyClicks(grid->ComboBox()->lineEdit(), QStringLiteral("right"));
  QTest::keyClick(grid->ComboBox(), Qt::Key_Escape);
  QVERIFY(!grid->IsComboVisible());
  QCOMPARE(grid->CellText(1, row), QStringLiteral("center"));
  QCOMPARE(saves.size(), 1);
}

void MainFormTest::readOnlyStylesheetIsReplacedOnlyWhenTheUserSays() {
  MakeProject(kStylesheet);
  QVERIFY(QFile::setPermissions(Stylesheet(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
  OpenWindow();
  ClickRule(QStringLiteral("p"));
  ClickBox(0);
  install_->messages.answers.push_back(MessageAnswer::No);
  QVERIFY(!Save());
  QCOMPARE(install_->messages.shown.size(), size_t{1});
  QCOMPARE(install_->messages.shown.front().buttons, MessageButtons::YesNo);
  QVERIFY(install_->messages.Saw(Stylesheet().toStdString()));
  QVERIFY(install_->messages.Saw("lecture seule"));
  QCOMPARE(ReadAll(Stylesheet()), kStylesheet);
  // the edits stay, to be saved later
  QVERIFY(window_->Editor().IsModified());
  QVERIFY(!window_->Editor().PropertyGrid()->IsChecked(0, 0));

  install_->messages.answers.push_back(MessageAnswer::Yes);
  QVERIFY(Save());
  QVERIFY(ReadAll(Stylesheet()).contains("/*line-height: 1.5; */"));
  QVERIFY(!window_->Editor().IsModified());
}

void MainFormTest::interruptedSaveLeftoversGoWhenTheProjectOpens() {
  MakeProject(kStylesheet);
  const QString leftover = Project() + QStringLiteral("css/.styles.css.korvel-Ab12Cd");
  QVERIFY(WriteAll(leftover, "p { col"));
  OpenWindow();
  QVERIFY(!QFileInfo::exists(leftover));
  QVERIFY(QFileInfo::exists(Stylesheet()));
}

void MainFormTest::typedValueIsCommittedBeforeLeaving_data() {
  QTest::addColumn<QString>("leaving");
  QTest::addColumn<bool>("combo");
  QTest::newRow("closing, edit box") << QStringLiteral("close") << false;
  QTest::newRow("closing, drop-down") << QStringLiteral("close") << true;
  QTest::newRow("another rule, edit box") << QStringLiteral("rule") << false;
  QTest::newRow("another rule, drop-down") << QStringLiteral("rule") << true;
  QTest::newRow("Ctrl+S, edit box") << QStringLiteral("ctrl+s") << false;
  QTest::newRow("Ctrl+S, drop-down") << QStringLiteral("ctrl+s") << true;
}

void MainFormTest::typedValueIsCommittedBeforeLeaving() {
  QFETCH(QString, leaving);
  QFETCH(bool, combo);
  MakeProject("p { text-align: left; order: 1 }\nh1 { color: navy }\n");
  OpenWindow();
  window_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  ClickRule(QStringLiteral("p"));
  GStringGrid* grid = window_->Editor().PropertyGrid();
  QWidget* box = nullptr;
  if (combo) {
    ClickValue(RowOf(QStringLiteral("text-align")));
    QVERIFY(grid->IsComboVisible());
    box = grid->ComboBox()->lineEdit();
    grid->ComboBox()->lineEdit()->selectAll();
    QTest::keyClicks(box, QStringLiteral("center"));
  } else {
    ClickValue(RowOf(QStringLiteral("order")));
    QVERIFY(grid->IsEditVisible());
    box = grid->EditBox();
    QTest::keyClicks(box, QStringLiteral("2"));
  }
  const QByteArray expected = combo ? "text-align: center;" : "order: 2;";
  if (leaving == QStringLiteral("ctrl+s")) {
    QTest::keyClick(box, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(install_->messages.shown.empty());
  } else {
    install_->messages.answers.push_back(MessageAnswer::Yes);
    if (leaving == QStringLiteral("close")) {
      QVERIFY(window_->close());
    } else {
      QVERIFY(window_->Editor().SelectRule(window_->Editor().FindNode(QStringLiteral("h1")), true));
      QCOMPARE(window_->Editor().ShownRule(), QStringLiteral("h1"));
    }
    QVERIFY(install_->messages.Saw("Sauvegarder ?"));
  }
  QVERIFY2(ReadAll(Stylesheet()).contains(expected), ReadAll(Stylesheet()).constData());
}

void MainFormTest::keyboardInTheTreeShowsTheRule() {
  MakeProject("a { color: red }\nb { color: blue }\nc { color: green }\n");
  OpenWindow();
  QTreeWidget* tree = window_->Editor().RuleTree();
  ClickRule(QStringLiteral("a"));
  QTest::keyClick(tree, Qt::Key_Down);
  QCOMPARE(window_->Editor().ShownRule(), QStringLiteral("b"));
  QCOMPARE(window_->Editor().PropertyGrid()->CellText(1, 0), QStringLiteral("blue"));
  QTest::keyClicks(tree, QStringLiteral("c"));
  QCOMPARE(window_->Editor().ShownRule(), QStringLiteral("c"));

  // Unsaved edits are asked about once, as for a click.
  ClickBox(0);
  install_->messages.answers.push_back(MessageAnswer::No);
  QTest::keyClick(tree, Qt::Key_Up);
  QCOMPARE(install_->messages.shown.size(), size_t{1});
  QCOMPARE(window_->Editor().ShownRule(), QStringLiteral("b"));
  QVERIFY(!window_->Editor().IsModified());
}

void MainFormTest::nameColumnTheUserWidenedStaysWide() {
  MakeProject(kStylesheet);
  OpenWindow();
  GStringGrid* grid = window_->Editor().PropertyGrid();
  const int y = grid->CellRect(0, 0).center().y();
  QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, QPoint(grid->ColumnWidth(0), y));
  QTest::mouseMove(grid->viewport(), QPoint(260, y));
  QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, QPoint(260, y));
  QCOMPARE(grid->ColumnWidth(0), 260);
  window_->resize(window_->width() + 40, window_->height());
  QCOMPARE(grid->ColumnWidth(0), 260);
}

void MainFormTest::nameColumnFitsItsLongestName_data() {
  QTest::addColumn<QString>("rule");
  QTest::addColumn<QString>("width");  // "narrowest", "fits" or "half"
  QTest::newRow("short names keep the column's width") << "h1" << "narrowest";
  QTest::newRow("long custom properties are shown whole") << ":root" << "fits";
  QTest::newRow("a name longer than half the grid") << ".long" << "half";
}

void MainFormTest::nameColumnFitsItsLongestName() {
  QFETCH(QString, rule);
  QFETCH(QString, width);
  const QByteArray longName = "--" + QByteArray(160, 'x');
  MakeProject("h1 { color: navy }\n"
              ":root { --bs-emphasis-color-rgb: 0, 0, 0; --bs-secondary-bg-subtle-dark: #eee; color: red }\n"
              ".long { " + longName + ": 1; margin: 0 }\n");
  OpenWindow();
  window_->resize(1200, 700);
  ClickRule(rule);
  QCOMPARE(window_->Editor().ShownRule(), rule);
  GStringGrid* grid = window_->Editor().PropertyGrid();
  const int half = grid->viewport()->width() / 2;
  QVERIFY2(half > 300, qPrintable(QString::number(half)));
  auto cut = [grid] {
    QStringList names;
    for (int row = 0; row < grid->RowCount(); ++row)
      if (!grid->CutCellText(0, row).isEmpty()) names << grid->CellText(0, row);
    return names;
  };
  if (width == QLatin1String("narrowest")) {
    QCOMPARE(grid->ColumnWidth(0), 150);
    QCOMPARE(cut(), QStringList{});
  } else if (width == QLatin1String("fits")) {
    QVERIFY2(grid->ColumnWidth(0) > 150 && grid->ColumnWidth(0) < half, qPrintable(QString::number(grid->ColumnWidth(0))));
    QCOMPARE(cut(), QStringList{});
  } else {
    QCOMPARE(grid->ColumnWidth(0), half);
    QCOMPARE(cut(), QStringList{QString::fromLatin1(longName)});
    // A maximised window shows more of it.
    window_->resize(1800, 700);
    QTRY_COMPARE(grid->ColumnWidth(0), grid->viewport()->width() / 2);
    QVERIFY(grid->ColumnWidth(0) > half);
  }
  // Shown again, the first rule's short names narrow the column again.
  ClickRule(QStringLiteral("h1"));
  QCOMPARE(grid->ColumnWidth(0), 150);
}

void MainFormTest::reloadingSaveKeepsTheTreeAsItWas() {
  QByteArray css =
      "/* <Layout> */\nbody { margin: 0 }\n/* </Layout> */\n/* <Forms> */\nform { margin: 0 }\n/* </Forms> */\n";
  for (int i = 0; i < 60; ++i)
    css += QStringLiteral(".r%1 { color: red; margin: 1px }\n").arg(i, 2, 10, QLatin1Char('0')).toLatin1();
  MakeProject(css);
  OpenWindow();
  QTreeWidget* tree = window_->Editor().RuleTree();
  ClickRule(QStringLiteral("body"));  // opens Layout; Forms stays closed
  ClickRule(QStringLiteral(".r55"));
  window_->Editor().PropertyGrid()->SetCurrentRow(RowOf(QStringLiteral("margin")));
  window_->Editor().DeleteProperty();
  QVERIFY(Save());
  QVERIFY(!ReadAll(Stylesheet()).contains(".r55\r\n{\r\n color: red;\r\n margin"));

  QVERIFY(window_->Editor().FindNode(QStringLiteral("body"))->parent()->isExpanded());
  QVERIFY(!window_->Editor().FindNode(QStringLiteral("form"))->parent()->isExpanded());
  QVERIFY(tree->currentItem());
  QCOMPARE(tree->currentItem()->text(0), QStringLiteral(".r55"));
  QCOMPARE(window_->Editor().ShownRule(), QStringLiteral(".r55"));
  QVERIFY(tree->viewport()->rect().contains(tree->visualItemRect(tree->currentItem())));
}

void MainFormTest::unreadableStylesheetLeavesTheShownOneToBeSaved() {
  MakeProject(kStylesheet);
  OpenWindow();
  TStyleSheetEditor& editor = window_->Editor();
  ClickRule(QStringLiteral("p"));
  ClickBox(0);
  // Another stylesheet that cannot be read (a folder stands in its place).
  const QString other = install_->Root() + QStringLiteral("/other/styles.css");
  QVERIFY(QDir().mkpath(other));
  install_->messages.answers.push_back(MessageAnswer::No);
  QVERIFY(!editor.OpenStylesheet(other, QString(), QStringLiteral("styles.css")));
  QVERIFY(install_->messages.Saw("Sauvegarder ?"));
  QVERIFY(install_->messages.Saw("styles.css"));
  QCOMPARE(editor.CSSFilePath(), Stylesheet());
  // Given up for a stylesheet that could not be read, the edits are not.
  QVERIFY(editor.IsModified());
  // The edits shown still go to the file they came from.
  QVERIFY(Save());
  QVERIFY(ReadAll(Stylesheet()).contains("/*line-height: 1.5; */"));
}

// A stylesheet browsers read only in part is said when it is opened, with
// the lines concerned; saving keeps the faulty text, and says nothing more.
void MainFormTest::syntaxErrorsAreSaidOnceWithTheirLines() {
  MakeProject("h1 { color: navy }\n}\np { content: \"open; }\n");
  OpenWindow();
  QCOMPARE(install_->messages.shown.size(), std::size_t{1});
  QVERIFY(install_->messages.Saw("ligne 2 : accolade fermante"));
  QVERIFY(install_->messages.Saw("ligne 3 : chaîne non fermée"));
  QVERIFY(install_->messages.Saw("styles.css"));
  window_->Editor().SetLiveMode(true);
  window_->Editor().BorderClick();
  QCOMPARE(install_->messages.shown.size(), std::size_t{1});
  QVERIFY(ReadAll(Stylesheet()).contains("}\np { content: \"open; }"));
}

void MainFormTest::stylesheetGivenAloneOpensWithoutAPage_data() {
  QTest::addColumn<bool>("remembered");
  QTest::newRow("first run") << false;
  QTest::newRow("a project remembered") << true;
}

// `korvel FILE.css`: the stylesheet opens at once, its folder is the
// project, no page is shown and nothing is remembered or written.
void MainFormTest::stylesheetGivenAloneOpensWithoutAPage() {
  QFETCH(bool, remembered);
  if (remembered) MakeProject(kStylesheet);
  const QString loose = install_->Root() + QStringLiteral("/loose/css/loose.css");
  QVERIFY(QDir().mkpath(install_->Root() + QStringLiteral("/loose/css")));
  QVERIFY(WriteAll(loose, "h1 { color: red; }\np { margin: 0; }\n"));
  window_ = std::make_unique<TMainForm>(install_->Dm(), install_->launcher, install_->Registry());
  window_->SetStartStylesheet(loose);
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));

  QCOMPARE(window_->Pages()->currentWidget(), &window_->Editor());
  QCOMPARE(window_->Editor().ShownRule(), QStringLiteral("h1"));
  QCOMPARE(window_->EntryPage().ProjectFolderPath(), install_->Root() + QStringLiteral("/loose/css/"));
  QCOMPARE(window_->EntryPage().CSSFilePath(), loose);
  QVERIFY(window_->EntryPage().HTMLFilePath().isEmpty());
  QVERIFY(!window_->EntryPage().OKIn()->isEnabled());
  QVERIFY(install_->launcher.opened.isEmpty());
  QVERIFY(!window_->Preview());
  QCOMPARE(install_->Registry().ProjectFolderPath(), remembered ? Project() : QString());
  QCOMPARE(QDir(install_->Root() + QStringLiteral("/loose/css")).entryList(QDir::Files),
           QStringList{QStringLiteral("loose.css")});
  QVERIFY(install_->messages.shown.empty());

  // A stylesheet that cannot be read is said, and the window stays on "Entrée".
  window_.reset();
  window_ = std::make_unique<TMainForm>(install_->Dm(), install_->launcher, install_->Registry());
  window_->SetStartStylesheet(install_->Root() + QStringLiteral("/loose/missing.css"));
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  QCOMPARE(window_->Pages()->currentWidget(), &window_->EntryPage());
  QVERIFY(!window_->Pages()->isTabVisible(1));
  QCOMPARE(install_->messages.shown.size(), std::size_t{1});
  QVERIFY(install_->messages.Saw("missing.css"));
}

void MainFormTest::stylesheetReadOnItsOwnThreadAtStartUpWaitsForTheWindow_data() {
  QTest::addColumn<bool>("alone");  // given on the command line, or the remembered project's
  QTest::newRow("the remembered project") << false;
  QTest::newRow("a stylesheet given alone") << true;
}

// A stylesheet large enough to be read on a thread of its own, with its
// progress dialog, starts to be read once the window is on screen: read
// from the window's show event, it held the window off the screen until
// the read ended, and the progress dialog stood alone.
void MainFormTest::stylesheetReadOnItsOwnThreadAtStartUpWaitsForTheWindow() {
  QFETCH(bool, alone);
  MakeProject(kStylesheet);
  const QString stylesheet = Project() + QStringLiteral("css/styles.css");
  window_ = std::make_unique<TMainForm>(install_->Dm(), install_->launcher, install_->Registry());
  if (alone) window_->SetStartStylesheet(stylesheet);
  TStyleSheetEditor& editor = window_->Editor();
  editor.SetBackgroundReadFrom(QFileInfo(stylesheet).size());
  int reads = 0;
  bool exposedWhenReadBegan = false;
  connect(&editor, &TStyleSheetEditor::Reading, window_.get(), [&](bool busy) {
    if (!busy) return;
    ++reads;
    exposedWhenReadBegan = window_->windowHandle() != nullptr && window_->windowHandle()->isExposed();
  });
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  QTRY_COMPARE(editor.ShownRule(), QStringLiteral(".card"));
  QCOMPARE(reads, 1);
  QVERIFY(exposedWhenReadBegan);
  QVERIFY(install_->messages.shown.empty());
}

// Browsing "Entrée" into another project reads that project's settings;
// the stylesheet still open keeps its own project for the Images tab.
void MainFormTest::imagesTabStaysWithTheOpenedProjectWhileEntreeBrowses() {
  MakeProject(kStylesheet);
  const QString other = install_->Path(QStringLiteral("autre/"));
  QVERIFY(WriteAll(other + QStringLiteral("index.html"), "<html></html>"));
  QVERIFY(WriteAll(other + QStringLiteral("styles.css"), "p { color: red }\n"));
  QVERIFY(QDir().mkpath(other + QStringLiteral("pics")));
  {
    GXMLIni ini;
    ini.Open((other + QStringLiteral("autre.xml")).toStdString());
    ini.WriteValue(nullptr, settingkind::kHTMLFilePath, (other + QStringLiteral("index.html")).toStdString());
    ini.WriteValue(nullptr, settingkind::kCSSFilePath, (other + QStringLiteral("styles.css")).toStdString());
    ini.WriteValue(nullptr, settingkind::kImagesFolder, (other + QStringLiteral("pics")).toStdString());
  }
  OpenWindow();
  QCOMPARE(window_->Editor().CSSFilePath(), Stylesheet());
  window_->Pages()->setCurrentWidget(&window_->EntryPage());
  window_->EntryPage().Explorer()->View()->SetPath(other);
  QCOMPARE(window_->EntryPage().ProjectFolderPath(), other);

  window_->ImagesTab().ShowImagesTab(QString(), {});
  QCOMPARE(window_->ImagesTab().View()->Path(), Project() + QStringLiteral("img/"));
  QCOMPARE(window_->EntryPage().OpenedProject().folder, Project());
}

}  // namespace korvel

QTEST_MAIN(korvel::MainFormTest)
#include "mainform_test.moc"
