// The two-column grid: check boxes and their click codes, flags that outlive
// the text, the colours each grid paints, the in-place combo box and edit
// box, and the order in which a mouse press reaches the owner.

#include <memory>

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWidget>

#include "editors/gstringgrid.h"
#include "model/xmldocument.h"

using korvel::GStringGrid;

namespace {

// Solid pictures, one colour per check-box state, so that a pixel of the
// grabbed grid tells which picture was drawn.
const QColor kUncheckedPicture(0, 0, 255);
const QColor kCheckedPicture(0, 255, 0);
const QColor kDeletedPicture(255, 0, 0);
const QColor kOtherPicture(255, 0, 255);

QList<QPixmap> SolidPictures() {
  QList<QPixmap> pictures;
  for (int index = 0; index < 13; ++index) {
    QPixmap picture(GStringGrid::kCheckBoxSize, GStringGrid::kCheckBoxSize);
    picture.fill(index == GStringGrid::kUncheckedImage ? kUncheckedPicture
                 : index == GStringGrid::kCheckedImage ? kCheckedPicture
                 : index == GStringGrid::kDeletedImage ? kDeletedPicture
                                                       : kOtherPicture);
    pictures.append(picture);
  }
  return pictures;
}

// A palette whose roles all differ, so that a colour names its role.
QPalette DistinctPalette() {
  QPalette palette;
  palette.setColor(QPalette::Base, QColor(255, 255, 255));
  palette.setColor(QPalette::Text, QColor(0, 0, 128));
  palette.setColor(QPalette::Highlight, QColor(0, 120, 215));
  palette.setColor(QPalette::HighlightedText, QColor(255, 255, 0));
  palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 220));
  return palette;
}

enum class Kind { Project, Property, Sub };

// A grid in a window of its own, shown, with rows of short texts and,
// unless told otherwise, an unchecked box in column 0 of every row.
struct Window {
  QWidget top;
  GStringGrid* grid;
  QLineEdit* other;  // somewhere else for the focus to go

  explicit Window(Kind kind = Kind::Property, int rows = 4, bool boxes = true) {
    top.resize(320, 240);
    auto* layout = new QVBoxLayout(&top);
    layout->setContentsMargins(0, 0, 0, 0);
    other = new QLineEdit(&top);
    layout->addWidget(other);
    grid = new GStringGrid(&top);
    layout->addWidget(grid);
    grid->setPalette(DistinctPalette());
    switch (kind) {
      case Kind::Project: korvel::ConfigureAsProjectGrid(*grid); break;
      case Kind::Property: korvel::ConfigureAsPropertyGrid(*grid, DistinctPalette()); break;
      case Kind::Sub: korvel::ConfigureAsSubGrid(*grid); break;
    }
    grid->SetImages(SolidPictures());
    grid->SetColumnWidth(0, 120);
    grid->SetColumnWidth(1, 180);
    grid->SetRowCount(rows);
    for (int row = 0; row < rows; ++row) {
      if (boxes) grid->SetCheckBox(0, row, false);
      grid->SetCellText(0, row, QStringLiteral("p"));
      grid->SetCellText(1, row, QStringLiteral("v"));
    }
    top.show();
  }

  bool Activate() {
    top.activateWindow();
    return QTest::qWaitForWindowActive(&top);
  }

  [[nodiscard]] QImage Picture() const { return grid->viewport()->grab().toImage(); }

  // A pixel near the right end of the cell, away from its text and box.
  [[nodiscard]] QColor Background(int column, int row) const {
    const QRect cell = grid->CellRect(column, row);
    return Picture().pixelColor(cell.right() - 3, cell.center().y());
  }

  [[nodiscard]] QColor BoxPicture(int row) const {
    return Picture().pixelColor(grid->CheckBoxRect(0, row).center());
  }
};

}  // namespace

class GStringGridTest final : public QObject {
  Q_OBJECT

 private slots:
  void checkBoxGeometry_data();
  void checkBoxGeometry();
  void clickCheckBox_data();
  void clickCheckBox();
  void flagsOutliveTheText();
  void rowsAndCurrentRow();
  void columnColours();
  void cellColours_data();
  void cellColours();
  void boxPicture_data();
  void boxPicture();
  void clicksRepaintTheBox();
  void textStartsAfterTheBox();
  void mouseDownReachesOwnerWithRowCurrent();
  void doubleClickIsTwoPresses();
  void editKeysAskToEditTheCurrentRow();
  void fillComboFromNode();
  void fillComboStopsAtChildWithoutName();
  void comboPlacementAndChangeSignal();
  void comboChoiceIsOneChange_data();
  void comboChoiceIsOneChange();
  void userWidensTheNameColumn();
  void cutTextIsTheTooltip();
  void editBox_data();
  void editBox();
  void editBoxGoesWithItsRow();
};

