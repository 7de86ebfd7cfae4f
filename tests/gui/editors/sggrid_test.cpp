// The sub-grid editor driven as the user drives it: opened beside a value
// cell, a member clicked, its length editor confirmed, a combo choice made,
// and the shorthand read back after each change.

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <optional>

#include "dictionary/keyworddictionary.h"
#include "editors/formeditunit.h"
#include "editors/gstringgrid.h"
#include "editors/sggridunit.h"
#include "model/xmldocument.h"

using korvel::GStringGrid;
using korvel::MemberCell;
using korvel::TFormEdit;
using korvel::TSGGridForm;

namespace {

constexpr const char* kDictionary = R"(<KeyWords>
  <KeyWord Name="margin" EditMode="expand" Special="True">
    <Prop Name="top" EditMode="FormEdit"><Item Name="length"/><Item Name="auto"/></Prop>
    <Prop Name="right" EditMode="FormEdit"><Item Name="length"/><Item Name="auto"/></Prop>
    <Prop Name="bottom" EditMode="FormEdit"><Item Name="length"/><Item Name="auto"/></Prop>
    <Prop Name="left" EditMode="FormEdit"><Item Name="length"/><Item Name="auto"/></Prop>
  </KeyWord>
  <KeyWord Name="border" EditMode="expand">
    <Prop Name="border-width" EditMode="FormEdit" DefaultValue="medium"><Item Name="length"/><Item Name="medium"/></Prop>
    <Prop Name="border-style" EditMode="combo" DefaultValue="none">
      <Item Name="none"/><Item Name="solid"/><Item Name="dotted"/>
    </Prop>
    <Prop Name="border-color" EditMode="combo">
      <Item Name="color" EditIcon="getcolor"/><Item Name="red"/>
    </Prop>
  </KeyWord>
</KeyWords>)";

// A main window with a property grid, and the sub-grid editor and the
// length editor it owns, over the dictionary above.
struct Window {
  Window() : dictionary(korvel::ParseXmlText(kDictionary), "test.xml") {
    auto* layout = new QVBoxLayout(&main);
    grid = new GStringGrid(&main);
    layout->addWidget(grid);
    grid->SetCellText(0, 0, QStringLiteral("margin"));
    grid->SetCellText(1, 0, QStringLiteral("1px 0"));
    grid->SetCellText(0, 1, QStringLiteral("border"));
    grid->SetCellText(1, 1, QStringLiteral("1px solid"));
    grid->SetColumnWidth(0, 100);
    grid->SetColumnWidth(1, 300);
    main.setGeometry(50, 50, 420, 300);
    main.show();
    subGrid = std::make_unique<TSGGridForm>(dictionary.Active(), &main);
    formEdit = std::make_unique<TFormEdit>(dictionary.Active(), &main);
    // The dispatch, as the window will do it.
    subGrid->SetMemberEditorRequest([this](const MemberCell& cell) {
      requested = cell;
      if (cell.editMode == QLatin1String("FormEdit")) {
        formEdit->PlaceBeside(cell.cellInGlobal);
        formEdit->LoadValue(cell.member, cell.value);
        formEdit->show();
      } else if (cell.editMode == QLatin1String("combo")) {
        GStringGrid& members = *subGrid->SubGrid();
        members.ShowComboAt(1, cell.row);
        members.FillComboFromNode(dictionary.Active().FindMember(cell.member.toStdString()));
        members.SetComboText(cell.value);
      }
    });
    QObject::connect(formEdit.get(), &korvel::GPopupForm::Accepted, subGrid.get(), [this](const QString& value) {
      if (subGrid->isVisible()) subGrid->WriteBack(value);
    });
    QObject::connect(subGrid.get(), &TSGGridForm::ValueChanged, grid,
                     [this](const QString& value) { grid->SetCellText(1, grid->CurrentRow(), value); });
  }

  void Open(int row) {
    grid->SetCurrentRow(row);
    dictionary.PrepareKeyword(grid->CellText(0, row).toStdString(), grid->CellText(1, row).toStdString());
    subGrid->OpenSubGrid(korvel::ValueCellInGlobal(*grid, row), grid->ColumnWidth(1), grid->CellText(1, row));
  }

  void ClickMember(int row) {
    GStringGrid& members = *subGrid->SubGrid();
    QTest::mouseClick(members.viewport(), Qt::LeftButton, {}, members.CellRect(1, row).center());
  }

