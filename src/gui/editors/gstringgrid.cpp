#include "editors/gstringgrid.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QToolTip>

#include "editors/colorswatch.h"
#include "model/xmldocument.h"

namespace korvel {

namespace {

// The cell's flags, kept in its item under Qt::UserRole so that they stay
// when the text is replaced.
constexpr int kHasBoxFlag = 0x0001;
constexpr int kCheckedFlag = 0x0002;
constexpr int kSwatchFlag = 0x0004;
constexpr int kDeletedFlag = 0x4000;

constexpr int kFlagsRole = Qt::UserRole;
constexpr int kInitialRowHeight = 20;
// Gaps around the check box and before the text, in pixels.
constexpr int kBoxLeftGap = 2;
constexpr int kBoxOverlap = 2;
constexpr int kTextGap = 4;

QRect BoxInCell(const QRect& cell) {
  // Integer division on purpose: an odd spare pixel goes below the box.
  const int top = cell.top() + (cell.height() - GStringGrid::kCheckBoxSize) / 2;
  return {cell.left() + kBoxLeftGap, top, GStringGrid::kCheckBoxSize, GStringGrid::kCheckBoxSize};
}

}  // namespace

/// Hands the painting of every cell back to the grid.
class GStringGrid::CellPainter final : public QStyledItemDelegate {
 public:
  explicit CellPainter(GStringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}
  Q_DISABLE_COPY_MOVE(CellPainter)

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    // The current row is the selection: the grid always shows one, and
    // keeps showing it while the focus is elsewhere.
    const bool selected = index.row() == grid_->CurrentRow();
    grid_->PaintCell(*painter, option.rect, index.column(), index.row(), selected);
  }

 private:
  GStringGrid* grid_;
};

GStringGrid::GStringGrid(QWidget* parent)
    : QTableWidget(0, kColumnCount, parent),
      selectColor_(palette().color(QPalette::Active, QPalette::Highlight)),
      selectFontColor_(Qt::white) {
  setItemDelegate(new CellPainter(this));
  horizontalHeader()->hide();
  verticalHeader()->hide();
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(kInitialRowHeight);
  horizontalHeader()->setMinimumSectionSize(1);
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(true);
  setWordWrap(false);
  setTabKeyNavigation(false);
  viewport()->setMouseTracking(true);  // the resize cursor over the column border

  // The combo box moves to the grid's parent when it is first shown; until
  // then the grid holds it, so that it never becomes a window of its own.
  combo_ = new QComboBox(this);
  combo_->setEditable(true);
  combo_->setInsertPolicy(QComboBox::NoInsert);
  combo_->hide();
  // The arrow keys activate items too; only a pick from the list is a choice.
  connect(combo_, &QComboBox::textActivated, this, [this] {
    if (!comboKeyStep_) CommitCombo();
  });
  combo_->installEventFilter(this);
  combo_->lineEdit()->installEventFilter(this);

  edit_ = new QLineEdit(viewport());
  edit_->setFrame(false);
  edit_->setTextMargins(kTextGap - 2, 0, 0, 0);
  edit_->hide();
  edit_->installEventFilter(this);

  connect(this, &QTableWidget::currentCellChanged, this,
          [this](int currentRow, int, int previousRow, int) {
            if (currentRow != previousRow) viewport()->update();
          });
}

GStringGrid::~GStringGrid() {
  // The combo box lives in the parent; it goes with the grid all the same.
  if (combo_ && combo_->parent() != this) delete combo_.data();
}

// --- Colours -----------------------------------------------------------------

void GStringGrid::SetSelectColor(const QColor& colour) {
  selectColor_ = colour;
  viewport()->update();
}

void GStringGrid::SetSelectFontColor(const QColor& colour) {
  selectFontColor_ = colour;
  viewport()->update();
}

void GStringGrid::SetEvenRowColor(const QColor& colour) {
  evenRowColor_ = colour;
  viewport()->update();
}

void GStringGrid::SetEvenRowFontColor(const QColor& colour) {
  evenRowFontColor_ = colour;
  viewport()->update();
}

