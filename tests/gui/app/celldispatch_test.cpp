// A click on a value of the property grid or of the sub-grid: which editor
// opens where, the second click that closes it, the move to another row,
// and every editor's result on its way back into the grid. The dispatch is
// built alone over a grid, as its owner builds it; a few cases run in the
// real window for what the window joins to it: the file, the other tabs,
// the rule tree, the picture picker and the fonts listed at start-up.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "icons/imagelists.h"
#include "app/mainformunit.h"
#include "app/tcelldispatch.h"
#include "app/timagestab.h"
#include "app/tstylesheeteditor.h"
#include "dictionary/keyworddictionary.h"
#include "editors/colorformunit.h"
#include "editors/colorunit.h"
#include "editors/fontsunit.h"
#include "editors/formeditunit.h"
#include "editors/gpopupform.h"
#include "editors/gstringgrid.h"
#include "editors/sggridunit.h"
#include "editors/showimageunit.h"
#include "settings/gxmlini.h"
#include "shell/folderview.h"
#include "support/fontfixture.h"
#include "support/guitestsupport.h"

namespace korvel {

namespace {

// One property of each edit mode, in this order in the grid.
const QByteArray kStylesheet =
    "p { width: 12px; height: 3em; margin: 1px 0 1px 0; text-align: left; color: navy; "
    "font-family: Arial, serif; background-color: transparent; order: 1; font: italic bold 12px/1.5 serif; "
    "border: 1px solid red; --brand: #123 }\n"
    "h1 { color: navy }\n"
    "ul { background-image: url(../img/a.png) }\n";
enum Row { kWidth, kHeight, kMargin, kTextAlign, kColor, kFontFamily, kTransparent, kOrder, kFont, kBorder, kBrand };

// The rule "p" above, as the grid shows it.
const std::vector<std::pair<const char*, const char*>> kRuleP = {
    {"width", "12px"},           {"height", "3em"},
    {"margin", "1px 0 1px 0"},   {"text-align", "left"},
    {"color", "navy"},           {"font-family", "Arial, serif"},
    {"background-color", "transparent"}, {"order", "1"},
    {"font", "italic bold 12px/1.5 serif"}, {"border", "1px solid red"},
    {"--brand", "#123"}};

}  // namespace

/// Drives a dispatch through its grid and its popups, as the user does.
class DispatchDriver {
 protected:
  [[nodiscard]] TCellDispatch& Dispatch() const { return *dispatch_; }
  [[nodiscard]] GStringGrid* Grid() const { return grid_; }
  [[nodiscard]] GStringGrid* SubGrid() const { return Dispatch().SubGridForm()->SubGrid(); }
  void ClickValue(int row) { QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, Grid()->CellRect(1, row).center()); }
  void ClickMember(int row) {
    QTest::mouseClick(SubGrid()->viewport(), Qt::LeftButton, {}, SubGrid()->CellRect(1, row).center());
  }
  [[nodiscard]] int MemberRow(const QString& member) const {
    for (int row = 0; row < SubGrid()->RowCount(); ++row)
      if (SubGrid()->CellText(0, row) == member) return row;
    return -1;
  }
  /// Picks an item of the sub-grid's open list, as a click on it does.
  void Choose(const QString& item) {
    QComboBox* combo = SubGrid()->ComboBox();
    QVERIFY(SubGrid()->IsComboVisible());
    combo->setFocus();
    combo->setCurrentIndex(SubGrid()->ComboItems().indexOf(item));
    emit combo->textActivated(item);
  }
  /// The popups that are visible, by name.
  [[nodiscard]] QStringList Visible() const {
    QStringList shown;
    if (Dispatch().FormEdit()->isVisible()) shown << QStringLiteral("length");
    if (Dispatch().SubGridForm()->isVisible()) shown << QStringLiteral("subgrid");
    if (Dispatch().ColorForm()->isVisible()) shown << QStringLiteral("colour");
    if (Dispatch().FontForm()->isVisible()) shown << QStringLiteral("font");
    if (Grid()->IsComboVisible()) shown << QStringLiteral("combo");
    if (Grid()->IsEditVisible()) shown << QStringLiteral("edit");
    return shown;
  }
  /// The popup of that name (see Visible), or null for the grid's own boxes.
  [[nodiscard]] QWidget* Popup(const QString& name) const {
    const std::map<QString, QWidget*> popups = {{QStringLiteral("length"), Dispatch().FormEdit()},
                                                {QStringLiteral("subgrid"), Dispatch().SubGridForm()},
                                                {QStringLiteral("colour"), Dispatch().ColorForm()},
                                                {QStringLiteral("font"), Dispatch().FontForm()}};
    const auto popup = popups.find(name);
    return popup != popups.end() ? popup->second : nullptr;
  }