  korvel::KeywordDictionary dictionary;
  QWidget main;
  GStringGrid* grid;
  std::unique_ptr<TSGGridForm> subGrid;
  std::unique_ptr<TFormEdit> formEdit;
  std::optional<MemberCell> requested;
};

QStringList Rows(const GStringGrid& grid) {
  QStringList rows;
  for (int row = 0; row < grid.RowCount(); ++row) rows << grid.CellText(0, row) + QLatin1Char('=') + grid.CellText(1, row);
  return rows;
}

}  // namespace

class SGGridTest final : public QObject {
  Q_OBJECT

 private slots:
  void OpensBesideTheCellWithOneRowPerMember() {
    Window window;
    window.Open(0);
    TSGGridForm& form = *window.subGrid;
    QVERIFY(form.isVisible());
    QCOMPARE(form.Edit()->text(), QStringLiteral("1px 0"));
    QCOMPARE(Rows(*form.SubGrid()).join(QLatin1Char(' ')), QStringLiteral("top=1px right=0 bottom=1px left=0"));
    const QRect cell = korvel::ValueCellInGlobal(*window.grid, 0);
    QCOMPARE(form.geometry().topLeft(), QPoint(cell.left() - 1, cell.top()));
    QCOMPARE(form.height(), 4 * (20 + 2) + 21);
    // As wide as the value column, its name column a third of the sub-grid.
    QCOMPARE(form.width(), 300);
    QCOMPARE(form.SubGrid()->ColumnWidth(0), form.SubGrid()->width() / 3);
    QCOMPARE(form.SubGrid()->ColumnWidth(0) + form.SubGrid()->ColumnWidth(1), form.SubGrid()->width());

    // Beside a narrower value column it keeps its own width.
    TSGGridForm narrow(window.dictionary.Active(), &window.main);
    narrow.OpenSubGrid(cell, 200, QStringLiteral("1px 0"));
    QCOMPARE(narrow.width(), TSGGridForm::kWidth);
    QCOMPARE(narrow.height(), 109);
  }

  void TheLengthEditorWritesBackThroughTheSubGrid() {
    Window window;
    window.Open(0);
    QSignalSpy changed(window.subGrid.get(), &TSGGridForm::ValueChanged);
    window.ClickMember(1);
    QVERIFY(window.requested.has_value());
    QCOMPARE(window.requested->member, QStringLiteral("right"));
    QCOMPARE(window.requested->value, QStringLiteral("0"));
    QCOMPARE(window.requested->cellInGlobal, korvel::ValueCellInGlobal(*window.subGrid->SubGrid(), 1));
    QVERIFY(window.formEdit->isVisible());
    QCOMPARE(window.formEdit->geometry().top(), window.requested->cellInGlobal.top());

    QLineEdit* length = window.formEdit->EditLength();
    length->clear();
    QTest::keyClicks(length, QStringLiteral("2,5"));
    window.formEdit->ComboUnit()->setCurrentText(QStringLiteral("px"));
    QTest::keyClick(length, Qt::Key_Return);

    QVERIFY(window.formEdit->isHidden());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(window.subGrid->SubGrid()->CellText(1, 1), QStringLiteral("2.5px"));
    QCOMPARE(window.subGrid->Edit()->text(), QStringLiteral("1px 2.5px 1px 0"));
    QCOMPARE(window.grid->CellText(1, 0), QStringLiteral("1px 2.5px 1px 0"));

    // Hidden, the sub-grid no longer takes the length editor's result.
    window.subGrid->hide();
    window.formEdit->LoadValue(QStringLiteral("right"), QStringLiteral("3px"));
    window.formEdit->show();
    window.formEdit->Ok();
    QCOMPARE(changed.count(), 1);
  }

