// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ini_settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tessarin {
namespace {

QString KeyPath(const QString& section, const QString& key) { return section + '/' + key; }

QString FileError(const QString& path) {
    return path + ": " + QString::fromLocal8Bit(std::strerror(errno));
}

class FileLock final : public SettingsStore::Lock {
public:
    explicit FileLock(const QString& path) : file(path) {}
    QLockFile file;
};

QString HomeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    if (QDir::isAbsolutePath(home)) return home;
    // Without $HOME the toolkit would settle on the root folder.
    const passwd* entry = ::getpwuid(::getuid());
    if (entry && entry->pw_dir && entry->pw_dir[0] == '/') return QFile::decodeName(entry->pw_dir);
    return {};
}

// The file a save replaces: the one a symbolic link names, as the toolkit's own saves do, so a
// linked settings file stays linked.
QString LinkTarget(QString path) {
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(path);
        if (!info.isSymLink()) break;
        path = info.symLinkTarget();
    }
    return path;
}

// The file's bytes, read through a handle that is checked to be a regular file of a usable size
// before anything is read from it.
bool ReadStore(const QString& path, QByteArray& bytes, struct stat& info) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    bool read = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                info.st_size <= IniSettingsStore::MaxFileBytes;
    if (read) {
        bytes.resize(static_cast<qsizetype>(info.st_size));
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t got =
                ::read(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            done += got;
        }
        bytes.truncate(done);
        read = done == info.st_size;
    } else {
        errno = EINVAL;
    }
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return read;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

QString IniSettingsStore::UserConfigFolder() {
    // A relative $XDG_CONFIG_HOME would depend on the folder the game was started from.
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(config)) return config;
    const QString home = HomeFolder();
    return home.isEmpty() ? QString() : home + "/.config";
}

QString IniSettingsStore::Location(const QString& application) const {
    if (folder_.isEmpty()) return {};
    return folder_ + '/' + application + '/' + application + ".ini";
}

bool IniSettingsStore::Fail(const QString& what) {
    problem_ = what;
    return false;
}

IniSettingsStore::FileKind IniSettingsStore::Inspect(const QString& path) {
    if (path.isEmpty()) {
        Fail(QStringLiteral("no home folder to keep the settings in"));
        return FileKind::Refused;
    }
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        if (errno == ENOENT) return FileKind::Absent;
        Fail(FileError(path));
        return FileKind::Refused;
    }
    if (!S_ISREG(info.st_mode)) {
        Fail(path + ": not a regular file");
        return FileKind::Refused;
    }
    if (info.st_size <= MaxFileBytes) return FileKind::Regular;
    // Larger than any settings could be: loading it would cost its whole size in memory, and a
    // save would write all of it back. What it held is kept, out of the way.
    return SetAside(path) ? FileKind::Absent : FileKind::Refused;
}

bool IniSettingsStore::SetAside(const QString& path) {
    const QByteArray from = QFile::encodeName(path);
    for (int n = 0; n < 100; ++n) {
        const QString aside = path + ".bad" + (n == 0 ? QString() : '.' + QString::number(n));
        const QByteArray to = QFile::encodeName(aside);
        // Never over an earlier file moved aside, even one that appears meanwhile.
        int moved =
            ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (moved != 0 && (errno == EINVAL || errno == ENOSYS)) {
            moved = ::link(from.constData(), to.constData());
            if (moved == 0) ::unlink(from.constData());
        }
        if (moved == 0) {
            setAside_ = aside;
            return true;
        }
        if (errno == ENOENT) return true;  // another copy moved it first
        if (errno != EEXIST) return Fail(FileError(path) + " (too large; not moved aside)");
    }
    return Fail(path + ": too large, and no free name to move it aside");
}

QString IniSettingsStore::GetSetting(const QString& application, const QString& section,
                                     const QString& key, const QString& fallback) {
    problem_.clear();
    const QString path = Location(application);
    if (Inspect(path) != FileKind::Regular) return fallback;
    QSettings settings(path, QSettings::IniFormat);
    const QVariant value = settings.value(KeyPath(section, key));
    // A value the INI reader turned into a list (a comma in it) is no single string.
    if (!value.isValid() || value.typeId() != QMetaType::QString) return fallback;
    return value.toString();
}

bool IniSettingsStore::SaveSetting(const QString& application, const QString& section,
                                   const QString& key, const QString& value) {
    problem_.clear();
    const QString path = Location(application);
    const FileKind kind = Inspect(path);
    if (kind == FileKind::Refused) return false;
    const QString target = LinkTarget(path);
    const QByteArray name = QFile::encodeName(target);

    // The INI writer is not let write the file itself: its status keeps the first error, so a
    // save that went through looks failed when the writer could not parse all the file held
    // before (and a failed one may look no worse), and its process-wide copy of the file keeps
    // a failed save's values, which every later read would return and later save write. It is
    // given a private copy instead, whose fate the file system tells, and the copy replaces the
    // file in one rename.
    QByteArray current;
    struct stat old {};
    mode_t mode = 0;
    QDateTime previous;
    if (kind == FileKind::Regular) {
        // A file that cannot be read is never overwritten: what it holds would be lost.
        if (!ReadStore(target, current, old)) return Fail(FileError(target));
        if (::access(name.constData(), W_OK) != 0) return Fail(FileError(target));
        mode = old.st_mode & 07777;
        previous = QFileInfo(target).lastModified();
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const QFileInfo where(target);
    QDir().mkpath(where.absolutePath());
    QTemporaryFile copy(where.absolutePath() + "/." + where.fileName() + ".XXXXXX");
    if (!copy.open() || copy.write(current) != current.size() || !copy.flush() ||
        ::fchmod(copy.handle(), mode) != 0) {
        return Fail(where.absolutePath() + ": " + copy.errorString());
    }
    copy.close();
    const QByteArray copyName = QFile::encodeName(copy.fileName());
    struct stat before {};
    struct stat after {};
    ::stat(copyName.constData(), &before);
    {
        QSettings settings(copy.fileName(), QSettings::IniFormat);
        settings.setAtomicSyncRequired(true);
        settings.setValue(KeyPath(section, key), value);
        settings.sync();
    }
    // The writer replaces the copy by a new file when, and only when, it wrote all of it.
    if (::stat(copyName.constData(), &after) != 0 || SameFile(before, after)) {
        return Fail(target + ": the new settings could not be written");
    }
    if (::rename(copyName.constData(), name.constData()) != 0) return Fail(FileError(target));
    copy.setAutoRemove(false);

    // The INI reader of every copy keeps the file it last read and reads it again only when its
    // size or modification time (in milliseconds) changed. Two saves within one tick of the
    // file system's clock, say "PersonGrade=6" after "PersonGrade=5", would look unchanged:
    // make every save's time later than the one it replaced.
    if (previous.isValid()) {
        QFile file(target);
        if (QFileInfo(file).lastModified() <= previous && file.open(QIODevice::ReadOnly)) {
            file.setFileTime(previous.addMSecs(1), QFileDevice::FileModificationTime);
        }
    }
    return true;
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
        }
        return nullptr;
    }
    return lock;
}

}  // namespace tessarin
