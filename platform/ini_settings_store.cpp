// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ini_settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tessarin {
namespace {

QString FileError(const QString& path) {
    return path + ": " + QString::fromLocal8Bit(std::strerror(errno));
}

class FileLock final : public SettingsStore::Lock {
public:
    explicit FileLock(const QString& path) : file(path) {}
    QLockFile file;
};

QByteArray HomeFolder() {
    const QByteArray home = qgetenv("HOME");
    if (home.startsWith('/')) return home;
    // Without $HOME the toolkit would settle on the root folder.
    const passwd* entry = ::getpwuid(::getuid());
    if (entry && entry->pw_dir && entry->pw_dir[0] == '/') return entry->pw_dir;
    return {};
}

// A folder named by the bytes the system gave. Qt's file names are Unicode, which a name that
// is not UTF-8 does not survive: such a folder is reached through a handle kept open for the
// whole run, made first when it is missing.
QString FolderNamed(const QByteArray& bytes) {
    const QString name = QFile::decodeName(bytes);
    if (QFile::encodeName(name) == bytes) return name;
    ::mkdir(bytes.constData(), 0700);
    const int fd = ::open(bytes.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return fd < 0 ? name : "/proc/self/fd/" + QString::number(fd);
}

// The file a save replaces: the one a symbolic link names, so a linked settings file stays
// linked, and what is kept aside is kept beside the real file.
QString LinkTarget(QString path) {
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(path);
        if (!info.isSymLink()) break;
        path = info.symLinkTarget();
    }
    return path;
}

// Whether the copy that holds the lock may still be running.
bool HeldByALiveCopy(const QLockFile& lock) {
    qint64 pid = 0;
    QString host;
    QString application;
    // A lock file that cannot be read yet is one another copy is still writing.
    if (!lock.getLockInfo(&pid, &host, &application)) return true;
    if (host != QSysInfo::machineHostName()) return true;  // no telling
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool HasKey(const SettingsStore::Section& section, const QString& key) {
    return SettingsStore::ValueOf(section, key).has_value();
}

}  // namespace

QString IniSettingsStore::UserConfigFolder() {
    // A relative $XDG_CONFIG_HOME would depend on the folder the game was started from.
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    if (config.startsWith('/')) return FolderNamed(config);
    const QByteArray home = HomeFolder();
    return home.isEmpty() ? QString() : FolderNamed(home + "/.config");
}

QString IniSettingsStore::Location(const QString& application) const {
    if (folder_.isEmpty()) return {};
    return folder_ + '/' + application + '/' + application + ".ini";
}

bool IniSettingsStore::Fail(const QString& what) {
    problem_ = what;
    return false;
}

IniSettingsStore::Parsed IniSettingsStore::Parse(QByteArrayView bytes, bool whole,
                                                 const QString& section) {
    Parsed parsed;
    parsed.nothingElse = whole;
    QList<QByteArray> lines = bytes.toByteArray().split('\n');
    // The last line may go on past what was read: it is not read at all.
    if (!whole) lines.removeLast();
    const QByteArray header = '[' + section.toUtf8() + ']';
    enum { Before, In, After } where = Before;
    for (const QByteArray& raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty()) continue;
        if (where == Before && line == header) {
            where = In;
            parsed.section.emplace();
            continue;
        }
        if (where == In && line.startsWith('[')) where = After;
        const qsizetype equals = line.indexOf('=');
        if (where == In && equals > 0) {
            const QString key = QString::fromUtf8(line.first(equals).trimmed());
            if (!HasKey(*parsed.section, key)) {
                parsed.section->append({key, QString::fromUtf8(line.sliced(equals + 1).trimmed())});
                continue;
            }
        }
        parsed.nothingElse = false;
    }
    return parsed;
}

IniSettingsStore::Found IniSettingsStore::Read(const QString& path, const QString& section,
                                               Parsed& parsed) {
    if (path.isEmpty()) {
        Fail(QStringLiteral("no home folder to keep the settings in"));
        return Found::Refused;
    }
    // Opened without blocking and checked through the handle before anything is read: a pipe
    // in the file's place would block an ordinary open, and Qt has no other way to ask.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT) return Found::Absent;
        Fail(FileError(path));
        return Found::Refused;
    }
    QFile file;
    struct stat info {};
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) ||
        ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (!file.isOpen()) ::close(fd);
        Fail(path + ": not a regular file");
        return Found::Refused;
    }
    const QByteArray bytes = file.read(ReadLimit);
    if (file.error() != QFileDevice::NoError) {
        Fail(path + ": " + file.errorString());
        return Found::Refused;
    }
    parsed = Parse(bytes, bytes.size() == info.st_size, section);
    return Found::Read;
}

bool IniSettingsStore::KeepAside(const QString& path) {
    const QByteArray from = QFile::encodeName(path);
    for (int n = 0; n < 100; ++n) {
        const QString aside = path + ".bad" + (n == 0 ? QString() : '.' + QString::number(n));
        // A second name for the same file keeps it whole whatever its size, and never takes
        // the place of an earlier one; Qt makes only symbolic links.
        if (::link(from.constData(), QFile::encodeName(aside).constData()) == 0) {
            setAside_ = aside;
            return true;
        }
        if (errno == EEXIST) continue;
        const QString error = FileError(path);
        // Where the file system has no hard links, a copy (never over an existing file).
        if (QFile::copy(path, aside)) {
            setAside_ = aside;
            return true;
        }
        if (!QFileInfo::exists(aside)) return Fail(error + " (not kept aside, so not replaced)");
    }
    return Fail(path + ": no free name to keep it aside, so it is not replaced");
}