  void AComboChoiceRecomposesTheShorthand() {
    Window window;
    window.Open(1);
    TSGGridForm& form = *window.subGrid;
    QCOMPARE(Rows(*form.SubGrid()).join(QLatin1Char(' ')),
             QStringLiteral("border-width=1px border-style=solid border-color="));
    window.ClickMember(1);
    GStringGrid& members = *form.SubGrid();
    QVERIFY(members.IsComboVisible());
    QCOMPARE(members.ComboItems().join(QLatin1Char(' ')), QStringLiteral("none solid dotted"));
    QSignalSpy changed(&form, &TSGGridForm::ValueChanged);
    members.ComboBox()->setCurrentIndex(1);
    QTest::keyClick(members.ComboBox(), Qt::Key_Down);  // solid → dotted, shown only
    QCOMPARE(changed.count(), 0);
    QTest::keyClick(members.ComboBox(), Qt::Key_Return);  // the choice is committed
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.last().at(0).toString(), QStringLiteral("1px dotted"));
    QCOMPARE(window.grid->CellText(1, 1), QStringLiteral("1px dotted"));
    QCOMPARE(form.Edit()->text(), QStringLiteral("1px dotted"));

    // Enter in the in-place combo box belonged to it: the form stayed open.
    QVERIFY(form.isVisible());
    // Escape in the form's own edit box still closes it.
    QTest::keyClick(form.Edit(), Qt::Key_Escape);
    QVERIFY(form.isHidden());
  }

  void AChoiceWithAColourIconAsksForThePickerAndWritesNothing() {
    Window window;
    window.Open(1);
    TSGGridForm& form = *window.subGrid;
    QString icon;
    QString choice;
    form.SetIconChoice([&](const QString& asked, const MemberCell& cell, const QString& chosen) {
      icon = asked;
      choice = chosen + QLatin1Char('@') + cell.member;
    });
    QSignalSpy changed(&form, &TSGGridForm::ValueChanged);
    window.ClickMember(2);
    GStringGrid& members = *form.SubGrid();
    members.ComboBox()->setCurrentIndex(-1);
    QTest::keyClick(members.ComboBox(), Qt::Key_Down);  // → color
    QTest::keyClick(members.ComboBox(), Qt::Key_Return);
    QCOMPARE(icon, QStringLiteral("getcolor"));
    QCOMPARE(choice, QStringLiteral("white@border-color"));
    QCOMPARE(members.ComboText(), QStringLiteral("white"));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(members.CellText(1, 2), QString());

    window.ClickMember(2);
    members.ComboBox()->setCurrentIndex(0);
    QTest::keyClick(members.ComboBox(), Qt::Key_Down);  // → red, no icon: written
    QTest::keyClick(members.ComboBox(), Qt::Key_Return);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(window.grid->CellText(1, 1), QStringLiteral("1px solid red"));
  }

  // F2 or Enter on the sub-grid itself asks for the current member's
  // editor, as a click on its value does; the form stays open.
  void EditKeysOnTheSubGridAskForTheMembersEditor_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("F2") << int{Qt::Key_F2};
    QTest::newRow("Return") << int{Qt::Key_Return};
    QTest::newRow("keypad Enter") << int{Qt::Key_Enter};
  }
  void EditKeysOnTheSubGridAskForTheMembersEditor() {
    QFETCH(int, key);
    Window window;
    window.Open(0);
    TSGGridForm& form = *window.subGrid;
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.SubGrid()->setFocus();
    form.SubGrid()->SetCurrentRow(2);
    QTest::keyClick(form.SubGrid(), static_cast<Qt::Key>(key),
                    key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QVERIFY(window.requested.has_value());
    QCOMPARE(window.requested->row, 2);
    QCOMPARE(window.requested->member, QStringLiteral("bottom"));
    QVERIFY(form.isVisible());
    QVERIFY(window.formEdit->isVisible());
  }

  void EnterConfirmsATypedValueAndEscapeCloses() {
    Window window;
    window.Open(0);
    TSGGridForm& form = *window.subGrid;
    QSignalSpy accepted(&form, &korvel::GPopupForm::Accepted);
    // Enter without typing changes nothing.
    QTest::keyClick(form.Edit(), Qt::Key_Return);
    QVERIFY(form.isHidden());
    QCOMPARE(accepted.count(), 0);

    window.Open(0);
    form.Edit()->selectAll();
    QTest::keyClicks(form.Edit(), QStringLiteral("0 auto "));
    QTest::keyClick(form.Edit(), Qt::Key_Return);
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(accepted.last().at(0).toString(), QStringLiteral("0 auto"));

    window.Open(0);
    QTest::keyClick(form.SubGrid(), Qt::Key_Escape);
    QVERIFY(form.isHidden());
    QCOMPARE(accepted.count(), 1);
  }
};

QTEST_MAIN(SGGridTest)
#include "sggrid_test.moc"
