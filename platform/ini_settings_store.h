// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <utility>

#include "platform/settings_store.h"

namespace tessarin {

// An INI file per user and application in the user's configuration folder
// (<folder>/<application>/<application>.ini). Every save replaces the file atomically, so a
// crash never leaves half a file, and a failed save leaves the old one in place. The lock is a
// lock file beside it (<application>.lock).
//
// Only a regular file is ever opened: a pipe, a device or a folder in its place would block the
// read or make no sense, and reads as an unreadable store. A file larger than any settings could
// be is moved aside (<application>.ini.bad, or .bad.1, ... when that is taken), never deleted,
// and the store starts empty.
class IniSettingsStore final : public SettingsStore {
public:
    static constexpr qint64 MaxFileBytes = 64 * 1024;

    // The user's configuration folder by the XDG rules: $XDG_CONFIG_HOME when it is absolute,
    // else the home folder's .config, the home folder being $HOME when it is absolute, else the
    // one in the user's passwd entry. Empty when there is none.
    static QString UserConfigFolder();

    explicit IniSettingsStore(QString folder = UserConfigFolder()) : folder_(std::move(folder)) {}

    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       const QString& fallback) override;
    bool SaveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& value) override;
    std::unique_ptr<Lock> LockStore(const QString& application,
                                    std::chrono::milliseconds wait) override;
    QString Location(const QString& application) const override;
    QString Problem() const override { return problem_; }
    QString TakeSetAside() override { return std::exchange(setAside_, QString()); }

private:
    enum class FileKind { Absent, Regular, Refused };
    FileKind Inspect(const QString& path);
    bool SetAside(const QString& path);
    bool Fail(const QString& what);

    QString folder_;
    QString problem_;
    QString setAside_;
};

}  // namespace tessarin
