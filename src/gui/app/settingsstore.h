#pragma once

// Where the last project folder is remembered between runs: the user's
// settings for organisation and application "Korvel", value
// "ProjectFolderPath". Tests point the store at a file of their own.

#include <QSettings>
#include <QString>

#include <memory>

namespace korvel {

class SettingsStore final {
 public:
  /// The user's settings.
  SettingsStore();
  /// A settings file of its own (tests).
  explicit SettingsStore(const QString& iniFile);
  Q_DISABLE_COPY_MOVE(SettingsStore)
  ~SettingsStore();

  /// The last project folder, ending with "/"; empty when none was stored.
  [[nodiscard]] QString ProjectFolderPath() const;
  void SetProjectFolderPath(const QString& folder);

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace korvel
