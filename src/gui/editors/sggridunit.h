#pragma once

// The sub-grid editor: edits a shorthand property (margin, padding, font,
// background-position...) member by member. An edit box on top holds the
// whole value; below it a GStringGrid, the sub-grid, holds one row per
// member of the prepared entry (the ActiveKeyword): its name, its value.
//
// Value in, value out. OpenSubGrid loads a value and shows the form beside
// the property's value cell. A click on a member's value asks the owner,
// through the member-editor callback, to open that member's editor (the
// length editor, a font or colour picker, the sub-grid's in-place combo box
// or edit box); when that editor confirms, the owner hands its result to
// WriteBack. Every change of a member (WriteBack, a choice in the in-place
// combo box, a commit of the in-place edit box) rebuilds the shorthand with
// ComposeShorthand, shows it in the edit box and raises ValueChanged, on
// which the owner writes the value into the property grid and marks the rule
// modified. A value typed into the edit box and confirmed with Enter is
// raised as Accepted; F2 or Enter on the sub-grid asks for the current
// member's editor, as a click on its value does.

#include <functional>

#include <QRect>
#include <QString>

#include "editors/gpopupform.h"

class QLineEdit;

namespace korvel {

class ActiveKeyword;
class GStringGrid;

/// The member cell a click asks an editor for.
struct MemberCell {
  int row = -1;
  QString member;
  QString value;
  /// The member's edit mode in the dictionary entry ("FormEdit", "combo"...).
  QString editMode;
  /// The value cell in screen coordinates, for placing the editor.
  QRect cellInGlobal;
};

/// The sub-grid editor popup.
class TSGGridForm final : public GPopupForm {
  Q_OBJECT

 public:
  /// Opens the editor of a member's value. The sub-grid's current row is
  /// that member's row when it is called.
  using MemberEditorRequest = std::function<void(const MemberCell&)>;
  /// A choice in the in-place combo box whose item carries an icon
  /// ("getcolor", "getimage"): the owner opens the colour picker or starts
  /// the image import. Nothing is written into the row.
  using IconChoice = std::function<void(const QString& icon, const MemberCell& cell, const QString& choice)>;

  /// The form's width before it is widened to the property grid's value
  /// column, and the height of its edit box.
  static constexpr int kWidth = 250;
  static constexpr int kEditHeight = 21;

  /// `keywords` is the prepared entry the rows come from; it must outlive
  /// the form.
  TSGGridForm(const ActiveKeyword& keywords, QWidget* mainWindow);
  ~TSGGridForm() override;
  Q_DISABLE_COPY_MOVE(TSGGridForm)

  void SetMemberEditorRequest(MemberEditorRequest request) { memberEditor_ = std::move(request); }
  void SetIconChoice(IconChoice choice) { iconChoice_ = std::move(choice); }

  /// Loads the value (edit box, one row per member of the prepared entry),
  /// places the form beside the value cell, sizes it to its rows (each
  /// row's height plus 2, plus the edit box), at least as wide as the
  /// property grid's value column `valueColumnWidth`, its name column a
  /// third of the sub-grid, and shows it.
  void OpenSubGrid(const QRect& cellInGlobal, int valueColumnWidth, const QString& value);

  /// The write-back of a member editor's result: writes it into the
  /// current row's value, rebuilds the shorthand, shows it in the edit box
  /// and raises ValueChanged with it. Returns the rebuilt value.
  QString WriteBack(const QString& memberValue);
  /// Writes the text into the value of the sub-grid's current row only.
  void SetSubGridValue(const QString& text);
  /// Writes the text into the edit box only.
  void SetSubGridText(const QString& text);
  /// The shorthand rebuilt from the sub-grid's rows.
  [[nodiscard]] QString ComposeShorthand() const;

  /// What a press at `position` (sub-grid viewport coordinates) does: a
  /// check box is toggled, a member's value asks for its editor.
  void SubGridMouseDown(Qt::MouseButton button, QPoint position);
  /// What a choice in the sub-grid's in-place combo box does.
  void SubGridComboChange();

  [[nodiscard]] QLineEdit* Edit() const { return edit_; }
  [[nodiscard]] GStringGrid* SubGrid() const { return grid_; }

 signals:
  /// The shorthand's value after a member changed.
  void ValueChanged(const QString& value);

 protected:
  void OnOk() override;

 private:
  void OpenMemberEditor(int row);
  [[nodiscard]] MemberCell CellOf(int row) const;
  QString Recompose();

  const ActiveKeyword& keywords_;
  QLineEdit* edit_ = nullptr;
  QWidget* panel_ = nullptr;
  GStringGrid* grid_ = nullptr;
  MemberEditorRequest memberEditor_;
  IconChoice iconChoice_;
};

}  // namespace korvel
