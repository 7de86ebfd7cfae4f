// Korvel: start-up. Makes the data module, then the window, and runs.

#include <QApplication>
#include <QDir>

#include <exception>

#include "app/dmunit.h"
#include "app/frenchinterface.h"
#include "app/launcher.h"
#include "app/mainformunit.h"
#include "app/messagebox.h"
#include "app/settingsstore.h"
#include "core/messages.h"

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

}  // namespace

int main(int argc, char** argv) {
  KorvelApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Korvel"));
  QApplication::setOrganizationName(QStringLiteral("Korvel"));
  QApplication::setApplicationDisplayName(QStringLiteral("Korvel"));

  korvel::MessageBoxSink messages;
  korvel::ScopedMessageSink installed(messages);
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
    messages.SetParent(&window);
    window.show();
    return QApplication::exec();
  } catch (const std::exception& error) {
    // Without its dictionary or its data the program cannot start.
    korvel::ShowMessage(error.what(), korvel::MessageKind::Error);
    return 1;
  }
}
