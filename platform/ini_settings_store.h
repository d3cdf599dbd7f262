#pragma once

#include "platform/settings_store.h"

namespace tessarin {

// An INI file per user and application in the user's configuration directory
// ($XDG_CONFIG_HOME/<application>/<application>.ini). Every save replaces the file atomically,
// so a crash never leaves half a file, and a failed save leaves the old one in place.
class IniSettingsStore final : public SettingsStore {
public:
    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       const QString& fallback) override;
    bool SaveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& value) override;
};

}  // namespace tessarin
