#include "app/launcher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <string>

#include "core/messages.h"
#include "shell/gfile.h"

namespace korvel {

namespace {

constexpr std::string_view kOperationError = "Erreur de lancement";

void TellFailure(const QString& text) {
  ShowMessage(Message{text.toStdString(), std::string(kOperationError), MessageKind::Plain, MessageButtons::Ok});
}

// How the hints name each program.
QString DisplayName(const QString& program) {
  static const std::pair<const char*, const char*> kNames[] = {
      {"firefox", "Firefox"},         {"firefox-esr", "Firefox"},         {"chromium", "Chromium"},
      {"google-chrome", "Google Chrome"}, {"microsoft-edge", "Microsoft Edge"}, {"notepadqq", "Notepadqq"},
      {"gedit", "gedit"},             {"kate", "Kate"},                   {"mousepad", "Mousepad"}};
  for (const auto& [name, shown] : kNames)
    if (program == QLatin1String(name)) return QString::fromUtf8(shown);
  return program;
}

OutsideTool FindTool(QStringList candidates, const QString& verb, const QString& missing) {
  OutsideTool tool;
  tool.candidates = std::move(candidates);
  for (const QString& name : tool.candidates) {
    tool.program = QStandardPaths::findExecutable(name);
    if (tool.Installed()) {
      tool.hint = verb + DisplayName(name);
      return tool;
    }
  }
  tool.hint = missing;
  return tool;
}

}  // namespace

bool DesktopLauncher::OpenWithDefault(const QString& fileOrUrl) {
  const QUrl url = fileOrUrl.contains(QStringLiteral("://")) ? QUrl(fileOrUrl) : QUrl::fromLocalFile(fileOrUrl);
  return QDesktopServices::openUrl(url);
}

bool DesktopLauncher::StartProgram(const QString& program, const QStringList& arguments) {
  return QProcess::startDetached(program, arguments);
}

QString PageAddress(const QString& localServerFolder, bool useLocalServer, const QString& pagePath) {
  if (!useLocalServer) return pagePath;
  GFile paths;
  paths.Compare(localServerFolder.toStdString(), pagePath.toStdString());
  const std::string below = paths.RemainderOf(1);
  const std::size_t slash = below.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : below.substr(0, slash);
  return QLatin1String(kLocalServerBase) + QString::fromStdString(folder);
}

OutsideTools::OutsideTools(ProgramLauncher& launcher)
    : launcher_(launcher),
      firefox_(FindTool({QStringLiteral("firefox"), QStringLiteral("firefox-esr")}, QStringLiteral("Lancer avec "),
                        QStringLiteral("Firefox n'est pas installé (firefox, firefox-esr)"))),
      chromium_(FindTool({QStringLiteral("chromium"), QStringLiteral("google-chrome"), QStringLiteral("microsoft-edge")},
                         QStringLiteral("Lancer avec "),
                         QStringLiteral("Aucun navigateur installé parmi chromium, google-chrome, microsoft-edge"))),
      editor_(FindTool({QStringLiteral("notepadqq"), QStringLiteral("gedit"), QStringLiteral("kate"),
                        QStringLiteral("mousepad")},
                       QStringLiteral("Editer avec "),
                       QStringLiteral("Editer avec l'application par défaut (aucun de notepadqq, gedit, kate, "
                                      "mousepad n'est installé)"))) {}

void OutsideTools::RunTool(const OutsideTool& tool, const QStringList& arguments) {
  // A missing program is still tried by its first name, so that the user
  // hears why nothing opens.
  RunProgram(tool.Installed() ? tool.program : tool.candidates.front(), arguments);
}

void OutsideTools::RunFirefox(const QString& address) { RunTool(firefox_, {address}); }

void OutsideTools::RunChromium(const QString& address) { RunTool(chromium_, {address}); }

void OutsideTools::RunEditor(const QString& pagePath, const QString& stylesheetPath) {
  if (editor_.Installed()) {
    RunProgram(editor_.program, {pagePath, stylesheetPath});
    return;
  }
  if (OpenUrl(pagePath) == 0) OpenUrl(stylesheetPath);
}

bool OutsideTools::RunProgram(const QString& program, const QStringList& arguments) {
  if (launcher_.StartProgram(program, arguments)) return true;
  TellFailure(QStringLiteral("Impossible de lancer le programme « %1 ».").arg(QFileInfo(program).fileName()));
  return false;
}

int OutsideTools::OpenUrl(const QString& address) {
  if (launcher_.OpenWithDefault(address)) return 0;
  TellFailure(QStringLiteral("Impossible d'ouvrir « %1 » dans le navigateur.").arg(address));
  return -1;
}

}  // namespace korvel