  TCellDispatch* dispatch_ = nullptr;
  GStringGrid* grid_ = nullptr;
};

// ------------------------------------------------------------ alone

/// The dispatch over a property grid in a window of its own, the rule "p"
/// shown, with the dictionary that ships; its owner's "modified" step is
/// counted.
class CellDispatchTest final : public QObject, private DispatchDriver {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void eachModeOpensItsEditorBesideTheCell_data();
  void eachModeOpensItsEditorBesideTheCell();
  void eachModeHidesWhatItReplaces_data();
  void eachModeHidesWhatItReplaces();
  void memberEditorsReplaceEachOtherInsideTheSubGrid();
  void secondClickClosesAndAnotherRowMovesTheEditor();
  void checkBoxOfAPropertyTheDictionaryLacksStays();
  void comboChoiceInTheSubGridRecomposesTheShorthand();
  void colourPickerWritesBack();
  void enterConfirmsAndEscapeCloses();
  void clickOnAnotherPropertyClosesTheSubGrid();
  void keyboardOpensTheEditorOfTheCurrentRow_data();
  void keyboardOpensTheEditorOfTheCurrentRow();
  void keyboardOpensAMemberEditorOfTheSubGrid();
  void escapeAndEnterCloseEveryPopup_data();
  void escapeAndEnterCloseEveryPopup();

 private:
  void ShowRows(const std::vector<std::pair<const char*, const char*>>& rows);
  [[nodiscard]] bool Modified() const { return modified_ > 0; }

  std::unique_ptr<KeywordDictionary> dictionary_;
  std::unique_ptr<MessageRecorder> messages_;
  std::unique_ptr<QWidget> window_;
  int modified_ = 0;
};

void CellDispatchTest::initTestCase() {
  QStandardPaths::setTestModeEnabled(true);
  dictionary_ = std::make_unique<KeywordDictionary>(KeywordDictionary::Load(KORVEL_DATA "/CSSKeywords.xml"));
}

void CellDispatchTest::init() {
  messages_ = std::make_unique<MessageRecorder>();
  modified_ = 0;
  window_ = std::make_unique<QWidget>();
  auto* layout = new QVBoxLayout(window_.get());
  grid_ = new GStringGrid(window_.get());
  ConfigureAsPropertyGrid(*grid_);
  grid_->SetImages(MakeImageList());
  layout->addWidget(grid_);
  dispatch_ = new TCellDispatch(*dictionary_, *grid_, window_.get(), [this](int) { ++modified_; });
  // What the stylesheet editor joins to the dispatch.
  connect(grid_, &GStringGrid::OnMouseDown, dispatch_,
          [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPoint position) {
            if (button == Qt::LeftButton) dispatch_->PropertyGridMouseDown(position);
          });
  connect(grid_, &GStringGrid::OnComboChange, dispatch_, [this] { dispatch_->PropertyGridComboChange(); });
  // Within the screen, so that the popups open where their cells are.
  window_->setGeometry(20, 20, 720, 540);
  ShowRows(kRuleP);
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  QCOMPARE(Grid()->CellText(0, kBrand), QStringLiteral("--brand"));
}

void CellDispatchTest::cleanup() {
  window_.reset();
  dispatch_ = nullptr;
  grid_ = nullptr;
  QCOMPARE(messages_->unanswered, 0);
  messages_.reset();
}

void CellDispatchTest::ShowRows(const std::vector<std::pair<const char*, const char*>>& rows) {
  Dispatch().HideAll();
  Grid()->SetRowCount(static_cast<int>(rows.size()));
  for (int row = 0; row < Grid()->RowCount(); ++row) {
    const auto& [name, value] = rows[static_cast<std::size_t>(row)];
    Grid()->SetCheckBox(0, row, true);
    Grid()->SetCellText(0, row, QString::fromUtf8(name));
    Grid()->SetCellText(1, row, QString::fromUtf8(value));
  }
  Grid()->SetCurrentRow(0);
}

void CellDispatchTest::eachModeOpensItsEditorBesideTheCell_data() {
  QTest::addColumn<int>("row");
  QTest::addColumn<QString>("opened");
  QTest::newRow("FormEdit: the length editor") << int{kWidth} << QStringLiteral("length");
  QTest::newRow("expand: the sub-grid") << int{kMargin} << QStringLiteral("subgrid");
  QTest::newRow("combo: the grid's list") << int{kTextAlign} << QStringLiteral("combo");
  QTest::newRow("getcolor: the colour list") << int{kColor} << QStringLiteral("colour");
  QTest::newRow("getfont: the font picker") << int{kFontFamily} << QStringLiteral("font");
  QTest::newRow("getcolor holding transparent: the colour list") << int{kTransparent} << QStringLiteral("colour");
  QTest::newRow("edit: the grid's edit box") << int{kOrder} << QStringLiteral("edit");
  QTest::newRow("custom property: the grid's edit box") << int{kBrand} << QStringLiteral("edit");
}

