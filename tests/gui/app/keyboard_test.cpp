// The window by keyboard alone: Tab goes through every control of a page in
// reading order (and Shift+Tab back), a focused button shows it, and the
// underlined letters do what their buttons and tabs do, without two alike
// on one page.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QHash>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <memory>

#include "app/tentrypage.h"
#include "app/timagestab.h"
#include "app/tstylesheeteditor.h"
#include "editors/gstringgrid.h"
#include "support/examplewindow.h"
#include "shell/folderview.h"
#include "shell/gdirtreeview.h"
#include "shell/gexplorer.h"

namespace korvel {

namespace {

/// The controls of a page as the test names them, in the order expected.
using NamedControls = QList<QPair<QString, QWidget*>>;

}  // namespace

class KeyboardTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void tabGoesThroughThePageInReadingOrder_data();
  void tabGoesThroughThePageInReadingOrder();
  void focusedButtonShowsAFrame_data();
  void focusedButtonShowsAFrame();
  void altLettersTriggerTheirActions();
  void noTwoAltLettersAlikeOnAPage_data();
  void noTwoAltLettersAlikeOnAPage();
  void anAmpersandInANameIsShownAndMakesNoLetter();

 private:
  QTabBar* PageTabs() const { return window_->Pages()->findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly); }
  /// Brings the page forward by its name ("Edition", "Entrée", "Images").
  void ShowPage(const QString& page);
  /// Every control of the page Tab should reach, in reading order, the page
  /// tabs first.
  NamedControls ExpectedControls(const QString& page) const;
  /// The controls Tab (or Shift+Tab) reaches from the page tabs until it
  /// comes back to them, named as `known` names them.
  QStringList Walk(Qt::Key key, const NamedControls& known) const;
  /// Switches the first property of the shown rule off: the grid holds an
  /// unsaved edit, and "Sauvegarder" is enabled.
  void EditTheGrid();
  QWidget* Named(const QString& objectName) const;

  QString originalPath_;
  std::unique_ptr<QTemporaryDir> programs_;
  RecordingLauncher launcher_;
  std::unique_ptr<ExampleWindow> example_;
  TMainForm* window_ = nullptr;
};

void KeyboardTest::initTestCase() { originalPath_ = qEnvironmentVariable("PATH"); }

void KeyboardTest::init() {
  // Both browsers and an editor are installed, so that their buttons are
  // enabled and in the chain whatever this machine has.
  programs_ = std::make_unique<QTemporaryDir>();
  QVERIFY(programs_->isValid());
  for (const char* name : {"firefox", "chromium", "gedit"}) {
    const QString program = programs_->filePath(QLatin1String(name));
    QVERIFY(WriteAll(program, "#!/bin/sh\n"));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
  }
  qputenv("PATH", programs_->path().toLocal8Bit());
  // The first start opens the example project on "Edition".
  example_ = std::make_unique<ExampleWindow>(launcher_);
  window_ = &example_->Window();
  QVERIFY(example_->Show());
  QCOMPARE(window_->Pages()->currentWidget(), &window_->Editor());
}

void KeyboardTest::cleanup() {
  window_ = nullptr;
  QCOMPARE(example_->Messages().unanswered, 0);
  example_.reset();
  programs_.reset();
  qputenv("PATH", originalPath_.toLocal8Bit());
}

QWidget* KeyboardTest::Named(const QString& objectName) const {
  auto* widget = window_->findChild<QWidget*>(objectName);
  if (!widget) qWarning("no control named %s", qPrintable(objectName));
  return widget;
}

void KeyboardTest::ShowPage(const QString& page) {
  if (page == QStringLiteral("Images")) {
    // As the sub-grid's "url" choice shows it, the logo preselected.
    window_->ImagesTab().ShowImagesTab(QStringLiteral("url(Images/logo.png)"), [](const QString&) {});
    QVERIFY(window_->ImagesTab().OkButton()->isEnabled());
  } else {
    window_->Pages()->setCurrentWidget(page == QStringLiteral("Edition") ? static_cast<QWidget*>(&window_->Editor())
                                                                        : &window_->EntryPage());
  }
  QCOMPARE(window_->Pages()->tabText(window_->Pages()->currentIndex()).remove(QLatin1Char('&')), page);
}

