#pragma once

// The two-column grid of the program: the project grid of the "Entrée" tab,
// the property grid of the "Edition" tab and the sub-grid of the shorthand
// editor. On top of a table widget it paints its own cells (selected row,
// alternating rows, per-column colours), gives every cell an optional check
// box with a "deleted" look, and holds two in-place controls, a combo box
// and an edit box, that its owner places over a cell.
//
// The grid knows nothing of what its rows mean. Its owner listens to
// OnMouseDown, asks ClickCheckBox whether the press hit a check box, and
// decides what else the press does; F2 or Enter on the grid asks the owner,
// through OnEditRequest, to edit the current row's value as a click would.

#include <QColor>
#include <QComboBox>
#include <QList>
#include <QPalette>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTableWidget>

class QLineEdit;
class QPainter;

namespace korvel {

class XmlElement;

/// A two-column text grid with per-cell check boxes and in-place editors.
///
/// Cells are addressed (column, row), both 0-based. Points and rectangles
/// are in the coordinates of the grid's viewport, the area that shows the
/// cells (the grid has no headers and no frame, so this is also the area
/// under the mouse in mouse events).
///
/// The grid always has a current row while it has rows: adding rows to an
/// empty grid makes row 0 current, removing rows moves the current row onto
/// the last one left. The current row is painted as selected in both
/// columns.
///
/// Failures: reading the text, flags or colour of a cell or column that has
/// none, or that is outside the grid, yields "" / false / QColor().
/// SetChecked and SetDeleted outside the grid do nothing; SetCellText and
/// SetCheckBox on a row past the last one add rows up to it (a column past
/// the second does nothing). FillComboFromNode raises XmlError (see there).
class GStringGrid final : public QTableWidget {
  Q_OBJECT

 public:
  /// Indices of the pictures in the image list that the grid draws for its
  /// check boxes.
  static constexpr int kUncheckedImage = 2;
  static constexpr int kCheckedImage = 3;
  static constexpr int kDeletedImage = 4;
  /// Size of the check box pictures, and of CheckBoxRect.
  static constexpr int kCheckBoxSize = 19;
  static constexpr int kColumnCount = 2;

  explicit GStringGrid(QWidget* parent = nullptr);
  ~GStringGrid() override;
  Q_DISABLE_COPY_MOVE(GStringGrid)

  // Colours. QColor() (invalid) stands for "none".

  /// Background of the current row; the palette's highlight colour at first.
  [[nodiscard]] QColor SelectColor() const { return selectColor_; }
  void SetSelectColor(const QColor& colour);
  /// Text colour of the current row; white at first.
  [[nodiscard]] QColor SelectFontColor() const { return selectFontColor_; }
  void SetSelectFontColor(const QColor& colour);
  /// Background of rows 0, 2, 4 ...; none at first (the grid's own colour).
  [[nodiscard]] QColor EvenRowColor() const { return evenRowColor_; }
  void SetEvenRowColor(const QColor& colour);
  /// Text colour of rows 0, 2, 4 ...; none at first (the palette's text).
  [[nodiscard]] QColor EvenRowFontColor() const { return evenRowFontColor_; }
  void SetEvenRowFontColor(const QColor& colour);
  /// Sets the background of every row's cell in that column except the
  /// current row's; it wins over EvenRowColor. QColor() removes it.
  void SetColumnColor(int column, const QColor& colour);
  /// The column's background, or QColor() when it has none.
  [[nodiscard]] QColor ColumnColor(int column) const;
  /// The grid's own background, behind rows that have no other colour and
  /// below the last row.
  void SetGridColor(const QColor& colour);
  [[nodiscard]] QColor GridColor() const;

  /// The pictures the check boxes are drawn with (kUncheckedImage,
  /// kCheckedImage, kDeletedImage). Without them, boxes take their place
  /// but nothing is drawn.
  void SetImages(const QList<QPixmap>& images);
  [[nodiscard]] const QList<QPixmap>& Images() const { return images_; }

  // Cells.