void CellDispatchTest::eachModeOpensItsEditorBesideTheCell() {
  QFETCH(int, row);
  QFETCH(QString, opened);
  ClickValue(row);
  QCOMPARE(Visible(), opened.isEmpty() ? QStringList() : QStringList{opened});
  QCOMPARE(Grid()->CurrentRow(), row);
  QVERIFY(messages_->shown.empty());
  const QRect cell = ValueCellInGlobal(*Grid(), row);
  if (QWidget* popup = Popup(opened)) QCOMPARE(popup->pos(), QPoint(cell.left() - 1, cell.top()));
  // Opening changes nothing by itself.
  QVERIFY(!Modified());
}

void CellDispatchTest::eachModeHidesWhatItReplaces_data() {
  QTest::addColumn<int>("before");
  QTest::addColumn<int>("row");
  QTest::addColumn<QStringList>("visible");
  const QString length = QStringLiteral("length");
  const QString subgrid = QStringLiteral("subgrid");
  const QString colour = QStringLiteral("colour");
  const QString font = QStringLiteral("font");
  QTest::newRow("sub-grid replaces the length editor") << int{kWidth} << int{kMargin} << QStringList{subgrid};
  QTest::newRow("length editor replaces the sub-grid") << int{kMargin} << int{kWidth} << QStringList{length};
  QTest::newRow("colour list replaces the sub-grid") << int{kMargin} << int{kColor} << QStringList{colour};
  QTest::newRow("font picker replaces the length editor") << int{kWidth} << int{kFontFamily} << QStringList{font};
  QTest::newRow("font picker leaves the colour list") << int{kColor} << int{kFontFamily} << QStringList{colour, font};
  QTest::newRow("a list replaces every popup") << int{kColor} << int{kTextAlign} << QStringList{QStringLiteral("combo")};
  QTest::newRow("the edit box hides nothing") << int{kWidth} << int{kOrder} << QStringList{length, QStringLiteral("edit")};
}

void CellDispatchTest::eachModeHidesWhatItReplaces() {
  QFETCH(int, before);
  QFETCH(int, row);
  QFETCH(QStringList, visible);
  ClickValue(before);
  QCOMPARE(Visible().size(), 1);
  ClickValue(row);
  QCOMPARE(Visible(), visible);
}

// Inside the sub-grid each member's editor replaces the one of another
// member, as on the property grid; the sub-grid itself stays.
void CellDispatchTest::memberEditorsReplaceEachOtherInsideTheSubGrid() {
  const QString subgrid = QStringLiteral("subgrid");
  ClickValue(kFont);
  ClickMember(MemberRow(QStringLiteral("font-size")));
  QCOMPARE(Visible(), (QStringList{QStringLiteral("length"), subgrid}));
  ClickMember(MemberRow(QStringLiteral("font-family")));
  QCOMPARE(Visible(), (QStringList{subgrid, QStringLiteral("font")}));
  ClickMember(MemberRow(QStringLiteral("line-height")));
  QCOMPARE(Visible(), (QStringList{QStringLiteral("length"), subgrid}));
  QCOMPARE(Dispatch().FormEdit()->Edit()->text(), QStringLiteral("1.5"));

  ClickValue(kBorder);
  ClickMember(MemberRow(QStringLiteral("border-color")));
  QCOMPARE(Visible(), (QStringList{subgrid, QStringLiteral("colour")}));
  ClickMember(MemberRow(QStringLiteral("border-width")));
  QCOMPARE(Visible(), (QStringList{QStringLiteral("length"), subgrid}));
  ClickMember(MemberRow(QStringLiteral("border-style")));
  QCOMPARE(Visible(), QStringList{subgrid});
  QVERIFY(SubGrid()->IsComboVisible());
  QVERIFY(!Modified());
}

void CellDispatchTest::secondClickClosesAndAnotherRowMovesTheEditor() {
  TFormEdit* lengths = Dispatch().FormEdit();
  ClickValue(kWidth);
  QVERIFY(lengths->isVisible());
  QCOMPARE(lengths->Edit()->text(), QStringLiteral("12px"));
  ClickValue(kWidth);
  QVERIFY(!lengths->isVisible());
  ClickValue(kWidth);
  QVERIFY(lengths->isVisible());
  ClickValue(kHeight);
  QVERIFY(lengths->isVisible());
  QCOMPARE(lengths->pos().y(), ValueCellInGlobal(*Grid(), kHeight).top());
  QCOMPARE(lengths->Edit()->text(), QStringLiteral("3em"));
  QVERIFY(lengths->LengthBox()->isChecked());
  QCOMPARE(lengths->EditLength()->text(), QStringLiteral("3"));

  // The sub-grid toggles the same way.
  ClickValue(kMargin);
  QVERIFY(Dispatch().SubGridForm()->isVisible());
  QVERIFY(!lengths->isVisible());
  ClickValue(kMargin);
  QVERIFY(!Dispatch().SubGridForm()->isVisible());
}

