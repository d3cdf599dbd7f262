// SPDX-License-Identifier: GPL-3.0-or-later
// AboutActions, the About dialog's outside actions on their own with every service recorded:
// GetKeyValue on every kind of value it may meet, read through an in-memory registry;
// StartSysInfo with the two registry locations in their order, the existence test of the
// second, the start, and the one failure message for everything that goes wrong; and the mail
// link made a URL.

#include "ui/about/about_actions.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <ostream>
#include <string>

#include "resources/about_texts.h"
#include "tests/about/fake_registry.h"
#include "tests/about/test_services.h"
#include "tests/support/recorders.h"

namespace tessarin::testing {
namespace {

class ActionsFixture : public ::testing::Test {
protected:
    RecordingMessageBox messages;
    FakeRegistry registry;
    RecordingStarter starter;
    AboutActions actions{messages, registry, starter};
};

// --- GetKeyValue ---------------------------------------------------------------------------

constexpr const char* Key = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* Name = "PATH";

std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (const int b : bytes) s += static_cast<char>(b);
    return s;
}

using enum KeyValueResult;

struct ValueCase {
    const char* label;
    RegValueType type;
    std::string bytes;
    const char* entryText;  // KeyVal before the call
    KeyValueResult result;
    std::string text;  // KeyVal after it
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.label; }

class KeyValue : public ActionsFixture, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(KeyValue, ReadsStringsNumbersAndOtherTypes) {
    const ValueCase& c = GetParam();
    registry.Set(Key, Name, c.type, c.bytes);
    std::string text = c.entryText;
    EXPECT_EQ(actions.GetKeyValue(HKEY_LOCAL_MACHINE, Key, Name, text), c.result);
    EXPECT_EQ(text, c.text);
    // One key opened, with the access asked for, and closed again however the call ended.
    EXPECT_EQ(registry.opened, std::vector<std::string>{Key});
    EXPECT_EQ(registry.roots, std::vector<RegKey>{0x80000002});
    EXPECT_EQ(registry.accesses, std::vector<RegAccess>{0x2003F});
    EXPECT_EQ(registry.queried, std::vector<std::string>{Name});
    EXPECT_EQ(registry.closes, 1);
    EXPECT_EQ(registry.OpenKeys(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    About, KeyValue,
    ::testing::Values(
        ValueCase{"StringWithItsZero", REG_SZ, std::string("/usr/bin/hardinfo\0", 18), "", Found,
                  "/usr/bin/hardinfo"},
        ValueCase{"StringWithoutZero", REG_SZ, "/usr/bin/hardinfo", "", Found, "/usr/bin/hardinfo"},
        ValueCase{"OnlyTheLastZeroGoes", REG_SZ, std::string("ab\0\0", 4), "", Found,
                  std::string("ab\0", 3)},
        ValueCase{"EmptyStringWithItsZero", REG_SZ, std::string("\0", 1), "old", Found, ""},
        ValueCase{"ChineseString", REG_SZ, "/opt/系統資訊/檢視器", "", Found,
                  "/opt/系統資訊/檢視器"},
        ValueCase{"Number261", REG_DWORD, Bytes({0x05, 0x01, 0x00, 0x00}), "", Found, "261"},
        ValueCase{"NumberZero", REG_DWORD, Bytes({0, 0, 0, 0}), "old", Found, "0"},
        ValueCase{"NumberTopByteSet", REG_DWORD, Bytes({0x01, 0x00, 0x00, 0x80}), "", Found,
                  "2147483649"},
        ValueCase{"NumberAllOnesIsUnsigned", REG_DWORD, Bytes({0xFF, 0xFF, 0xFF, 0xFF}), "", Found,
                  "4294967295"},
        ValueCase{"ShortNumber", REG_DWORD, Bytes({0x05, 0x01}), "", Found, "261"},
        ValueCase{"NumberLongerThan32Bits", REG_DWORD, Bytes({1, 2, 3, 4, 5}), "old", Unusable,
                  "old"},
        ValueCase{"NumberOfOneZeroByteHasNoDigits", REG_DWORD, Bytes({0}), "old", Unusable, "old"},
        ValueCase{"OtherTypeKeepsTheEntryText", 3, "binary", "entry", Found, "entry"},
        ValueCase{"ExpandStringKeepsTheEntryText", 2, std::string("%PATH%\0", 7), "", Found, ""},
        ValueCase{"EmptyStringValue", REG_SZ, "", "old", Unusable, "old"},
        ValueCase{"EmptyNumberValue", REG_DWORD, "", "old", Unusable, "old"},
        ValueCase{"EmptyOtherValue", 3, "", "old", Unusable, "old"},
        ValueCase{"FillsTheBuffer", REG_SZ, std::string(1023, 'x') + '\0', "", Found,
                  std::string(1023, 'x')},
        ValueCase{"LongerThanTheBuffer", REG_SZ, std::string(1024, 'x') + '\0', "old", Missing,
                  ""}),
    [](const auto& info) { return std::string(info.param.label); });

struct MissingCase {
    const char* label;
    void (*setUp)(FakeRegistry&);
    RegKey root;
};

void PrintTo(const MissingCase& c, std::ostream* os) { *os << c.label; }

class KeyValueMissing : public ActionsFixture, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(KeyValueMissing, IsMissingWithAnEmptyText) {
    const MissingCase& c = GetParam();
    c.setUp(registry);
    std::string text = "old";
    EXPECT_EQ(actions.GetKeyValue(c.root, Key, Name, text), Missing);
    EXPECT_EQ(text, "");
    EXPECT_EQ(registry.OpenKeys(), 0u);
    // A key that opened is closed; one that did not is not closed.
    EXPECT_EQ(registry.closes, registry.queried.empty() ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    About, KeyValueMissing,
    ::testing::Values(MissingCase{"NoKey", [](FakeRegistry&) {}, HKEY_LOCAL_MACHINE},
                      MissingCase{"KeyWithoutTheValue",
                                  [](FakeRegistry& r) { r.Set(Key, "Other", REG_SZ, "x"); },
                                  HKEY_LOCAL_MACHINE},
                      MissingCase{"AccessRefused",
                                  [](FakeRegistry& r) {
                                      r.Set(Key, Name, REG_SZ, "/usr/bin/hardinfo");
                                      r.Deny(Key);
                                  },
                                  HKEY_LOCAL_MACHINE},
                      MissingCase{"OtherRoot",
                                  [](FakeRegistry& r) { r.Set(Key, Name, REG_SZ, "x"); },
                                  0x80000001}),
    [](const auto& info) { return std::string(info.param.label); });

using KeyValueRead = ActionsFixture;

TEST_F(KeyValueRead, KeyNamesIgnoreLetterCase) {
    registry.Set(Key, Name, REG_SZ, "/usr/bin/hardinfo");
    std::string text;
    EXPECT_EQ(actions.GetKeyValue(HKEY_LOCAL_MACHINE, "software\\microsoft\\shared tools\\msinfo",
                                  "path", text),
              Found);
    EXPECT_EQ(text, "/usr/bin/hardinfo");
}

TEST_F(KeyValueRead, ARegistryClaimingMoreThanTheBufferIsReadOnlyToItsEnd) {
    registry.Set(Key, Name, REG_SZ, "/usr/bin/hardinfo");
    registry.ClaimSize(5000);
    std::string text;
    // Whatever it is, it is read from the 1024-byte buffer and no further.
    EXPECT_EQ(actions.GetKeyValue(HKEY_LOCAL_MACHINE, Key, Name, text), Found);
    EXPECT_EQ(text.size(), 1023u);
    EXPECT_EQ(registry.OpenKeys(), 0u);
}

struct EncodingCase {
    const char* text;
    const char* encoded;
};

TEST(MailLink, PercentEncodesAllButTheUnreservedAndTheKept) {
    for (const auto& [text, encoded] :
         {EncodingCase{"a b", "a%20b"}, EncodingCase{"\r\n", "%0D%0A"},
          EncodingCase{"你", "%E4%BD%A0"}, EncodingCase{"%", "%25"},
          EncodingCase{"Az09-._~", "Az09-._~"}, EncodingCase{"?&=!:", "?&=!:"},
          EncodingCase{"#<>\"", "%23%3C%3E%22"}}) {
        EXPECT_EQ(PercentEncoded(text, "?&=!:"), encoded) << text;
    }
}

TEST(MailLink, IsOneLineOfPrintableAscii) {
    const std::string url = MailLinkUrl();
    EXPECT_EQ(url.rfind(std::string("mailto:") + texts::ContactAddress + "?Subject=Pelorin%E4", 0),
              0u)
        << url;
    EXPECT_TRUE(url.ends_with("%0D%0A")) << url;
    for (const char c : url) EXPECT_TRUE(c > ' ' && c <= '~') << url;
}

// --- StartSysInfo --------------------------------------------------------------------------

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
