#pragma once

// Starting other programs: the page in a browser, the page and the
// stylesheet in a text editor. Programs are looked up on PATH and started
// with their arguments as a list, never through a shell, so no file name is
// ever read as a command. Tests install a launcher that records instead, so
// that no browser ever starts during a test.
//
// Failures are told to the user in a message box captioned
// "Échec du lancement" and go no further.

#include <QString>
#include <QStringList>

#include <functional>

namespace korvel {

class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;
  /// Opens a file or an address with the desktop's default program.
  /// Returns false when nothing could open it.
  virtual bool OpenWithDefault(const QString& fileOrUrl) = 0;
  /// Starts a program by name with its arguments, detached.
  virtual bool StartProgram(const QString& program, const QStringList& arguments) = 0;
  /// The name the desktop shows for its application for files of this type
  /// ("text/css"), or "" when it names none.
  virtual QString ApplicationFor(const QString& mimeType) = 0;
  /// Opens the file with the desktop's application for this type. Returns
  /// false when there is none or it could not be started.
  virtual bool OpenAs(const QString& file, const QString& mimeType) = 0;
};

/// The desktop's own: QDesktopServices and detached processes.
class DesktopLauncher final : public ProgramLauncher {
 public:
  bool OpenWithDefault(const QString& fileOrUrl) override;
  bool StartProgram(const QString& program, const QStringList& arguments) override;
  /// Asks xdg-mime for the type's application and reads its desktop entry.
  QString ApplicationFor(const QString& mimeType) override;
  bool OpenAs(const QString& file, const QString& mimeType) override;
};

/// How the folder views open a file: with the launcher's default program
/// for it (OpenWithDefault). Every view that opens files takes this one.
[[nodiscard]] inline std::function<bool(const QString& file)> FileOpenerOf(ProgramLauncher& launcher) {
  return [&launcher](const QString& file) { return launcher.OpenWithDefault(file); };
}

/// The address of the web server on this machine.
inline constexpr char kLocalServerBase[] = "http://localhost/";

/// Where the browser finds the page. Without a local server, the page's path
/// itself. With one, the local server's address followed by the page's folder
/// below the local-server folder ("http://localhost/proj" for
/// /var/www/proj/index.php under /var/www/); the server answers with that
/// folder's default page.
[[nodiscard]] QString PageAddress(const QString& localServerFolder, bool useLocalServer, const QString& pagePath);

/// A program one button starts: the first of its candidates found on PATH.
struct OutsideTool {
  /// The candidates' names on PATH, in order of preference.
  QStringList candidates;
  /// The full path of the one found, or "" when none is installed.
  QString program;
  /// The button's hint: the program it starts, or that it is missing.
  QString hint;
  /// The button's caption: the program it starts, found or looked for.
  QString caption;

  [[nodiscard]] bool Installed() const { return !program.isEmpty(); }
};

/// The outside tools of the "Edition" and "Images" tabs, looked up on PATH
/// when made: Firefox, a Chromium-based browser and a text editor.
class OutsideTools final {
 public:
  explicit OutsideTools(ProgramLauncher& launcher);
  OutsideTools(const OutsideTools&) = delete;
  OutsideTools& operator=(const OutsideTools&) = delete;

  /// firefox, else firefox-esr.
  [[nodiscard]] const OutsideTool& Firefox() const { return firefox_; }
  /// The first of chromium, google-chrome, microsoft-edge.
  [[nodiscard]] const OutsideTool& Chromium() const { return chromium_; }
  /// The first of notepadqq, gedit, kate, mousepad. Without one, the
  /// desktop's application for stylesheets, else for plain text, named in
  /// the caption and the hint.
  [[nodiscard]] const OutsideTool& Editor() const { return editor_; }
  /// Whether the editor button can open anything: an editor is installed or
  /// the desktop has an application for stylesheets or plain text.
  [[nodiscard]] bool CanEdit() const { return editor_.Installed() || !desktopEditor_.isEmpty(); }

  /// Opens the address (PageAddress, or the preview's) in that browser.
  void RunFirefox(const QString& address);
  void RunChromium(const QString& address);
  /// Opens the page, then the stylesheet, in the editor. Without one, only
  /// the stylesheet, with the desktop's application for text/css, else for
  /// text/plain (the page stays in the preview); tells the user when nothing
  /// can open it.
  void RunEditor(const QString& pagePath, const QString& stylesheetPath);
  /// Opens the address in the desktop's default browser: 0, or -1 after
  /// telling the user.
  int OpenInDefaultBrowser(const QString& address) { return OpenUrl(address); }

  /// Starts the program with these arguments; tells the user when it cannot
  /// be started ("Impossible de lancer le programme « … »."). True when it started.
  bool RunProgram(const QString& program, const QStringList& arguments);
  /// Opens a file or an address with the desktop's default application: 0,
  /// or -1 after telling the user ("Impossible d'ouvrir l'adresse « … » dans le navigateur.").
  int OpenUrl(const QString& address);

 private:
  void RunTool(const OutsideTool& tool, const QStringList& arguments);

  ProgramLauncher& launcher_;
  OutsideTool firefox_;
  OutsideTool chromium_;
  OutsideTool editor_;
  /// The desktop's application the editor button falls back on, or "".
  QString desktopEditor_;
};

}  // namespace korvel