void CellDispatchTest::checkBoxOfAPropertyTheDictionaryLacksStays() {
  ShowRows({{"colour", "red"}, {"--brand", "blue"}});
  QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, Grid()->CheckBoxRect(0, 0).center());
  QVERIFY(messages_->Saw("colour"));
  QVERIFY(Grid()->IsChecked(0, 0));
  QVERIFY(!Modified());
  QVERIFY(Visible().isEmpty());
  // A custom property is known to the dictionary under its own entry.
  QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, Grid()->CheckBoxRect(0, 1).center());
  QCOMPARE(messages_->shown.size(), size_t{1});
  QVERIFY(!Grid()->IsChecked(0, 1));
  QVERIFY(Modified());
}

void CellDispatchTest::comboChoiceInTheSubGridRecomposesTheShorthand() {
  ClickValue(kFont);
  QVERIFY(Dispatch().SubGridForm()->isVisible());
  const int style = MemberRow(QStringLiteral("font-style"));
  QCOMPARE(SubGrid()->CellText(1, style), QStringLiteral("italic"));
  ClickMember(style);
  QVERIFY(SubGrid()->IsComboVisible());
  QVERIFY(SubGrid()->ComboItems().contains(QStringLiteral("oblique")));
  Choose(QStringLiteral("oblique"));
  QCOMPARE(Grid()->CellText(1, kFont), QStringLiteral("oblique bold 12px/1.5 serif"));
  QCOMPARE(Dispatch().SubGridForm()->Edit()->text(), QStringLiteral("oblique bold 12px/1.5 serif"));
  QVERIFY(Modified());

  // "color" in a list whose item opens the colour picker: the picker opens
  // on white, and its OK writes into the member.
  ClickValue(kBorder);
  const int colour = MemberRow(QStringLiteral("border-color"));
  const int style2 = MemberRow(QStringLiteral("border-style"));
  ClickMember(style2);
  QVERIFY(SubGrid()->IsComboVisible());
  Choose(QStringLiteral("dashed"));
  QCOMPARE(Grid()->CellText(1, kBorder), QStringLiteral("1px dashed red"));
  ClickMember(colour);
  QVERIFY(Dispatch().ColorForm()->isVisible());
  QCOMPARE(Dispatch().ColorForm()->Combo()->currentText(), QStringLiteral("#FF0000"));
}

void CellDispatchTest::colourPickerWritesBack() {
  TColorForm* picker = Dispatch().ColorForm();
  ClickValue(kColor);
  QVERIFY(picker->isVisible());
  QCOMPARE(picker->Combo()->currentText(), QStringLiteral("#000080"));
  picker->Combo()->setEditText(QStringLiteral("#ff8000"));
  QTest::mouseClick(picker->OkButton(), Qt::LeftButton);
  QVERIFY(!picker->isVisible());
  QCOMPARE(Grid()->CellText(1, kColor), QStringLiteral("#FF8000"));
  QVERIFY(Modified());

  // From the sub-grid: the member, then the shorthand.
  ClickValue(kBorder);
  ClickMember(MemberRow(QStringLiteral("border-color")));
  QVERIFY(picker->isVisible());
  picker->Combo()->setEditText(QStringLiteral("#00f"));
  QTest::mouseClick(picker->OkButton(), Qt::LeftButton);
  QCOMPARE(SubGrid()->CellText(1, MemberRow(QStringLiteral("border-color"))), QStringLiteral("#0000FF"));
  QCOMPARE(Grid()->CellText(1, kBorder), QStringLiteral("1px solid #0000FF"));

  // A value the picker cannot show is written back only when changed.
  Grid()->SetCellText(1, kColor, QStringLiteral("var(--brand)"));
  ClickValue(kColor);
  QTest::mouseClick(picker->OkButton(), Qt::LeftButton);
  QCOMPARE(Grid()->CellText(1, kColor), QStringLiteral("var(--brand)"));
}