void GStringGridTest::checkBoxGeometry_data() {
  QTest::addColumn<int>("rowHeight");
  QTest::addColumn<int>("boxOffset");  // from the cell's top
  // The grid line takes the last pixel of every row.
  QTest::newRow("default 20: box at the top") << 20 << 0;
  QTest::newRow("31: 30-pixel cell, 11 spare, 5 above") << 31 << 5;
  QTest::newRow("26: 25-pixel cell, 6 spare, 3 above") << 26 << 3;
}

void GStringGridTest::checkBoxGeometry() {
  QFETCH(int, rowHeight);
  QFETCH(int, boxOffset);
  Window window;
  QCOMPARE(window.grid->DefaultRowHeight(), 20);
  QCOMPARE(window.grid->rowHeight(1), 20);
  window.grid->SetDefaultRowHeight(rowHeight);
  QCOMPARE(window.grid->rowHeight(1), rowHeight);
  const QRect cell = window.grid->CellRect(0, 1);
  const QRect box = window.grid->CheckBoxRect(0, 1);
  QCOMPARE(box.size(), QSize(19, 19));
  QCOMPARE(box.left(), cell.left() + 2);
  QCOMPARE(box.top(), cell.top() + boxOffset);
  QVERIFY(window.grid->CheckBoxRect(0, 4).isNull());
}

namespace {
enum class Where { BoxCentre, BoxLastPixel, BoxRightEdge, BoxBottomEdge, Text, BelowRows, ValueColumn };
}

void GStringGridTest::clickCheckBox_data() {
  QTest::addColumn<bool>("hasBox");
  QTest::addColumn<bool>("checked");
  QTest::addColumn<bool>("deleted");
  QTest::addColumn<int>("where");
  QTest::addColumn<int>("code");
  QTest::addColumn<bool>("checkedAfter");

  const int centre = int(Where::BoxCentre);
  QTest::newRow("unchecked box: now checked") << true << false << false << centre << 1 << true;
  QTest::newRow("checked box: now unchecked") << true << true << false << centre << 2 << false;
  QTest::newRow("deleted mark does not block") << true << false << true << centre << 1 << true;
  QTest::newRow("deleted and checked") << true << true << true << centre << 2 << false;
  QTest::newRow("last pixel of the box") << true << false << false << int(Where::BoxLastPixel) << 1 << true;
  QTest::newRow("right edge is outside") << true << false << false << int(Where::BoxRightEdge) << -1 << false;
  QTest::newRow("bottom edge is outside") << true << true << false << int(Where::BoxBottomEdge) << -1 << true;
  QTest::newRow("text of the cell") << true << true << false << int(Where::Text) << -1 << true;
  QTest::newRow("below the last row") << true << false << false << int(Where::BelowRows) << -1 << false;
  QTest::newRow("cell without a box") << false << true << false << centre << -1 << true;
  QTest::newRow("other column") << true << false << false << int(Where::ValueColumn) << -1 << false;
}

void GStringGridTest::clickCheckBox() {
  QFETCH(bool, hasBox);
  QFETCH(bool, checked);
  QFETCH(bool, deleted);
  QFETCH(int, where);
  QFETCH(int, code);
  QFETCH(bool, checkedAfter);

  // The row of interest is the last one, so that "below" is right under it;
  // row height 26 leaves room above and below the box.
  Window window(Kind::Property, 3, false);
  GStringGrid& grid = *window.grid;
  grid.SetDefaultRowHeight(26);
  const int row = 2;
  if (hasBox) {
    grid.SetCheckBox(0, row, checked);
  } else {
    grid.SetChecked(0, row, checked);
  }
  grid.SetDeleted(0, row, deleted);

  const QRect box = grid.CheckBoxRect(0, row);
  const QRect cell = grid.CellRect(0, row);
  QPoint point;
  switch (Where(where)) {
    case Where::BoxCentre: point = box.center(); break;
    case Where::BoxLastPixel: point = box.topLeft() + QPoint(18, 18); break;
    case Where::BoxRightEdge: point = QPoint(box.left() + 19, box.center().y()); break;
    case Where::BoxBottomEdge: point = QPoint(box.center().x(), box.top() + 19); break;
    case Where::Text: point = QPoint(cell.left() + 40, cell.center().y()); break;
    case Where::BelowRows: point = QPoint(box.center().x(), cell.bottom() + 10); break;
    case Where::ValueColumn: point = QPoint(grid.CellRect(1, row).left() + 10, box.center().y()); break;
  }
  QVERIFY(point.y() < grid.viewport()->height());

  QCOMPARE(grid.ClickCheckBox(point.x(), point.y()), code);
  QCOMPARE(grid.IsChecked(0, row), checkedAfter);
  QCOMPARE(grid.IsDeleted(0, row), deleted);
  QCOMPARE(grid.HasCheckBox(0, row), hasBox);
  // Nothing else moved.
  QVERIFY(!grid.IsChecked(0, row - 1));
  QVERIFY(!grid.IsChecked(1, row));
}

