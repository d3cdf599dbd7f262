// StartSysInfo: the two registry locations in their order, the existence test of the second,
// the start, and the one failure message for everything that goes wrong.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <ostream>
#include <string>

#include "tests/about/actions_fixture.h"

namespace tessarin::testing {
namespace {

constexpr const char* First = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* Second = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* Viewer = "/usr/bin/hardinfo";

// What a case can put in the world: registry values, files in a scratch folder, startable paths.
struct World {
    FakeRegistry& registry;
    RecordingStarter& starter;
    std::string folder;  // an empty scratch directory

    std::string File(const std::string& name) const { return folder + "/" + name; }
    void Touch(const std::string& name) const {
        QFile file(QString::fromStdString(File(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    void Folder(const std::string& path) const {
        registry.Set(Second, "MSINFO", REG_SZ, path + '\0');
    }
    // The second location, complete: the folder with MSINFO32.EXE in it, startable.
    void SecondComplete() const {
        Folder(folder);
        Touch("MSINFO32.EXE");
        starter.startable.insert(File("MSINFO32.EXE"));
    }
};

struct SysInfoCase {
    const char* label;
    std::function<void(const World&)> setUp;
    // What should have happened, with "<folder>" standing for the scratch directory.
    std::vector<std::string> started;
    std::vector<std::string> opened;
    bool message;
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const SysInfoCase& c, std::ostream* os) { *os << c.label; }

class SysInfo : public ActionsFixture, public ::testing::WithParamInterface<SysInfoCase> {
protected:
    QTemporaryDir scratch;
};

std::string Expand(std::string s, const std::string& folder) {
    const std::string mark = "<folder>";
    if (const auto at = s.find(mark); at != std::string::npos) s.replace(at, mark.size(), folder);
    return s;
}

TEST_P(SysInfo, StartsTheViewerOrSaysItCannot) {
    const SysInfoCase& c = GetParam();
    ASSERT_TRUE(scratch.isValid());
    const World world{registry, starter, QDir(scratch.path()).canonicalPath().toStdString()};
    c.setUp(world);

    actions.StartSysInfo();

    std::vector<std::string> started;
    for (const auto& s : c.started) started.push_back(Expand(s, world.folder));
    EXPECT_EQ(starter.started, started);
    EXPECT_EQ(registry.opened, c.opened);
    const std::vector<std::string> shown =
        c.message ? std::vector<std::string>{"目前無法提供系統資訊"} : std::vector<std::string>{};
    EXPECT_EQ(messages.shown, shown);
    EXPECT_EQ(registry.OpenKeys(), 0u) << "a key was left open";
}

const std::vector<std::string> FirstOnly{First};
const std::vector<std::string> Both{First, Second};

INSTANTIATE_TEST_SUITE_P(
    About, SysInfo,
    ::testing::Values(
        // The first location names the viewer: started as read, the second never looked at.
        SysInfoCase{"FirstWithItsZero",
                    [](const World& w) {
                        w.registry.Set(First, "PATH", REG_SZ, std::string(Viewer) + '\0');
                        w.starter.startable.insert(Viewer);
                        w.SecondComplete();
                    },
                    {Viewer},
                    FirstOnly,
                    false},
        SysInfoCase{"FirstWithoutZero",
                    [](const World& w) {
                        w.registry.Set(First, "PATH", REG_SZ, Viewer);
                        w.starter.startable.insert(Viewer);
                    },
                    {Viewer},
                    FirstOnly,
                    false},
        SysInfoCase{"FirstStartedWithoutAnExistenceTest",
                    [](const World& w) {
                        w.registry.Set(First, "PATH", REG_SZ, "/nowhere/viewer");
                        w.starter.startable.insert("/nowhere/viewer");
                    },
                    {"/nowhere/viewer"},
                    FirstOnly,
                    false},
        SysInfoCase{"FirstFailsToStart",
                    [](const World& w) {
                        w.registry.Set(First, "PATH", REG_SZ, Viewer);
                        w.SecondComplete();
                    },
                    {Viewer},
                    FirstOnly,
                    true},
        SysInfoCase{"FirstAsNumber",
                    [](const World& w) {
                        w.registry.Set(First, "PATH", REG_DWORD, std::string("\x05\x01\0\0", 4));
                    },
                    {"261"},
                    FirstOnly,
                    true},
        // Found, but of no type that gives a text: an empty path, which cannot start.
        SysInfoCase{"FirstOfOtherType",
                    [](const World& w) {
                        w.registry.Set(First, "PATH", 3, "binary");
                        w.SecondComplete();
                    },
                    {""},
                    FirstOnly,
                    true},
        // Empty: nothing to read; straight to the message, the second not tried.
        SysInfoCase{"FirstEmpty",
                    [](const World& w) {
                        w.registry.Set(First, "PATH", REG_SZ, "");
                        w.SecondComplete();
                    },
                    {},
                    FirstOnly,
                    true},
        SysInfoCase{"FirstNumberTooLong",
                    [](const World& w) {
                        w.registry.Set(First, "PATH", REG_DWORD, "12345678");
                        w.SecondComplete();
                    },
                    {},
                    FirstOnly,
                    true},
        // The first location missing in its various ways: the second is asked.
        SysInfoCase{"SecondWithTheViewerInItsFolder",
                    [](const World& w) { w.SecondComplete(); },
                    {"<folder>/MSINFO32.EXE"},
                    Both,
                    false},
        SysInfoCase{"SecondAfterAFirstKeyWithoutValue",
                    [](const World& w) {
                        w.registry.AddKey(First);
                        w.SecondComplete();
                    },
                    {"<folder>/MSINFO32.EXE"},
                    Both,
                    false},
        SysInfoCase{"SecondAfterARefusedFirstKey",
                    [](const World& w) {
                        w.registry.Set(First, "PATH", REG_SZ, Viewer);
                        w.registry.Deny(First);
                        w.SecondComplete();
                    },
                    {"<folder>/MSINFO32.EXE"},
                    Both,
                    false},
        SysInfoCase{"SecondAfterAFirstTooLong",
                    [](const World& w) {
                        w.registry.Set(First, "PATH", REG_SZ, std::string(1100, 'x'));
                        w.SecondComplete();
                    },
                    {"<folder>/MSINFO32.EXE"},
                    Both,
                    false},
        SysInfoCase{
            "SecondWithoutTheFile", [](const World& w) { w.Folder(w.folder); }, {}, Both, true},
        SysInfoCase{"SecondWithALowerCaseFile",
                    [](const World& w) {
                        w.Folder(w.folder);
                        w.Touch("msinfo32.exe");
                    },
                    {},
                    Both,
                    true},
        SysInfoCase{
            "SecondWithADirectoryOfThatName",
            [](const World& w) {
                w.Folder(w.folder);
                ASSERT_TRUE(
                    QDir(QString::fromStdString(w.folder)).mkdir(QStringLiteral("MSINFO32.EXE")));
            },
            {},
            Both,
            true},
        SysInfoCase{"SecondFileFailsToStart",
                    [](const World& w) {
                        w.Folder(w.folder);
                        w.Touch("MSINFO32.EXE");
                    },
                    {"<folder>/MSINFO32.EXE"},
                    Both,
                    true},
        SysInfoCase{"SecondEmpty",
                    [](const World& w) { w.registry.Set(Second, "MSINFO", REG_SZ, ""); },
                    {},
                    Both,
                    true},
        SysInfoCase{"Neither", [](const World&) {}, {}, Both, true}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace tessarin::testing
