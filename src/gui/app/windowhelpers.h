#pragma once

// Small helpers the window's classes share: messages in the program's
// shapes, path texts between Qt and the core, and the tool buttons.

#include <QList>
#include <QPixmap>
#include <QString>
#include <QToolButton>

#include <exception>
#include <new>
#include <string>

#include "base/messages.h"

namespace korvel {

inline std::string Std(const QString& path) { return path.toStdString(); }
inline QString FromStd(const std::string& path) { return QString::fromStdString(path); }

/// A question with an empty title.
inline MessageAnswer Ask(const std::string& text, MessageButtons buttons) {
  return ShowMessage(Message{text, "", MessageKind::Question, buttons});
}

/// A warning with an empty title and an OK button.
inline void Warn(const std::string& text) {
  ShowMessage(Message{text, "", MessageKind::Warning, MessageButtons::Ok});
}

/// A failure, captioned with the program's title.
/// The library's own texts of its failures are English: running out of
/// memory is said in French.
inline void ShowError(const std::exception& error) {
  const bool outOfMemory = dynamic_cast<const std::bad_alloc*>(&error) != nullptr;
  ShowMessage(Message{outOfMemory ? "Mémoire insuffisante : l'opération a été abandonnée." : error.what(),
                      std::string(kApplicationTitle), MessageKind::Error, MessageButtons::Ok});
}

/// A flat tool button with its caption beside its picture.
inline QToolButton* MakeButton(const QString& caption, const QPixmap& icon = {}) {
  auto* button = new QToolButton;
  button->setText(caption);
  if (!icon.isNull()) {
    button->setIcon(icon);
    button->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
  }
  button->setAutoRaise(true);
  return button;
}

/// A caption shown as it is written: an "&" in a file, rule or program name
/// is shown, and makes no Alt shortcut.
inline QString PlainCaption(QString text) { return text.replace(QLatin1Char('&'), QStringLiteral("&&")); }

/// Tab goes through the widgets in this order (those hidden or disabled at
/// the time are passed over).
inline void SetTabChain(const QList<QWidget*>& widgets) {
  QWidget* previous = nullptr;
  for (QWidget* widget : widgets) {
    if (previous) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

}  // namespace korvel