void CellDispatchTest::enterConfirmsAndEscapeCloses() {
  // Enter in the font picker's box is its OK.
  ClickValue(kFontFamily);
  TFontForm* fonts = Dispatch().FontForm();
  fonts->SelectedEdit()->setText(QStringLiteral("monospace"));
  QTest::keyClick(fonts->SelectedEdit(), Qt::Key_Return);
  QVERIFY(!fonts->isVisible());
  QCOMPARE(Grid()->CellText(1, kFontFamily), QStringLiteral("monospace"));

  // Escape in a member's length editor leaves the member and the value.
  ClickValue(kMargin);
  ClickMember(0);
  TFormEdit* lengths = Dispatch().FormEdit();
  QVERIFY(lengths->isVisible());
  lengths->Edit()->setText(QStringLiteral("9px"));
  QTest::keyClick(lengths->Edit(), Qt::Key_Escape);
  QVERIFY(!lengths->isVisible());
  QCOMPARE(Grid()->CellText(1, kMargin), QStringLiteral("1px 0 1px 0"));
  // Escape in the sub-grid closes it.
  QVERIFY(Dispatch().SubGridForm()->isVisible());
  QTest::keyClick(SubGrid(), Qt::Key_Escape);
  QVERIFY(!Dispatch().SubGridForm()->isVisible());
  // and takes its member's editor along
  ClickValue(kMargin);
  ClickMember(0);
  QVERIFY(lengths->isVisible());
  QTest::keyClick(SubGrid(), Qt::Key_Escape);
  QVERIFY(Visible().isEmpty());

  // Escape in the colour picker writes nothing.
  ClickValue(kColor);
  Dispatch().ColorForm()->Combo()->setEditText(QStringLiteral("#123456"));
  QTest::keyClick(Dispatch().ColorForm()->ColorList(), Qt::Key_Escape);
  QVERIFY(!Dispatch().ColorForm()->isVisible());
  QCOMPARE(Grid()->CellText(1, kColor), QStringLiteral("navy"));
}

void CellDispatchTest::clickOnAnotherPropertyClosesTheSubGrid() {
  ClickValue(kMargin);
  ClickMember(0);
  QCOMPARE(Visible(), (QStringList{QStringLiteral("length"), QStringLiteral("subgrid")}));
  // The in-place edit box of another property: the sub-grid and its member
  // editor close, as the entry they were prepared from is replaced.
  ClickValue(kOrder);
  QCOMPARE(Visible(), QStringList{QStringLiteral("edit")});
  QCOMPARE(Grid()->CellText(1, kMargin), QStringLiteral("1px 0 1px 0"));
}

void CellDispatchTest::keyboardOpensTheEditorOfTheCurrentRow_data() {
  QTest::addColumn<int>("row");
  QTest::addColumn<int>("key");
  QTest::addColumn<QString>("opened");
  QTest::newRow("F2: the length editor") << int{kWidth} << int{Qt::Key_F2} << QStringLiteral("length");
  QTest::newRow("Return: the colour list") << int{kColor} << int{Qt::Key_Return} << QStringLiteral("colour");
  QTest::newRow("keypad Enter: the font picker") << int{kFontFamily} << int{Qt::Key_Enter} << QStringLiteral("font");
  QTest::newRow("F2: the sub-grid") << int{kMargin} << int{Qt::Key_F2} << QStringLiteral("subgrid");
  QTest::newRow("Return: the grid's list") << int{kTextAlign} << int{Qt::Key_Return} << QStringLiteral("combo");
  QTest::newRow("F2: the grid's edit box") << int{kOrder} << int{Qt::Key_F2} << QStringLiteral("edit");
}

