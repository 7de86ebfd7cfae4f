#pragma once

// The one way the core shows a message. The core never draws anything: it
// hands the text, the caption and the kind of box to the message sink that
// the program installed. The GUI installs a sink that opens a message box;
// tests install one that records what would have been shown and answers
// questions from a list prepared in advance.

#include <cstddef>
#include <string>
#include <string_view>

namespace korvel {

/// The application's title: the caption of the program's own messages.
inline constexpr std::string_view kApplicationTitle = "Korvel";

/// The icon of the box.
enum class MessageKind { Plain, Information, Warning, Error, Question };

/// The buttons the box offers.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };

/// The button the user pressed.
enum class MessageAnswer { Ok, Cancel, Yes, No };

/// A message as the user will see it. Texts are UTF-8.
struct Message {
  std::string text;
  std::string caption;
  MessageKind kind = MessageKind::Plain;
  MessageButtons buttons = MessageButtons::Ok;

  friend bool operator==(const Message&, const Message&) = default;
};

/// Shows messages. Implemented by the GUI (a message box) and by tests.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  /// Shows the message and waits for the answer.
  virtual MessageAnswer Show(const Message& message) = 0;
};

/// Most characters a quoted part of a message (« … ») keeps, and most a line
/// keeps; beyond, the middle gives way to "…".
inline constexpr std::size_t kLongestQuoted = 200;
inline constexpr std::size_t kLongestLine = 1000;

/// The text as a message box can show it: a quoted part (a path, a value)
/// longer than kLongestQuoted keeps its start and its end, so the file's
/// name stays readable; a line longer than kLongestLine likewise. Counts
/// characters, not bytes, and never cuts one.
[[nodiscard]] std::string ShortenForDisplay(std::string_view text);

/// Shows a message through the installed sink and returns the answer. The
/// text is shortened first (ShortenForDisplay). With
/// no sink installed the message goes nowhere and the answer is the most
/// cautious one the buttons allow: Cancel, else No, else Ok.
MessageAnswer ShowMessage(const Message& message);

/// Shows a text captioned with the application's title, with an OK button.
void ShowMessage(std::string_view text, MessageKind kind = MessageKind::Plain);

/// Why a system call failed, in French: the system's own text is in the
/// language of the C locale, English as a rule ("Too many open files").
/// An errno without a text of its own is given by its number.
[[nodiscard]] std::string SystemErrorText(int error);

/// Installs a sink for as long as this object lives, then puts back the one
/// that was installed before. Sinks are installed and used on the
/// user-interface thread only.
class ScopedMessageSink final {
 public:
  explicit ScopedMessageSink(MessageSink& sink);
  ~ScopedMessageSink();
  ScopedMessageSink(const ScopedMessageSink&) = delete;
  ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

 private:
  MessageSink* previous_;
};

}  // namespace korvel
