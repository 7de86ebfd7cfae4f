#include "app/settingsstore.h"

namespace korvel {

namespace {
const QString kProjectFolderPath = QStringLiteral("ProjectFolderPath");
}

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(QStringLiteral("Korvel"), QStringLiteral("Korvel"))) {}

SettingsStore::SettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::ProjectFolderPath() const { return settings_->value(kProjectFolderPath).toString(); }

void SettingsStore::SetProjectFolderPath(const QString& folder) {
  settings_->setValue(kProjectFolderPath, folder);
  settings_->sync();
}

}  // namespace korvel
