// Rules inside "@media" and "@supports" blocks, nested in a rule, and an
// "@font-face" edited on the "Edition" page as the user does it: the same
// selector stands in four places, and each edit, undo and reload must reach
// the one rule it was made on. The page is built alone.

#include <QLineEdit>
#include <QListWidget>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include "app/tcelldispatch.h"
#include "app/tstylesheeteditor.h"
#include "editors/formeditunit.h"
#include "editors/gstringgrid.h"
#include "model/ruleplace.h"
#include "support/editorpage.h"

namespace korvel {

namespace {

// In the layout Korvel writes (blocks and nested rules indented one step per
// level), so that a save changes only what was edited.
const QByteArray kStylesheet =
    "h1\n{\n order: 1;\n font-size: 1em;\n}\n\n"
    "@media print\n{\n h1\n {\n  order: 2;\n  font-size: 2em;\n }\n\n"
    " @supports (display: grid)\n {\n  h1\n  {\n   order: 3;\n   font-size: 3em;\n  }\n }\n}\n\n"
    ".card\n{\n order: 5;\n h1\n {\n  order: 4;\n  font-size: 4em;\n }\n}\n\n"
    "@font-face\n{\n font-family: Titres;\n font-weight: 400;\n font-display: auto;\n}\n\n";

RulePlace::Step Rule(const char* name) { return {std::string(tags::kRule), name, 0}; }
RulePlace::Step Block(const char* prelude) { return {std::string(tags::kBlock), prelude, 0}; }

const RulePlace kTop{{Rule("h1")}};
const RulePlace kInMedia{{Block("@media print"), Rule("h1")}};
const RulePlace kInSupports{{Block("@media print"), Block("@supports (display: grid)"), Rule("h1")}};
const RulePlace kNested{{Rule(".card"), Rule("h1")}};
const RulePlace kFontFace{{Rule("@font-face")}};

}  // namespace

class RulePlacesTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init();
  void cleanup();

  void theGridAndThePopupsEditTheRuleOfEachPlace();
  void anOutsideChangeKeepsTheShownRuleAndTheOpenBlocks();
  void aRepeatedRuleKeptApartIsEditedApart();
  void liveModeWritesAnEditInABlockAtOnce();

 private:
  [[nodiscard]] QString Stylesheet() const { return page_->Stylesheet(); }
  [[nodiscard]] GStringGrid* Grid() const { return page_->Grid(); }
  [[nodiscard]] int RowOf(const QString& property) const { return page_->RowOf(property); }
  void ClickRule(const RulePlace& place);
  void ClickValue(int row);
  /// Types a value into the grid's own box (or its drop-down) and confirms it.
  void TypeInGrid(const QString& property, const QString& value);
  /// Gives a value through the length editor that a click on it opens.
  void TypeInLengthEditor(const QString& property, const QString& value);

  std::unique_ptr<EditorPage> page_;
  TStyleSheetEditor* editor_ = nullptr;
};

void RulePlacesTest::init() {
  page_ = std::make_unique<EditorPage>();
  QVERIFY(page_->Open(kStylesheet));
  editor_ = &page_->Editor();
}

void RulePlacesTest::cleanup() {
  page_->Close();
  QCOMPARE(page_->Messages().unanswered, 0);
  QVERIFY(page_->Messages().shown.empty());
  page_.reset();
}

void RulePlacesTest::ClickRule(const RulePlace& place) {
  QTreeWidgetItem* node = editor_->FindNode(place);
  QVERIFY2(node, PlaceLabel(place).c_str());
  QTreeWidget* tree = editor_->RuleTree();
  for (QTreeWidgetItem* parent = node->parent(); parent; parent = parent->parent()) parent->setExpanded(true);
  tree->scrollToItem(node);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
  QCOMPARE(editor_->ShownPlace(), place);
}

void RulePlacesTest::ClickValue(int row) {
  QVERIFY(row >= 0);
  page_->ClickValue(row);
}

void RulePlacesTest::TypeInGrid(const QString& property, const QString& value) {
  const int row = RowOf(property);
  ClickValue(row);
  if (Grid()->IsComboVisible()) {
    Grid()->ComboBox()->setFocus();
    const int index = Grid()->ComboItems().indexOf(value);
    QVERIFY(index >= 0);
    Grid()->ComboBox()->setCurrentIndex(index);
    emit Grid()->ComboBox()->textActivated(value);
  } else {
    QVERIFY(Grid()->IsEditVisible());
    Grid()->EditBox()->selectAll();
    QTest::keyClicks(Grid()->EditBox(), value);
    QTest::keyClick(Grid()->EditBox(), Qt::Key_Return);
  }
  QCOMPARE(Grid()->CellText(1, row), value);
}

