#pragma once

// What the window tests share: recorders that answer messages and folder
// questions, a launcher that starts nothing, and a throwaway installation
// of Korvel (its data beside a pretend executable, a settings store of its
// own, a project to open).

#include <QDir>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

#include "app/dmunit.h"
#include "app/folderchooser.h"
#include "app/launcher.h"
#include "app/settingsstore.h"
#include "base/messages.h"
#include "settings/gxmlini.h"
#include "support/messagerecorder.h"

namespace korvel {

/// Answers the folder questions from a list prepared by the test; a
/// question that finds none is answered "" (cancelled) and counted.
class FolderAnswers final : public FolderChooser {
 public:
  FolderAnswers() : scope_(*this) {}
  QString ChooseFolder(const QString& caption, const QString& start) override {
    captions << caption;
    starts << start;
    if (answers.isEmpty()) {
      ++unanswered;
      return {};
    }
    return answers.takeFirst();
  }

  /// The captions and start folders of the questions asked, in order.
  QStringList captions;
  QStringList starts;
  /// The folders to answer, in order; "" stands for Cancel.
  QStringList answers;
  int unanswered = 0;

 private:
  ScopedFolderChooser scope_;
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

/// A throwaway installation of Korvel in `root`: the dictionary, and the
/// example project unless `withExample` is false, beside a pretend
/// executable in "bin/". Returns that folder, ending with "/"; empty when
/// it could not be made.
inline QString InstallKorvel(const QString& root, bool withExample = true) {
  const QString exe = root + QStringLiteral("/bin/");
  const bool made =
      QDir().mkpath(exe) &&
      (!withExample || CopyFolder(QStringLiteral(KORVEL_DATA "/exempleCSS"), exe + QStringLiteral("exempleCSS"))) &&
      QFile::copy(QStringLiteral(KORVEL_DATA "/CSSKeywords.xml"), exe + QStringLiteral("CSSKeywords.xml"));
  return made ? exe : QString();
}

/// Korvel installed for one test in a temporary folder (InstallKorvel):
/// its data module, a settings store of its own, and the recorders that
/// answer for the user. A project may be made in "site/". Tests check
/// `Ready()` first, and that nothing went unanswered when they end.
class TestInstallation final {
 public:
  explicit TestInstallation(bool withExample = true) {
    if (!dir_.isValid()) return;
    const QString exe = InstallKorvel(dir_.path(), withExample);
    if (exe.isEmpty()) return;
    dm_ = std::make_unique<TDM>(exe);
    registry_ = std::make_unique<SettingsStore>(Path(QStringLiteral("registry.ini")));
  }
  Q_DISABLE_COPY_MOVE(TestInstallation)

  [[nodiscard]] bool Ready() const { return dm_ != nullptr; }
  /// The temporary folder, without a final "/".
  [[nodiscard]] QString Root() const { return dir_.path(); }
  /// A path below the temporary folder.
  [[nodiscard]] QString Path(const QString& below = {}) const { return dir_.path() + QLatin1Char('/') + below; }
  /// The project "site/", its stylesheet in "css/".
  [[nodiscard]] QString Project() const { return Path(QStringLiteral("site/")); }
  [[nodiscard]] QString Stylesheet() const { return Project() + QStringLiteral("css/styles.css"); }
  [[nodiscard]] QString Page() const { return Project() + QStringLiteral("index.html"); }

  /// Writes the project: its page, its stylesheet and the settings file
  /// naming them (and the images folder, when given), and remembers it as
  /// the project to open.
  [[nodiscard]] bool MakeProject(const QByteArray& css, const QString& imagesFolder = {},
                                 const QByteArray& page = "<html></html>") {
    if (!WriteAll(Page(), page) || !WriteAll(Stylesheet(), css)) return false;
    GXMLIni ini;
    ini.Open((Project() + QStringLiteral("site.xml")).toStdString());
    ini.WriteValue(nullptr, settingkind::kHTMLFilePath, Page().toStdString());
    ini.WriteValue(nullptr, settingkind::kCSSFilePath, Stylesheet().toStdString());
    if (!imagesFolder.isEmpty()) ini.WriteValue(nullptr, settingkind::kImagesFolder, imagesFolder.toStdString());
    registry_->SetProjectFolderPath(Project());
    return true;
  }

  [[nodiscard]] TDM& Dm() const { return *dm_; }
  [[nodiscard]] SettingsStore& Registry() const { return *registry_; }
  /// Whether every question, message or folder, found its answer.
  [[nodiscard]] bool AllAnswered() const { return messages.unanswered == 0 && folders.unanswered == 0; }

 private:
  // Made first, removed last.
  QTemporaryDir dir_;
  std::unique_ptr<TDM> dm_;
  std::unique_ptr<SettingsStore> registry_;

 public:
  MessageRecorder messages;
  FolderAnswers folders;
  RecordingLauncher launcher;
};

}  // namespace korvel