void GStringGrid::SetColumnColor(int column, const QColor& colour) {
  if (column < 0) return;
  // Each column keeps its own entry: setting one never shifts another.
  if (column >= columnColors_.size()) columnColors_.resize(column + 1);
  columnColors_[column] = colour;
  viewport()->update();
}

QColor GStringGrid::ColumnColor(int column) const {
  if (column < 0 || column >= columnColors_.size()) return {};
  return columnColors_.at(column);
}

void GStringGrid::SetGridColor(const QColor& colour) {
  QPalette changed = palette();
  changed.setColor(QPalette::Base, colour);
  setPalette(changed);
}

QColor GStringGrid::GridColor() const { return palette().color(QPalette::Base); }

void GStringGrid::SetImages(const QList<QPixmap>& images) {
  images_ = images;
  viewport()->update();
}

// --- Cells -------------------------------------------------------------------

bool GStringGrid::IsCell(int column, int row) const {
  return column >= 0 && column < columnCount() && row >= 0 && row < rowCount();
}

QString GStringGrid::CellText(int column, int row) const {
  if (!IsCell(column, row)) return {};
  const QTableWidgetItem* cell = item(row, column);
  return cell ? cell->text() : QString();
}

QTableWidgetItem* GStringGrid::WritableItem(int column, int row) {
  if (column < 0 || column >= columnCount() || row < 0) return nullptr;
  if (row >= rowCount()) SetRowCount(row + 1);
  QTableWidgetItem* cell = item(row, column);
  if (!cell) {
    cell = new QTableWidgetItem();
    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    setItem(row, column, cell);
  }
  return cell;
}

void GStringGrid::SetCellText(int column, int row, const QString& text) {
  if (QTableWidgetItem* cell = WritableItem(column, row)) cell->setText(text);
}

void GStringGrid::SetRowCount(int rows) {
  rows = std::max(rows, 0);
  if (editRow_ >= rows) CancelEdit();
  const int before = currentRow();
  setRowCount(rows);
  if (rows > 0 && currentRow() < 0) SetCurrentRow(before < 0 ? 0 : std::min(before, rows - 1));
}

int GStringGrid::CurrentRow() const { return rowCount() > 0 ? currentRow() : -1; }

