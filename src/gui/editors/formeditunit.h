#pragma once

// The length editor: edits a value that is a CSS length (a number and a
// unit), a percentage, or one of the property's keywords. Three mutually
// exclusive choices, each with its own input, and above them a free text box
// whose text, once the user has typed in it, overrides them.
//
// Value in, value out. LoadValue fills it from a value; OK (the button or
// Enter) raises Accepted with the result and hides it, or hides it without a
// result when there is none. A number box that holds no number refuses OK
// with a message and the editor stays open; nothing is written. Up and Down
// in a number box step the number (Shift by 10, Alt by 0.1) and raise
// Stepped with the value as it now stands, so that live update can write
// each step; Escape (or the cancel button) after steps raises Stepped once
// more with the value the editor was loaded with, undoing them.

#include <QString>

#include "editors/gpopupform.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QToolButton;

namespace korvel {

class ActiveKeyword;

/// The length editor popup.
class TFormEdit final : public GPopupForm {
  Q_OBJECT

 public:
  /// `keywords` is the prepared entry whose members' words the "Autres
  /// valeurs" list offers; it must outlive the editor.
  TFormEdit(const ActiveKeyword& keywords, QWidget* mainWindow);
  ~TFormEdit() override;
  Q_DISABLE_COPY_MOVE(TFormEdit)

  /// Fills the editor from the value: the free text box, the keyword list
  /// (the words of `member`, or of every member when it is empty), and the
  /// choice the value reads as (length, percentage, or keyword).
  void LoadValue(const QString& member, const QString& value);

  /// The value OK would give, by the first rule that applies: the free text
  /// when the user typed in it; the number and unit when "Longueur" is
  /// checked; the number and "%" when "%" is checked; the keyword when
  /// "Autres valeurs" is checked; else empty text. Numbers are written with
  /// a point. Empty text as well when the number of the checked choice is
  /// not a number; `refused`, when given, then holds the reason in French.
  [[nodiscard]] QString Result(QString* refused = nullptr) const;

  // The controls, for the tests and the screenshots.
  [[nodiscard]] QLineEdit* Edit() const { return edit_; }
  [[nodiscard]] QCheckBox* LengthBox() const { return cbLength_; }
  [[nodiscard]] QLineEdit* EditLength() const { return editLength_; }
  [[nodiscard]] QComboBox* ComboUnit() const { return comboUnit_; }
  [[nodiscard]] QCheckBox* PercentBox() const { return cbPercent_; }
  [[nodiscard]] QLineEdit* EditPercent() const { return editPercent_; }
  [[nodiscard]] QCheckBox* OthersBox() const { return cbOthers_; }
  [[nodiscard]] QComboBox* ComboOthers() const { return comboOthers_; }
  [[nodiscard]] QToolButton* OkButton() const { return sbOK_; }
  [[nodiscard]] QToolButton* CancelButton() const { return sbCancel_; }

  /// The form's size: 250 × 158 pixels.
  static constexpr int kWidth = 250;
  static constexpr int kHeight = 158;

 signals:
  /// A number box was stepped with the arrow keys; `value` is the value the
  /// editor would now give (see Result). Also raised when the editor is
  /// cancelled after steps, with the value it was loaded with (maybe empty).
  void Stepped(const QString& value);

 protected:
  void OnOk() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void cbLengthMouseDown();
  void cbPercentMouseDown();
  void cbOthersMouseDown();
  void sbOKClick();
  void sbCancelClick();
  void SetChoice(bool length, bool percent, bool others);
  bool Step(QLineEdit* box, int tenths);

  const ActiveKeyword& keywords_;
  QLineEdit* edit_ = nullptr;
  QCheckBox* cbLength_ = nullptr;
  QLineEdit* editLength_ = nullptr;
  QComboBox* comboUnit_ = nullptr;
  QCheckBox* cbPercent_ = nullptr;
  QLineEdit* editPercent_ = nullptr;
  QCheckBox* cbOthers_ = nullptr;
  QComboBox* comboOthers_ = nullptr;
  QToolButton* sbOK_ = nullptr;
  QToolButton* sbCancel_ = nullptr;
  // The value loaded, and whether a step has been raised since.
  QString loadedValue_;
  bool stepped_ = false;
};

}  // namespace korvel
