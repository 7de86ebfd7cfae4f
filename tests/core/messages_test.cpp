#include "core/messages.h"

#include <gtest/gtest.h>

#include "messagerecorder.h"

namespace korvel {
namespace {

TEST(Messages, WithoutASinkNothingIsShownAndTheAnswerIsCautious) {
  const struct {
    MessageButtons buttons;
    MessageAnswer answer;
  } cases[] = {{MessageButtons::Ok, MessageAnswer::Ok},
               {MessageButtons::OkCancel, MessageAnswer::Cancel},
               {MessageButtons::YesNo, MessageAnswer::No},
               {MessageButtons::YesNoCancel, MessageAnswer::Cancel}};
  for (const auto& c : cases)
    EXPECT_EQ(ShowMessage(Message{"Recharger ?", "Korvel", MessageKind::Question, c.buttons}), c.answer);
}

TEST(Messages, GoToTheInnermostSinkUntilItIsRemoved) {
  MessageRecorder outer;
  ShowMessage("premier", MessageKind::Warning);
  {
    MessageRecorder inner;
    inner.answers = {MessageAnswer::Yes};
    EXPECT_EQ(ShowMessage(Message{"Recharger ?", "Korvel", MessageKind::Question, MessageButtons::YesNo}),
              MessageAnswer::Yes);
    ASSERT_EQ(inner.shown.size(), 1u);
    EXPECT_EQ(inner.shown[0].text, "Recharger ?");
  }
  ShowMessage("second");
  const std::vector<Message> expected = {
      {"premier", "Korvel", MessageKind::Warning, MessageButtons::Ok},
      {"second", "Korvel", MessageKind::Plain, MessageButtons::Ok},
  };
  EXPECT_EQ(outer.shown, expected);
}

}  // namespace
}  // namespace korvel