void GStringGrid::SetCurrentRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  const int column = std::max(currentColumn(), 0);
  setCurrentCell(row, column, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int GStringGrid::DefaultRowHeight() const { return verticalHeader()->defaultSectionSize(); }

void GStringGrid::SetDefaultRowHeight(int height) { verticalHeader()->setDefaultSectionSize(height); }

QRect GStringGrid::CellRect(int column, int row) const {
  if (!IsCell(column, row)) return {};
  return visualRect(model()->index(row, column));
}

bool GStringGrid::CellAt(QPoint position, int* column, int* row) const {
  const QModelIndex index = indexAt(position);
  if (!index.isValid()) return false;
  if (column) *column = index.column();
  if (row) *row = index.row();
  return true;
}

// --- Check boxes -------------------------------------------------------------

int GStringGrid::Flags(int column, int row) const {
  if (!IsCell(column, row)) return 0;
  const QTableWidgetItem* cell = item(row, column);
  return cell ? cell->data(kFlagsRole).toInt() : 0;
}

void GStringGrid::SetFlags(int column, int row, int flags) {
  QTableWidgetItem* cell = WritableItem(column, row);
  if (cell && cell->data(kFlagsRole).toInt() != flags) cell->setData(kFlagsRole, flags);
}

void GStringGrid::SetCheckBox(int column, int row, bool checked) {
  const int kept = Flags(column, row) & kDeletedFlag;
  SetFlags(column, row, kept | kHasBoxFlag | (checked ? kCheckedFlag : 0));
}

bool GStringGrid::HasCheckBox(int column, int row) const { return (Flags(column, row) & kHasBoxFlag) != 0; }

bool GStringGrid::IsChecked(int column, int row) const { return (Flags(column, row) & kCheckedFlag) != 0; }

void GStringGrid::SetChecked(int column, int row, bool checked) {
  if (!IsCell(column, row)) return;
  const int flags = Flags(column, row);
  SetFlags(column, row, checked ? flags | kCheckedFlag : flags & ~kCheckedFlag);
}

void GStringGrid::SetColorSwatch(int column, int row, bool shown) {
  if (!IsCell(column, row)) return;
  const int flags = Flags(column, row);
  SetFlags(column, row, shown ? flags | kSwatchFlag : flags & ~kSwatchFlag);
}

bool GStringGrid::HasColorSwatch(int column, int row) const { return (Flags(column, row) & kSwatchFlag) != 0; }

bool GStringGrid::IsDeleted(int column, int row) const { return (Flags(column, row) & kDeletedFlag) != 0; }

void GStringGrid::SetDeleted(int column, int row, bool deleted) {
  if (!IsCell(column, row)) return;
  const int flags = Flags(column, row);
  SetFlags(column, row, deleted ? flags | kDeletedFlag : flags & ~kDeletedFlag);
}

QRect GStringGrid::CheckBoxRect(int column, int row) const {
  if (!IsCell(column, row)) return {};
  return BoxInCell(CellRect(column, row));
}

int GStringGrid::ClickCheckBox(int x, int y) {
  const QPoint point(x, y);
  int column = -1;
  int row = -1;
  if (!CellAt(point, &column, &row)) return -1;
  // QRect::contains leaves out the right and bottom edges of a 19-pixel box.
  if (!HasCheckBox(column, row) || !CheckBoxRect(column, row).contains(point)) return -1;
  const bool nowChecked = !IsChecked(column, row);
  SetChecked(column, row, nowChecked);
  return nowChecked ? 1 : 2;
}

// --- Painting ----------------------------------------------------------------

void GStringGrid::PaintCell(QPainter& painter, const QRect& cell, int column, int row, bool selected) const {
  painter.save();
  painter.setFont(font());

  QColor background;
  QColor foreground;
  if (selected) {
    background = selectColor_.isValid() ? selectColor_ : palette().color(QPalette::Highlight);
    foreground = selectFontColor_.isValid() ? selectFontColor_ : palette().color(QPalette::HighlightedText);
  } else {
    const bool even = row % 2 == 0;
    background = even && evenRowColor_.isValid() ? evenRowColor_ : GridColor();
    foreground = even && evenRowFontColor_.isValid() ? evenRowFontColor_ : palette().color(QPalette::Text);
    if (const QColor columnColour = ColumnColor(column); columnColour.isValid()) background = columnColour;
  }
  painter.fillRect(cell, background);

  const int flags = Flags(column, row);
  if (flags & kHasBoxFlag) {
    const QRect box = BoxInCell(cell);
    const int image = (flags & kDeletedFlag)   ? kDeletedImage
                      : (flags & kCheckedFlag) ? kCheckedImage
                                               : kUncheckedImage;
    if (image < images_.size() && !images_.at(image).isNull()) {
      painter.setRenderHint(QPainter::SmoothPixmapTransform);
      painter.drawPixmap(box, images_.at(image));
    }
  }

  if (flags & kSwatchFlag) {
    if (const QColor colour = SwatchColorOf(CellText(column, row)); colour.isValid())
      PaintColorSwatch(painter, SwatchRect(cell), colour);
  }

  const QRect textRect = TextRect(cell, column, row);
  if (textRect.isValid()) {
    painter.setClipRect(textRect);
    painter.setPen(foreground);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, CellText(column, row));
  }
  painter.restore();
}

QRect GStringGrid::TextRect(const QRect& cell, int column, int row) const {
  int textLeft = cell.left();
  if (Flags(column, row) & kHasBoxFlag) {
    const QRect box = BoxInCell(cell);
    textLeft = box.left() + box.width() - kBoxOverlap;
  } else if (Flags(column, row) & kSwatchFlag && SwatchColorOf(CellText(column, row)).isValid()) {
    const QRect swatch = SwatchRect(cell);
    textLeft = swatch.left() + swatch.width();
  }
  QRect textRect = cell;
  textRect.setLeft(textLeft + kTextGap);
  return textRect;
}

QString GStringGrid::CutCellText(int column, int row) const {
  if (!IsCell(column, row)) return {};
  const QString text = CellText(column, row);
  const QRect textRect = TextRect(CellRect(column, row), column, row);
  return fontMetrics().horizontalAdvance(text) > textRect.width() ? text : QString();
}

