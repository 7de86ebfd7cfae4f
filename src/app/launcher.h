#pragma once

// Starting other programs: the page in the default browser, later the
// outside tools. Tests install a launcher that records instead, so that no
// browser ever starts during a test.

#include <QString>
#include <QStringList>

namespace korvel {

class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;
  /// Opens a file or an address with the desktop's default program.
  /// Returns false when nothing could open it.
  virtual bool OpenWithDefault(const QString& fileOrUrl) = 0;
  /// Starts a program by name with its arguments, detached.
  virtual bool StartProgram(const QString& program, const QStringList& arguments) = 0;
};

/// The desktop's own: QDesktopServices and detached processes.
class DesktopLauncher final : public ProgramLauncher {
 public:
  bool OpenWithDefault(const QString& fileOrUrl) override;
  bool StartProgram(const QString& program, const QStringList& arguments) override;
};

}  // namespace korvel
