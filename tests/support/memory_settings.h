// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
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
    std::optional<Section> ReadSection(const QString& application,
                                       const QString& section) override {
        log.push_back("read " + section);
        if (failReads) return std::nullopt;
        Section found;
        for (const auto& [path, value] : values.asKeyValueRange())
            if (path.startsWith(Path(application, section, {})))
                found.append({path.section('/', 2), value});
        if (found.isEmpty()) return std::nullopt;
        return found;
    }
    Saved UpdateSection(const QString& application, const QString& section,
                        const Update& update) override {
        if (failReads) {
            log.push_back("read " + section);
            return Saved::No;
        }
        const Section saved = update(ReadSection(application, section));
        QStringList written;
        for (const auto& [key, value] : saved) written << key + "=" + value;
        log.push_back("save " + written.join(' '));
        if (failWrites) return Saved::No;
        values.clear();
        for (const auto& [key, value] : saved)
            values.insert(Path(application, section, key), value);
        return failSyncs ? Saved::NotOnDisk : Saved::Yes;
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
    bool failSyncs = false;  // stored, but not on disk
};

}  // namespace tessarin::testing