bool GStringGrid::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    int column = -1;
    int row = -1;
    const QString text = CellAt(help->pos(), &column, &row) ? CutCellText(column, row) : QString();
    if (text.isEmpty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), text, viewport(), CellRect(column, row));
    }
    return true;
  }
  return QTableWidget::viewportEvent(event);
}

void GStringGrid::SetNameColumnFitted(int narrowest) {
  fittedNarrowest_ = std::max(narrowest, 1);
  FitNameColumn();
}

void GStringGrid::FitNameColumn() {
  if (fittedNarrowest_ == 0 || nameColumnSetByUser_) return;
  // The text starts after the check box or swatch: measured in a cell wide
  // enough for any of them.
  const QRect cell(0, 0, 1000, DefaultRowHeight());
  int longest = 0;
  for (int row = 0; row < rowCount(); ++row) {
    const int needed = TextRect(cell, 0, row).left() + fontMetrics().horizontalAdvance(CellText(0, row)) + kTextGap;
    longest = std::max(longest, needed);
  }
  const int widest = std::max(fittedNarrowest_, viewport()->width() / 2);
  const int width = std::clamp(longest, fittedNarrowest_, widest);
  if (width == columnWidth(0)) return;
  // As in LayOutNow: laid out and repainted now, not after the next paint.
  {
    const QSignalBlocker quiet(horizontalHeader());
    setColumnWidth(0, width);
    updateGeometries();
  }
  viewport()->update();
}

void GStringGrid::LayOutNow() {
  {
    // Told by its header of a column's new width (the last one stretches
    // with the viewport), the view would lay the columns out and repaint
    // them only after its next paint. With the header quiet, it is done here.
    const QSignalBlocker quiet(horizontalHeader());
    executeDelayedItemsLayout();
    // A new scroll range shows or hides the scroll bar through a queued
    // call; setting the policy lays the scroll bar out at once.
    setVerticalScrollBarPolicy(verticalScrollBarPolicy());
    updateGeometries();
  }
  viewport()->update();
}

void GStringGrid::resizeEvent(QResizeEvent* event) {
  QTableWidget::resizeEvent(event);
  FitNameColumn();
}

// --- Mouse -------------------------------------------------------------------

bool GStringGrid::OnColumnBorder(QPoint position) const {
  constexpr int kGrab = 3;
  return rowCount() > 0 && std::abs(position.x() - columnViewportPosition(1)) <= kGrab;
}

void GStringGrid::mouseMoveEvent(QMouseEvent* event) {
  const QPoint position = event->position().toPoint();
  if (resizingColumn_) {
    constexpr int kNarrowest = 24;
    const int widest = std::max(kNarrowest, viewport()->width() - kNarrowest);
    setColumnWidth(0, std::clamp(position.x(), kNarrowest, widest));
    nameColumnSetByUser_ = true;
    event->accept();
    return;
  }
  if (OnColumnBorder(position)) {
    viewport()->setCursor(Qt::SplitHCursor);
  } else {
    viewport()->unsetCursor();
  }
  QTableWidget::mouseMoveEvent(event);
}

void GStringGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (resizingColumn_) {
    resizingColumn_ = false;
    event->accept();
    return;
  }
  QTableWidget::mouseReleaseEvent(event);
}

void GStringGrid::mousePressEvent(QMouseEvent* event) {
  const QPoint position = event->position().toPoint();
  // The border between the columns is a handle: the user widens the name
  // column there, without choosing a row.
  if (event->button() == Qt::LeftButton && OnColumnBorder(position)) {
    resizingColumn_ = true;
    event->accept();
    return;
  }
  // A press below the rows must leave the current row alone; the item view
  // would clear the selection there.
  if (indexAt(position).isValid()) {
    QTableWidget::mousePressEvent(event);
  } else {
    event->accept();
  }
  emit OnMouseDown(event->button(), event->modifiers(), position);
}

void GStringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a quick double click is a press all the same: a
  // check box clicked twice toggles twice.
  mousePressEvent(event);
}