NamedControls KeyboardTest::ExpectedControls(const QString& page) const {
  NamedControls controls{{QStringLiteral("page tabs"), PageTabs()}};
  if (page == QStringLiteral("Edition")) {
    controls << NamedControls{{QStringLiteral("rule tree"), window_->Editor().RuleTree()}};
    for (const char* name : {"sbDelete", "sbAdd", "TBBorder"}) controls.append({QLatin1String(name), Named(QLatin1String(name))});
    controls.append({QStringLiteral("property grid"), window_->Editor().PropertyGrid()});
    // The grid's edit is a step to undo; there is none to redo.
    for (const char* name : {"sbSaveModifs", "sbLed", "sbUndo", "sbFirefox", "sbChromium", "sbEditor"})
      controls.append({QLatin1String(name), Named(QLatin1String(name))});
    return controls;
  }
  auto addPane = [&controls](const GExplorer& pane, const QList<QPair<QString, QWidget*>>& beforeFolders) {
    controls << NamedControls{{QStringLiteral("view mode"), pane.ViewModeButton()},
                              {QStringLiteral("up"), pane.UpButton()},
                              {QStringLiteral("path box"), pane.PathEdit()}};
    controls << beforeFolders;
    controls << NamedControls{{QStringLiteral("folder tree"), pane.Tree()},
                              {QStringLiteral("folder view"), pane.View()->ItemView()}};
  };
  if (page == QStringLiteral("Entrée")) {
    TEntryPage& entry = window_->EntryPage();
    controls.append({QStringLiteral("OK"), entry.OKIn()});
    addPane(*entry.Explorer(), {});
    controls.append({QStringLiteral("project grid"), entry.InputGrid()});
    return controls;
  }
  TImagesTab& images = window_->ImagesTab();
  NamedControls browsers;
  for (const char* name : {"sbFirefoxImg", "sbChromiumImg", "sbEditorImg"})
    browsers.append({QLatin1String(name), Named(QLatin1String(name))});
  addPane(images.Pane(), browsers);
  controls << NamedControls{{QStringLiteral("OK"), images.OkButton()},
                            {QStringLiteral("Annuler"), images.CancelButton()},
                            {QStringLiteral("Sauvegarder"), images.SaveButton()},
                            {QStringLiteral("Direct"), images.LiveButton()}};
  return controls;
}

QStringList KeyboardTest::Walk(Qt::Key key, const NamedControls& known) const {
  QHash<QWidget*, QString> names;
  for (const auto& [name, widget] : known) names.insert(widget, name);
  auto nameOf = [&names](QWidget* widget) {
    if (!widget) return QStringLiteral("(nothing)");
    return names.value(widget, QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ') +
                                   widget->objectName());
  };
  QTabBar* start = PageTabs();
  start->setFocus(Qt::TabFocusReason);
  QStringList reached{nameOf(QApplication::focusWidget())};
  // Far more steps than a page has controls: a chain that never comes back
  // shows as a long list.
  for (int step = 0; step < 40; ++step) {
    QTest::keyClick(QApplication::focusWidget(), key);
    QWidget* focused = QApplication::focusWidget();
    if (focused == start) break;
    reached << nameOf(focused);
  }
  return reached;
}

void KeyboardTest::EditTheGrid() {
  GStringGrid* grid = window_->Editor().PropertyGrid();
  QVERIFY(grid->RowCount() > 0);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CheckBoxRect(0, 0).center());
  QVERIFY(window_->Editor().IsModified());
}

void KeyboardTest::tabGoesThroughThePageInReadingOrder_data() {
  QTest::addColumn<QString>("page");
  QTest::newRow("Edition") << QStringLiteral("Edition");
  QTest::newRow("Entrée") << QStringLiteral("Entrée");
  QTest::newRow("Images") << QStringLiteral("Images");
}

void KeyboardTest::tabGoesThroughThePageInReadingOrder() {
  QFETCH(QString, page);
  EditTheGrid();
  ShowPage(page);
  const NamedControls expected = ExpectedControls(page);
  QStringList order;
  for (const auto& [name, widget] : expected) {
    QVERIFY2(widget && widget->isVisible() && widget->isEnabled(), qPrintable(name));
    order << name;
  }
  QCOMPARE(Walk(Qt::Key_Tab, expected), order);
  // Shift+Tab goes the same way back.
  QStringList back = order.mid(1);
  std::reverse(back.begin(), back.end());
  back.prepend(order.first());
  QCOMPARE(Walk(Qt::Key_Backtab, expected), back);
}

void KeyboardTest::focusedButtonShowsAFrame_data() {
  QTest::addColumn<QString>("page");
  QTest::addColumn<QString>("button");
  QTest::newRow("caption beside its picture") << QStringLiteral("Edition") << QStringLiteral("sbLed");
  QTest::newRow("picture alone") << QStringLiteral("Edition") << QStringLiteral("TBBorder");
  QTest::newRow("in a tool bar") << QStringLiteral("Entrée") << QStringLiteral("OKIn");
}

void KeyboardTest::focusedButtonShowsAFrame() {
  QFETCH(QString, page);
  QFETCH(QString, button);
  ShowPage(page);
  QWidget* target = Named(button);
  QVERIFY(target);
  PageTabs()->setFocus(Qt::TabFocusReason);
  QVERIFY(!target->hasFocus());
  const QImage unfocused = target->grab().toImage();
  for (int step = 0; step < 20 && !target->hasFocus(); ++step)
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QVERIFY(target->hasFocus());
  QVERIFY2(target->grab().toImage() != unfocused, "the focused button looks as it did without the focus");
}

