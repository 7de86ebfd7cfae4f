#pragma once

// A message sink for tests: installed for its lifetime, it keeps every
// message that would have been shown and answers questions from a list
// prepared by the test.

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "base/messages.h"

namespace korvel {

class MessageRecorder final : public MessageSink {
 public:
  MessageRecorder() : scope_(*this) {}

  /// A box with only an OK button is answered Ok. A question takes the next
  /// prepared answer; one that finds none fails the test and gets Cancel.
  MessageAnswer Show(const Message& message) override {
    shown.push_back(message);
    if (message.buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (answers.empty()) {
      ADD_FAILURE() << "Question without a prepared answer: " << message.text;
      return MessageAnswer::Cancel;
    }
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<Message> shown;
  std::deque<MessageAnswer> answers;

 private:
  ScopedMessageSink scope_;
};

}  // namespace korvel
