#include "editors/formeditunit.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

#include "base/messages.h"
#include "dictionary/activekeyword.h"
#include "dictionary/lengthtext.h"
#include "dictionary/valueclassification.h"

namespace korvel {

namespace {

constexpr QRgb kSkyBlue = qRgb(166, 202, 240);

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The index of the item equal to the text, ignoring letter case; −1 when none is.
int IndexIgnoringCase(const QComboBox& combo, const QString& text) {
  return combo.findText(text, Qt::MatchFixedString);
}

// The number of a number box, written with a point; empty with the reason in
// `refused` when the box holds no number.
QString NumberOf(const QLineEdit& box, const QString& what, QString* refused) {
  const QString typed = box.text().trimmed();
  const std::optional<std::string> number = CssNumber(typed.toStdString());
  if (number) return FromUtf8(*number);
  if (refused != nullptr) {
    *refused = typed.isEmpty()
                   ? QStringLiteral("La case %1 est vide : tapez un nombre, par exemple 12 ou 1,5.").arg(what)
                   : QStringLiteral("« %1 » n'est pas un nombre : tapez dans la case %2 un nombre, par exemple 12 "
                                    "ou 1,5.")
                         .arg(typed, what);
  }
  return {};
}

}  // namespace

TFormEdit::TFormEdit(const ActiveKeyword& keywords, QWidget* mainWindow)
    : GPopupForm(mainWindow), keywords_(keywords) {
  BuildControls();
}

TFormEdit::~TFormEdit() = default;

void TFormEdit::BuildControls() {
  setFixedSize(kWidth, kHeight);
  SetFormLook(QColor(kSkyBlue));

  // Created in the order Tab goes through them.
  edit_ = new QLineEdit(this);
  cbLength_ = new QCheckBox(QStringLiteral("Longueur"), this);
  editLength_ = new QLineEdit(QStringLiteral("0"), this);
  comboUnit_ = new QComboBox(this);
  cbPercent_ = new QCheckBox(QStringLiteral("%"), this);
  editPercent_ = new QLineEdit(QStringLiteral("0"), this);
  cbOthers_ = new QCheckBox(QStringLiteral("Autres valeurs"), this);
  comboOthers_ = new QComboBox(this);
  sbOK_ = new QToolButton(this);
  sbCancel_ = new QToolButton(this);

  comboUnit_->setEditable(true);
  comboUnit_->setInsertPolicy(QComboBox::NoInsert);
  for (std::string_view unit : LengthUnits) comboUnit_->addItem(FromUtf8(unit));
  comboUnit_->setCurrentIndex(-1);
  editLength_->setEnabled(false);
  comboUnit_->setEnabled(false);
  editPercent_->setEnabled(false);
  comboOthers_->setEnabled(false);

  sbOK_->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
  sbOK_->setToolTip(QStringLiteral("OK"));
  sbCancel_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  sbCancel_->setToolTip(QStringLiteral("Annuler"));
  for (QToolButton* button : {sbOK_, sbCancel_}) {
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
  }

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 6, 6, 4);
  grid->setVerticalSpacing(4);
  grid->addWidget(edit_, 0, 0, 1, 3);
  grid->addWidget(cbLength_, 1, 0);
  grid->addWidget(editLength_, 1, 1);
  grid->addWidget(comboUnit_, 1, 2);
  grid->addWidget(cbPercent_, 2, 0);
  grid->addWidget(editPercent_, 2, 1);
  grid->addWidget(cbOthers_, 3, 0);
  grid->addWidget(comboOthers_, 3, 1, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(sbOK_);
  buttons->addWidget(sbCancel_);
  grid->addLayout(buttons, 4, 0, 1, 3);

  // pressed: the left mouse button, or the space bar when the box has the
  // focus; the box then changes its own check state as usual.
  connect(cbLength_, &QCheckBox::pressed, this, &TFormEdit::cbLengthMouseDown);
  connect(cbPercent_, &QCheckBox::pressed, this, &TFormEdit::cbPercentMouseDown);
  connect(cbOthers_, &QCheckBox::pressed, this, &TFormEdit::cbOthersMouseDown);
  connect(sbOK_, &QToolButton::clicked, this, &TFormEdit::sbOKClick);
  connect(sbCancel_, &QToolButton::clicked, this, &TFormEdit::sbCancelClick);
  editLength_->installEventFilter(this);
  editPercent_->installEventFilter(this);
  connect(this, &GPopupForm::Cancelled, this, [this] {
    if (std::exchange(stepped_, false)) emit Stepped(loadedValue_);
  });
}

void TFormEdit::LoadValue(const QString& member, const QString& value) {
  loadedValue_ = value;
  stepped_ = false;
  edit_->setText(value);
  edit_->setModified(false);

  std::vector<std::string> others;
  const bool hasOthers = keywords_.FillOtherValues(others, member.toStdString());
  comboOthers_->clear();
  for (const std::string& word : others) comboOthers_->addItem(QString::fromStdString(word));
  cbOthers_->setEnabled(hasOthers);
  comboOthers_->setEnabled(hasOthers);

  const std::string text = value.toStdString();
  if (IsNumberLike(text) && value.endsWith(QLatin1Char('%'))) {
    cbLength_->setChecked(false);
    editLength_->clear();
    editLength_->setEnabled(false);
    comboUnit_->setCurrentIndex(-1);
    comboUnit_->setEnabled(false);
    cbPercent_->setChecked(true);
    editPercent_->setEnabled(true);
    editPercent_->setText(value.chopped(1));
    cbOthers_->setChecked(false);
    comboOthers_->setEnabled(false);
  } else if (IsNumberLike(text)) {
    const QString unit = FromUtf8(LengthUnitOf(text));
    cbLength_->setChecked(true);
    editLength_->setEnabled(true);
    editLength_->setText(value == QLatin1String("0") ? value : value.chopped(unit.size()));
    comboUnit_->setEnabled(true);
    comboUnit_->setCurrentIndex(value == QLatin1String("0") ? -1 : IndexIgnoringCase(*comboUnit_, unit));
    cbPercent_->setChecked(false);
    editPercent_->clear();
    editPercent_->setEnabled(false);
    cbOthers_->setChecked(false);
    comboOthers_->setEnabled(false);
  } else {
    // The length's number and unit stay as they were, ready for a change of
    // choice.
    cbLength_->setChecked(false);
    editLength_->setEnabled(false);
    cbPercent_->setChecked(false);
    editPercent_->clear();
    cbOthers_->setChecked(true);
    comboOthers_->setEnabled(true);
    comboOthers_->setCurrentIndex(IndexIgnoringCase(*comboOthers_, value));
  }
}

void TFormEdit::SetChoice(bool length, bool percent, bool others) {
  if (!length) cbLength_->setChecked(false);
  editLength_->setEnabled(length);
  comboUnit_->setEnabled(length);
  if (!percent) cbPercent_->setChecked(false);
  editPercent_->setEnabled(percent);
  if (!others) cbOthers_->setChecked(false);
  comboOthers_->setEnabled(others);
}

void TFormEdit::cbLengthMouseDown() { SetChoice(true, false, false); }
void TFormEdit::cbPercentMouseDown() { SetChoice(false, true, false); }
void TFormEdit::cbOthersMouseDown() { SetChoice(false, false, true); }

QString TFormEdit::Result(QString* refused) const {
  if (refused != nullptr) refused->clear();
  if (edit_->isModified()) return edit_->text().trimmed();
  if (cbLength_->isChecked()) {
    const QString number = NumberOf(*editLength_, QStringLiteral("de la longueur"), refused);
    return number.isEmpty() ? number : number + comboUnit_->currentText().trimmed();
  }
  if (cbPercent_->isChecked()) {
    const QString number = NumberOf(*editPercent_, QStringLiteral("du pourcentage"), refused);
    return number.isEmpty() ? number : number + QLatin1Char('%');
  }
  if (cbOthers_->isChecked()) return comboOthers_->currentText();
  return {};
}

void TFormEdit::OnOk() { sbOKClick(); }

void TFormEdit::sbOKClick() {
  QString refused;
  const QString result = Result(&refused);
  if (!refused.isEmpty()) {
    ShowMessage(refused.toStdString(), MessageKind::Warning);
    (cbLength_->isChecked() ? editLength_ : editPercent_)->setFocus();
    return;
  }
  if (result.isEmpty()) {
    hide();
    return;
  }
  Accept(result);
}

void TFormEdit::sbCancelClick() { Cancel(); }

bool TFormEdit::Step(QLineEdit* box, int tenths) {
  const std::optional<std::string> stepped = SteppedNumber(box->text().toStdString(), tenths);
  if (!stepped) return false;
  box->setText(FromUtf8(*stepped));
  const QString value = Result();
  if (value.isEmpty()) return true;
  // The free text follows the numbers, so that it no longer overrides them.
  edit_->setText(value);
  edit_->setModified(false);
  stepped_ = true;
  emit Stepped(value);
  return true;
}

bool TFormEdit::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == editLength_ || watched == editPercent_) && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
      int tenths = 10;
      if (key->modifiers().testFlag(Qt::ShiftModifier)) tenths = 100;
      else if (key->modifiers().testFlag(Qt::AltModifier)) tenths = 1;
      if (key->key() == Qt::Key_Down) tenths = -tenths;
      Step(static_cast<QLineEdit*>(watched), tenths);
      return true;
    }
  }
  return GPopupForm::eventFilter(watched, event);
}

}  // namespace korvel
