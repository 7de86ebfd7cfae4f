#pragma once

// What the window tests share: a recorder for messages, a launcher that
// starts nothing, and a throwaway installation of Korvel (its data beside a
// pretend executable, a settings store of its own).

#include <QDir>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <vector>

#include "app/launcher.h"
#include "base/messages.h"

namespace korvel {

/// Keeps what would have been shown; questions take the prepared answers.
class QtMessageRecorder final : public MessageSink {
 public:
  QtMessageRecorder() : scope_(*this) {}
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
  [[nodiscard]] bool Saw(const std::string& part) const {
    for (const Message& message : shown)
      if (message.text.find(part) != std::string::npos) return true;
    return false;
  }

  std::vector<Message> shown;
  std::deque<MessageAnswer> answers;
  int unanswered = 0;

 private:
  ScopedMessageSink scope_;
};

/// Records what would have been started.
class RecordingLauncher final : public ProgramLauncher {
 public:
  bool OpenWithDefault(const QString& fileOrUrl) override {
    opened << fileOrUrl;
    return true;
  }
  bool StartProgram(const QString& program, const QStringList& arguments) override {
    started << (program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')));
    return true;
  }
  QString ApplicationFor(const QString& mimeType) override { return applications.value(mimeType); }
  bool OpenAs(const QString& file, const QString& mimeType) override {
    openedAs << (mimeType + QLatin1Char(' ') + file);
    return applications.contains(mimeType);
  }
  QStringList opened;
  QStringList started;
  /// The desktop's applications by type, none unless a test names some.
  QMap<QString, QString> applications;
  /// "text/css /p/styles.css" for each file opened by type.
  QStringList openedAs;
};

/// The file's bytes, or none when it cannot be read.
inline QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// Writes the bytes as the whole file, making its folder first.
inline bool WriteAll(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

/// Copies a folder with everything below it.
inline bool CopyFolder(const QString& from, const QString& to) {
  QDir source(from);
  if (!QDir().mkpath(to)) return false;
  for (const QString& name : source.entryList(QDir::Files | QDir::Hidden)) {
    if (!QFile::copy(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name)) return false;
  }
  for (const QString& name : source.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    if (!CopyFolder(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name)) return false;
  }
  return true;
}

/// A throwaway installation of Korvel in `root`: the dictionary and the
/// example project beside a pretend executable in "bin/". Returns that
/// folder, ending with "/"; empty when it could not be made.
inline QString InstallKorvel(const QString& root) {
  const QString exe = root + QStringLiteral("/bin/");
  const bool made =
      CopyFolder(QStringLiteral(KORVEL_DATA "/exempleCSS"), exe + QStringLiteral("exempleCSS")) &&
      QFile::copy(QStringLiteral(KORVEL_DATA "/CSSKeywords.xml"), exe + QStringLiteral("CSSKeywords.xml"));
  return made ? exe : QString();
}

}  // namespace korvel
