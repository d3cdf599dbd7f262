// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux_registry.h"

#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <utility>

namespace tessarin {

namespace {

bool SameName(const std::string& a, const std::string& b) {
    // Registry names ignore letter case.
    return QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive) == 0;
}

}  // namespace

std::vector<std::string> LinuxRegistry::DefaultViewers() {
    return {"hardinfo2",           "hardinfo",         "kinfocenter", "gnome-system-monitor",
            "mate-system-monitor", "xfce4-taskmanager"};
}

LinuxRegistry::LinuxRegistry(std::vector<std::string> viewers, std::vector<std::string> searchPath)
    : viewers_(std::move(viewers)), searchPath_(std::move(searchPath)) {}

std::string LinuxRegistry::FindViewer() const {
    QStringList dirs;
    for (const auto& dir : searchPath_) dirs << QString::fromUtf8(dir);
    for (const auto& name : viewers_) {
        // findExecutable with an empty list searches $PATH.
        const QString found = QStandardPaths::findExecutable(QString::fromUtf8(name), dirs);
        if (!found.isEmpty()) return QFile::encodeName(found).toStdString();
    }
    return {};
}

RegStatus LinuxRegistry::RegOpenKeyExA(RegKey root, const std::string& path, RegAccess /*access*/,
                                       RegKey* key) {
    if (!key) return ERROR_INVALID_PARAMETER;
    if (root != HKEY_LOCAL_MACHINE) return ERROR_INVALID_HANDLE;
    if (!SameName(path, SysInfoKey)) return ERROR_FILE_NOT_FOUND;
    // Looked up at every opening, so a viewer installed while the program runs is found.
    std::string viewer = FindViewer();
    if (viewer.empty()) return ERROR_FILE_NOT_FOUND;
    *key = nextKey_++;
    open_.emplace(*key, std::move(viewer));
    return ERROR_SUCCESS;
}

RegStatus LinuxRegistry::RegQueryValueExA(RegKey key, const std::string& name, RegValueType* type,
                                          std::uint8_t* data, std::uint32_t* size) {
    const auto it = open_.find(key);
    if (it == open_.end()) return ERROR_INVALID_HANDLE;
    if (!SameName(name, SysInfoPathValue)) return ERROR_FILE_NOT_FOUND;
    // Stored the way Windows stores strings: with the terminating zero.
    return CopyRegValue(REG_SZ, it->second + '\0', type, data, size);
}

RegStatus LinuxRegistry::RegCloseKey(RegKey key) {
    return open_.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace tessarin
