#pragma once

#include <QMap>
#include <QString>
#include <vector>

#include "platform/settings_store.h"

namespace tessarin::testing {

// A settings store in memory that can be told to refuse reads or writes.
class MemorySettings final : public SettingsStore {
public:
    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       const QString& fallback) override {
        ++reads;
        log.push_back("read " + key);
        if (failReads) return fallback;
        return values.value(Path(application, section, key), fallback);
    }
    bool SaveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& value) override {
        ++writes;
        log.push_back("save " + key + "=" + value);
        if (failWrites) return false;
        values.insert(Path(application, section, key), value);
        return true;
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
    bool failReads = false;
    bool failWrites = false;
    int reads = 0;
    int writes = 0;
};

}  // namespace tessarin::testing
