#pragma once

// The window of a first start in a throwaway installation of Korvel: it
// opens the example project (its first rule on "Edition") when shown.

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "app/dmunit.h"
#include "app/mainformunit.h"
#include "app/settingsstore.h"
#include "support/guitestsupport.h"

namespace korvel {

class ExampleWindow {
 public:
  /// Programs and addresses are opened through `launcher`; the messages
  /// shown are recorded (Messages).
  explicit ExampleWindow(ProgramLauncher& launcher)
      : exe_(Install(dir_)), dm_(exe_), registry_(dir_.path() + QStringLiteral("/registry.ini")),
        window_(dm_, launcher, registry_) {}
  Q_DISABLE_COPY_MOVE(ExampleWindow)

  /// Shows the window and waits until it is on screen and active.
  [[nodiscard]] bool Show() {
    window_.show();
    return QTest::qWaitForWindowActive(&window_);
  }

  [[nodiscard]] TMainForm& Window() { return window_; }
  [[nodiscard]] TDM& Dm() { return dm_; }
  [[nodiscard]] MessageRecorder& Messages() { return messages_; }
  /// The installation's folder, for a test's own files.
  [[nodiscard]] QString Folder() const { return dir_.path(); }

 private:
  static QString Install(const QTemporaryDir& dir) {
    QStandardPaths::setTestModeEnabled(true);
    return InstallKorvel(dir.path());
  }

  QTemporaryDir dir_;
  MessageRecorder messages_;
  QString exe_;
  TDM dm_;
  SettingsStore registry_;
  TMainForm window_;
};

}  // namespace korvel
