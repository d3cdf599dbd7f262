#include "platform/ini_settings_store.h"

#include <QSettings>

namespace tessarin {
namespace {

QString KeyPath(const QString& section, const QString& key) { return section + '/' + key; }

}  // namespace

QString IniSettingsStore::GetSetting(const QString& application, const QString& section,
                                     const QString& key, const QString& fallback) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, application, application);
    const QVariant value = settings.value(KeyPath(section, key));
    // A value the INI reader turned into a list (a comma in it) is no single string.
    if (!value.isValid() || value.typeId() != QMetaType::QString) return fallback;
    return value.toString();
}

bool IniSettingsStore::SaveSetting(const QString& application, const QString& section,
                                   const QString& key, const QString& value) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, application, application);
    settings.setAtomicSyncRequired(true);
    settings.setValue(KeyPath(section, key), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace tessarin
