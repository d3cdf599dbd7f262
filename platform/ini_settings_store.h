#pragma once

#include "platform/settings_store.h"

namespace tessarin {

// An INI file per user and application in the user's configuration directory
// ($XDG_CONFIG_HOME/<application>/<application>.ini). Every save replaces the file atomically,
// so a crash never leaves half a file, and a failed save leaves the old one in place. The lock
// is a lock file beside it (<application>.lock); it is not the one QSettings takes for a single
// write, which must stay free while the store's lock is held.
class IniSettingsStore final : public SettingsStore {
public:
    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       const QString& fallback) override;
    bool SaveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& value) override;
    std::unique_ptr<Lock> LockStore(const QString& application,
                                    std::chrono::milliseconds wait) override;
};

}  // namespace tessarin
