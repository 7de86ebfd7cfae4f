// Undo and redo as the user drives them on the "Edition" page: keys and
// buttons, across saves, back to the bytes that were read, and in live mode.
// The page is built alone: nothing else of the window takes part.

#include <QLineEdit>
#include <QListWidget>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

#include "app/tcelldispatch.h"
#include "app/tstylesheeteditor.h"
#include "editors/formeditunit.h"
#include "editors/gstringgrid.h"
#include "support/editorpage.h"

namespace korvel {

namespace {

// In the layout Korvel writes, so that a save of what was read gives the
// same bytes.
const QByteArray kStylesheet =
    "h1\n{\n color: navy;\n font-size: 2em;\n}\n\n"
    "p\n{\n line-height: 1.5;\n width: 12px;\n}\n\n";

}  // namespace

class UndoTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init();
  void cleanup();

  void undoneToTheStartSavesTheFileReadAndRedoneTheEditedOne();
  void liveModeWritesAnUndoAndTheArrowStepsAreOneChange();

 private:
  [[nodiscard]] QString Stylesheet() const { return page_->Stylesheet(); }
  [[nodiscard]] GStringGrid* Grid() const { return page_->Grid(); }
  [[nodiscard]] int RowOf(const QString& property) const { return page_->RowOf(property); }
  void ClickRule(const QString& name);
  void ClickBox(int row);
  void ClickValue(int row) { page_->ClickValue(row); }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers);
  [[nodiscard]] QStringList Changes() const;
  /// The rows of the change list shown greyed (steps undone).
  [[nodiscard]] QList<int> GreyedRows() const;

  std::unique_ptr<EditorPage> page_;
  TStyleSheetEditor* editor_ = nullptr;
  const MessageRecorder* messages_ = nullptr;
};

void UndoTest::init() {
  page_ = std::make_unique<EditorPage>();
  QVERIFY(page_->Open(kStylesheet));
  editor_ = &page_->Editor();
  messages_ = &page_->Messages();
  QCOMPARE(editor_->ShownRule(), QStringLiteral("h1"));
}

void UndoTest::cleanup() {
  page_->Close();
  QCOMPARE(messages_->unanswered, 0);
  page_.reset();
}

void UndoTest::ClickRule(const QString& name) {
  QTreeWidgetItem* node = editor_->FindNode(name);
  QVERIFY(node);
  editor_->RuleTree()->setCurrentItem(node);
  QCOMPARE(editor_->ShownRule(), name);
}

void UndoTest::ClickBox(int row) {
  QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, Grid()->CheckBoxRect(0, row).center());
}

void UndoTest::Key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
  editor_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(editor_));
  QTest::keyClick(editor_->RuleTree(), key, modifiers);
}

QList<int> UndoTest::GreyedRows() const {
  QList<int> rows;
  for (int i = 0; i < editor_->ChangeList()->count(); ++i) {
    if (editor_->ChangeList()->item(i)->data(Qt::ForegroundRole).isValid()) rows << i;
  }
  return rows;
}

QStringList UndoTest::Changes() const {
  QStringList changes;
  for (int i = 0; i < editor_->ChangeList()->count(); ++i) changes << editor_->ChangeList()->item(i)->text();
  return changes;
}

