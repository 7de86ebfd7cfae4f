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
  const bool custom = name.starts_with("--") || (descriptorsAsText_ && !dictionary_.FindKeyword(name));
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
  OpenEditor(dictionary_.Active().KeywordEditMode(),
             EditorTarget{Origin::PropertyGrid, grid_, row, grid_.CellText(0, row), grid_.CellText(1, row),
                          ValueCellInGlobal(grid_, row)});
}

// The modes of the dictionary's entries and members. A popup leaves open
// only what it does not cover: the font picker opens beside the colour
// list, and the in-place edit box hides nothing.
const TCellDispatch::EditorKind TCellDispatch::kEditors[] = {
    {editmode::kEdit, 0, &TCellDispatch::OpenInPlaceEdit},
    {editmode::kFormEdit, kList | kShorthand | kColour | kFont | kPicture, &TCellDispatch::OpenLengthEditor},
    {editmode::kExpand, kLength | kColour | kFont, &TCellDispatch::OpenShorthandEditor},
    {editmode::kCombo, kLength | kShorthand | kColour | kFont | kPicture, &TCellDispatch::OpenList},
    {editmode::kGetColor, kList | kShorthand | kLength | kPicture, &TCellDispatch::OpenColourPicker},
    {editmode::kShowImage, kLength | kColour, &TCellDispatch::OpenPicture},
    {editmode::kGetFont, kLength | kShorthand, &TCellDispatch::OpenFontPicker},
};

void TCellDispatch::OpenEditor(std::string_view mode, const EditorTarget& target) {
  for (const EditorKind& kind : kEditors) {
    if (kind.mode != mode) continue;
    Hide(kind.replaces, target);
    (this->*kind.open)(target);
    return;
  }
}

void TCellDispatch::Hide(unsigned popups, const EditorTarget& target) {
  if (popups & kList) target.grid.SetComboVisible(false);
  if (popups & kLength) formEdit_->hide();
  if ((popups & kShorthand) && target.origin != Origin::SubGrid) subGrid_->hide();
  if (popups & kColour) colorForm_->hide();
  if (popups & kFont) fontForm_->hide();
  if (popups & kPicture) HideImagePicker();
}

bool TCellDispatch::ClosedAgain(GPopupForm& popup, const EditorTarget& target) {
  if (!popup.IsOpenAt(target.cell.top())) return false;
  popup.hide();
  return true;
}

void TCellDispatch::OpenInPlaceEdit(const EditorTarget& target) {
  target.grid.ShowEditAt(1, target.row);
  target.grid.SetEditText(target.value);
}

void TCellDispatch::OpenLengthEditor(const EditorTarget& target) {
  if (ClosedAgain(*formEdit_, target)) return;
  formEdit_->hide();
  OpenFor(target.origin, target.row);
  // The steps of one opening are one change of the document.
  ++formEditSession_;
  formEdit_->PlaceBeside(target.cell);
  // A member's units are its own; a property's are its entry's.
  formEdit_->LoadValue(target.origin == Origin::SubGrid ? target.name : QString(), target.value);
  Present(*formEdit_, *formEdit_->Edit());
}

void TCellDispatch::OpenShorthandEditor(const EditorTarget& target) {
  // A member is never a shorthand of its own.
  if (target.origin == Origin::SubGrid) return;
  if (ClosedAgain(*subGrid_, target)) {
    HideImagePicker();
    return;
  }
  OpenSubGrid(target.name, target.value);
}

void TCellDispatch::OpenList(const EditorTarget& target) {
  target.grid.ShowComboAt(1, target.row);
  try {
    target.grid.FillComboFromNode(dictionary_.Active().FindMember(target.name.toStdString()));
  } catch (const std::exception& error) {
    ShowError(error);
  }
  target.grid.SetComboText(target.value);
}

void TCellDispatch::OpenColourPicker(const EditorTarget& target) {
  if (ClosedAgain(*colorForm_, target)) return;
  OpenFor(target.origin, target.row);
  colorForm_->ShowForCell(target.grid, ItemsOf(target.name), target.value);
  Present(*colorForm_, *colorForm_->Combo());
}

void TCellDispatch::OpenPicture(const EditorTarget& target) {
  // A member without a picture opens nothing: its list's "url" choice
  // leads to the Images tab.
  const bool forSubGrid = target.origin == Origin::SubGrid;
  if (forSubGrid && !target.value.startsWith(QLatin1String("url("))) return;
  OpenFor(target.origin, target.row);
  OpenImagePicker(target.value, forSubGrid);
}

void TCellDispatch::OpenFontPicker(const EditorTarget& target) {
  if (ClosedAgain(*fontForm_, target)) return;
  OpenFor(target.origin, target.row);
  fontForm_->PlaceBeside(target.cell);
  WidenToValueColumn(*fontForm_, target.grid);
  fontForm_->LoadValue(target.value);
  Present(*fontForm_, *fontForm_->SelectedEdit());
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
  OpenEditor(cell.editMode.toStdString(), EditorTarget{Origin::SubGrid, *subGrid_->SubGrid(), cell.row, cell.member,
                                                       cell.value, cell.cellInGlobal});
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
    // The Images tab hides the sub-grid too while it picks a member's
    // picture: its rows are still the shorthand's as long as the property
    // holds the value they make.
    if (!subGrid_->isVisible() && !SubGridStillShowsItsProperty()) return;
    GStringGrid& members = *subGrid_->SubGrid();
    if (originRow_ < 0 || originRow_ >= members.RowCount()) return;
    members.SetCurrentRow(originRow_);
    subGrid_->WriteBack(result);  // raises ValueChanged
    return;
  }
  if (origin_ == Origin::PropertyGrid) WritePropertyValue(originRow_, originName_, result);
}

bool TCellDispatch::SubGridStillShowsItsProperty() const {
  return subGridRow_ >= 0 && subGridRow_ < grid_.RowCount() && grid_.CellText(0, subGridRow_) == subGridName_ &&
         grid_.CellText(1, subGridRow_) == subGrid_->Edit()->text();
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
