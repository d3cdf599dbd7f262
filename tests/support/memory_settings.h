// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMap>
#include <QString>
#include <vector>

#include "platform/settings_store.h"

namespace tessarin::testing {

// Notes its release in the store's log, to see what happened while it was held.
class LoggedLock final : public SettingsStore::Lock {
public:
    explicit LoggedLock(std::vector<QString>& log) : log_(log) {}
    ~LoggedLock() override { log_.push_back("unlock"); }

private:
    std::vector<QString>& log_;
};

// A settings store in memory that can be told to refuse reads, writes or its lock.
class MemorySettings final : public SettingsStore {
public:
    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       const QString& fallback) override {
        log.push_back("read " + key);
        if (failReads) return fallback;
        return values.value(Path(application, section, key), fallback);
    }
    bool SaveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& value) override {
        log.push_back("save " + key + "=" + value);
        if (failWrites) return false;
        values.insert(Path(application, section, key), value);
        return true;
    }
    std::unique_ptr<Lock> LockStore(const QString& application,
                                    std::chrono::milliseconds) override {
        if (lockBusy) {
            log.push_back("lock busy");
            return nullptr;
        }
        log.push_back("lock " + application);
        return std::make_unique<LoggedLock>(log);
    }
    static QString Path(const QString& application, const QString& section, const QString& key) {
        return application + '/' + section + '/' + key;
    }
    QString Get(const char* key) const {
        return values.value(Path("Tessarin", "Info", QString::fromLatin1(key)));
    }
    void Set(const char* key, const QString& value) {
        values.insert(Path("Tessarin", "Info", QString::fromLatin1(key)), value);
    }

    QMap<QString, QString> values;
    std::vector<QString> log;  // every read and save, in order
    bool lockBusy = false;     // another copy holds the lock
    bool failReads = false;
    bool failWrites = false;
};

}  // namespace tessarin::testing