void GStringGridTest::flagsOutliveTheText() {
  Window window;
  GStringGrid& grid = *window.grid;
  grid.SetCheckBox(0, 1, true);
  grid.SetDeleted(0, 1, true);

  grid.SetCellText(0, 1, QStringLiteral("margin"));
  grid.SetCellText(1, 1, QStringLiteral("0 auto"));
  grid.SetCellText(0, 1, QString());
  QVERIFY(grid.HasCheckBox(0, 1));
  QVERIFY(grid.IsChecked(0, 1));
  QVERIFY(grid.IsDeleted(0, 1));
  QCOMPARE(grid.CellText(1, 1), QStringLiteral("0 auto"));

  // Setting the box again changes the checked state, not the deleted mark;
  // the text stays too.
  grid.SetCellText(0, 1, QStringLiteral("color"));
  grid.SetCheckBox(0, 1, false);
  QVERIFY(!grid.IsChecked(0, 1));
  QVERIFY(grid.IsDeleted(0, 1));
  QCOMPARE(grid.CellText(0, 1), QStringLiteral("color"));
  grid.SetDeleted(0, 1, false);
  QVERIFY(!grid.IsDeleted(0, 1));
  QVERIFY(grid.HasCheckBox(0, 1));

  // Rows that go take their flags with them.
  grid.SetChecked(0, 3, true);
  grid.SetRowCount(2);
  grid.SetRowCount(4);
  QVERIFY(!grid.HasCheckBox(0, 3));
  QVERIFY(!grid.IsChecked(0, 3));
  QVERIFY(grid.CellText(1, 3).isEmpty());

  // Outside the grid there is nothing to read, and writing flags adds nothing.
  QVERIFY(!grid.IsChecked(0, 10));
  QVERIFY(!grid.HasCheckBox(2, 0));
  QVERIFY(!grid.IsDeleted(-1, 0));
  grid.SetChecked(0, 10, true);
  grid.SetDeleted(5, 0, true);
  QCOMPARE(grid.RowCount(), 4);
  QVERIFY(!grid.IsDeleted(0, 0));
}

void GStringGridTest::rowsAndCurrentRow() {
  GStringGrid grid;
  QCOMPARE(grid.CurrentRow(), -1);
  grid.SetRowCount(3);
  QCOMPARE(grid.CurrentRow(), 0);
  grid.SetCurrentRow(2);
  QCOMPARE(grid.CurrentRow(), 2);
  grid.SetCurrentRow(7);
  QCOMPARE(grid.CurrentRow(), 2);
  grid.SetRowCount(2);
  QCOMPARE(grid.CurrentRow(), 1);
  grid.SetRowCount(0);
  QCOMPARE(grid.CurrentRow(), -1);

  // Writing past the last row adds rows up to it, as a fill loop expects.
  grid.SetCellText(1, 4, QStringLiteral("bold"));
  grid.SetCheckBox(0, 5, true);
  QCOMPARE(grid.RowCount(), 6);
  QCOMPARE(grid.CellText(1, 4), QStringLiteral("bold"));
  QVERIFY(grid.IsChecked(0, 5));
  QVERIFY(grid.CellText(0, 4).isEmpty());
  // A column that does not exist adds nothing.
  grid.SetCellText(2, 8, QStringLiteral("x"));
  QCOMPARE(grid.RowCount(), 6);
  QVERIFY(grid.CellText(2, 0).isEmpty());
}

void GStringGridTest::columnColours() {
  GStringGrid grid;
  const QColor grey(221, 221, 221);
  const QColor red(255, 0, 0);
  QVERIFY(!grid.ColumnColor(0).isValid());
  grid.SetColumnColor(1, red);
  grid.SetColumnColor(0, grey);
  // Each column keeps its own colour: setting column 0 shifts nothing.
  QCOMPARE(grid.ColumnColor(0), grey);
  QCOMPARE(grid.ColumnColor(1), red);
  QVERIFY(!grid.ColumnColor(2).isValid());
  QVERIFY(!grid.ColumnColor(-1).isValid());
  grid.SetColumnColor(1, QColor());
  QVERIFY(!grid.ColumnColor(1).isValid());
  QCOMPARE(grid.ColumnColor(0), grey);
}

