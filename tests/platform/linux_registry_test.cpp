// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux registry: the viewer's key exists while a known viewer is installed.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <ostream>
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

// A directory standing in for $PATH, holding the programs a case installs.
class FakePath {
public:
    FakePath() { EXPECT_TRUE(dir_.isValid()); }
    std::string Dir() const { return QDir(dir_.path()).canonicalPath().toStdString(); }
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

private:
    QTemporaryDir dir_;
};

struct ViewerCase {
    const char* label;
    std::vector<std::pair<const char*, bool>> installed;  // name, executable
    const char* found;                                    // or empty: the key does not exist
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const ViewerCase& c, std::ostream* os) { *os << c.label; }

class LinuxViewerKey : public ::testing::TestWithParam<ViewerCase> {};

TEST_P(LinuxViewerKey, NamesTheBestInstalledViewer) {
    const ViewerCase& c = GetParam();
    FakePath path;
    for (const auto& [name, executable] : c.installed) path.Install(name, executable);
    LinuxRegistry registry(LinuxRegistry::DefaultViewers(), {path.Dir()});

    RegKey key = 0;
    const RegStatus opened = registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, First, 0x2003F, &key);
    if (std::string(c.found).empty()) {
        EXPECT_EQ(opened, ERROR_FILE_NOT_FOUND);
        return;
    }
    ASSERT_EQ(opened, ERROR_SUCCESS);
    std::array<std::uint8_t, 1024> buffer{};
    std::uint32_t size = buffer.size();
    RegValueType type = 0;
    ASSERT_EQ(registry.RegQueryValueExA(key, "PATH", &type, buffer.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    const std::string expected = path.Dir() + "/" + c.found;
    // Stored as Windows stores a string: with its terminating zero.
    ASSERT_EQ(size, expected.size() + 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data()), size), expected + '\0');
    EXPECT_EQ(registry.RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(registry.RegCloseKey(key), ERROR_INVALID_HANDLE);
}

INSTANTIATE_TEST_SUITE_P(
    About, LinuxViewerKey,
    ::testing::Values(
        ViewerCase{"NoneInstalled", {}, ""}, ViewerCase{"UnrelatedProgram", {{"xterm", true}}, ""},
        ViewerCase{"NotExecutable", {{"hardinfo", false}}, ""},
        ViewerCase{"Hardinfo", {{"hardinfo", true}}, "hardinfo"},
        ViewerCase{
            "ProfilerBeforeInfoCentre", {{"kinfocenter", true}, {"hardinfo", true}}, "hardinfo"},
        ViewerCase{"InfoCentreBeforeMonitor",
                   {{"gnome-system-monitor", true}, {"kinfocenter", true}},
                   "kinfocenter"},
        ViewerCase{"MonitorAsLastResort", {{"gnome-system-monitor", true}}, "gnome-system-monitor"},
        ViewerCase{
            "SkipsANonExecutableOne", {{"hardinfo", false}, {"kinfocenter", true}}, "kinfocenter"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(LinuxRegistry, HasNoOtherKeysOrValues) {
    FakePath path;
    path.Install("hardinfo");
    LinuxRegistry registry(LinuxRegistry::DefaultViewers(), {path.Dir()});
    RegKey key = 0;
    EXPECT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, Second, 0x2003F, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.RegOpenKeyExA(0x80000001, First, 0x2003F, &key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft", 0x2003F, &key),
              ERROR_FILE_NOT_FOUND);

    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                                     "software\\microsoft\\shared tools\\msinfo", 0x2003F, &key),
              ERROR_SUCCESS);
    std::array<std::uint8_t, 1024> buffer{};
    std::uint32_t size = buffer.size();
    RegValueType type = 0;
    EXPECT_EQ(registry.RegQueryValueExA(key, "MSINFO", &type, buffer.data(), &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.RegQueryValueExA(key, "path", &type, buffer.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(registry.RegQueryValueExA(key + 1, "PATH", &type, buffer.data(), &size),
              ERROR_INVALID_HANDLE);
    registry.RegCloseKey(key);
}

TEST(LinuxRegistry, ShortBufferIsRefusedWithTheRoomNeeded) {
    FakePath path;
    const std::string viewer = path.Install("hardinfo");
    LinuxRegistry registry(LinuxRegistry::DefaultViewers(), {path.Dir()});
    RegKey key = 0;
    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, First, 0x2003F, &key), ERROR_SUCCESS);
    std::array<std::uint8_t, 4> buffer{};
    std::uint32_t size = buffer.size();
    RegValueType type = 0;
    EXPECT_EQ(registry.RegQueryValueExA(key, "PATH", &type, buffer.data(), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, viewer.size() + 1);
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{}));
    registry.RegCloseKey(key);
}

TEST(LinuxRegistry, FindsAViewerInstalledAfterItWasMade) {
    FakePath path;
    LinuxRegistry registry(LinuxRegistry::DefaultViewers(), {path.Dir()});
    RegKey key = 0;
    EXPECT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, First, 0x2003F, &key),
              ERROR_FILE_NOT_FOUND);
    path.Install("kinfocenter");
    EXPECT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, First, 0x2003F, &key), ERROR_SUCCESS);
    registry.RegCloseKey(key);
}

// The dialog on the real Linux registry: the installed viewer is started, and without one the
// message comes after both locations were asked.
TEST(LinuxRegistry, DrivesStartSysInfo) {
    FakePath path;
    LinuxRegistry registry(LinuxRegistry::DefaultViewers(), {path.Dir()});
    RecordingMessageBox messages;
    RecordingStarter starter;
    QWidget owner;
    auto* dialog = new frmAbout(messages, registry, starter, &owner);

    dialog->StartSysInfo();
    EXPECT_EQ(messages.shown, std::vector<std::string>{"目前無法提供系統資訊"});
    EXPECT_TRUE(starter.started.empty());

    messages.shown.clear();
    const std::string viewer = path.Install("hardinfo");
    starter.startable.insert(viewer);
    dialog->StartSysInfo();
    EXPECT_EQ(starter.started, std::vector<std::string>{viewer});
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace tessarin::testing
