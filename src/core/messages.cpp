#include "core/messages.h"

namespace korvel {

namespace {

MessageSink* installedSink = nullptr;

MessageAnswer CautiousAnswer(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
      return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
      return MessageAnswer::No;
    case MessageButtons::Ok:
      break;
  }
  return MessageAnswer::Ok;
}

}  // namespace

MessageAnswer ShowMessage(const Message& message) {
  if (installedSink == nullptr) return CautiousAnswer(message.buttons);
  return installedSink->Show(message);
}

void ShowMessage(std::string_view text, MessageKind kind) {
  ShowMessage(Message{std::string(text), std::string(kApplicationTitle), kind, MessageButtons::Ok});
}

ScopedMessageSink::ScopedMessageSink(MessageSink& sink) : previous_(installedSink) { installedSink = &sink; }

ScopedMessageSink::~ScopedMessageSink() { installedSink = previous_; }

}  // namespace korvel
