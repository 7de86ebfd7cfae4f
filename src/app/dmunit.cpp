#include "app/dmunit.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>

#include "core/messages.h"

namespace korvel {

namespace {

const QString kExample = QStringLiteral("exempleCSS");
const QString kScratch = QStringLiteral("ImageTemp");

QString WithSlash(QString folder) {
  if (!folder.endsWith(u'/')) folder += u'/';
  return folder;
}

// Copies a folder's files into another, keeping files already there.
void CopyMissing(const QString& from, const QString& to) {
  QDir().mkpath(to);
  QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString source = it.next();
    const QString target = to + u'/' + QDir(from).relativeFilePath(source);
    if (it.fileInfo().isDir()) {
      QDir().mkpath(target);
    } else if (!QFileInfo::exists(target)) {
      QFile::copy(source, target);
      QFile(target).setPermissions(QFile(target).permissions() | QFileDevice::WriteOwner);
    }
  }
}

// The folder beside the executable when it can be written, else a copy of
// it in the user's folder of that kind.
QString UsableFolder(const QString& besideExe, QStandardPaths::StandardLocation fallback) {
  const QFileInfo info(besideExe);
  if (info.isDir() && info.isWritable()) return WithSlash(besideExe);
  if (!info.exists() && QFileInfo(info.absolutePath()).isWritable() && QDir().mkpath(besideExe))
    return WithSlash(besideExe);
  const QString user = QStandardPaths::writableLocation(fallback) + u'/' + QFileInfo(besideExe).fileName();
  if (info.isDir()) {
    CopyMissing(besideExe, user);
  } else {
    QDir().mkpath(user);
  }
  return WithSlash(user);
}

}  // namespace

TDM::TDM(QString exeDir)
    : exeDir_(WithSlash(std::move(exeDir))),
      exampleFolder_(UsableFolder(exeDir_ + kExample, QStandardPaths::AppDataLocation)),
      scratchFolder_(UsableFolder(exeDir_ + kScratch, QStandardPaths::CacheLocation)) {}

void TDM::WriteSetting(const SettingsControl* control, std::string_view kind, std::string_view value) {
  try {
    ini_.WriteValue(control, kind, value);
  } catch (const std::exception& error) {
    const std::string& file = ini_.FileName();
    if (file.empty() || file == unwritableSettings_) return;
    unwritableSettings_ = file;
    ShowMessage(Message{"Les réglages du projet ne peuvent pas être enregistrés : " + std::string(error.what()) +
                            "\nKorvel continue sans les enregistrer.",
                        "", MessageKind::Warning, MessageButtons::Ok});
  }
}

}  // namespace korvel