void CellDispatchTest::keyboardOpensTheEditorOfTheCurrentRow() {
  QFETCH(int, row);
  QFETCH(int, key);
  QFETCH(QString, opened);
  Grid()->setFocus();
  Grid()->SetCurrentRow(row);
  QTest::keyClick(Grid(), static_cast<Qt::Key>(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
  QCOMPARE(Visible(), QStringList{opened});
  QWidget* keyboard = Popup(opened);
  if (opened == QLatin1String("combo")) keyboard = Grid()->ComboBox();
  if (opened == QLatin1String("edit")) keyboard = Grid()->EditBox();
  QTRY_VERIFY(QApplication::focusWidget() == keyboard || keyboard->isAncestorOf(QApplication::focusWidget()));
  QVERIFY(!Modified());
}

void CellDispatchTest::keyboardOpensAMemberEditorOfTheSubGrid() {
  Grid()->SetCurrentRow(kMargin);
  QTest::keyClick(Grid(), Qt::Key_F2);
  QTRY_VERIFY(SubGrid()->hasFocus());
  const int right = MemberRow(QStringLiteral("right"));
  SubGrid()->SetCurrentRow(right);
  QTest::keyClick(SubGrid(), Qt::Key_Return);
  TFormEdit* lengths = Dispatch().FormEdit();
  QVERIFY(lengths->isVisible());
  QCOMPARE(lengths->pos().y(), ValueCellInGlobal(*SubGrid(), right).top());
  QCOMPARE(lengths->Edit()->text(), QStringLiteral("0"));
  QTRY_VERIFY(lengths->isAncestorOf(QApplication::focusWidget()));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  QVERIFY(!lengths->isVisible());
  QVERIFY(Dispatch().SubGridForm()->isVisible());
  QTest::keyClick(SubGrid(), Qt::Key_F2);
  QVERIFY(lengths->isVisible());
}

void CellDispatchTest::escapeAndEnterCloseEveryPopup_data() {
  QTest::addColumn<int>("row");
  QTest::addColumn<QString>("opened");
  QTest::addColumn<QString>("confirmed");
  QTest::newRow("length editor") << int{kWidth} << QStringLiteral("length") << QStringLiteral("12px");
  QTest::newRow("sub-grid") << int{kMargin} << QStringLiteral("subgrid") << QStringLiteral("1px 0 1px 0");
  QTest::newRow("colour list") << int{kColor} << QStringLiteral("colour") << QStringLiteral("#000080");
  QTest::newRow("font picker") << int{kFontFamily} << QStringLiteral("font") << QStringLiteral("Arial, serif");
}

void CellDispatchTest::escapeAndEnterCloseEveryPopup() {
  QFETCH(int, row);
  QFETCH(QString, opened);
  QFETCH(QString, confirmed);
  const QString before = Grid()->CellText(1, row);
  QWidget* popup = Popup(opened);
  ClickValue(row);
  QTRY_VERIFY(popup->isAncestorOf(QApplication::focusWidget()));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  QVERIFY(Visible().isEmpty());
  QCOMPARE(Grid()->CellText(1, row), before);

  ClickValue(row);
  QTRY_VERIFY(popup->isAncestorOf(QApplication::focusWidget()));
  // Enter on the sub-grid itself edits a member; its edit box confirms.
  QWidget* confirm = opened == QLatin1String("subgrid") ? Dispatch().SubGridForm()->Edit() : QApplication::focusWidget();
  confirm->setFocus();
  QTest::keyClick(confirm, Qt::Key_Return);
  QVERIFY(Visible().isEmpty());
  QCOMPARE(Grid()->CellText(1, row), confirmed);
  QCOMPARE(Modified(), confirmed != before);
}

// ------------------------------------------------------------ in the window

/// The dispatch in the real window, on the stylesheet above, the rule "p"
/// shown.
class CellDispatchInWindowTest final : public QObject, private DispatchDriver {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init();
  void cleanup();

  void lengthEditorWritesBackThroughTheSubGrid();
  void fontPickerWritesBack();
  void liveModeWritesEachStep();
  void anotherTabOrRuleHidesTheEditors();
  void colourValuesShowASwatch();
  void pictureCellOpensThePickerAndItsUrlComesBack();
  void pickerOfARuleNoLongerShownClosesAndMarksNothing();

 private:
  QString Project() const { return install_->Project(); }
  QString Stylesheet() const { return install_->Stylesheet(); }
  TStyleSheetEditor& Editor() const { return window_->Editor(); }
  /// Puts a picture at img/a.png and shows the rule whose value names it.
  void ShowPictureRule();

  std::unique_ptr<TestInstallation> install_;
  std::unique_ptr<TMainForm> window_;
};

void CellDispatchInWindowTest::init() {
  install_ = std::make_unique<TestInstallation>(false);
  QVERIFY(install_->Ready());
  QVERIFY(install_->MakeProject(kStylesheet));
  window_ = std::make_unique<TMainForm>(install_->Dm(), install_->launcher, install_->Registry());
  // Within the screen, so that the popups open where their cells are.
  window_->setGeometry(20, 20, 720, 540);
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  QCOMPARE(Editor().ShownRule(), QStringLiteral("h1"));
  Editor().SelectRule(Editor().FindNode(QStringLiteral("p")), true);
  dispatch_ = &Editor().Dispatch();
  grid_ = Editor().PropertyGrid();
  QCOMPARE(Grid()->CellText(0, kBrand), QStringLiteral("--brand"));
}

void CellDispatchInWindowTest::cleanup() {
  window_.reset();
  dispatch_ = nullptr;
  grid_ = nullptr;
  QVERIFY(install_->AllAnswered());
  install_.reset();
}

void CellDispatchInWindowTest::lengthEditorWritesBackThroughTheSubGrid() {
  ClickValue(kMargin);
  TSGGridForm* form = Dispatch().SubGridForm();
  QVERIFY(form->isVisible());
  QCOMPARE(SubGrid()->RowCount(), 4);
  QCOMPARE(form->Edit()->text(), QStringLiteral("1px 0 1px 0"));
  // At least as wide as the value column, its name column a third.
  QVERIFY(form->width() >= Grid()->ColumnWidth(1));

  const int right = MemberRow(QStringLiteral("right"));
  ClickMember(right);
  TFormEdit* lengths = Dispatch().FormEdit();
  QVERIFY(lengths->isVisible());
  QVERIFY(form->isVisible());
  const QRect member = ValueCellInGlobal(*SubGrid(), right);
  QCOMPARE(lengths->pos(), QPoint(member.left() - 1, member.top()));
  lengths->LengthBox()->setChecked(true);
  lengths->EditLength()->setText(QStringLiteral("2,5"));  // a decimal comma
  lengths->ComboUnit()->setCurrentText(QStringLiteral("px"));
  QTest::mouseClick(lengths->OkButton(), Qt::LeftButton);
  QVERIFY(!lengths->isVisible());

  QCOMPARE(SubGrid()->CellText(1, right), QStringLiteral("2.5px"));
  QCOMPARE(form->Edit()->text(), QStringLiteral("1px 2.5px 1px 0"));
  QCOMPARE(Grid()->CellText(1, kMargin), QStringLiteral("1px 2.5px 1px 0"));
  QVERIFY(Editor().IsModified());
  QVERIFY(Editor().SaveStylesheet());
  QVERIFY(ReadAll(Stylesheet()).contains("margin: 1px 2.5px 1px 0;"));
}

void CellDispatchInWindowTest::fontPickerWritesBack() {
  TFontForm* picker = Dispatch().FontForm();
  ClickValue(kFontFamily);
  QVERIFY(picker->isVisible());
  // The families listed at start-up, from the tests' own fonts.
  QVERIFY(!picker->List(GenericFamily::Serif)->findItems(QStringLiteral("DejaVu Serif"), Qt::MatchExactly).isEmpty());
  QCOMPARE(picker->SelectedEdit()->text(), QStringLiteral("Arial, serif"));
  picker->SelectedEdit()->setText(QStringLiteral("'DejaVu Serif', serif"));
  QTest::mouseClick(picker->OkButton(), Qt::LeftButton);
  QVERIFY(!picker->isVisible());
  QCOMPARE(Grid()->CellText(1, kFontFamily), QStringLiteral("'DejaVu Serif', serif"));

  ClickValue(kFont);
  ClickMember(MemberRow(QStringLiteral("font-family")));
  QVERIFY(picker->isVisible());
  QCOMPARE(picker->SelectedEdit()->text(), QStringLiteral("serif"));
  picker->SelectedEdit()->setText(QStringLiteral("'DejaVu Sans', sans-serif"));
  QTest::mouseClick(picker->OkButton(), Qt::LeftButton);
  QCOMPARE(Grid()->CellText(1, kFont), QStringLiteral("italic bold 12px/1.5 'DejaVu Sans', sans-serif"));
  QCOMPARE(Dispatch().SubGridForm()->Edit()->text(), Grid()->CellText(1, kFont));
  QVERIFY(Editor().SaveStylesheet());
  QVERIFY(ReadAll(Stylesheet()).contains("font: italic bold 12px/1.5 'DejaVu Sans', sans-serif;"));
}

void CellDispatchInWindowTest::liveModeWritesEachStep() {
  Editor().SetLiveMode(true);
  ClickValue(kWidth);
  TFormEdit* lengths = Dispatch().FormEdit();
  QVERIFY(lengths->isVisible());
  QTest::keyClick(lengths->EditLength(), Qt::Key_Up);
  QVERIFY(ReadAll(Stylesheet()).contains("width: 13px;"));
  QTest::keyClick(lengths->EditLength(), Qt::Key_Up, Qt::ShiftModifier);
  QVERIFY(ReadAll(Stylesheet()).contains("width: 23px;"));
  QVERIFY(lengths->isVisible());
  QVERIFY(!Editor().IsModified());
  // Escape undoes the steps, in the grid and in the file.
  QTest::keyClick(lengths->EditLength(), Qt::Key_Escape);
  QVERIFY(!lengths->isVisible());
  QCOMPARE(Grid()->CellText(1, kWidth), QStringLiteral("12px"));
  QVERIFY(ReadAll(Stylesheet()).contains("width: 12px;"));
  QVERIFY(!Editor().IsModified());
  // Escape without steps writes nothing.
  ClickValue(kHeight);
  const QByteArray saved = ReadAll(Stylesheet());
  QTest::keyClick(lengths->EditLength(), Qt::Key_Escape);
  QCOMPARE(ReadAll(Stylesheet()), saved);

  // A choice in a sub-grid's list is one change, saved at once.
  ClickValue(kBorder);
  ClickMember(MemberRow(QStringLiteral("border-style")));
  Choose(QStringLiteral("dotted"));
  QVERIFY(ReadAll(Stylesheet()).contains("border: 1px dotted red;"));
}

void CellDispatchInWindowTest::anotherTabOrRuleHidesTheEditors() {
  ClickValue(kMargin);
  ClickMember(0);
  QVERIFY(Dispatch().FormEdit()->isVisible());
  window_->Pages()->setCurrentIndex(0);
  QVERIFY(Visible().isEmpty());

  window_->Pages()->setCurrentWidget(&Editor());
  ClickValue(kColor);
  QVERIFY(Dispatch().ColorForm()->isVisible());
  Editor().SelectRule(Editor().FindNode(QStringLiteral("h1")), true);
  QVERIFY(Visible().isEmpty());
}

void CellDispatchInWindowTest::colourValuesShowASwatch() {
  QVERIFY(Grid()->HasColorSwatch(1, kColor));
  QVERIFY(Grid()->HasColorSwatch(1, kTransparent));
  QVERIFY(!Grid()->HasColorSwatch(1, kWidth));
  QVERIFY(!Grid()->HasColorSwatch(1, kBrand));
  // Painted in the cell: the swatch holds the value's colour.
  Grid()->SetCurrentRow(kWidth);
  const QImage shot = Grid()->viewport()->grab().toImage();
  const QRect cell = Grid()->CellRect(1, kColor);
  const QPoint inside(cell.left() + 2 + (cell.height() - 4) / 2, cell.center().y());
  QCOMPARE(QColor(shot.pixel(inside)), QColor(0, 0, 128));
  // An added colour property shows one too.
  Editor().AddProperty(QStringLiteral("outline-color"));
  QVERIFY(Grid()->HasColorSwatch(1, Grid()->RowCount() - 1));
}

void CellDispatchInWindowTest::ShowPictureRule() {
  QImage picture(4, 4, QImage::Format_RGB32);
  picture.fill(Qt::red);
  QVERIFY(QDir().mkpath(Project() + QStringLiteral("img")));
  QVERIFY(picture.save(Project() + QStringLiteral("img/a.png")));
  Editor().SelectRule(Editor().FindNode(QStringLiteral("ul")), true);
  QCOMPARE(Grid()->CellText(0, 0), QStringLiteral("background-image"));
}

void CellDispatchInWindowTest::pictureCellOpensThePickerAndItsUrlComesBack() {
  ShowPictureRule();
  ClickValue(0);
  TShowImageForm& picker = window_->ImagePicker();
  QVERIFY(picker.isVisible());
  QVERIFY(install_->messages.shown.empty());
  // It has the keyboard: Escape closes it, and so does Enter.
  QTRY_VERIFY(picker.isAncestorOf(QApplication::focusWidget()));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  QVERIFY(!picker.isVisible());
  ClickValue(0);
  QTRY_VERIFY(picker.isAncestorOf(QApplication::focusWidget()));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QVERIFY(!picker.isVisible());
  QVERIFY(!Editor().IsModified());
  ClickValue(0);
  QVERIFY(picker.CurrentWriteBack());
  // Other editors opened meanwhile do not redirect it.
  Editor().AddProperty(QStringLiteral("color"));
  picker.CurrentWriteBack()(QStringLiteral("url(../img/b.png)"));
  QCOMPARE(Grid()->CellText(1, 0), QStringLiteral("url(../img/b.png)"));
  QVERIFY(Grid()->CellText(1, 1).isEmpty());
  QVERIFY(Editor().IsModified());
}

void CellDispatchInWindowTest::pickerOfARuleNoLongerShownClosesAndMarksNothing() {
  ShowPictureRule();
  ClickValue(0);
  TShowImageForm& picker = window_->ImagePicker();
  QVERIFY(picker.isVisible());
  const TShowImageForm::WriteBack writeBack = picker.CurrentWriteBack();
  Editor().SelectRule(Editor().FindNode(QStringLiteral("h1")), true);
  QVERIFY(!picker.isVisible());

  TImagesTab& images = window_->ImagesTab();
  images.ShowImagesTab(QStringLiteral("url(../img/a.png)"), writeBack);
  QVERIFY(images.View()->SelectItem(Project() + QStringLiteral("img/a.png")));
  images.LVImgStateChanged(vsSelectionChanged);
  QVERIFY(images.OkButton()->isEnabled());
  images.OkButton()->click();
  QCOMPARE(Grid()->CellText(1, 0), QStringLiteral("navy"));
  QVERIFY(!Editor().IsModified());
  QVERIFY(!images.SaveButton()->isEnabled());
}

}  // namespace korvel

int main(int argc, char** argv) {
  korvel::UseFixtureFonts();
  QApplication app(argc, argv);
  korvel::CellDispatchTest alone;
  korvel::CellDispatchInWindowTest inWindow;
  const int aloneFailed = QTest::qExec(&alone, argc, argv);
  return QTest::qExec(&inWindow, argc, argv) | aloneFailed;
}

#include "celldispatch_test.moc"
