#pragma once

#include <QString>

namespace tessarin {

// The per-user settings store: strings addressed by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored string, or `fallback` when the key is absent or the store cannot be read.
    virtual QString GetSetting(const QString& application, const QString& section,
                               const QString& key, const QString& fallback) = 0;
    // Creates what is needed and replaces an earlier value; false when it could not be stored.
    virtual bool SaveSetting(const QString& application, const QString& section, const QString& key,
                             const QString& value) = 0;
};

}  // namespace tessarin
