// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux registry: the viewer's key exists while a known viewer is installed.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <string>
#include <vector>

#include "platform/linux_registry.h"
#include "tests/about/test_services.h"
#include "tests/support/recorders.h"
#include "ui/about/about_dialog.h"

namespace tessarin::testing {
namespace {

constexpr const char* First = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* Second = "SOFTWARE\\Microsoft\\Shared Tools Location";

// A registry searching only a directory standing in for $PATH, which holds the programs a test
// installs.
class LinuxRegistryTest : public ::testing::Test {
protected:
    std::string Dir() const { return QDir(dir.path()).canonicalPath().toStdString(); }
    std::string Install(const std::string& name, bool executable = true) const {
        const std::string path = Dir() + "/" + name;
        QFile file(QString::fromStdString(path));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable) permissions |= QFile::ExeOwner;
        file.setPermissions(permissions);
        return path;
    }
    RegStatus Open(const char* path = First, RegKey root = HKEY_LOCAL_MACHINE) {
        return registry.RegOpenKeyExA(root, path, 0x2003F, &key);
    }
    RegStatus Query(const char* name = "PATH", RegKey of = 0) {
        size = buffer.size();
        return registry.RegQueryValueExA(of ? of : key, name, &type, buffer.data(), &size);
    }

    QTemporaryDir dir;
    LinuxRegistry registry{LinuxRegistry::DefaultViewers(), {Dir()}};
    RegKey key = 0;
    std::array<std::uint8_t, 1024> buffer{};
    std::uint32_t size = 0;
    RegValueType type = 0;
};

TEST_F(LinuxRegistryTest, NamesTheBestInstalledViewer) {
    struct Case {
        const char* label;
        std::vector<std::pair<const char*, bool>> installed;  // name, executable
        const char* found;                                    // or empty: the key does not exist
    };
    const Case cases[] = {
        {"none installed", {}, ""},
        {"an unrelated program", {{"xterm", true}}, ""},
        {"not executable", {{"hardinfo", false}}, ""},
        {"hardinfo", {{"hardinfo", true}}, "hardinfo"},
        {"profiler before info centre", {{"kinfocenter", true}, {"hardinfo", true}}, "hardinfo"},
        {"info centre before monitor",
         {{"gnome-system-monitor", true}, {"kinfocenter", true}},
         "kinfocenter"},
        {"monitor as last resort", {{"gnome-system-monitor", true}}, "gnome-system-monitor"},
        {"skips a non-executable one", {{"hardinfo", false}, {"kinfocenter", true}}, "kinfocenter"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        for (const auto& [name, executable] : c.installed) Install(name, executable);
        if (std::string(c.found).empty()) {
            EXPECT_EQ(Open(), ERROR_FILE_NOT_FOUND);
            continue;
        }
        ASSERT_EQ(Open(), ERROR_SUCCESS);
        ASSERT_EQ(Query(), ERROR_SUCCESS);
        EXPECT_EQ(type, REG_SZ);
        const std::string expected = Dir() + "/" + c.found;
        // Stored as Windows stores a string: with its terminating zero.
        ASSERT_EQ(size, expected.size() + 1);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data()), size), expected + '\0');
        EXPECT_EQ(registry.RegCloseKey(key), ERROR_SUCCESS);
        EXPECT_EQ(registry.RegCloseKey(key), ERROR_INVALID_HANDLE);
    }
}

TEST_F(LinuxRegistryTest, HasNoOtherKeysOrValues) {
    Install("hardinfo");
    EXPECT_EQ(Open(Second), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open(First, 0x80000001), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Open("SOFTWARE\\Microsoft"), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(Open("software\\microsoft\\shared tools\\msinfo"), ERROR_SUCCESS);
    EXPECT_EQ(Query("MSINFO"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Query("path"), ERROR_SUCCESS);
    EXPECT_EQ(Query("PATH", key + 1), ERROR_INVALID_HANDLE);
}

TEST_F(LinuxRegistryTest, ShortBufferIsRefusedWithTheRoomNeeded) {
    const std::string viewer = Install("hardinfo");
    ASSERT_EQ(Open(), ERROR_SUCCESS);
    std::array<std::uint8_t, 4> small{};
    size = small.size();
    EXPECT_EQ(registry.RegQueryValueExA(key, "PATH", &type, small.data(), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, viewer.size() + 1);
    EXPECT_EQ(small, (std::array<std::uint8_t, 4>{}));
}

// The dialog on the real Linux registry: a viewer installed while the program runs is started,
// and without one the message comes after both locations were asked.
TEST_F(LinuxRegistryTest, DrivesStartSysInfo) {
    RecordingMessageBox messages;
    RecordingStarter starter;
    QWidget owner;
    auto* dialog = new frmAbout(messages, registry, starter, &owner);

    dialog->StartSysInfo();
    EXPECT_EQ(messages.shown, std::vector<std::string>{"目前無法提供系統資訊"});
    EXPECT_TRUE(starter.started.empty());

    messages.shown.clear();
    const std::string viewer = Install("hardinfo");
    starter.startable.insert(viewer);
    dialog->StartSysInfo();
    EXPECT_EQ(starter.started, std::vector<std::string>{viewer});
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace tessarin::testing
