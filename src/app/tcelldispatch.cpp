#include "app/tcelldispatch.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QScopedValueRollback>

#include <string>
#include <utility>
#include <vector>

#include "app/windowhelpers.h"
#include "dictionary/keyworddictionary.h"
#include "editors/colorformunit.h"
#include "editors/colorunit.h"
#include "editors/fontsunit.h"
#include "editors/formeditunit.h"
#include "editors/gstringgrid.h"
#include "editors/sggridunit.h"

namespace korvel {

namespace {

// Every custom property shares one entry of the dictionary.
constexpr std::string_view kCustomPropertyEntry = "--*";

bool Is(const std::string& mode, std::string_view name) { return mode == name; }

// The font picker's five tabs show whole when it is as wide as the value
// column it drops from, as the colour list is.
void WidenToValueColumn(QWidget& popup, const GStringGrid& grid) {
  if (popup.width() < grid.ColumnWidth(1)) popup.resize(grid.ColumnWidth(1), popup.height());
}

void HidePopup(QWidget* popup) {
  if (popup != nullptr) popup->hide();
}

}  // namespace

TCellDispatch::TCellDispatch(KeywordDictionary& dictionary, GStringGrid& propertyGrid, QWidget* mainWindow,
                             std::function<void(int session)> markModified)
    : QObject(&propertyGrid), dictionary_(dictionary), grid_(propertyGrid), markModified_(std::move(markModified)) {
  const ActiveKeyword& active = dictionary_.Active();
  formEdit_ = new TFormEdit(active, mainWindow);
  subGrid_ = new TSGGridForm(active, mainWindow);
  colorForm_ = new TColorForm(mainWindow);
  fontForm_ = new TFontForm(mainWindow);

  // What the length editor writes, its steps and its OK, is one change.
  connect(formEdit_, &TFormEdit::Accepted, this, [this](const QString& result) {
    const QScopedValueRollback<int> session(writeSession_, formEditSession_);
    WriteBack(result);
  });
  // Live mode writes each step, and the value the editor opened with when
  // Escape undoes the steps, even an empty one.
  connect(formEdit_, &TFormEdit::Stepped, this, [this](const QString& value) {
    const QScopedValueRollback<int> session(writeSession_, formEditSession_);
    if (liveMode_) WriteTo(value);
  });
  connect(colorForm_, &TColorForm::Accepted, this, &TCellDispatch::WriteBack);
  connect(fontForm_, &TFontForm::Accepted, this, &TCellDispatch::WriteBack);

  subGrid_->SetMemberEditorRequest([this](const MemberCell& cell) { OpenMemberEditor(cell); });
  subGrid_->SetIconChoice([this](const QString& icon, const MemberCell& cell, const QString& choice) {
    SubGridIconChoice(icon, cell, choice);
  });
  connect(subGrid_, &TSGGridForm::ValueChanged, this, &TCellDispatch::SubGridValueChanged);
  // A whole value typed into the sub-grid editor's own box and confirmed.
  connect(subGrid_, &TSGGridForm::Accepted, this, &TCellDispatch::SubGridValueChanged);
  connect(&grid_, &GStringGrid::OnEditRequest, this, &TCellDispatch::PropertyGridEditRequest);
  // The member editors belong to the sub-grid: they go when it goes, by
  // Escape, Enter, a click elsewhere or another tab.
  subGrid_->installEventFilter(this);
}

TCellDispatch::~TCellDispatch() {
  delete formEdit_;
  delete subGrid_;
  delete colorForm_;
  delete fontForm_;
}

bool TCellDispatch::eventFilter(QObject* watched, QEvent* event) {
  if (watched == subGrid_ && event->type() == QEvent::Hide && origin_ == Origin::SubGrid) {
    HidePopup(formEdit_);
    HidePopup(colorForm_);
    HidePopup(fontForm_);
  }
  return QObject::eventFilter(watched, event);
}

TFormEdit* TCellDispatch::FormEdit() const { return formEdit_; }
TSGGridForm* TCellDispatch::SubGridForm() const { return subGrid_; }
TColorForm* TCellDispatch::ColorForm() const { return colorForm_; }
TFontForm* TCellDispatch::FontForm() const { return fontForm_; }

bool TCellDispatch::PrepareRow(int row) {
  const std::string name = grid_.CellText(0, row).toStdString();
  // The value of the row the grid made current; for a press that is the
  // pressed row.
  const std::string value = grid_.CellText(1, grid_.CurrentRow()).toStdString();
  const bool custom = name.starts_with("--");
  try {
    return dictionary_.PrepareKeyword(custom ? kCustomPropertyEntry : std::string_view(name), value);
  } catch (const std::exception& error) {
    ShowError(error);
    return false;
  }
}

void TCellDispatch::PropertyGridMouseDown(QPoint position) {
  int column = -1;
  int row = -1;
  if (!grid_.CellAt(position, &column, &row)) return;
  // The sub-grid's members belong to the entry about to be replaced.
  if (subGrid_->isVisible() && row != subGridRow_) subGrid_->hide();
  if (!PrepareRow(row)) return;
  const int hit = grid_.ClickCheckBox(position.x(), position.y());
  if (hit == 1 || hit == 2) {
    markModified_(0);
  } else if (hit == -1) {
    OpenValueEditor(column, row);
  }
}

void TCellDispatch::PropertyGridEditRequest(int row) {
  if (subGrid_->isVisible() && row != subGridRow_) subGrid_->hide();
  if (PrepareRow(row)) OpenValueEditor(1, row);
}

void TCellDispatch::HideImagePicker() { HidePopup(imagePicker_); }

void TCellDispatch::OpenValueEditor(int column, int row) {
  if (column == -1 || row < 0 || row >= grid_.RowCount()) return;
  grid_.SetCurrentRow(row);
  const QRect cell = ValueCellInGlobal(grid_, row);
  const int cellTop = cell.top();
  const QString name = grid_.CellText(0, row);
  const QString value = grid_.CellText(1, row);
  const std::string mode = dictionary_.Active().KeywordEditMode();

  if (Is(mode, editmode::kEdit)) {
    grid_.ShowEditAt(1, row);
    grid_.SetEditText(value);
  } else if (Is(mode, editmode::kFormEdit)) {
    grid_.SetComboVisible(false);
    subGrid_->hide();
    colorForm_->hide();
    HideImagePicker();
    fontForm_->hide();
    if (formEdit_->IsOpenAt(cellTop)) {
      formEdit_->hide();
      return;
    }
    formEdit_->hide();
    OpenFor(Origin::PropertyGrid, row);
    ++formEditSession_;
    formEdit_->PlaceBeside(cell);
    formEdit_->LoadValue(QString(), value);
    Present(*formEdit_, *formEdit_->Edit());
  } else if (Is(mode, editmode::kExpand)) {
    formEdit_->hide();
    colorForm_->hide();
    fontForm_->hide();
    if (subGrid_->IsOpenAt(cellTop)) {
      subGrid_->hide();
      HideImagePicker();
      return;
    }
    OpenSubGrid(name, value);
  } else if (Is(mode, editmode::kCombo)) {
    formEdit_->hide();
    subGrid_->hide();
    colorForm_->hide();
    fontForm_->hide();
    HideImagePicker();
    grid_.ShowComboAt(1, row);
    try {
      grid_.FillComboFromNode(dictionary_.Active().FindMember(name.toStdString()));
    } catch (const std::exception& error) {
      ShowError(error);
    }
    grid_.SetComboText(value);
  } else if (Is(mode, editmode::kGetColor)) {
    subGrid_->hide();
    formEdit_->hide();
    grid_.SetComboVisible(false);
    if (colorForm_->IsOpenAt(cellTop)) {
      colorForm_->hide();
      return;
    }
    OpenFor(Origin::PropertyGrid, row);
    colorForm_->ShowForCell(grid_, ItemsOf(name), value);
    Present(*colorForm_, *colorForm_->Combo());
  } else if (Is(mode, editmode::kShowImage)) {
    formEdit_->hide();
    colorForm_->hide();
    OpenFor(Origin::PropertyGrid, row);
    OpenImagePicker(value, false);
  } else if (Is(mode, editmode::kGetFont)) {
    formEdit_->hide();
    subGrid_->hide();
    if (fontForm_->IsOpenAt(cellTop)) {
      fontForm_->hide();
      return;
    }
    OpenFor(Origin::PropertyGrid, row);
    fontForm_->PlaceBeside(cell);
    WidenToValueColumn(*fontForm_, grid_);
    fontForm_->LoadValue(value);
    Present(*fontForm_, *fontForm_->SelectedEdit());
  }
}

void TCellDispatch::PropertyGridComboChange() {
  const int row = grid_.ComboRow();
  if (row < 0 || row >= grid_.RowCount()) return;
  const QString choice = grid_.ComboText();
  if (dictionary_.Active().KeywordEditIcon() == editicon::kGetColor && choice == QLatin1String("color")) {
    // "color" stands for "pick a colour": the picker opens on white and
    // writes the colour chosen there.
    OpenFor(Origin::PropertyGrid, row);
    grid_.SetCurrentRow(row);
    colorForm_->ShowForCell(grid_, ItemsOf(grid_.CellText(0, row)), QStringLiteral("white"));
    Present(*colorForm_, *colorForm_->Combo());
    return;
  }
  WritePropertyValue(row, grid_.CellText(0, row), choice);
}

void TCellDispatch::OpenSubGrid(const QString& name, const QString& value) {
  const int row = grid_.CurrentRow();
  subGridRow_ = row;
  subGridName_ = name;
  subGrid_->OpenSubGrid(ValueCellInGlobal(grid_, row), grid_.ColumnWidth(1), value);
  Present(*subGrid_, *subGrid_->SubGrid());
}

void TCellDispatch::OpenMemberEditor(const MemberCell& cell) {
  GStringGrid& members = *subGrid_->SubGrid();
  const int cellTop = cell.cellInGlobal.top();
  const std::string mode = cell.editMode.toStdString();

  if (Is(mode, editmode::kEdit)) {
    members.ShowEditAt(1, cell.row);
    members.SetEditText(cell.value);
  } else if (Is(mode, editmode::kFormEdit)) {
    if (formEdit_->IsOpenAt(cellTop)) {
      formEdit_->hide();
      return;
    }
    members.SetComboVisible(false);
    colorForm_->hide();
    HideImagePicker();
    formEdit_->hide();
    OpenFor(Origin::SubGrid, cell.row);
    ++formEditSession_;
    formEdit_->PlaceBeside(cell.cellInGlobal);
    formEdit_->LoadValue(cell.member, cell.value);
    Present(*formEdit_, *formEdit_->Edit());
  } else if (Is(mode, editmode::kGetFont)) {
    if (fontForm_->IsOpenAt(cellTop)) {
      fontForm_->hide();
      return;
    }
    OpenFor(Origin::SubGrid, cell.row);
    fontForm_->PlaceBeside(cell.cellInGlobal);
    WidenToValueColumn(*fontForm_, members);
    fontForm_->LoadValue(cell.value);
    Present(*fontForm_, *fontForm_->SelectedEdit());
  } else if (Is(mode, editmode::kCombo)) {
    colorForm_->hide();
    formEdit_->hide();
    fontForm_->hide();
    HideImagePicker();
    members.ShowComboAt(1, cell.row);
    try {
      members.FillComboFromNode(dictionary_.Active().FindMember(cell.member.toStdString()));
    } catch (const std::exception& error) {
      ShowError(error);
    }
    members.SetComboText(cell.value);
  } else if (Is(mode, editmode::kGetColor)) {
    HideImagePicker();
    if (colorForm_->IsOpenAt(cellTop)) {
      colorForm_->hide();
      return;
    }
    formEdit_->hide();
    OpenFor(Origin::SubGrid, cell.row);
    colorForm_->ShowForCell(members, ItemsOf(cell.member), cell.value);
    Present(*colorForm_, *colorForm_->Combo());
  } else if (Is(mode, editmode::kShowImage)) {
    colorForm_->hide();
    if (cell.value.startsWith(QLatin1String("url("))) {
      OpenFor(Origin::SubGrid, cell.row);
      OpenImagePicker(cell.value, true);
    }
  }
}

void TCellDispatch::SubGridIconChoice(const QString& icon, const MemberCell& cell, const QString& choice) {
  if (icon.toStdString() == editicon::kGetColor) {
    formEdit_->hide();
    OpenFor(Origin::SubGrid, cell.row);
    colorForm_->ShowForCell(*subGrid_->SubGrid(), ItemsOf(cell.member), choice);
    Present(*colorForm_, *colorForm_->Combo());
  } else {
    OpenFor(Origin::SubGrid, cell.row);
    OpenImagePicker(QString(), true);
  }
}

void TCellDispatch::OpenImagePicker(const QString& value, bool forSubGrid) {
  // The picker opens beside the value cell the click came from (the
  // sub-grid's when `forSubGrid`). Its url may come back much later, from
  // the Images tab, after other editors were opened: it goes to the row the
  // picker was opened for, not to wherever the last editor was.
  if (!imageOpener_) return;
  const QRect cell = forSubGrid ? ValueCellInGlobal(*subGrid_->SubGrid(), originRow_) : ValueCellInGlobal(grid_, originRow_);
  imageOpener_(value, cell, [this, origin = origin_, row = originRow_, name = originName_](const QString& url) {
    OpenFor(origin, row);
    originName_ = name;
    WriteBack(url);
  });
}

void TCellDispatch::WriteBack(const QString& result) {
  if (!result.isEmpty()) WriteTo(result);
}

void TCellDispatch::WriteTo(const QString& result) {
  if (origin_ == Origin::SubGrid) {
    // Member editors close with their sub-grid; a result that still comes
    // (a step of the length editor as it closes) has no shorthand to go into.
    if (!subGrid_->isVisible()) return;
    GStringGrid& members = *subGrid_->SubGrid();
    if (originRow_ < 0 || originRow_ >= members.RowCount()) return;
    members.SetCurrentRow(originRow_);
    subGrid_->WriteBack(result);  // raises ValueChanged
    return;
  }
  if (origin_ == Origin::PropertyGrid) WritePropertyValue(originRow_, originName_, result);
}

void TCellDispatch::SubGridValueChanged(const QString& value) {
  WritePropertyValue(subGridRow_, subGridName_, value);
}

void TCellDispatch::WritePropertyValue(int row, const QString& name, const QString& value) {
  if (row < 0 || row >= grid_.RowCount() || grid_.CellText(0, row) != name) return;
  if (grid_.CellText(1, row) == value) return;
  grid_.SetCellText(1, row, value);
  markModified_(writeSession_);
}

void TCellDispatch::OpenFor(Origin origin, int row) {
  origin_ = origin;
  originRow_ = row;
  originName_ = origin == Origin::PropertyGrid ? grid_.CellText(0, row) : QString();
}

void TCellDispatch::Present(GPopupForm& popup, QWidget& focus) {
  popup.show();
  popup.raise();
  // Escape and Enter reach a popup through its controls: one takes the focus.
  popup.activateWindow();
  focus.setFocus(Qt::PopupFocusReason);
}

QStringList TCellDispatch::ItemsOf(const QString& member) const {
  std::vector<std::string> items;
  dictionary_.Active().FillItemList(items, member.toStdString());
  QStringList list;
  for (const std::string& item : items) list << QString::fromStdString(item);
  return list;
}

void TCellDispatch::SetLiveMode(bool on) {
  liveMode_ = on;
  colorForm_->SetLiveUpdate(on);
  fontForm_->SetLiveUpdate(on);
}

void TCellDispatch::HideAll() {
  grid_.SetComboVisible(false);
  formEdit_->hide();
  subGrid_->hide();
  colorForm_->hide();
  fontForm_->hide();
  HideImagePicker();
  if (TGestColorForm* mixer = colorForm_->Mixer()) mixer->hide();
}

}  // namespace korvel
