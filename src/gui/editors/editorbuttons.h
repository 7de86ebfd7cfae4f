#pragma once

// What the pickers share in their looks: the flat picture buttons (OK,
// Cancel and the like), the sky-blue background and plain backgrounds.

#include <QColor>
#include <QHBoxLayout>
#include <QIcon>
#include <QStyle>
#include <QToolButton>

namespace korvel {

/// The background of the colour and font pickers.
inline constexpr QRgb kPopupSkyBlue = qRgb(166, 202, 240);

/// A flat button showing a picture, its hint as tool tip.
inline QToolButton* FlatButton(const QIcon& icon, const QString& hint, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setAutoRaise(true);
  button->setIcon(icon);
  button->setToolTip(hint);
  return button;
}

/// The editors' "OK" and "Annuler" buttons.
inline QToolButton* MakeOkButton(QWidget* parent) {
  return FlatButton(parent->style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), parent);
}
inline QToolButton* MakeCancelButton(QWidget* parent) {
  return FlatButton(parent->style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Annuler"), parent);
}

/// The row at the foot of a picker: OK and Cancel, to the right.
inline QHBoxLayout* OkCancelRow(QToolButton* ok, QToolButton* cancel) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}

/// Gives the widget a plain background of that colour.
inline void SetBackground(QWidget& widget, const QColor& colour) {
  widget.setAutoFillBackground(true);
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Window, colour);
  widget.setPalette(palette);
}

}  // namespace korvel