  [[nodiscard]] QString CellText(int column, int row) const;
  /// Changes the text only; the cell's check box and marks stay.
  void SetCellText(int column, int row, const QString& text);
  [[nodiscard]] int RowCount() const { return rowCount(); }
  /// Rows removed take their cells' flags with them; new rows are empty.
  void SetRowCount(int rows);
  /// The current row, or −1 when the grid has no rows.
  [[nodiscard]] int CurrentRow() const;
  /// Makes the row current (and selected); ignored outside the rows.
  void SetCurrentRow(int row);
  /// The user may drag the border between the two columns to widen or
  /// narrow the first one.
  [[nodiscard]] int ColumnWidth(int column) const { return columnWidth(column); }
  void SetColumnWidth(int column, int width) { setColumnWidth(column, width); }
  /// Whether the user has dragged the first column's width; an owner that
  /// lays the columns out keeps that width from then on.
  [[nodiscard]] bool NameColumnSetByUser() const { return nameColumnSetByUser_; }
  /// From now on, the first column fits its longest text: no narrower than
  /// `narrowest`, no wider than half the grid unless `narrowest` is. It is
  /// laid out again as the grid is resized and at each FitNameColumn(),
  /// until the user drags its width.
  void SetNameColumnFitted(int narrowest);
  /// Lays the first column out again, when it is fitted and the user has
  /// not set its width: after the grid's names change.
  void FitNameColumn();
  /// Places the rows and shows or hides the scroll bar now, as the view
  /// would only after its next paint (then painting again): for an owner
  /// that has just filled the grid, before it paints.
  void LayOutNow();
  /// The cell's whole text when the cell is too narrow to show it, else "".
  /// It is the cell's tool tip.
  [[nodiscard]] QString CutCellText(int column, int row) const;
  /// Height of every row, grid line included; 20 at first.
  [[nodiscard]] int DefaultRowHeight() const;
  void SetDefaultRowHeight(int height);
  /// The cell's rectangle in viewport coordinates, grid line excluded;
  /// empty for a cell outside the grid.
  [[nodiscard]] QRect CellRect(int column, int row) const;
  /// The cell under the point (viewport coordinates), or false when the
  /// point is below the last row or beside the columns.
  bool CellAt(QPoint position, int* column, int* row) const;

  // Check boxes.

  /// Shows a check box at the cell's left edge, checked or not. The deleted
  /// mark and the text are left as they are.
  void SetCheckBox(int column, int row, bool checked);
  [[nodiscard]] bool HasCheckBox(int column, int row) const;
  [[nodiscard]] bool IsChecked(int column, int row) const;
  void SetChecked(int column, int row, bool checked);
  [[nodiscard]] bool IsDeleted(int column, int row) const;
  void SetDeleted(int column, int row, bool deleted);
  /// Shows, left of the cell's text, a small swatch of the colour the text
  /// names (nothing when it names none, see SwatchColorOf); for the values
  /// of colour properties. The text and the check box stay as they are.
  void SetColorSwatch(int column, int row, bool shown);
  [[nodiscard]] bool HasColorSwatch(int column, int row) const;
  /// Where the cell's check box is drawn: 19 × 19 pixels, 2 pixels from the
  /// cell's left edge, centred in its height. Computed whether or not the
  /// cell shows a box; empty for a cell outside the grid.
  [[nodiscard]] QRect CheckBoxRect(int column, int row) const;
  /// Called by the owner when the mouse is pressed at (x, y), viewport
  /// coordinates. When the point lies in the check box of a cell that shows
  /// one, inverts its checked state (the deleted mark neither blocks this
  /// nor changes) and returns 1 when it is now checked, 2 when it is now
  /// unchecked. Anywhere else returns −1 and changes nothing.
  int ClickCheckBox(int x, int y);

  // In-place combo box: an editable drop-down that lives in the grid's
  // parent (so that it is not cut by the grid's edges). A choice is made
  // once, when it is committed: picking an item of its list, Enter, or the
  // focus going elsewhere in the window commits the text and hides the box;
  // Escape hides it and commits nothing. Typing and stepping through the
  // items with the arrow keys only change the text shown.

  /// Places the combo box over the cell, as wide as the column, shows it and
  /// gives it the keyboard focus. A box open on another cell is committed
  /// first.
  void ShowComboAt(int column, int row);
  /// Hiding this way commits nothing (as Escape).
  void SetComboVisible(bool visible);
  [[nodiscard]] bool IsComboVisible() const;
  [[nodiscard]] QString ComboText() const;
  /// Sets the text shown; does not raise OnComboChange. It is the text a
  /// commit compares with.
  void SetComboText(const QString& text);
  /// The row the combo box was last shown on, or −1.
  [[nodiscard]] int ComboRow() const { return comboRow_; }
  /// Hides the open combo box and raises OnComboChange when its text differs
  /// from the one it was shown with. Does nothing when the box is hidden.
  void CommitCombo();
  /// Empties the combo box's list, then adds the "Name" attribute of every
  /// child element of the node, in document order. With no node (a none
  /// element) the list stays empty. A child without "Name" raises XmlError;
  /// the items added before it stay in the list.
  void FillComboFromNode(const XmlElement& node);
  [[nodiscard]] QStringList ComboItems() const;
  [[nodiscard]] QComboBox* ComboBox() const { return combo_; }

  // In-place edit box: a one-line editor over a cell. Enter, or the focus
  // going elsewhere in the window, writes its text into the cell and hides
  // it; Escape hides it and leaves the cell alone.