void GStringGridTest::cellColours_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<int>("column");
  QTest::addColumn<int>("row");  // -1: below the last row
  QTest::addColumn<QColor>("expected");

  const QPalette palette = DistinctPalette();
  const QColor tooltip = palette.color(QPalette::ToolTipBase);
  const QColor base = palette.color(QPalette::Base);
  const QColor highlight = palette.color(QPalette::Highlight);
  const int property = int(Kind::Property);
  const int sub = int(Kind::Sub);
  const int project = int(Kind::Project);
  // Row 2 is the current row in every case.
  QTest::newRow("property: even row, name") << property << 0 << 0 << tooltip;
  QTest::newRow("property: even row, value") << property << 1 << 0 << tooltip;
  QTest::newRow("property: odd row, name") << property << 0 << 1 << base;
  QTest::newRow("property: odd row, value") << property << 1 << 3 << base;
  QTest::newRow("property: current row, name") << property << 0 << 2 << highlight;
  QTest::newRow("property: current row, value") << property << 1 << 2 << highlight;
  QTest::newRow("sub-grid: name column, even row") << sub << 0 << 0 << QColor(221, 221, 221);
  QTest::newRow("sub-grid: name column, odd row") << sub << 0 << 3 << QColor(221, 221, 221);
  QTest::newRow("sub-grid: value column") << sub << 1 << 1 << base;
  QTest::newRow("sub-grid: current row, name") << sub << 0 << 2 << QColor(160, 160, 164);
  QTest::newRow("sub-grid: current row, value") << sub << 1 << 2 << QColor(160, 160, 164);
  QTest::newRow("project: row") << project << 1 << 1 << QColor(160, 160, 164);
  QTest::newRow("project: current row") << project << 1 << 2 << QColor(0, 0, 0);
  QTest::newRow("project: below the rows") << project << 1 << -1 << QColor(160, 160, 164);
}

void GStringGridTest::cellColours() {
  QFETCH(int, kind);
  QFETCH(int, column);
  QFETCH(int, row);
  QFETCH(QColor, expected);
  Window window{Kind(kind)};
  window.grid->SetCurrentRow(2);
  QColor actual;
  if (row >= 0) {
    actual = window.Background(column, row);
  } else {
    const QRect last = window.grid->CellRect(column, window.grid->RowCount() - 1);
    QVERIFY(last.bottom() + 20 < window.grid->viewport()->height());
    actual = window.Picture().pixelColor(last.center().x(), last.bottom() + 20);
  }
  QCOMPARE(actual, expected);
}

void GStringGridTest::boxPicture_data() {
  QTest::addColumn<bool>("checked");
  QTest::addColumn<bool>("deleted");
  QTest::addColumn<QColor>("picture");
  QTest::newRow("unchecked") << false << false << kUncheckedPicture;
  QTest::newRow("checked") << true << false << kCheckedPicture;
  QTest::newRow("checked, deleted") << true << true << kDeletedPicture;
  QTest::newRow("unchecked, deleted") << false << true << kDeletedPicture;
}

void GStringGridTest::boxPicture() {
  QFETCH(bool, checked);
  QFETCH(bool, deleted);
  QFETCH(QColor, picture);
  Window window;
  // On an odd row, on the current row and on an even row alike.
  for (const int row : {1, 2, 0}) {
    window.grid->SetCheckBox(0, row, checked);
    window.grid->SetDeleted(0, row, deleted);
  }
  window.grid->SetCurrentRow(2);
  for (const int row : {1, 2, 0}) QCOMPARE(window.BoxPicture(row), picture);
  // A cell without a box shows none.
  QCOMPARE(window.Background(1, 1), DistinctPalette().color(QPalette::Base));
  const QPoint whereABoxWouldBe = window.grid->CheckBoxRect(1, 1).center();
  QCOMPARE(window.Picture().pixelColor(whereABoxWouldBe), DistinctPalette().color(QPalette::Base));
}

void GStringGridTest::clicksRepaintTheBox() {
  Window window;
  GStringGrid& grid = *window.grid;
  const QPoint box = grid.CheckBoxRect(0, 1).center();
  QCOMPARE(window.BoxPicture(1), kUncheckedPicture);
  QCOMPARE(grid.ClickCheckBox(box.x(), box.y()), 1);
  QCOMPARE(window.BoxPicture(1), kCheckedPicture);
  grid.SetDeleted(0, 1, true);
  QCOMPARE(window.BoxPicture(1), kDeletedPicture);
  grid.SetDeleted(0, 1, false);
  QCOMPARE(window.BoxPicture(1), kCheckedPicture);
  QCOMPARE(grid.ClickCheckBox(box.x(), box.y()), 2);
  QCOMPARE(window.BoxPicture(1), kUncheckedPicture);
}

