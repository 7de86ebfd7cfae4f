#pragma once

// The data module: what the whole program shares, made before the window.
// The executable's folder and the folder of the data it reads, the one path
// comparison object and the one settings file.

#include <QString>

#include "settings/gxmlini.h"
#include "files/gfile.h"

namespace korvel {

class TDM final {
 public:
  /// `exeDir` is the executable's folder. The data ("CSSKeywords.xml" and
  /// the example project) is looked for beside it (a build tree), then in
  /// "../share/korvel/" (an installed copy). A build tree's example project
  /// and scratch folder are used in place while they can be written; an
  /// installed Korvel never writes beside its executable: its example
  /// project is copied once into the user's data folder
  /// (~/.local/share/Korvel/) and its scratch folder is in the user's cache
  /// folder (~/.cache/Korvel/). With no data in either place the dictionary
  /// path is the one beside the executable, whose absence the window then
  /// reports.
  explicit TDM(QString exeDir);
  Q_DISABLE_COPY_MOVE(TDM)

  [[nodiscard]] const QString& ExeDir() const { return exeDir_; }
  /// The folder the data was found in, ending with "/".
  [[nodiscard]] const QString& DataDir() const { return dataDir_; }
  /// The property dictionary, in the data folder.
  [[nodiscard]] QString DictionaryPath() const { return dataDir_ + QStringLiteral("CSSKeywords.xml"); }
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
  QString dataDir_;
  QString exampleFolder_;
  QString scratchFolder_;
  GFile file_;
  GXMLIni ini_;
  std::string unwritableSettings_;
};

}  // namespace korvel
