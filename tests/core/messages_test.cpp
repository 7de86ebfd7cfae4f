#include "core/messages.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "core/messagerecorder.h"

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

// Characters, not bytes: UTF-8 is never cut inside a character.
std::size_t Characters(const std::string& text) {
  std::size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

TEST(Messages, LongPathsAndValuesAreShortenedInTheMiddle) {
  MessageRecorder recorder;
  std::string path = "/home/é";
  while (path.size() < 400) path += "/dossier-très-profond";
  path += "/styles.css";
  const std::string value(1 << 20, 'x');
  ShowMessage("Impossible de lire le fichier « " + path + " » : permission refusée.\nValeur « " + value + " »");
  ASSERT_EQ(recorder.shown.size(), 1u);
  const std::string& text = recorder.shown[0].text;
  const std::size_t open = text.find("« ") + std::string("« ").size();
  const std::string shownPath = text.substr(open, text.find(" »") - open);
  EXPECT_EQ(Characters(shownPath), kLongestQuoted) << shownPath;
  EXPECT_EQ(shownPath.rfind("/home/é/", 0), 0u) << shownPath;
  EXPECT_NE(shownPath.find("…"), std::string::npos);
  EXPECT_TRUE(shownPath.ends_with("/styles.css")) << shownPath;
  EXPECT_NE(text.find(" » : permission refusée.\n"), std::string::npos) << "the text around the path stays";
  EXPECT_LE(text.size(), 4 * (kLongestQuoted + kLongestLine)) << "a 1 MB value is not shown whole";
  // Short texts are left alone.
  EXPECT_EQ(ShortenForDisplay("« /a/b.css » introuvable"), "« /a/b.css » introuvable");
}

TEST(Messages, SystemErrorsAreSaidInFrench) {
  EXPECT_EQ(SystemErrorText(EMFILE), "trop de fichiers ouverts par Korvel");
  EXPECT_EQ(SystemErrorText(EROFS), "le disque est en lecture seule");
  EXPECT_EQ(SystemErrorText(123456), "erreur système n° 123456");
}

}  // namespace
}  // namespace korvel