void GStringGridTest::textStartsAfterTheBox() {
  // Full blocks paint their whole advance: the first text pixel shows where
  // the text starts and which colour it has.
  Window window;
  GStringGrid& grid = *window.grid;
  const QString blocks(8, QChar(0x2588));
  for (int row = 0; row < 4; ++row) {
    grid.SetCellText(0, row, blocks);
    grid.SetCellText(1, row, blocks);
  }
  // Far longer than its cell.
  grid.SetCellText(0, 3, QString(60, QChar(0x2588)));
  grid.SetCheckBox(0, 1, true);
  grid.SetCurrentRow(2);
  const QImage picture = window.Picture();

  const auto firstTextPixel = [&](int column, int row, const QColor& background) {
    const QRect cell = grid.CellRect(column, row);
    const int y = cell.center().y();
    for (int x = cell.left(); x <= cell.right(); ++x) {
      const QColor pixel = picture.pixelColor(x, y);
      if (pixel != background && pixel != kCheckedPicture && pixel != kUncheckedPicture) return x - cell.left();
    }
    return -1;
  };
  const QPalette palette = DistinctPalette();
  // Column 0 has its box: 2 + 19 − 2 + 4 = 23. Column 1 has none: 4.
  QCOMPARE(firstTextPixel(0, 1, palette.color(QPalette::Base)), 23);
  QCOMPARE(firstTextPixel(1, 1, palette.color(QPalette::Base)), 4);

  const auto textColour = [&](int column, int row) {
    const QRect cell = grid.CellRect(column, row);
    return picture.pixelColor(cell.left() + 30, cell.center().y());
  };
  QCOMPARE(textColour(1, 0), QColor(0, 0, 0));                         // even row: black
  QCOMPARE(textColour(1, 1), palette.color(QPalette::Text));           // odd row: the grid's text
  QCOMPARE(textColour(1, 2), QColor(255, 255, 255));                   // current row: white

  // Text too long for its cell is cut at the cell's edge: the next cell
  // starts with its own background.
  QCOMPARE(textColour(0, 3), palette.color(QPalette::Text));
  const QRect next = grid.CellRect(1, 3);
  QCOMPARE(picture.pixelColor(next.left() + 1, next.center().y()), palette.color(QPalette::Base));
  QCOMPARE(firstTextPixel(1, 3, palette.color(QPalette::Base)), 4);
}

void GStringGridTest::mouseDownReachesOwnerWithRowCurrent() {
  Window window;
  GStringGrid& grid = *window.grid;
  int rowAtSignal = -2;
  QPoint pointAtSignal;
  QObject::connect(&grid, &GStringGrid::OnMouseDown, &grid,
                   [&](Qt::MouseButton, Qt::KeyboardModifiers, QPoint position) {
                     rowAtSignal = grid.CurrentRow();
                     pointAtSignal = position;
                   });
  const QPoint inRow3 = grid.CellRect(1, 3).center();
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, inRow3);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, inRow3);
  QCOMPARE(rowAtSignal, 3);
  QCOMPARE(pointAtSignal, inRow3);

  // Below the rows: the signal comes, the current row stays.
  const QPoint below(inRow3.x(), grid.CellRect(1, 3).bottom() + 15);
  rowAtSignal = -2;
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, below);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, below);
  QCOMPARE(pointAtSignal, below);
  QCOMPARE(rowAtSignal, 3);
  QCOMPARE(grid.CurrentRow(), 3);
  QCOMPARE(window.Background(1, 3), DistinctPalette().color(QPalette::Highlight));
}

// F2, Return and the keypad's Enter ask the owner to edit the current row;
// the other keys keep moving through the rows.
void GStringGridTest::editKeysAskToEditTheCurrentRow() {
  Window window;
  GStringGrid& grid = *window.grid;
  QSignalSpy requests(&grid, &GStringGrid::OnEditRequest);
  grid.SetCurrentRow(2);
  QTest::keyClick(&grid, Qt::Key_F2);
  QTest::keyClick(&grid, Qt::Key_Down);
  QTest::keyClick(&grid, Qt::Key_Return);
  QTest::keyClick(&grid, Qt::Key_Enter, Qt::KeypadModifier);
  QCOMPARE(requests.count(), 3);
  QCOMPARE(requests.at(0).at(0).toInt(), 2);
  QCOMPARE(requests.at(1).at(0).toInt(), 3);
  QCOMPARE(requests.at(2).at(0).toInt(), 3);
  // With no rows there is nothing to edit.
  grid.SetRowCount(0);
  QTest::keyClick(&grid, Qt::Key_F2);
  QCOMPARE(requests.count(), 3);
}

void GStringGridTest::doubleClickIsTwoPresses() {
  Window window;
  GStringGrid& grid = *window.grid;
  QList<int> codes;
  QObject::connect(&grid, &GStringGrid::OnMouseDown, &grid,
                   [&](Qt::MouseButton, Qt::KeyboardModifiers, QPoint position) {
                     codes.append(grid.ClickCheckBox(position.x(), position.y()));
                   });
  // What a double click brings: press, release, double click, release.
  const QPoint box = grid.CheckBoxRect(0, 1).center();
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, box);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, box);
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, box);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, box);
  QCOMPARE(codes, QList<int>({1, 2}));
  QVERIFY(!grid.IsChecked(0, 1));
}

