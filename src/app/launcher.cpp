#include "app/launcher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace korvel {

bool DesktopLauncher::OpenWithDefault(const QString& fileOrUrl) {
  const QUrl url = fileOrUrl.contains(QStringLiteral("://")) ? QUrl(fileOrUrl) : QUrl::fromLocalFile(fileOrUrl);
  return QDesktopServices::openUrl(url);
}

bool DesktopLauncher::StartProgram(const QString& program, const QStringList& arguments) {
  return QProcess::startDetached(program, arguments);
}

}  // namespace korvel
