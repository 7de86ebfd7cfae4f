#include "app/dmunit.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>

#include "base/messages.h"

namespace korvel {

namespace {

const QString kExample = QStringLiteral("exempleCSS");
const QString kScratch = QStringLiteral("ImageTemp");
const QString kDictionary = QStringLiteral("CSSKeywords.xml");

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

// The data folder: beside the executable, else "../share/korvel/" from it.
// Whether the data is an installed copy, never to be written, is said
// through `installed`.
QString FindDataDir(const QString& exeDir, bool* installed) {
  *installed = false;
  if (QFileInfo::exists(exeDir + kDictionary)) return exeDir;
  const QString shared = WithSlash(QDir::cleanPath(exeDir + QStringLiteral("../share/korvel")));
  if (QFileInfo::exists(shared + kDictionary)) {
    *installed = true;
    return shared;
  }
  return exeDir;
}

// The user's folder of that kind for Korvel. The generic locations are
// used because the application's own ones repeat the organisation and the
// application name, both "Korvel".
QString UserFolder(QStandardPaths::StandardLocation kind) {
  return QStandardPaths::writableLocation(kind) + QStringLiteral("/Korvel/");
}

// The data folder's own copy when it may be written (a build tree), else a
// copy of it in the user's folder of that kind.
QString UsableFolder(const QString& inData, bool installed, QStandardPaths::StandardLocation fallback) {
  const QFileInfo info(inData);
  if (!installed) {
    if (info.isDir() && info.isWritable()) return WithSlash(inData);
    if (!info.exists() && QFileInfo(info.absolutePath()).isWritable() && QDir().mkpath(inData))
      return WithSlash(inData);
  }
  const QString user = UserFolder(fallback) + info.fileName();
  if (info.isDir()) {
    CopyMissing(inData, user);
  } else {
    QDir().mkpath(user);
  }
  return WithSlash(user);
}

}  // namespace

TDM::TDM(QString exeDir) : exeDir_(WithSlash(std::move(exeDir))) {
  bool installed = false;
  dataDir_ = FindDataDir(exeDir_, &installed);
  exampleFolder_ = UsableFolder(dataDir_ + kExample, installed, QStandardPaths::GenericDataLocation);
  scratchFolder_ = UsableFolder(dataDir_ + kScratch, installed, QStandardPaths::GenericCacheLocation);
}

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