void GStringGridTest::fillComboFromNode() {
  const korvel::XmlDocumentPtr document = korvel::ParseXmlText(
      "<Member Name='border-style'>"
      "<Item Name='solid'/>text between<!-- a comment --><Item Name='dotted' EditIcon=''/>"
      "<Item Name='caf\xc3\xa9'/></Member>");
  const korvel::XmlElement member = document->RootElement();
  GStringGrid grid;
  QSignalSpy changes(&grid, &GStringGrid::OnComboChange);

  grid.FillComboFromNode(member);
  const QStringList expected{QStringLiteral("solid"), QStringLiteral("dotted"), QString::fromUtf8("caf\xc3\xa9")};
  QCOMPARE(grid.ComboItems(), expected);
  // A second fill replaces the list.
  grid.FillComboFromNode(member);
  QCOMPARE(grid.ComboItems(), expected);
  // No node: an empty list, not the previous one.
  grid.FillComboFromNode(korvel::XmlElement());
  QVERIFY(grid.ComboItems().isEmpty());
  // An element without children empties the list too.
  grid.FillComboFromNode(member.ChildAt(0));
  QVERIFY(grid.ComboItems().isEmpty());
  QCOMPARE(changes.count(), 0);
}

void GStringGridTest::fillComboStopsAtChildWithoutName() {
  const korvel::XmlDocumentPtr document = korvel::ParseXmlText(
      "<Member><Item Name='a'/><Item Name='b'/><Item Value='c'/><Item Name='d'/></Member>");
  GStringGrid grid;
  grid.FillComboFromNode(korvel::ParseXmlText("<M><Item Name='old'/></M>")->RootElement());
  QVERIFY_THROWS_EXCEPTION(korvel::XmlError, grid.FillComboFromNode(document->RootElement()));
  QCOMPARE(grid.ComboItems(), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
}

void GStringGridTest::comboPlacementAndChangeSignal() {
  Window window;
  QVERIFY(window.Activate());
  GStringGrid& grid = *window.grid;
  grid.FillComboFromNode(
      korvel::ParseXmlText("<M><Item Name='left'/><Item Name='right'/><Item Name='none'/></M>")->RootElement());
  QSignalSpy changes(&grid, &GStringGrid::OnComboChange);

  grid.ShowComboAt(1, 2);
  QComboBox* combo = grid.ComboBox();
  QVERIFY(grid.IsComboVisible());
  // It lives in the grid's parent, over the cell.
  QCOMPARE(combo->parentWidget(), &window.top);
  const QRect cell = grid.CellRect(1, 2);
  QCOMPARE(combo->geometry().topLeft(), grid.viewport()->mapTo(&window.top, cell.topLeft()));
  QCOMPARE(combo->width(), grid.ColumnWidth(1));
  QVERIFY(combo->hasFocus() || combo->lineEdit()->hasFocus());

  // Code changes its text: no signal.
  grid.SetComboText(QStringLiteral("right"));
  QCOMPARE(grid.ComboText(), QStringLiteral("right"));
  QCOMPARE(changes.count(), 0);

  // It follows the width of its column.
  grid.SetColumnWidth(1, 150);
  QTRY_COMPARE(combo->width(), 150);

  // The owner may hide it; that commits nothing.
  grid.SetComboVisible(false);
  QVERIFY(!grid.IsComboVisible());
  QCOMPARE(changes.count(), 0);
}

namespace {
enum class ComboEnding { Enter, Escape, FocusLoss, PickFromList, ShowElsewhere, CommitCall };
}

void GStringGridTest::comboChoiceIsOneChange_data() {
  QTest::addColumn<int>("ending");
  QTest::addColumn<QString>("typed");  // empty: nothing typed
  QTest::addColumn<int>("arrowDowns");
  QTest::addColumn<QString>("committed");  // empty: no change raised

  QTest::newRow("typing then Enter: one change") << int(ComboEnding::Enter) << QStringLiteral("center") << 0
                                                   << QStringLiteral("center");
  QTest::newRow("typing then Escape: none") << int(ComboEnding::Escape) << QStringLiteral("center") << 0 << QString();
  QTest::newRow("typing then clicking elsewhere: one change")
      << int(ComboEnding::FocusLoss) << QStringLiteral("center") << 0 << QStringLiteral("center");
  QTest::newRow("arrows then Enter: one change") << int(ComboEnding::Enter) << QString() << 2
                                                   << QStringLiteral("none");
  QTest::newRow("arrows then Escape: none") << int(ComboEnding::Escape) << QString() << 2 << QString();
  QTest::newRow("a pick from the list") << int(ComboEnding::PickFromList) << QString() << 0
                                          << QStringLiteral("right");
  QTest::newRow("Enter without a change: none") << int(ComboEnding::Enter) << QString() << 0 << QString();
  QTest::newRow("opening another cell commits") << int(ComboEnding::ShowElsewhere) << QStringLiteral("x") << 0
                                                  << QStringLiteral("x");
  QTest::newRow("the owner's commit") << int(ComboEnding::CommitCall) << QStringLiteral("y") << 0
                                        << QStringLiteral("y");
}

void GStringGridTest::comboChoiceIsOneChange() {
  QFETCH(int, ending);
  QFETCH(QString, typed);
  QFETCH(int, arrowDowns);
  QFETCH(QString, committed);

  Window window;
  QVERIFY(window.Activate());
  GStringGrid& grid = *window.grid;
  grid.FillComboFromNode(
      korvel::ParseXmlText("<M><Item Name='left'/><Item Name='right'/><Item Name='none'/></M>")->RootElement());
  grid.ShowComboAt(1, 2);
  grid.SetComboText(QStringLiteral("left"));
  grid.ComboBox()->setCurrentIndex(0);
  QComboBox* combo = grid.ComboBox();
  QSignalSpy changes(&grid, &GStringGrid::OnComboChange);
  if (!typed.isEmpty()) {
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), typed);
  }
  for (int i = 0; i < arrowDowns; ++i) QTest::keyClick(combo, Qt::Key_Down);
  // Typing and stepping only change what the box shows.
  QCOMPARE(changes.count(), 0);
  QVERIFY(grid.IsComboVisible());

  switch (ComboEnding(ending)) {
    case ComboEnding::Enter: QTest::keyClick(combo, Qt::Key_Return); break;
    case ComboEnding::Escape: QTest::keyClick(combo, Qt::Key_Escape); break;
    case ComboEnding::FocusLoss:
      window.other->setFocus(Qt::MouseFocusReason);
      QVERIFY(window.other->hasFocus());
      break;
    case ComboEnding::PickFromList:
      combo->setCurrentIndex(1);
      emit combo->textActivated(QStringLiteral("right"));
      break;
    case ComboEnding::ShowElsewhere: grid.ShowComboAt(1, 0); break;
    case ComboEnding::CommitCall: grid.CommitCombo(); break;
  }

  QCOMPARE(changes.count(), committed.isEmpty() ? 0 : 1);
  if (!committed.isEmpty()) QCOMPARE(grid.ComboText(), committed);
  QCOMPARE(grid.IsComboVisible(), ComboEnding(ending) == ComboEnding::ShowElsewhere);
  if (ComboEnding(ending) != ComboEnding::ShowElsewhere) QCOMPARE(grid.ComboRow(), 2);
}

