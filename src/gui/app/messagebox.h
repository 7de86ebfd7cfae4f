#pragma once

// Shows the core's messages in message boxes.

#include <QPointer>
#include <QWidget>

#include <memory>

#include "base/messages.h"

class QMessageBox;

namespace korvel {

/// The box that shows the message: its text, caption, icon and buttons.
std::unique_ptr<QMessageBox> MakeMessageBox(const Message& message, QWidget* parent);

/// The program's message sink: a modal message box over the given window.
class MessageBoxSink final : public MessageSink {
 public:
  explicit MessageBoxSink(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  MessageAnswer Show(const Message& message) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace korvel
