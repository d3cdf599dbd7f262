// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <chrono>
#include <memory>

namespace tessarin {

// The per-user settings store: strings addressed by application, section and key.
class SettingsStore {
public:
    // While one lives, no other copy of the program that asks for the same application's lock
    // gets it: what is read and saved under it is one step for every other copy.
    class Lock {
    public:
        virtual ~Lock() = default;
    };

    virtual ~SettingsStore() = default;
    // The stored string, or `fallback` when the key is absent or the store cannot be read.
    // Every call sees what other copies of the program have saved before it.
    virtual QString GetSetting(const QString& application, const QString& section,
                               const QString& key, const QString& fallback) = 0;
    // Creates what is needed and replaces an earlier value; false when it could not be stored.
    virtual bool SaveSetting(const QString& application, const QString& section, const QString& key,
                             const QString& value) = 0;
    // The application's lock, waiting at most `wait` for another copy to let it go; nothing when
    // it could not be had in that time (a lock left by a copy that died is taken over at once).
    virtual std::unique_ptr<Lock> LockStore(const QString& application,
                                            std::chrono::milliseconds wait) = 0;

    // Where the application's settings are kept, as the user would look for them.
    virtual QString Location(const QString& /*application*/) const { return {}; }
    // Why the last call failed, for a log line; empty when it did not fail, or when a lock was
    // refused only because another copy holds it.
    virtual QString Problem() const { return {}; }
    // Where a store found unfit to be read was moved since the last call, or empty.
    virtual QString TakeSetAside() { return {}; }
};

}  // namespace tessarin