namespace {
enum class Ending { Enter, Return, FocusLoss, Escape, ShowElsewhere, CommitCall };
}

void GStringGridTest::editBox_data() {
  QTest::addColumn<int>("ending");
  QTest::addColumn<QString>("typed");  // empty: nothing typed
  QTest::addColumn<bool>("committed");

  QTest::newRow("Enter writes the text") << int(Ending::Enter) << QStringLiteral("12px") << true;
  QTest::newRow("Return writes the text") << int(Ending::Return) << QStringLiteral("auto") << true;
  QTest::newRow("focus elsewhere writes the text") << int(Ending::FocusLoss) << QStringLiteral("bold") << true;
  QTest::newRow("another cell's edit writes the text") << int(Ending::ShowElsewhere) << QStringLiteral("x") << true;
  QTest::newRow("the owner's commit writes the text") << int(Ending::CommitCall) << QStringLiteral("y") << true;
  QTest::newRow("Escape leaves the cell alone") << int(Ending::Escape) << QStringLiteral("12px") << false;
  QTest::newRow("Enter without a change") << int(Ending::Enter) << QString() << false;
  QTest::newRow("focus elsewhere without a change") << int(Ending::FocusLoss) << QString() << false;
}

void GStringGridTest::editBox() {
  QFETCH(int, ending);
  QFETCH(QString, typed);
  QFETCH(bool, committed);

  Window window;
  QVERIFY(window.Activate());
  GStringGrid& grid = *window.grid;
  grid.SetCellText(1, 2, QStringLiteral("old"));
  QSignalSpy commits(&grid, &GStringGrid::OnEditCommit);

  grid.ShowEditAt(1, 2);
  QLineEdit* edit = grid.EditBox();
  QVERIFY(grid.IsEditVisible());
  QCOMPARE(edit->geometry(), grid.CellRect(1, 2));
  QVERIFY(edit->hasFocus());
  QCOMPARE(edit->selectedText(), QStringLiteral("old"));
  // The owner fills it after showing it; the text is selected all the same.
  grid.SetEditText(QStringLiteral("old"));
  QCOMPARE(edit->selectedText(), QStringLiteral("old"));
  if (!typed.isEmpty()) QTest::keyClicks(edit, typed);

  switch (Ending(ending)) {
    case Ending::Enter: QTest::keyClick(edit, Qt::Key_Enter); break;
    case Ending::Return: QTest::keyClick(edit, Qt::Key_Return); break;
    case Ending::Escape: QTest::keyClick(edit, Qt::Key_Escape); break;
    case Ending::FocusLoss:
      window.other->setFocus(Qt::MouseFocusReason);
      QVERIFY(window.other->hasFocus());
      break;
    case Ending::ShowElsewhere: grid.ShowEditAt(1, 0); break;
    case Ending::CommitCall: grid.CommitEdit(); break;
  }

  const QString expected = committed ? typed : QStringLiteral("old");
  QCOMPARE(grid.CellText(1, 2), expected);
  if (committed) {
    QCOMPARE(commits.count(), 1);
    const QList<QVariant> arguments = commits.first();
    QCOMPARE(arguments.at(0).toInt(), 1);
    QCOMPARE(arguments.at(1).toInt(), 2);
    QCOMPARE(arguments.at(2).toString(), QStringLiteral("old"));
    QCOMPARE(arguments.at(3).toString(), typed);
  } else {
    QCOMPARE(commits.count(), 0);
  }
  if (Ending(ending) == Ending::ShowElsewhere) {
    QVERIFY(grid.IsEditVisible());
    QCOMPARE(edit->geometry(), grid.CellRect(1, 0));
    QCOMPARE(edit->text(), QStringLiteral("v"));
  } else {
    QVERIFY(!grid.IsEditVisible());
  }
  // Whatever happens later to the focus writes nothing more.
  window.other->setFocus(Qt::MouseFocusReason);
  grid.setFocus(Qt::MouseFocusReason);
  QCOMPARE(commits.count(), committed ? 1 : 0);
  QCOMPARE(grid.CellText(1, 2), expected);
}

