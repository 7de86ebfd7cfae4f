#include "app/launcher.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <string>

#include "base/messages.h"
#include "files/gfile.h"

namespace korvel {

namespace {

constexpr std::string_view kOperationError = "Échec du lancement";

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
      tool.caption = name;
      return tool;
    }
  }
  tool.hint = missing;
  tool.caption = tool.candidates.front();
  return tool;
}

// The types the editor button falls back on without an editor, in order.
const QString kStylesheetTypes[] = {QStringLiteral("text/css"), QStringLiteral("text/plain")};

constexpr char kEditors[] = "notepadqq, gedit, kate, mousepad";

// What a desktop entry says about its application.
struct DesktopEntry {
  QString name;
  QString exec;
};

// The desktop entry xdg-mime names for the type, read from the
// applications folders; empty when there is none.
DesktopEntry DesktopEntryFor(const QString& mimeType) {
  const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
  if (xdgMime.isEmpty()) return {};
  QProcess query;
  query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
  if (!query.waitForFinished(5000)) {
    query.kill();
    query.waitForFinished();
    return {};
  }
  const QString id = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
  if (id.isEmpty() || id.contains(QLatin1Char('/'))) return {};
  QFile file(QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id));
  if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
  DesktopEntry entry;
  QString localName;
  const QString localKey = QStringLiteral("Name[%1]=").arg(QLocale().name().section(QLatin1Char('_'), 0, 0));
  bool inEntry = false;
  while (!file.atEnd()) {
    const QString line = QString::fromUtf8(file.readLine()).trimmed();
    if (line.startsWith(QLatin1Char('['))) {
      inEntry = line == QLatin1String("[Desktop Entry]");
    } else if (inEntry) {
      if (line.startsWith(QLatin1String("Name="))) entry.name = line.mid(5).trimmed();
      else if (line.startsWith(localKey)) localName = line.mid(localKey.size()).trimmed();
      else if (line.startsWith(QLatin1String("Exec="))) entry.exec = line.mid(5).trimmed();
    }
  }
  if (!localName.isEmpty()) entry.name = localName;
  if (entry.exec.isEmpty()) return {};
  if (entry.name.isEmpty()) entry.name = QFileInfo(id).completeBaseName();
  return entry;
}

// The program and arguments of a desktop entry's command line with the file
// in place of its field codes, or after them when it has none.
QStringList CommandFor(const QString& exec, const QString& file) {
  QStringList command;
  bool placed = false;
  for (QString argument : QProcess::splitCommand(exec)) {
    if (argument == QLatin1String("%f") || argument == QLatin1String("%F") || argument == QLatin1String("%u") ||
        argument == QLatin1String("%U")) {
      command << file;
      placed = true;
      continue;
    }
    // Icons, names and entry paths are not passed on.
    if (argument == QLatin1String("%i") || argument == QLatin1String("%c") || argument == QLatin1String("%k"))
      continue;
    argument.replace(QLatin1String("%%"), QLatin1String("\x01"));
    for (const char* code : {"%f", "%F", "%u", "%U"}) {
      if (argument.contains(QLatin1String(code))) placed = true;
      argument.replace(QLatin1String(code), file);
    }
    argument.replace(QLatin1String("\x01"), QLatin1String("%"));
    command << argument;
  }
  if (!command.isEmpty() && !placed) command << file;
  return command;
}

}  // namespace

bool DesktopLauncher::OpenWithDefault(const QString& fileOrUrl) {
  const QUrl url = fileOrUrl.contains(QStringLiteral("://")) ? QUrl(fileOrUrl) : QUrl::fromLocalFile(fileOrUrl);
  return QDesktopServices::openUrl(url);
}

bool DesktopLauncher::StartProgram(const QString& program, const QStringList& arguments) {
  return QProcess::startDetached(program, arguments);
}

QString DesktopLauncher::ApplicationFor(const QString& mimeType) { return DesktopEntryFor(mimeType).name; }

bool DesktopLauncher::OpenAs(const QString& file, const QString& mimeType) {
  const DesktopEntry entry = DesktopEntryFor(mimeType);
  if (entry.exec.isEmpty()) return false;
  QStringList command = CommandFor(entry.exec, file);
  if (command.isEmpty()) return false;
  const QString program = command.takeFirst();
  return QProcess::startDetached(program, command);
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
                       QStringLiteral("Editer avec "), QString())) {
  if (editor_.Installed()) return;
  for (const QString& type : kStylesheetTypes) {
    desktopEditor_ = launcher_.ApplicationFor(type);
    if (!desktopEditor_.isEmpty()) {
      editor_.caption = desktopEditor_;
      editor_.hint = QStringLiteral("Ouvrir la feuille de style avec %1, l'application du bureau pour %2 "
                                    "(aucun de %3 n'est installé)")
                         .arg(desktopEditor_, type, QLatin1String(kEditors));
      return;
    }
  }
  editor_.caption = QStringLiteral("Éditeur");
  editor_.hint = QStringLiteral("Aucun éditeur installé (%1) ni application du bureau pour text/css ou text/plain")
                     .arg(QLatin1String(kEditors));
}

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
  // The page is already shown through the preview: opening its file would
  // show it a second time, outside the preview, in the browser.
  for (const QString& type : kStylesheetTypes) {
    const QString application = launcher_.ApplicationFor(type);
    if (application.isEmpty()) continue;
    if (!launcher_.OpenAs(stylesheetPath, type))
      TellFailure(QStringLiteral("Impossible d'ouvrir la feuille de style « %1 » avec %2.").arg(stylesheetPath, application));
    return;
  }
  TellFailure(QStringLiteral("Rien ne peut ouvrir la feuille de style « %1 » : aucun éditeur n'est installé (%2) "
                             "et le bureau n'a pas d'application pour text/css ni pour text/plain.")
                  .arg(stylesheetPath, QLatin1String(kEditors)));
}

bool OutsideTools::RunProgram(const QString& program, const QStringList& arguments) {
  if (launcher_.StartProgram(program, arguments)) return true;
  TellFailure(QStringLiteral("Impossible de lancer le programme « %1 ».").arg(QFileInfo(program).fileName()));
  return false;
}

int OutsideTools::OpenUrl(const QString& address) {
  if (launcher_.OpenWithDefault(address)) return 0;
  TellFailure(QStringLiteral("Impossible d'ouvrir l'adresse « %1 » dans le navigateur.").arg(address));
  return -1;
}

}  // namespace korvel
