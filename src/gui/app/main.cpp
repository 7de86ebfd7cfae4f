// Korvel: start-up. Makes the data module, then the window, and runs.

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstring>
#include <exception>

#include "app/dmunit.h"
#include "app/folderchooser.h"
#include "app/frenchinterface.h"
#include "app/launcher.h"
#include "app/mainformunit.h"
#include "app/messagebox.h"
#include "app/settingsstore.h"
#include "app/stylesheetreader.h"
#include "base/messages.h"

namespace {

// Shows an error that escaped a handler, and goes on.
class KorvelApplication final : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      korvel::ShowMessage(error.what(), korvel::MessageKind::Error);
    } catch (...) {
      korvel::ShowMessage("Erreur inattendue.", korvel::MessageKind::Error);
    }
    return false;
  }
};

constexpr const char* kUsage =
    "Usage : korvel [FICHIER.css]\n"
    "\n"
    "Ouvre l'éditeur sur le dernier projet ouvert (le projet d'exemple au premier\n"
    "lancement) ou, avec FICHIER.css, sur cette feuille de style : le projet est\n"
    "alors son dossier, sans page tant qu'aucune n'est choisie sur « Entrée ».\n"
    "\n"
    "  -h, --help     affiche cette aide\n"
    "  --version      affiche la version\n";

// What the command line asks that needs no window; -1 when the window is
// to open.
int AnswerWithoutWindow(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("korvel %s\n", KORVEL_VERSION);
      return 0;
    }
    if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (const int answer = AnswerWithoutWindow(argc, argv); answer >= 0) return answer;
  KorvelApplication app(argc, argv);
  // Qt has taken its own options out; what stays is Korvel's.
  QStringList files = QCoreApplication::arguments().mid(1);
  for (const QString& file : files) {
    if (file.startsWith(u'-')) {
      std::fprintf(stderr, "korvel : option inconnue « %s »\nEssayez « korvel --help ».\n", qPrintable(file));
      return 2;
    }
  }
  if (files.size() > 1) {
    std::fputs("korvel : une seule feuille de style à la fois\nEssayez « korvel --help ».\n", stderr);
    return 2;
  }
  QApplication::setApplicationName(QStringLiteral("Korvel"));
  QApplication::setOrganizationName(QStringLiteral("Korvel"));
  QApplication::setApplicationDisplayName(QStringLiteral("Korvel"));
  QApplication::setApplicationVersion(QStringLiteral(KORVEL_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("org.korvel.Korvel"));

  korvel::MessageBoxSink messages;
  korvel::ScopedMessageSink installed(messages);
  korvel::FolderDialogChooser folders;
  korvel::ScopedFolderChooser foldersInstalled(folders);
  // Without Qt's translations the question boxes would say "Yes" and "No":
  // the interface is French or the installation is incomplete, and
  // the user is told.
  if (!korvel::InstallFrenchInterface(app))
    korvel::ShowMessage("Les traductions françaises de Qt sont introuvables (paquet qt6-translations-l10n) : "
                        "certains boutons resteront en anglais.",
                        korvel::MessageKind::Warning);
  try {
    korvel::TDM dm(QApplication::applicationDirPath());
    korvel::DesktopLauncher launcher;
    korvel::SettingsStore registry;
    korvel::TMainForm window(dm, launcher, registry);
    if (!files.isEmpty()) window.SetStartStylesheet(files.front());
    messages.SetParent(&window);
    folders.SetParent(&window);
    window.show();
    const int status = QApplication::exec();
    korvel::WaitForBackgroundReads();
    return status;
  } catch (const std::exception& error) {
    // Without its dictionary or its data the program cannot start.
    korvel::ShowMessage(error.what(), korvel::MessageKind::Error);
    return 1;
  }
}