void UndoTest::undoneToTheStartSavesTheFileReadAndRedoneTheEditedOne() {
  QToolButton* undo = editor_->UndoButton();
  QToolButton* redo = editor_->RedoButton();
  QVERIFY(!undo->isEnabled());
  QCOMPARE(undo->toolTip(), QStringLiteral("Annuler"));

  // A popup's OK, a switch-off and a save.
  TFormEdit* lengths = editor_->Dispatch().FormEdit();
  ClickValue(RowOf(QStringLiteral("font-size")));
  QVERIFY(lengths->isVisible());
  lengths->Edit()->selectAll();
  QTest::keyClicks(lengths->Edit(), QStringLiteral("3em"));
  QTest::keyClick(lengths->Edit(), Qt::Key_Return);
  QCOMPARE(undo->toolTip(), QStringLiteral("Annuler : font-size → 3em sur h1"));
  ClickBox(RowOf(QStringLiteral("color")));
  QCOMPARE(undo->toolTip(), QStringLiteral("Annuler : color désactivée sur h1"));
  Key(Qt::Key_S, Qt::ControlModifier);
  QVERIFY(!editor_->IsModified());

  // An add, given a value, and a delete in another rule; saved.
  ClickRule(QStringLiteral("p"));
  QVERIFY(messages_->shown.empty());
  editor_->AddProperty(QStringLiteral("text-indent"));
  QVERIFY(lengths->isVisible());
  QTest::keyClicks(lengths->Edit(), QStringLiteral("1em"));
  QTest::keyClick(lengths->Edit(), Qt::Key_Return);
  Grid()->SetCurrentRow(RowOf(QStringLiteral("line-height")));
  editor_->DeleteProperty();
  QVERIFY(editor_->SaveStylesheet());
  const QByteArray edited = ReadAll(Stylesheet());
  QCOMPARE(edited, QByteArray("h1\n{\n /*color: navy; */\n font-size: 3em;\n}\n\n"
                              "p\n{\n width: 12px;\n text-indent: 1em;\n}\n\n"));
  QCOMPARE(Changes(), (QStringList{QStringLiteral("suppression de line-height sur p"),
                                   QStringLiteral("text-indent → 1em sur p"),
                                   QStringLiteral("ajout de text-indent sur p"),
                                   QStringLiteral("color désactivée sur h1"),
                                   QStringLiteral("font-size → 3em sur h1")}));

  // Undone: each step shows its rule with the value it restores.
  Key(Qt::Key_Z, Qt::ControlModifier);
  QVERIFY(editor_->IsModified());
  QCOMPARE(GreyedRows(), QList<int>{0});
  QCOMPARE(Grid()->CellText(1, RowOf(QStringLiteral("line-height"))), QStringLiteral("1.5"));
  QCOMPARE(redo->toolTip(), QStringLiteral("Rétablir : suppression de line-height sur p"));
  QTest::mouseClick(undo, Qt::LeftButton);
  QCOMPARE(Grid()->CellText(1, RowOf(QStringLiteral("text-indent"))), QString());
  Key(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(RowOf(QStringLiteral("text-indent")), -1);
  Key(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(editor_->ShownRule(), QStringLiteral("h1"));
  QCOMPARE(editor_->RuleTree()->currentItem()->text(0), QStringLiteral("h1"));
  QVERIFY(Grid()->IsChecked(0, RowOf(QStringLiteral("color"))));
  Key(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(Grid()->CellText(1, RowOf(QStringLiteral("font-size"))), QStringLiteral("2em"));
  QVERIFY(!undo->isEnabled());
  QCOMPARE(undo->toolTip(), QStringLiteral("Annuler"));
  QCOMPARE(GreyedRows(), (QList<int>{0, 1, 2, 3, 4}));
  QVERIFY(editor_->IsModified());
  QVERIFY(editor_->SaveStylesheet());
  QCOMPARE(ReadAll(Stylesheet()), kStylesheet);

  // Redone with both keys, and a click in the list shows a change's rule.
  Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  Key(Qt::Key_Y, Qt::ControlModifier);
  Key(Qt::Key_Y, Qt::ControlModifier);
  QTest::mouseClick(redo, Qt::LeftButton);
  QCOMPARE(GreyedRows(), QList<int>{0});
  Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  QVERIFY(!redo->isEnabled());
  QCOMPARE(editor_->ShownRule(), QStringLiteral("p"));
  QVERIFY(editor_->SaveStylesheet());
  QCOMPARE(ReadAll(Stylesheet()), edited);
  QListWidget* list = editor_->ChangeList();
  // Its tab, beside the grid's, brought to the front.
  auto* tabs = qobject_cast<QTabWidget*>(list->parentWidget()->parentWidget());
  QVERIFY(tabs);
  tabs->setCurrentWidget(list);
  QVERIFY(list->isVisible());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(4)).center());
  QTRY_COMPARE(editor_->ShownRule(), QStringLiteral("h1"));
  QVERIFY(Grid()->isVisible());
  QVERIFY(messages_->shown.empty());
}

void UndoTest::liveModeWritesAnUndoAndTheArrowStepsAreOneChange() {
  editor_->SetLiveMode(true);
  ClickRule(QStringLiteral("p"));
  ClickValue(RowOf(QStringLiteral("width")));
  TFormEdit* lengths = editor_->Dispatch().FormEdit();
  QVERIFY(lengths->isVisible());
  QTest::keyClick(lengths->EditLength(), Qt::Key_Up);
  QTest::keyClick(lengths->EditLength(), Qt::Key_Up);
  QTest::keyClick(lengths->EditLength(), Qt::Key_Up, Qt::ShiftModifier);
  QVERIFY(ReadAll(Stylesheet()).contains("width: 24px;"));
  QTest::keyClick(lengths->EditLength(), Qt::Key_Return);
  QCOMPARE(Changes(), QStringList{QStringLiteral("width → 24px sur p")});
  // Escape takes the steps of the next opening back: they leave no change.
  ClickValue(RowOf(QStringLiteral("width")));
  QVERIFY(lengths->isVisible());
  QTest::keyClick(lengths->EditLength(), Qt::Key_Up);
  QVERIFY(ReadAll(Stylesheet()).contains("width: 25px;"));
  QTest::keyClick(lengths->EditLength(), Qt::Key_Escape);
  QVERIFY(ReadAll(Stylesheet()).contains("width: 24px;"));
  QCOMPARE(Changes(), QStringList{QStringLiteral("width → 24px sur p")});
  ClickBox(RowOf(QStringLiteral("line-height")));
  QVERIFY(ReadAll(Stylesheet()).contains("/*line-height: 1.5; */"));

  // An undo writes the file and shows the page again, as any change does.
  bool pageShown = false;
  editor_->SetPageOpener([&pageShown] { pageShown = true; });
  Key(Qt::Key_Z, Qt::ControlModifier);
  QVERIFY(ReadAll(Stylesheet()).contains(" line-height: 1.5;"));
  QVERIFY(pageShown);
  Key(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(ReadAll(Stylesheet()), kStylesheet);
  QCOMPARE(Grid()->CellText(1, RowOf(QStringLiteral("width"))), QStringLiteral("12px"));
  QVERIFY(!editor_->IsModified());
}

}  // namespace korvel

QTEST_MAIN(korvel::UndoTest)
#include "undo_test.moc"
