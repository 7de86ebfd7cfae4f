#pragma once

// The data module: what the whole program shares, made before the window.
// The executable's folder and the data read beside it, the one path
// comparison object and the one settings file.

#include <QString>

#include "settings/gxmlini.h"
#include "shell/gfile.h"

namespace korvel {

class TDM final {
 public:
  /// `exeDir` is the executable's folder, ending with "/". When Korvel's
  /// data beside it cannot be written (an installed copy), the example
  /// project and the scratch folder are copied once to the user's data and
  /// cache folders and used from there.
  explicit TDM(QString exeDir);
  Q_DISABLE_COPY_MOVE(TDM)

  [[nodiscard]] const QString& ExeDir() const { return exeDir_; }
  /// The property dictionary, beside the executable.
  [[nodiscard]] QString DictionaryPath() const { return exeDir_ + QStringLiteral("CSSKeywords.xml"); }
  /// The example project, "exempleCSS/", ending with "/".
  [[nodiscard]] const QString& ExampleFolder() const { return exampleFolder_; }
  /// The scratch folder for images, "ImageTemp/", ending with "/".
  [[nodiscard]] const QString& ScratchFolder() const { return scratchFolder_; }

  GFile& File() { return file_; }
  GXMLIni& Ini() { return ini_; }

  /// Writes one setting into the open settings file (`GXMLIni::WriteValue`).
  /// A failure is said once per settings file — a read-only project gives
  /// one message, not one per setting or layout change — and the program
  /// goes on without it. With nothing open (its opening failed, and said
  /// so) nothing is written or said.
  void WriteSetting(const SettingsControl* control, std::string_view kind, std::string_view value = {});

 private:
  QString exeDir_;
  QString exampleFolder_;
  QString scratchFolder_;
  GFile file_;
  GXMLIni ini_;
  std::string unwritableSettings_;
};

}  // namespace korvel
