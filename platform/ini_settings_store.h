// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <utility>

#include "platform/settings_store.h"

namespace tessarin {

// An INI file per user and application in the user's configuration folder
// (<folder>/<application>/<application>.ini) holding one section, and a lock file beside it
// (<application>.lock). A save writes the whole file anew and puts it in place in one rename, so
// a crash never leaves half a file and a failed save leaves the old one.
//
// A copy killed while saving can leave its temporary file behind, and QLockFile its own; whoever
// takes the lock next removes them.
//
// Only a regular file is ever read or replaced (a pipe or a device in its place would block
// or make no sense), and only its first ReadLimit bytes are read. A save that would drop
// anything the file held besides its section (other sections, lines no INI reader could make
// sense of, anything past ReadLimit) first keeps the file whole beside it, as
// <application>.ini.bad (or .bad.1, ... when that is taken), never over an earlier one.
class IniSettingsStore final : public SettingsStore {
public:
    static constexpr qint64 ReadLimit = 64 * 1024;

    // The user's configuration folder by the XDG rules: $XDG_CONFIG_HOME when it is absolute,
    // else the home folder's .config, the home folder being $HOME when it is absolute, else the
    // one in the user's passwd entry. Empty when there is none.
    static QString UserConfigFolder();

    explicit IniSettingsStore(QString folder = UserConfigFolder()) : folder_(std::move(folder)) {}

    std::optional<Section> ReadSection(const QString& application, const QString& section) override;
    Saved UpdateSection(const QString& application, const QString& section,
                        const Update& update) override;
    std::unique_ptr<Lock> LockStore(const QString& application,
                                    std::chrono::milliseconds wait) override;
    QString Location(const QString& application) const override;
    QString Problem() const override { return problem_; }
    QString TakeSetAside() override { return std::exchange(setAside_, QString()); }

private:
    // What a file's first bytes say of one section: its keys and values, if the file has a line
    // "[section]", and whether the file holds nothing else (`whole`: the bytes are all of it).
    struct Parsed {
        std::optional<Section> section;
        bool nothingElse = true;
    };
    static Parsed Parse(QByteArrayView bytes, bool whole, const QString& section);

    enum class Found { Absent, Read, Refused };
    Found Read(const QString& path, const QString& section, Parsed& parsed);
    bool KeepAside(const QString& path);
    Saved Replace(const QString& path, const QByteArray& bytes);
    void RemoveLeftovers(const QString& folder, const QString& application);
    bool Fail(const QString& what);

    QString folder_;
    QString problem_;
    QString setAside_;
};

}  // namespace tessarin
