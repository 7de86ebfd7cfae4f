#pragma once

// A message sink for tests, core and window alike: installed for its
// lifetime, it keeps every message that would have been shown and answers
// questions from a list prepared by the test. A question that finds no
// prepared answer gets Cancel and is counted in `unanswered`, which the
// tests check when they end.

#include <deque>
#include <string>
#include <vector>

#include "base/messages.h"

namespace korvel {

class MessageRecorder final : public MessageSink {
 public:
  MessageRecorder() : scope_(*this) {}

  /// A box with only an OK button is answered Ok; a question takes the next
  /// prepared answer.
  MessageAnswer Show(const Message& message) override {
    shown.push_back(message);
    if (message.buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (answers.empty()) {
      ++unanswered;
      return MessageAnswer::Cancel;
    }
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  /// Whether a message shown holds the text.
  [[nodiscard]] bool Saw(const std::string& part) const {
    for (const Message& message : shown)
      if (message.text.find(part) != std::string::npos) return true;
    return false;
  }

  std::vector<Message> shown;
  std::deque<MessageAnswer> answers;
  /// Questions met without a prepared answer.
  int unanswered = 0;

 private:
  ScopedMessageSink scope_;
};

}  // namespace korvel
