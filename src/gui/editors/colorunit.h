#pragma once

// The RGB colour mixer, "Gestion des couleurs": three sliders for red, green
// and blue, a preview of the mixed colour and its texts in a status bar.
// The colour list picker opens it for a colour its list does not have, and
// hands it the colour clicked in its list while it is open; OK gives the
// mixed colour back to the picker (ColorChosen), which adds it to the colour
// table when it is new. The mixer itself writes nothing into any grid.
//
// Failures: a text that is neither a name of the colour table nor a "#"
// colour of 3 or 6 hexadecimal digits is refused by LoadColor; the sliders
// stay where they were.

#include <QColor>
#include <QDialog>
#include <QSlider>
#include <QString>

class QFrame;
class QLabel;
class QToolButton;

namespace korvel {

/// A horizontal 0 to 255 slider whose groove is painted as a solid bar of
/// its channel's colour; the handle keeps the style's look.
class ChannelSlider final : public QSlider {
  Q_OBJECT

 public:
  ChannelSlider(const QColor& channel, QWidget* parent);
  Q_DISABLE_COPY_MOVE(ChannelSlider)
  [[nodiscard]] QColor ChannelColor() const { return channel_; }
  /// The groove's rectangle as painted: the style's, 1 pixel shorter at
  /// the top and at the bottom.
  [[nodiscard]] QRect ChannelRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor channel_;
};

/// The RGB colour mixer. Not modal; hidden, never destroyed, between uses.
/// Enter is its OK, Escape its cancel.
class TGestColorForm final : public QDialog {
  Q_OBJECT

 public:
  explicit TGestColorForm(QWidget* parent = nullptr);
  ~TGestColorForm() override;
  Q_DISABLE_COPY_MOVE(TGestColorForm)

  /// Sets the sliders from a name of the colour table (ignoring letter
  /// case) or a "#" text of 3 or 6 hexadecimal digits (either letter case),
  /// and updates preview and status bar. Returns false, moving nothing, for
  /// any other text.
  bool LoadColor(const QString& text);

  /// The mixed colour as "#RRGGBB", upper case.
  [[nodiscard]] QString HtmlText() const;
  /// "RGB : r,g,b" and "HTML : #RRGGBB", as the status bar shows them.
  [[nodiscard]] QString RgbStatus() const;
  [[nodiscard]] QString HtmlStatus() const;
  /// The preview panel's background.
  [[nodiscard]] QColor PreviewColor() const;

  /// With live update on, OK leaves the mixer open for further changes.
  void SetLiveUpdate(bool on) { liveUpdate_ = on; }

  [[nodiscard]] ChannelSlider* RedSlider() const { return red_; }
  [[nodiscard]] ChannelSlider* GreenSlider() const { return green_; }
  [[nodiscard]] ChannelSlider* BlueSlider() const { return blue_; }
  [[nodiscard]] QToolButton* OkButton() const { return ok_; }
  [[nodiscard]] QToolButton* CancelButton() const { return cancel_; }

 signals:
  /// OK was pressed; `html` is the mixed colour, "#RRGGBB".
  void ColorChosen(const QString& html);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OnChange();
  void OnOk();

  QFrame* preview_ = nullptr;
  ChannelSlider* red_ = nullptr;
  ChannelSlider* green_ = nullptr;
  ChannelSlider* blue_ = nullptr;
  QLabel* rgbStatus_ = nullptr;
  QLabel* htmlStatus_ = nullptr;
  QToolButton* ok_ = nullptr;
  QToolButton* cancel_ = nullptr;
  bool liveUpdate_ = false;
};

/// "#RRGGBB" for the three components.
[[nodiscard]] QString HtmlColorText(int red, int green, int blue);

}  // namespace korvel
