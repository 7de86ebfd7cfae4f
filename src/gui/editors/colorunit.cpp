#include "editors/colorunit.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>
#include <optional>

#include "colors/colorutils.h"
#include "editors/editorbuttons.h"

namespace korvel {

namespace {

constexpr int kStatusPanelWidth = 100;
constexpr int kPreviewHeight = 87;

// The three components of a name of the colour table or of a "#" text of 3
// or 6 hexadecimal digits.
std::optional<std::array<int, 3>> ComponentsOf(const QString& text) {
  QString html = text;
  if (!text.startsWith(QLatin1Char('#'))) {
    html = QString::fromStdString(ColorTable::Shared().ColorValueFromName(text.toStdString()));
    if (html.isEmpty()) return std::nullopt;
  }
  const std::string normalized = NormalizeHtmlColor(html.toStdString());
  if (normalized.empty()) return std::nullopt;
  const std::string_view digits = std::string_view(normalized).substr(1);
  return std::array<int, 3>{ColorRed(digits), ColorGreen(digits), ColorBlue(digits)};
}

}  // namespace

QString HtmlColorText(int red, int green, int blue) {
  return QStringLiteral("#%1%2%3")
      .arg(red, 2, 16, QLatin1Char('0'))
      .arg(green, 2, 16, QLatin1Char('0'))
      .arg(blue, 2, 16, QLatin1Char('0'))
      .toUpper();
}

ChannelSlider::ChannelSlider(const QColor& channel, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), channel_(channel) {
  setRange(0, 255);
  setTickPosition(QSlider::NoTicks);
}

QRect ChannelSlider::ChannelRect() const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this).adjusted(0, 1, 0, -1);
}

void ChannelSlider::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(ChannelRect(), channel_);
  // The style paints the handle only; the groove is ours.
  QStyleOptionSlider option;
  initStyleOption(&option);
  option.subControls = QStyle::SC_SliderHandle;
  style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
}

TGestColorForm::TGestColorForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Gestion des couleurs"));
  setModal(false);

  preview_ = new QFrame(this);
  preview_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  preview_->setFixedHeight(kPreviewHeight);
  preview_->setAutoFillBackground(true);

  red_ = new ChannelSlider(QColor(255, 0, 0), this);
  red_->setToolTip(QStringLiteral("Rouge"));
  green_ = new ChannelSlider(QColor(0, 128, 0), this);
  green_->setToolTip(QStringLiteral("Vert"));
  blue_ = new ChannelSlider(QColor(0, 0, 255), this);
  blue_->setToolTip(QStringLiteral("Bleu"));

  ok_ = MakeOkButton(this);
  cancel_ = MakeCancelButton(this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);

  auto* status = new QStatusBar(this);
  status->setSizeGripEnabled(false);
  rgbStatus_ = new QLabel(status);
  rgbStatus_->setFixedWidth(kStatusPanelWidth);
  htmlStatus_ = new QLabel(status);
  htmlStatus_->setFixedWidth(kStatusPanelWidth);
  status->addWidget(rgbStatus_);
  status->addWidget(htmlStatus_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(preview_);
  auto* sliders = new QVBoxLayout;
  sliders->setContentsMargins(8, 4, 8, 0);
  sliders->addWidget(red_);
  sliders->addWidget(green_);
  sliders->addWidget(blue_);
  layout->addLayout(sliders);
  layout->addStretch();
  layout->addLayout(buttons);
  layout->addWidget(status);
  resize(337, 229);

  for (QSlider* slider : {static_cast<QSlider*>(red_), static_cast<QSlider*>(green_), static_cast<QSlider*>(blue_)})
    connect(slider, &QSlider::valueChanged, this, &TGestColorForm::OnChange);
  connect(ok_, &QToolButton::clicked, this, &TGestColorForm::OnOk);
  connect(cancel_, &QToolButton::clicked, this, &TGestColorForm::reject);
  OnChange();
}

TGestColorForm::~TGestColorForm() = default;

bool TGestColorForm::LoadColor(const QString& text) {
  const std::optional<std::array<int, 3>> components = ComponentsOf(text);
  if (!components) return false;
  const QSignalBlocker blockRed(red_);
  const QSignalBlocker blockGreen(green_);
  const QSignalBlocker blockBlue(blue_);
  red_->setValue((*components)[0]);
  green_->setValue((*components)[1]);
  blue_->setValue((*components)[2]);
  OnChange();
  return true;
}

QString TGestColorForm::HtmlText() const { return HtmlColorText(red_->value(), green_->value(), blue_->value()); }

QString TGestColorForm::RgbStatus() const { return rgbStatus_->text(); }

QString TGestColorForm::HtmlStatus() const { return htmlStatus_->text(); }

QColor TGestColorForm::PreviewColor() const { return preview_->palette().color(QPalette::Window); }

void TGestColorForm::OnChange() {
  QPalette palette = preview_->palette();
  palette.setColor(QPalette::Window, QColor(red_->value(), green_->value(), blue_->value()));
  preview_->setPalette(palette);
  rgbStatus_->setText(QStringLiteral("RGB : %1,%2,%3").arg(red_->value()).arg(green_->value()).arg(blue_->value()));
  htmlStatus_->setText(QStringLiteral("HTML : ") + HtmlText());
}

void TGestColorForm::keyPressEvent(QKeyEvent* event) {
  // The dialog has no default button: Enter is its OK, as in the other
  // editors; Escape closes it as any dialog.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OnOk();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TGestColorForm::OnOk() {
  emit ColorChosen(HtmlText());
  if (!liveUpdate_) accept();
}

}  // namespace korvel
