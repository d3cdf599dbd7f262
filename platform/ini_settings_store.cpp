#include "platform/ini_settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>

namespace tessarin {
namespace {

QString KeyPath(const QString& section, const QString& key) { return section + '/' + key; }

class FileLock final : public SettingsStore::Lock {
public:
    explicit FileLock(const QString& path) : file(path) {}
    QLockFile file;
};

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

std::unique_ptr<SettingsStore::Lock> IniSettingsStore::LockStore(const QString& application,
                                                                 std::chrono::milliseconds wait) {
    const QFileInfo file(
        QSettings(QSettings::IniFormat, QSettings::UserScope, application, application).fileName());
    // The folder may not be there yet on a first run; when it cannot be made, neither can the
    // lock, and that is found out at once.
    QDir().mkpath(file.absolutePath());
    auto lock = std::make_unique<FileLock>(file.absolutePath() + '/' + application + ".lock");
    // QLockFile takes over a lock whose process is gone, and never one a live process holds.
    if (!lock->file.tryLock(wait)) return nullptr;
    return lock;
}

}  // namespace tessarin
