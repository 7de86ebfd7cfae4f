#pragma once

// Shows the core's messages in message boxes.

#include <QPointer>
#include <QWidget>

#include "core/messages.h"

namespace korvel {

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
