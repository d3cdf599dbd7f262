// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded into a copy of the game (LD_PRELOAD), it makes one system call fail with EIO: the
// n-th call of one kind whose file lies in a given folder, as a failing disk would.
//
//   TESSARIN_FAULT=KIND:N     KIND one of open, write, fsync, rename, link, close
//   TESSARIN_FAULT_DIR=DIR    only files under DIR count
//   TESSARIN_FAULT_LOG=FILE   the failed call is noted there ("KIND path")
//
// A kind stands for its family: open for open/openat, fsync for fdatasync too, and so on.

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

template <typename Function>
Function Real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

const char* FdPath(int fd, char* path, size_t size) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, path, size - 1);
    path[length < 0 ? 0 : length] = '\0';
    return path;
}

// Whether this call is the one to fail; it then fails with EIO.
bool Fails(const char* kind, const char* path) {
    const char* wanted = std::getenv("TESSARIN_FAULT");
    const char* dir = std::getenv("TESSARIN_FAULT_DIR");
    if (!wanted || !dir || !path || std::strncmp(path, dir, std::strlen(dir)) != 0) return false;
    const size_t length = std::strcspn(wanted, ":");
    if (std::strlen(kind) != length || std::strncmp(wanted, kind, length) != 0) return false;
    static int seen = 0;
    if (++seen != std::atoi(wanted + length + 1 - (wanted[length] == '\0'))) return false;
    if (const char* log = std::getenv("TESSARIN_FAULT_LOG")) {
        const int fd = Real<int (*)(const char*, int, ...)>("open")(
            log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        char line[4200];
        const int n = std::snprintf(line, sizeof line, "%s %s\n", kind, path);
        Real<ssize_t (*)(int, const void*, size_t)>("write")(fd, line, static_cast<size_t>(n));
        Real<int (*)(int)>("close")(fd);
    }
    errno = EIO;
    return true;
}

bool FdFails(const char* kind, int fd) {
    char path[4096];
    return Fails(kind, FdPath(fd, path, sizeof path));
}

constexpr int NoFolder = -1;

int Open(const char* name, int folder, const char* path, int flags, mode_t mode) {
    if (Fails("open", path)) return -1;
    if (folder == NoFolder) return Real<int (*)(const char*, int, ...)>(name)(path, flags, mode);
    return Real<int (*)(int, const char*, int, ...)>(name)(folder, path, flags, mode);
}

}  // namespace

// The mode argument is there only when the flags ask for one.
#define TESSARIN_MODE                                  \
    mode_t mode = 0;                                   \
    if (flags & (O_CREAT | O_TMPFILE)) {               \
        va_list args;                                  \
        va_start(args, flags);                         \
        mode = static_cast<mode_t>(va_arg(args, int)); \
        va_end(args);                                  \
    }

extern "C" {

int open(const char* path, int flags, ...) {
    TESSARIN_MODE
    return Open("open", NoFolder, path, flags, mode);
}
int open64(const char* path, int flags, ...) {
    TESSARIN_MODE
    return Open("open64", NoFolder, path, flags, mode);
}
int openat(int folder, const char* path, int flags, ...) {
    TESSARIN_MODE
    return Open("openat", folder, path, flags, mode);
}
int openat64(int folder, const char* path, int flags, ...) {
    TESSARIN_MODE
    return Open("openat64", folder, path, flags, mode);
}
ssize_t write(int fd, const void* data, size_t size) {
    if (FdFails("write", fd)) return -1;
    return Real<ssize_t (*)(int, const void*, size_t)>("write")(fd, data, size);
}
int fsync(int fd) { return FdFails("fsync", fd) ? -1 : Real<int (*)(int)>("fsync")(fd); }
int fdatasync(int fd) { return FdFails("fsync", fd) ? -1 : Real<int (*)(int)>("fdatasync")(fd); }
int close(int fd) {
    // A failed close still releases the descriptor, as Linux's does.
    const bool fails = FdFails("close", fd);
    const int closed = Real<int (*)(int)>("close")(fd);
    if (fails) errno = EIO;
    return fails ? -1 : closed;
}
int rename(const char* from, const char* to) {
    return Fails("rename", to) ? -1 : Real<int (*)(const char*, const char*)>("rename")(from, to);
}
int renameat(int fromDir, const char* from, int toDir, const char* to) {
    if (Fails("rename", to)) return -1;
    return Real<int (*)(int, const char*, int, const char*)>("renameat")(fromDir, from, toDir, to);
}
int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    if (Fails("rename", to)) return -1;
    return Real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2")(
        fromDir, from, toDir, to, flags);
}
int link(const char* from, const char* to) {
    return Fails("link", to) ? -1 : Real<int (*)(const char*, const char*)>("link")(from, to);
}
int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
    if (Fails("link", to)) return -1;
    return Real<int (*)(int, const char*, int, const char*, int)>("linkat")(fromDir, from, toDir,
                                                                            to, flags);
}

}  // extern "C"