std::optional<SettingsStore::Section> IniSettingsStore::ReadSection(const QString& application,
                                                                    const QString& section) {
    problem_.clear();
    Parsed parsed;
    if (Read(Location(application), section, parsed) != Found::Read) return std::nullopt;
    return parsed.section;
}

SettingsStore::Saved IniSettingsStore::UpdateSection(const QString& application,
                                                     const QString& section, const Update& update) {
    problem_.clear();
    const QString target = LinkTarget(Location(application));
    Parsed old;
    const Found found = Read(target, section, old);
    // A file that cannot be read is never replaced: what it holds would be lost.
    if (found == Found::Refused) return Saved::No;
    // Nor is one the user may not write, though the folder would let a rename replace it.
    if (found == Found::Read && ::access(QFile::encodeName(target).constData(), W_OK) != 0) {
        Fail(FileError(target));
        return Saved::No;
    }
    const Section values = update(old.section);
    const Section kept = old.section.value_or(Section());
    const bool dropsSomething =
        !old.nothingElse || std::any_of(kept.begin(), kept.end(), [&](const auto& entry) {
            return !HasKey(values, entry.first);
        });
    if (found == Found::Read && dropsSomething && !KeepAside(target)) return Saved::No;

    QByteArray text = '[' + section.toUtf8() + "]\n";
    for (const auto& [key, value] : values) text += key.toUtf8() + '=' + value.toUtf8() + '\n';
    QDir().mkpath(QFileInfo(target).absolutePath());
    return Replace(target, text);
}

// Not QSaveFile: it takes no notice of a failed sync or close and never syncs the folder, so a
// save it calls done may not be on disk. The steps are the same: a new file beside the old one,
// on disk before a rename puts it in the old one's place.
SettingsStore::Saved IniSettingsStore::Replace(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    const QByteArray name = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    QByteArray temporary;
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < 100; ++tries) {
        // Hidden, and named so that RemoveLeftovers knows it for the store's own.
        temporary = folder + "/." + QFile::encodeName(info.fileName()) + '.' +
                    QByteArray::number(QRandomGenerator::global()->bounded(1 << 30), 36)
                        .rightJustified(6, '0')
                        .right(6);
        // The user's umask applies to a new store, as to any file the user makes.
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        Fail(FileError(info.absolutePath()));
        return Saved::No;
    }
    struct stat old {};
    QFile file;
    const bool written =
        file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle) &&
        file.write(bytes) == bytes.size() && file.flush() &&
        (::stat(name.constData(), &old) != 0 || ::fchmod(fd, old.st_mode & 07777) == 0) &&
        ::fsync(fd) == 0;
    const QString error = FileError(path);  // why the step that failed, failed
    if (::close(fd) != 0 || !written || ::rename(temporary.constData(), name.constData()) != 0) {
        Fail(written ? FileError(path) : error);
        ::unlink(temporary.constData());
        return Saved::No;
    }
    // The rename is on disk only once the folder is.
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool synced = dir >= 0 && ::fsync(dir) == 0;
    if (dir >= 0 && ::close(dir) != 0) synced = false;
    if (synced) return Saved::Yes;
    Fail(FileError(info.absolutePath()) + " (the folder was not synced)");
    return Saved::NotOnDisk;
}

void IniSettingsStore::RemoveLeftovers(const QString& folder, const QString& application) {
    const QString name = QRegularExpression::escape(application);
    // The temporary files of saves (and of the INI writer earlier versions saved through, with
    // its lock), and the locks QLockFile takes to remove a stale lock.
    const QRegularExpression leftover(
        QStringLiteral("^\\.%1\\.ini\\.[0-9A-Za-z]{6}(\\.lock)?$|^%1\\.lock(\\.rmlock)+$")
            .arg(name));
    QDir dir(folder);
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (leftover.match(entry).hasMatch()) dir.remove(entry);
}

std::unique_ptr<SettingsStore::Lock> IniSettingsStore::LockStore(const QString& application,
                                                                 std::chrono::milliseconds wait) {
    problem_.clear();
    const QString path = Location(application);
    if (path.isEmpty()) {
        Fail(QStringLiteral("no home folder to keep the settings in"));
        return nullptr;
    }
    const QString folder = QFileInfo(path).absolutePath();
    // The folder may not be there yet on a first run; when it cannot be made, neither can the
    // lock, and that is found out at once.
    QDir().mkpath(folder);
    const QString lockPath = folder + '/' + application + ".lock";
    // The lock's owner is read from the file: a pipe there would block that read too.
    struct stat info {};
    if (::stat(QFile::encodeName(lockPath).constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
        Fail(lockPath + ": not a regular file");
        return nullptr;
    }
    auto lock = std::make_unique<FileLock>(lockPath);
    // QLockFile takes over a lock whose process is gone, or one held past its stale time (30 s):
    // a save takes milliseconds, so a copy holding the lock that long is stuck.
    if (!lock->file.tryLock(wait)) {
        // Only another copy holding it is worth waiting for; a lock that cannot be made says
        // the save cannot be made either.
        if (lock->file.error() != QLockFile::LockFailedError) {
            Fail(folder + ": the lock file cannot be made");
        } else if (!HeldByALiveCopy(lock->file)) {
            // QLockFile takes over the lock of a copy that is gone, unless it may not remove it
            // (another user's, in a folder where only a file's owner may remove it).
            Fail(lockPath + ": left by a copy that is gone, and it cannot be removed");
        }
        return nullptr;
    }
    RemoveLeftovers(folder, application);
    return lock;
}

}  // namespace tessarin