void GStringGrid::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  // A grid whose owner does not edit by keyboard leaves these keys to its
  // parents.
  const bool edited = isSignalConnected(QMetaMethod::fromSignal(&GStringGrid::OnEditRequest));
  if (edited && (key == Qt::Key_F2 || key == Qt::Key_Return || key == Qt::Key_Enter) && CurrentRow() >= 0) {
    event->accept();
    emit OnEditRequest(CurrentRow());
    return;
  }
  QTableWidget::keyPressEvent(event);
}

// --- In-place combo box ------------------------------------------------------

QWidget* GStringGrid::ComboHost() {
  QWidget* host = parentWidget();
  return host ? host : this;
}

void GStringGrid::PlaceCombo() {
  if (!combo_ || !IsCell(comboColumn_, comboRow_)) return;
  const QRect cell = CellRect(comboColumn_, comboRow_);
  QWidget* host = combo_->parentWidget();
  const QPoint topLeft = host == viewport() ? cell.topLeft() : viewport()->mapTo(host, cell.topLeft());
  // One row high (the grid line included), so that it covers the cell and
  // nothing of the next row.
  combo_->setGeometry(topLeft.x(), topLeft.y(), cell.width() + 1, cell.height() + 1);
}

void GStringGrid::ShowComboAt(int column, int row) {
  if (!combo_ || !IsCell(column, row)) return;
  if (IsComboVisible()) CommitCombo();
  QWidget* host = ComboHost();
  if (combo_->parentWidget() != host) combo_->setParent(host);
  comboColumn_ = column;
  comboRow_ = row;
  PlaceCombo();
  combo_->show();
  combo_->raise();
  combo_->setFocus(Qt::OtherFocusReason);
  comboShownText_ = combo_->currentText();
}

void GStringGrid::SetComboVisible(bool visible) {
  if (!combo_) return;
  // Hidden before the focus leaves it, so that leaving commits nothing.
  QWidget* focus = QApplication::focusWidget();
  const bool hadFocus = focus && (focus == combo_ || combo_->isAncestorOf(focus));
  combo_->setVisible(visible);
  if (!visible && hadFocus) setFocus(Qt::OtherFocusReason);
}

void GStringGrid::CommitCombo() {
  if (!IsComboVisible()) return;
  // Hidden before the signal: hiding moves the focus, which must not commit
  // a second time, and the owner may open another editor at once.
  SetComboVisible(false);
  if (combo_->currentText() == comboShownText_) return;
  comboShownText_ = combo_->currentText();
  emit OnComboChange();
}

bool GStringGrid::FilterComboEvent(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter: CommitCombo(); return true;
      case Qt::Key_Escape: SetComboVisible(false); return true;
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
        if (comboKeyStep_) return false;
        comboKeyStep_ = true;
        QCoreApplication::sendEvent(combo_, event);
        comboKeyStep_ = false;
        return true;
      default: return false;
    }
  }
  if (event->type() == QEvent::FocusOut) {
    // Opening the box's own list, switching to another window or moving
    // between the box and its text field is not leaving the choice.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    QWidget* now = QApplication::focusWidget();
    const bool stillInside = now && (now == combo_ || combo_->isAncestorOf(now));
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !stillInside) CommitCombo();
  }
  return false;
}

bool GStringGrid::IsComboVisible() const { return combo_ && !combo_->isHidden(); }

QString GStringGrid::ComboText() const { return combo_ ? combo_->currentText() : QString(); }

void GStringGrid::SetComboText(const QString& text) {
  if (!combo_) return;
  combo_->setEditText(text);
  comboShownText_ = text;
}

void GStringGrid::FillComboFromNode(const XmlElement& node) {
  if (!combo_) return;
  combo_->clear();
  if (node.IsNone()) return;
  for (const XmlElement child : node.Elements()) {
    // AsText raises XmlError for a child without "Name"; what was added
    // before it stays.
    const std::string name = child.GetAttr("Name").AsText();
    combo_->addItem(QString::fromStdString(name));
  }
}

QStringList GStringGrid::ComboItems() const {
  QStringList items;
  if (!combo_) return items;
  for (int i = 0; i < combo_->count(); ++i) items.append(combo_->itemText(i));
  return items;
}

// --- In-place edit box -------------------------------------------------------

void GStringGrid::PlaceEdit() {
  if (IsCell(editColumn_, editRow_)) edit_->setGeometry(CellRect(editColumn_, editRow_));
}