void GStringGridTest::editBoxGoesWithItsRow() {
  Window window;
  QVERIFY(window.Activate());
  GStringGrid& grid = *window.grid;
  QSignalSpy commits(&grid, &GStringGrid::OnEditCommit);
  grid.ShowEditAt(1, 3);
  QTest::keyClicks(grid.EditBox(), QStringLiteral("new"));
  // The owner refills the grid with fewer rows: the edit box has no cell
  // left to write into and must not write into another one.
  grid.SetRowCount(2);
  QVERIFY(!grid.IsEditVisible());
  grid.SetRowCount(4);
  window.other->setFocus(Qt::MouseFocusReason);
  QCOMPARE(commits.count(), 0);
  QVERIFY(grid.CellText(1, 3).isEmpty());
  for (int row = 0; row < 2; ++row) QCOMPARE(grid.CellText(1, row), QStringLiteral("v"));
}

void GStringGridTest::userWidensTheNameColumn() {
  Window window;
  QVERIFY(window.Activate());
  GStringGrid& grid = *window.grid;
  grid.SetCurrentRow(2);
  QSignalSpy presses(&grid, &GStringGrid::OnMouseDown);
  const int y = grid.CellRect(0, 0).center().y();
  QVERIFY(!grid.NameColumnSetByUser());
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, QPoint(grid.ColumnWidth(0), y));
  QTest::mouseMove(grid.viewport(), QPoint(200, y + 5));
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, QPoint(200, y + 5));
  QCOMPARE(grid.ColumnWidth(0), 200);
  QVERIFY(grid.NameColumnSetByUser());
  // Grabbing the border is not a press on a row.
  QCOMPARE(presses.count(), 0);
  QCOMPARE(grid.CurrentRow(), 2);
  // Elsewhere a press is a press, and a move changes no width.
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(1, 1).center());
  QCOMPARE(presses.count(), 1);
  QTest::mouseMove(grid.viewport(), QPoint(60, y));
  QCOMPARE(grid.ColumnWidth(0), 200);
}

void GStringGridTest::cutTextIsTheTooltip() {
  Window window;
  QVERIFY(window.Activate());
  GStringGrid& grid = *window.grid;
  const QString longName = QStringLiteral("--bs-btn-disabled-border-color-of-a-long-name");
  grid.SetCellText(0, 1, longName);
  QCOMPARE(grid.CutCellText(0, 1), longName);
  QCOMPARE(grid.CutCellText(0, 0), QString());  // "p" fits
  QCOMPARE(grid.CutCellText(0, 9), QString());   // no such row

  const QPoint inCell = grid.CellRect(0, 1).center();
  QHelpEvent help(QEvent::ToolTip, inCell, grid.viewport()->mapToGlobal(inCell));
  QApplication::sendEvent(grid.viewport(), &help);
  QTRY_COMPARE(QToolTip::text(), longName);

  // Wide enough, the cell shows it all and has no tooltip.
  grid.SetColumnWidth(0, 300);
  QCOMPARE(grid.CutCellText(0, 1), QString());
}

QTEST_MAIN(GStringGridTest)
#include "gstringgrid_test.moc"