void RulePlacesTest::TypeInLengthEditor(const QString& property, const QString& value) {
  TFormEdit* lengths = editor_->Dispatch().FormEdit();
  ClickValue(RowOf(property));
  QVERIFY(lengths->isVisible());
  lengths->Edit()->selectAll();
  QTest::keyClicks(lengths->Edit(), value);
  QTest::keyClick(lengths->Edit(), Qt::Key_Return);
  QVERIFY(!lengths->isVisible());
}

void RulePlacesTest::theGridAndThePopupsEditTheRuleOfEachPlace() {
  // The tree: each "h1" under its own block or rule.
  QTreeWidgetItem* media = editor_->FindNode(RulePlace{{Block("@media print")}});
  QVERIFY(media);
  QCOMPARE(media->text(0), QStringLiteral("@media print"));
  QCOMPARE(editor_->FindNode(kInMedia)->parent(), media);
  QCOMPARE(editor_->FindNode(kInSupports)->parent()->parent(), media);
  QCOMPARE(editor_->FindNode(kNested)->parent(), editor_->FindNode(RulePlace{{Rule(".card")}}));

  const struct {
    RulePlace place;
    const char* inGrid[2];   // a property typed into the grid, and its value
    const char* inPopup[2];  // a length given through its editor, or none
    const char* label;       // how the change list names the rule
    QByteArray from, to;     // the lines of the file the edits change
  } edits[] = {
      {kInSupports, {"order", "30"}, {"font-size", "3.5em"}, "h1 dans @supports (display: grid) dans @media print",
       "   order: 3;\n   font-size: 3em;\n", "   order: 30;\n   font-size: 3.5em;\n"},
      {kInMedia, {"order", "20"}, {"font-size", "2.5em"}, "h1 dans @media print",
       "  order: 2;\n  font-size: 2em;\n", "  order: 20;\n  font-size: 2.5em;\n"},
      {kNested, {"order", "40"}, {"font-size", "4.5em"}, "h1 dans .card",
       "  order: 4;\n  font-size: 4em;\n", "  order: 40;\n  font-size: 4.5em;\n"},
      {kTop, {"order", "10"}, {"font-size", "1.5em"}, "h1", " order: 1;\n font-size: 1em;\n",
       " order: 10;\n font-size: 1.5em;\n"},
      {kFontFace, {"font-weight", "700"}, {nullptr, nullptr}, "@font-face", " font-weight: 400;\n",
       " font-weight: 700;\n"},
      // A descriptor that is no CSS property is typed as text.
      {kFontFace, {"font-display", "swap"}, {nullptr, nullptr}, "@font-face", " font-display: auto;\n",
       " font-display: swap;\n"},
  };
  QByteArray expected = kStylesheet;
  for (const auto& edit : edits) {
    const QString label = QString::fromStdString(edit.label);
    ClickRule(edit.place);
    QCOMPARE(editor_->RuleTree()->currentItem(), editor_->FindNode(edit.place));
    TypeInGrid(QString::fromUtf8(edit.inGrid[0]), QString::fromUtf8(edit.inGrid[1]));
    QCOMPARE(editor_->ChangeList()->item(0)->text(),
             QStringLiteral("%1 → %2 sur %3").arg(QString::fromUtf8(edit.inGrid[0]), QString::fromUtf8(edit.inGrid[1]), label));
    if (edit.inPopup[0]) {
      TypeInLengthEditor(QString::fromUtf8(edit.inPopup[0]), QString::fromUtf8(edit.inPopup[1]));
      QCOMPARE(editor_->ChangeList()->item(0)->text(),
               QStringLiteral("%1 → %2 sur %3").arg(QString::fromUtf8(edit.inPopup[0]), QString::fromUtf8(edit.inPopup[1]), label));
    }
    QVERIFY(editor_->SaveStylesheet());
    QCOMPARE(expected.count(edit.from), 1);
    expected.replace(edit.from, edit.to);
    QCOMPARE(ReadAll(Stylesheet()), expected);
  }

  // A change of the list shows its own rule, not the first of its name.
  QListWidget* list = editor_->ChangeList();
  const int supportsRow = list->count() - 1;
  QVERIFY(list->item(supportsRow)->text().endsWith(QStringLiteral("sur h1 dans @supports (display: grid) dans @media print")));
  auto* tabs = qobject_cast<QTabWidget*>(list->parentWidget()->parentWidget());
  QVERIFY(tabs);
  tabs->setCurrentWidget(list);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(supportsRow)).center());
  QTRY_COMPARE(editor_->ShownPlace(), kInSupports);
  QCOMPARE(editor_->RuleTree()->currentItem(), editor_->FindNode(kInSupports));

  // Undone, each step goes back into its own rule, shown as it is undone.
  ClickRule(kTop);
  editor_->Undo();
  QCOMPARE(editor_->ShownPlace(), kFontFace);
  editor_->Undo();
  editor_->Undo();
  editor_->Undo();
  QCOMPARE(editor_->ShownPlace(), kTop);
  editor_->Undo();
  QCOMPARE(editor_->ShownPlace(), kNested);
  QCOMPARE(Grid()->CellText(1, RowOf(QStringLiteral("font-size"))), QStringLiteral("4em"));
  QVERIFY(editor_->SaveStylesheet());
  QByteArray undone = expected;
  undone.replace(" font-weight: 700;\n font-display: swap;\n", " font-weight: 400;\n font-display: auto;\n");
  undone.replace(" order: 10;\n font-size: 1.5em;\n", " order: 1;\n font-size: 1em;\n");
  undone.replace("  order: 40;\n  font-size: 4.5em;\n", "  order: 40;\n  font-size: 4em;\n");
  QCOMPARE(ReadAll(Stylesheet()), undone);
}