void GStringGrid::ShowEditAt(int column, int row) {
  if (!IsCell(column, row)) return;
  if (IsEditVisible()) CommitEdit();
  editColumn_ = column;
  editRow_ = row;
  edit_->setText(CellText(column, row));
  PlaceEdit();
  edit_->show();
  edit_->raise();
  edit_->selectAll();
  edit_->setFocus(Qt::OtherFocusReason);
}

void GStringGrid::SetEditText(const QString& text) {
  edit_->setText(text);
  edit_->selectAll();
}

QString GStringGrid::EditText() const { return edit_->text(); }

bool GStringGrid::IsEditVisible() const { return !edit_->isHidden(); }

void GStringGrid::CommitEdit() {
  if (edit_->isHidden()) return;
  const int column = editColumn_;
  const int row = editRow_;
  const QString newText = edit_->text();
  // Forget the cell before the box lets go of the focus: hiding it raises a
  // focus change, which must not commit a second time.
  editColumn_ = -1;
  editRow_ = -1;
  if (edit_->hasFocus()) setFocus(Qt::OtherFocusReason);
  edit_->hide();
  if (!IsCell(column, row)) return;
  const QString oldText = CellText(column, row);
  if (newText == oldText) return;
  SetCellText(column, row, newText);
  emit OnEditCommit(column, row, oldText, newText);
}

void GStringGrid::CancelEdit() {
  editColumn_ = -1;
  editRow_ = -1;
  if (edit_->isHidden()) return;
  if (edit_->hasFocus()) setFocus(Qt::OtherFocusReason);
  edit_->hide();
}

bool GStringGrid::eventFilter(QObject* watched, QEvent* event) {
  if (combo_ && (watched == combo_ || watched == combo_->lineEdit()) && IsComboVisible() &&
      FilterComboEvent(event))
    return true;
  if (watched == edit_ && !edit_->isHidden()) {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        CommitEdit();
        return true;
      }
      if (key == Qt::Key_Escape) {
        CancelEdit();
        return true;
      }
    } else if (event->type() == QEvent::FocusOut) {
      // Switching to another window or opening the box's context menu is not
      // leaving the edit.
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) CommitEdit();
    }
  }
  return QTableWidget::eventFilter(watched, event);
}

void GStringGrid::updateEditorGeometries() {
  QTableWidget::updateEditorGeometries();
  if (IsEditVisible()) PlaceEdit();
  if (IsComboVisible()) PlaceCombo();
}

void GStringGrid::scrollContentsBy(int dx, int dy) {
  QTableWidget::scrollContentsBy(dx, dy);
  if (IsComboVisible()) PlaceCombo();
}

// --- The three grids of the program -------------------------------------------

void ConfigureAsProjectGrid(GStringGrid& grid) {
  grid.SetSelectColor(QColor::fromRgb(gridcolors::kProjectSelect));
  grid.SetSelectFontColor(QColor::fromRgb(gridcolors::kProjectSelectFont));
  grid.SetGridColor(QColor::fromRgb(gridcolors::kProjectBackground));
}

void ConfigureAsPropertyGrid(GStringGrid& grid, const QPalette& palette) {
  grid.SetSelectColor(palette.color(QPalette::Active, QPalette::Highlight));
  grid.SetSelectFontColor(QColor::fromRgb(gridcolors::kPropertySelectFont));
  grid.SetEvenRowColor(palette.color(QPalette::Active, QPalette::ToolTipBase));
  grid.SetEvenRowFontColor(QColor::fromRgb(gridcolors::kPropertyEvenRowFont));
}

void ConfigureAsPropertyGrid(GStringGrid& grid) { ConfigureAsPropertyGrid(grid, grid.palette()); }

void ConfigureAsSubGrid(GStringGrid& grid) {
  grid.SetSelectColor(QColor::fromRgb(gridcolors::kSubGridSelect));
  grid.SetSelectFontColor(QColor::fromRgb(gridcolors::kSubGridSelectFont));
  grid.SetColumnColor(0, QColor::fromRgb(gridcolors::kSubGridNameColumn));
}

}  // namespace korvel
