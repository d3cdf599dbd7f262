// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace tessarin {

// The per-user settings store: one section of keys and values per application.
class SettingsStore {
public:
    // While one lives, no other copy of the program that asks for the same application's lock
    // gets it: what is read and saved under it is one step for every other copy.
    class Lock {
    public:
        virtual ~Lock() = default;
    };
    // Keys and their values, in the order they are stored.
    using Section = QList<std::pair<QString, QString>>;

    virtual ~SettingsStore() = default;
    // The section as stored now (another copy may have saved since the last call), or nothing
    // when it is absent or the store cannot be read. A key stored twice counts once, first.
    virtual std::optional<Section> ReadSection(const QString& application,
                                               const QString& section) = 0;
    enum class Saved {
        No,         // nothing was stored: the store is as it was
        Yes,        // stored, and on disk
        NotOnDisk,  // stored, but the disk did not confirm it: a crash could still undo it
    };
    // Reads the section as stored now, has `update` make the new one from it (nothing: no such
    // section), and makes that, and nothing else, the application's store, in one step. A
    // store that cannot be read is never replaced, and `update` is then not called.
    using Update = std::function<Section(const std::optional<Section>& stored)>;
    virtual Saved UpdateSection(const QString& application, const QString& section,
                                const Update& update) = 0;
    // The application's lock, waiting at most `wait` for another copy to let it go; nothing when
    // it could not be had in that time (a lock left by a copy that died is taken over at once).
    virtual std::unique_ptr<Lock> LockStore(const QString& application,
                                            std::chrono::milliseconds wait) = 0;

    // Where the application's settings are kept, as the user would look for them.
    virtual QString Location(const QString& /*application*/) const { return {}; }
    // Why the last call failed, for a log line; empty when it did not fail, or when a lock was
    // refused only because another copy holds it.
    virtual QString Problem() const { return {}; }
    // Where a save kept what the store held besides the section, since the last call; empty
    // when it kept nothing.
    virtual QString TakeSetAside() { return {}; }

    // The value of `key` in `section`, or nothing when it has none.
    static std::optional<QString> ValueOf(const Section& section, QStringView key) {
        for (const auto& [name, value] : section)
            if (name == key) return value;
        return std::nullopt;
    }
    // The value of `key` in the stored section, or `fallback` when there is none.
    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       const QString& fallback) {
        return ValueOf(ReadSection(application, section).value_or(Section()), key)
            .value_or(fallback);
    }
};

}  // namespace tessarin