void KeyboardTest::altLettersTriggerTheirActions() {
  QTabWidget* pages = window_->Pages();
  TStyleSheetEditor& editor = window_->Editor();
  const QByteArray before = ReadAll(editor.CSSFilePath());
  EditTheGrid();

  // Alt+S saves what the grid shows.
  QTest::keyClick(window_, Qt::Key_S, Qt::AltModifier);
  QTRY_VERIFY(!editor.IsModified());
  QVERIFY(ReadAll(editor.CSSFilePath()) != before);

  // Alt+D switches live mode on, and off again.
  QTest::keyClick(window_, Qt::Key_D, Qt::AltModifier);
  QTRY_VERIFY(editor.LiveMode());
  QTest::keyClick(window_, Qt::Key_D, Qt::AltModifier);
  QTRY_VERIFY(!editor.LiveMode());

  // A hidden tab's letter brings nothing forward.
  QTest::keyClick(window_, Qt::Key_I, Qt::AltModifier);
  QCOMPARE(pages->currentWidget(), &editor);

  // The tabs' letters, then "OK" of "Entrée", which opens the project again.
  QTest::keyClick(window_, Qt::Key_N, Qt::AltModifier);
  QCOMPARE(pages->currentWidget(), &window_->EntryPage());
  QTest::keyClick(window_, Qt::Key_E, Qt::AltModifier);
  QCOMPARE(pages->currentWidget(), &editor);
  QTest::keyClick(window_, Qt::Key_N, Qt::AltModifier);
  QSignalSpy opened(&window_->EntryPage(), &TEntryPage::ProjectOpened);
  QTest::keyClick(window_, Qt::Key_O, Qt::AltModifier);
  QTRY_COMPARE(opened.count(), 1);
  QTRY_COMPARE(pages->currentWidget(), &editor);

  // On "Images", Alt+A cancels the choice and goes back to "Edition".
  ShowPage(QStringLiteral("Images"));
  QTest::keyClick(window_, Qt::Key_A, Qt::AltModifier);
  QTRY_COMPARE(pages->currentWidget(), &editor);
}

void KeyboardTest::noTwoAltLettersAlikeOnAPage_data() {
  QTest::addColumn<QString>("page");
  QTest::addColumn<QString>("letters");  // those the page's main actions must have
  QTest::newRow("Edition") << QStringLiteral("Edition") << QStringLiteral("ENSDAP");
  QTest::newRow("Entrée") << QStringLiteral("Entrée") << QStringLiteral("ENO");
  QTest::newRow("Images") << QStringLiteral("Images") << QStringLiteral("ENIOASD");
}

void KeyboardTest::noTwoAltLettersAlikeOnAPage() {
  QFETCH(QString, page);
  QFETCH(QString, letters);
  ShowPage(page);
  // The letters of the tabs shown, and of every button the page shows.
  QHash<QKeySequence, QString> seen;
  QStringList clashes;
  auto take = [&](const QString& text) {
    const QKeySequence letter = QKeySequence::mnemonic(text);
    if (letter.isEmpty()) return;
    if (seen.contains(letter)) clashes << seen.value(letter) + QStringLiteral(" / ") + text;
    seen.insert(letter, text);
  };
  QTabWidget* pages = window_->Pages();
  for (int i = 0; i < pages->count(); ++i)
    if (pages->isTabVisible(i)) take(pages->tabText(i));
  for (const QAbstractButton* button : pages->currentWidget()->findChildren<QAbstractButton*>())
    if (button->isVisible()) take(button->text());
  QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join(QStringLiteral(", "))));
  for (const QChar letter : letters) {
    const QKeySequence shortcut(QStringLiteral("Alt+") + letter);
    QVERIFY2(seen.contains(shortcut), qPrintable(shortcut.toString()));
  }
}

// A file or a rule named with "&" is captioned as written: the "&"
// neither vanishes nor underlines the next letter as an Alt letter.
void KeyboardTest::anAmpersandInANameIsShownAndMakesNoLetter() {
  const QString stylesheet = example_->Folder() + QStringLiteral("/r&d/r&d.css");
  QVERIFY(WriteAll(stylesheet, ".card { color: red }\n& .note { color: blue }\n"));
  TStyleSheetEditor& editor = window_->Editor();
  QVERIFY(editor.OpenStylesheet(stylesheet, QString(), QStringLiteral("r&d.css")));
  QTreeWidgetItem* nested = nullptr;
  for (QTreeWidgetItemIterator item(editor.RuleTree()); *item; ++item)
    if ((*item)->text(0).contains(QLatin1Char('&'))) nested = *item;
  QVERIFY(nested);
  QVERIFY(editor.SelectRule(nested, true));
  const QList<QPair<const char*, QString>> captions{{"PgCtlCSS", QStringLiteral("r&d.css")},
                                                    {"PGCtlEdit", nested->text(0)}};
  for (const auto& [pane, written] : captions) {
    auto* tabs = window_->findChild<QTabWidget*>(QLatin1String(pane));
    QVERIFY2(tabs, pane);
    const QString caption = tabs->tabText(0);
    QVERIFY2(QKeySequence::mnemonic(caption).isEmpty(), qPrintable(caption));
    QCOMPARE(QString(caption).replace(QStringLiteral("&&"), QStringLiteral("&")), written);
  }
}

}  // namespace korvel

QTEST_MAIN(korvel::KeyboardTest)
#include "keyboard_test.moc"