void RulePlacesTest::anOutsideChangeKeepsTheShownRuleAndTheOpenBlocks() {
  ClickRule(kInSupports);
  QTreeWidgetItem* card = editor_->FindNode(RulePlace{{Rule(".card")}});
  card->setExpanded(false);
  // Changed outside: a rule and a block of the same names come first, and
  // the shown rule's value changes.
  QByteArray changed = kStylesheet;
  changed.replace("   order: 3;\n", "   order: 33;\n");
  changed.prepend("@media screen\n{\n h1\n {\n  order: 7;\n }\n}\n\nh1\n{\n color: red;\n}\n\n");
  QVERIFY(WriteAll(Stylesheet(), changed));
  editor_->ReloadStylesheet();

  QCOMPARE(editor_->ShownPlace(), kInSupports);
  QCOMPARE(Grid()->CellText(1, RowOf(QStringLiteral("order"))), QStringLiteral("33"));
  QCOMPARE(editor_->RuleTree()->currentItem(), editor_->FindNode(kInSupports));
  QVERIFY(editor_->FindNode(RulePlace{{Block("@media print")}})->isExpanded());
  QVERIFY(editor_->FindNode(RulePlace{{Block("@media print"), Block("@supports (display: grid)")}})->isExpanded());
  QVERIFY(!editor_->FindNode(RulePlace{{Block("@media screen")}})->isExpanded());
  QVERIFY(!editor_->FindNode(RulePlace{{Rule(".card")}})->isExpanded());
}

void RulePlacesTest::aRepeatedRuleKeptApartIsEditedApart() {
  // "p" sets "order" with the same specificity between the two "h1": the
  // second cannot move up into the first, and stays a rule of its own.
  const QByteArray css = "h1\n{\n order: 1;\n}\n\np\n{\n order: 2;\n}\n\nh1\n{\n order: 3;\n}\n\n";
  QVERIFY(WriteAll(Stylesheet(), css));
  QVERIFY(editor_->OpenStylesheet(Stylesheet(), QString(), QStringLiteral("styles.css")));
  const RulePlace second{{{std::string(tags::kRule), "h1", 1}}};
  QVERIFY(editor_->FindNode(second));
  QVERIFY(editor_->FindNode(second) != editor_->FindNode(kTop));
  ClickRule(second);
  TypeInGrid(QStringLiteral("order"), QStringLiteral("30"));
  QVERIFY(editor_->SaveStylesheet());
  QByteArray expected = css;
  expected.replace(" order: 3;\n", " order: 30;\n");
  QCOMPARE(ReadAll(Stylesheet()), expected);
  ClickRule(kTop);
  QCOMPARE(Grid()->CellText(1, RowOf(QStringLiteral("order"))), QStringLiteral("1"));
}

void RulePlacesTest::liveModeWritesAnEditInABlockAtOnce() {
  bool pageShown = false;
  editor_->SetPageOpener([&pageShown] { pageShown = true; });
  editor_->SetLiveMode(true);
  ClickRule(kInSupports);
  TypeInLengthEditor(QStringLiteral("font-size"), QStringLiteral("3.5em"));
  QVERIFY(pageShown);
  QByteArray expected = kStylesheet;
  expected.replace("   font-size: 3em;\n", "   font-size: 3.5em;\n");
  QCOMPARE(ReadAll(Stylesheet()), expected);
  // An undo is written at once too, back into the same rule.
  editor_->Undo();
  QCOMPARE(ReadAll(Stylesheet()), kStylesheet);
  QCOMPARE(editor_->ShownPlace(), kInSupports);
}

}  // namespace korvel

QTEST_MAIN(korvel::RulePlacesTest)
#include "ruleplaces_test.moc"