  /// Places the edit box over the cell, as wide as the column, fills it with
  /// the cell's text, selects it all and gives it the keyboard focus. An
  /// edit box open on another cell is committed first.
  void ShowEditAt(int column, int row);
  /// Replaces the edit box's text and selects it all.
  void SetEditText(const QString& text);
  [[nodiscard]] QString EditText() const;
  [[nodiscard]] bool IsEditVisible() const;
  /// Writes the open edit box's text into its cell and hides it; raises
  /// OnEditCommit when the text differs from the cell's. Does nothing when
  /// the box is hidden. For owners that act on the grid's content from a
  /// control that does not take the focus (a tool button, a shortcut).
  void CommitEdit();
  /// Hides the edit box without writing anything.
  void CancelEdit();
  [[nodiscard]] QLineEdit* EditBox() const { return edit_; }

 signals:
  /// The mouse was pressed on the grid's viewport, at position in viewport
  /// coordinates. Raised after the grid has handled the press itself, so a
  /// press on a row has already made that row current. A press below the
  /// last row changes nothing in the grid before the signal.
  void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);
  /// The user committed a different text in the combo box (see above); it is
  /// ComboText(), for the cell of ComboRow(). Not raised for changes made
  /// by code.
  void OnComboChange();
  /// The edit box wrote a different text into cell (column, row).
  void OnEditCommit(int column, int row, const QString& oldText, const QString& newText);
  /// F2, Return or the keypad's Enter was pressed on the grid itself, which
  /// has a current row: the keyboard's way to open the editor of that row's
  /// value. While nothing listens, those keys go on to the grid's parents.
  void OnEditRequest(int row);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void updateEditorGeometries() override;
  void scrollContentsBy(int dx, int dy) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  class CellPainter;
  friend class CellPainter;

  void PaintCell(QPainter& painter, const QRect& cell, int column, int row, bool selected) const;
  [[nodiscard]] QRect TextRect(const QRect& cell, int column, int row) const;
  [[nodiscard]] bool OnColumnBorder(QPoint position) const;
  [[nodiscard]] int Flags(int column, int row) const;
  void SetFlags(int column, int row, int flags);
  QTableWidgetItem* WritableItem(int column, int row);
  [[nodiscard]] bool IsCell(int column, int row) const;
  void PlaceCombo();
  void PlaceEdit();
  [[nodiscard]] QWidget* ComboHost();
  bool FilterComboEvent(QEvent* event);

  QColor selectColor_;
  QColor selectFontColor_;
  QColor evenRowColor_;
  QColor evenRowFontColor_;
  QList<QColor> columnColors_;
  QList<QPixmap> images_;
  QPointer<QComboBox> combo_;
  QLineEdit* edit_ = nullptr;
  int comboColumn_ = -1;
  int comboRow_ = -1;
  QString comboShownText_;
  bool resizingColumn_ = false;
  bool nameColumnSetByUser_ = false;
  /// SetNameColumnFitted's narrowest, or 0 while the column is not fitted.
  int fittedNarrowest_ = 0;
  bool comboKeyStep_ = false;
  int editColumn_ = -1;
  int editRow_ = -1;
};

/// The project grid of the "Entrée" tab: black selection, white selected
/// text, grey grid (RGB 160, 160, 164).
void ConfigureAsProjectGrid(GStringGrid& grid);
/// The property grid of the "Edition" tab: the palette's highlight for the
/// selection, white selected text, even rows on the palette's tool-tip
/// background with black text.
void ConfigureAsPropertyGrid(GStringGrid& grid, const QPalette& palette);
/// The same with the grid's own palette.
void ConfigureAsPropertyGrid(GStringGrid& grid);
/// The sub-grid of the shorthand editor: grey selection (RGB 160, 160, 164),
/// white selected text, column 0 light grey (RGB 221, 221, 221).
void ConfigureAsSubGrid(GStringGrid& grid);

/// The fixed colours of the three grids.
namespace gridcolors {
inline constexpr QRgb kProjectSelect = qRgb(0, 0, 0);
inline constexpr QRgb kProjectSelectFont = qRgb(255, 255, 255);
inline constexpr QRgb kProjectBackground = qRgb(160, 160, 164);
inline constexpr QRgb kPropertySelectFont = qRgb(255, 255, 255);
inline constexpr QRgb kPropertyEvenRowFont = qRgb(0, 0, 0);
inline constexpr QRgb kSubGridSelect = qRgb(160, 160, 164);
inline constexpr QRgb kSubGridSelectFont = qRgb(255, 255, 255);
inline constexpr QRgb kSubGridNameColumn = qRgb(221, 221, 221);
}  // namespace gridcolors

}  // namespace korvel
