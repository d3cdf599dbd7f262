#include "platform/ini_settings_store.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
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
    const QDateTime before = QFileInfo(settings.fileName()).lastModified();
    settings.setAtomicSyncRequired(true);
    settings.setValue(KeyPath(section, key), value);
    settings.sync();
    if (settings.status() != QSettings::NoError) return false;
    // The INI reader of every copy keeps the file it last read and reads it again only when its
    // size or modification time (in milliseconds) changed. Two saves within one tick of the
    // file system's clock, say "PersonGrade=6" after "PersonGrade=5", would look unchanged:
    // make every save's time later than the one it replaced.
    QFile file(settings.fileName());
    if (before.isValid() && QFileInfo(file).lastModified() <= before &&
        file.open(QIODevice::ReadOnly)) {
        file.setFileTime(before.addMSecs(1), QFileDevice::FileModificationTime);
    }
    return true;
}

std::unique_ptr<SettingsStore::Lock> IniSettingsStore::LockStore(const QString& application,
                                                                 std::chrono::milliseconds wait) {
    const QFileInfo file(
        QSettings(QSettings::IniFormat, QSettings::UserScope, application, application).fileName());
    // The folder may not be there yet on a first run; when it cannot be made, neither can the
    // lock, and that is found out at once.
    QDir().mkpath(file.absolutePath());
    auto lock = std::make_unique<FileLock>(file.absolutePath() + '/' + application + ".lock");
    // QLockFile takes over a lock whose process is gone, or one held past its stale time (30 s):
    // a save takes milliseconds, so a copy holding the lock that long is stuck.
    if (!lock->file.tryLock(wait)) return nullptr;
    return lock;
}

}  // namespace tessarin
