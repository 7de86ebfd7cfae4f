#include "editors/sggridunit.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <QComboBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include "dictionary/activekeyword.h"
#include "dictionary/keyworddictionary.h"
#include "dictionary/shorthands.h"
#include "editors/gstringgrid.h"

namespace korvel {

namespace {

constexpr QRgb kFormGrey = qRgb(160, 160, 164);

QString FromStd(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TSGGridForm::TSGGridForm(const ActiveKeyword& keywords, QWidget* mainWindow)
    : GPopupForm(mainWindow), keywords_(keywords) {
  resize(kWidth, 113);
  SetFormLook(QColor(kFormGrey));

  edit_ = new QLineEdit(this);
  edit_->setFixedHeight(kEditHeight);
  panel_ = new QWidget(this);
  grid_ = new GStringGrid(panel_);
  ConfigureAsSubGrid(*grid_);
  auto* panelLayout = new QVBoxLayout(panel_);
  panelLayout->setContentsMargins(1, 1, 1, 1);
  panelLayout->addWidget(grid_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(edit_);
  layout->addWidget(panel_);

  // The sub-grid's own in-place editors commit and cancel with Enter and
  // Escape; those keys must not close the form while they are open.
  KeepOwnKeys(grid_->EditBox());
  KeepOwnKeys(grid_->ComboBox());

  connect(grid_, &GStringGrid::OnMouseDown, this,
          [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPoint position) { SubGridMouseDown(button, position); });
  connect(grid_, &GStringGrid::OnEditRequest, this, &TSGGridForm::OpenMemberEditor);
  connect(grid_, &GStringGrid::OnComboChange, this, &TSGGridForm::SubGridComboChange);
  connect(grid_, &GStringGrid::OnEditCommit, this, [this] { Recompose(); });
}

TSGGridForm::~TSGGridForm() = default;

void TSGGridForm::OpenSubGrid(const QRect& cellInGlobal, int valueColumnWidth, const QString& value) {
  grid_->SetComboVisible(false);
  grid_->CancelEdit();
  edit_->setText(value);
  edit_->setModified(false);
  std::vector<MemberRow> rows;
  keywords_.FillMemberGrid(rows);
  grid_->SetRowCount(static_cast<int>(rows.size()));
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    grid_->SetCellText(0, row, FromStd(rows[static_cast<std::size_t>(row)].name));
    grid_->SetCellText(1, row, FromStd(rows[static_cast<std::size_t>(row)].value));
  }
  if (!rows.empty()) grid_->SetCurrentRow(0);

  PlaceBeside(cellInGlobal);
  const int height = grid_->RowCount() * (grid_->DefaultRowHeight() + 2) + edit_->height();
  // Never narrower than the value column it drops from; never shrunk.
  const int width = std::max(this->width(), valueColumnWidth);
  resize(width, height);
  // The sub-grid fills the panel less 1 pixel on each side.
  const int gridWidth = width - 2;
  grid_->SetColumnWidth(0, gridWidth / 3);
  grid_->SetColumnWidth(1, gridWidth - gridWidth / 3);
  show();
}

MemberCell TSGGridForm::CellOf(int row) const {
  MemberCell cell;
  cell.row = row;
  cell.member = grid_->CellText(0, row);
  cell.value = grid_->CellText(1, row);
  cell.editMode = FromStd(keywords_.MemberEditMode(cell.member.toStdString()));
  cell.cellInGlobal = ValueCellInGlobal(*grid_, row);
  return cell;
}

void TSGGridForm::SubGridMouseDown(Qt::MouseButton button, QPoint position) {
  int column = -1;
  int row = -1;
  if (!grid_->CellAt(position, &column, &row)) return;
  if (grid_->ClickCheckBox(position.x(), position.y()) != -1) return;
  if (button != Qt::LeftButton) return;
  OpenMemberEditor(row);
}

void TSGGridForm::OpenMemberEditor(int row) {
  grid_->SetCurrentRow(row);
  if (memberEditor_) memberEditor_(CellOf(row));
}

void TSGGridForm::SubGridComboChange() {
  const int row = grid_->CurrentRow();
  if (row < 0) return;
  const QString choice = grid_->ComboText();
  const MemberCell cell = CellOf(row);
  const std::string icon = keywords_.ItemEditIcon(cell.member.toStdString(), choice.toStdString());
  if (icon == editicon::kGetColor) {
    if (choice == QLatin1String("color")) grid_->SetComboText(QStringLiteral("white"));
    if (iconChoice_) iconChoice_(FromStd(icon), cell, grid_->ComboText());
    return;
  }
  if (icon == editicon::kGetImage) {
    if (choice == QLatin1String("url") && iconChoice_) iconChoice_(FromStd(icon), cell, choice);
    return;
  }
  WriteBack(choice);
}

QString TSGGridForm::WriteBack(const QString& memberValue) {
  SetSubGridValue(memberValue);
  return Recompose();
}

QString TSGGridForm::Recompose() {
  const QString value = ComposeShorthand();
  SetSubGridText(value);
  emit ValueChanged(value);
  return value;
}

void TSGGridForm::SetSubGridValue(const QString& text) {
  const int row = grid_->CurrentRow();
  if (row >= 0) grid_->SetCellText(1, row, text);
}

void TSGGridForm::SetSubGridText(const QString& text) {
  edit_->setText(text);
  edit_->setModified(false);
}

QString TSGGridForm::ComposeShorthand() const {
  std::vector<MemberRow> rows;
  for (int row = 0; row < grid_->RowCount(); ++row)
    rows.push_back(MemberRow{grid_->CellText(0, row).toStdString(), grid_->CellText(1, row).toStdString()});
  return FromStd(korvel::ComposeShorthand(keywords_, rows));
}

void TSGGridForm::OnOk() {
  // Enter on the sub-grid itself edits its member, as it does in the
  // property grid; the form sees that key first.
  if (grid_->hasFocus() && grid_->CurrentRow() >= 0) {
    OpenMemberEditor(grid_->CurrentRow());
    return;
  }
  if (edit_->isModified() && !edit_->text().trimmed().isEmpty()) {
    Accept(edit_->text().trimmed());
  } else {
    hide();
  }
}

}  // namespace korvel
