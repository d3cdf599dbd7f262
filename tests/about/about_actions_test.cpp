// SPDX-License-Identifier: GPL-3.0-or-later
// AboutActions on its own, every service recorded: GetKeyValue on every kind of value and every
// way of missing one, StartSysInfo through the two registry locations, the mail link's encoding.

#include "ui/about/about_actions.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

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

constexpr const char* First = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* Second = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* Viewer = "/usr/bin/hardinfo";

const auto Label = [](const auto& info) { return std::string(info.param.label); };

std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (const int b : bytes) s += static_cast<char>(b);
    return s;
}

std::string Zero(const std::string& s) { return s + '\0'; }

// --- GetKeyValue ---------------------------------------------------------------------------

using enum KeyValueResult;

// How the lookup meets the value: stored under the key it asks for, or missed in some way.
enum class Reach { Stored, NoKey, NoValue, Refused, OtherRoot, OtherCase, ClaimsTooMuch };
using enum Reach;

struct ValueCase {
    const char* label;
    RegValueType type;
    std::string bytes;
    const char* entryText;  // KeyVal before the call
    KeyValueResult result;
    std::string text;  // KeyVal after it
    Reach reach = Stored;
};

void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.label; }

class KeyValue : public ActionsFixture, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(KeyValue, ReadsStringsNumbersAndOtherTypes) {
    const ValueCase& c = GetParam();
    if (c.reach != NoKey) {
        registry.Set(First, c.reach == NoValue ? "Other" : "PATH", c.type, c.bytes);
    }
    if (c.reach == Refused) registry.Deny(First);
    if (c.reach == ClaimsTooMuch) registry.ClaimSize(5000);
    const RegKey root = c.reach == OtherRoot ? 0x80000001 : HKEY_LOCAL_MACHINE;
    const bool lower = c.reach == OtherCase;
    const std::string key = lower ? "software\\microsoft\\shared tools\\msinfo" : First;
    const std::string name = lower ? "path" : "PATH";
    std::string text = c.entryText;
    EXPECT_EQ(actions.GetKeyValue(root, key, name, text), c.result);
    EXPECT_EQ(text, c.text);
    // One key asked for, with the access asked for, and closed again however the call ended.
    EXPECT_EQ(registry.opened, std::vector<std::string>{key});
    EXPECT_EQ(registry.roots, std::vector<RegKey>{root});
    EXPECT_EQ(registry.accesses, std::vector<RegAccess>{0x2003F});
    const bool opens = c.reach != NoKey && c.reach != Refused && c.reach != OtherRoot;
    EXPECT_EQ(registry.queried,
              opens ? std::vector<std::string>{name} : std::vector<std::string>{});
    EXPECT_EQ(registry.closes, opens ? 1 : 0);
    EXPECT_EQ(registry.OpenKeys(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    About, KeyValue,
    ::testing::Values(
        ValueCase{"StringWithItsZero", REG_SZ, Zero(Viewer), "", Found, Viewer},
        ValueCase{"StringWithoutZero", REG_SZ, Viewer, "", Found, Viewer},
        ValueCase{"OnlyTheLastZeroGoes", REG_SZ, std::string("ab\0\0", 4), "", Found,
                  std::string("ab\0", 3)},
        ValueCase{"EmptyStringWithItsZero", REG_SZ, Zero(""), "old", Found, ""},
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
        ValueCase{"ExpandStringKeepsTheEntryText", 2, Zero("%PATH%"), "", Found, ""},
        ValueCase{"EmptyStringValue", REG_SZ, "", "old", Unusable, "old"},
        ValueCase{"EmptyNumberValue", REG_DWORD, "", "old", Unusable, "old"},
        ValueCase{"EmptyOtherValue", 3, "", "old", Unusable, "old"},
        ValueCase{"FillsTheBuffer", REG_SZ, Zero(std::string(1023, 'x')), "", Found,
                  std::string(1023, 'x')},
        ValueCase{"LongerThanTheBuffer", REG_SZ, Zero(std::string(1024, 'x')), "old", Missing, ""},
        ValueCase{"NoKey", REG_SZ, "x", "old", Missing, "", NoKey},
        ValueCase{"KeyWithoutTheValue", REG_SZ, "x", "old", Missing, "", NoValue},
        ValueCase{"AccessRefused", REG_SZ, Viewer, "old", Missing, "", Refused},
        ValueCase{"OtherRoot", REG_SZ, "x", "old", Missing, "", OtherRoot},
        ValueCase{"KeyNamesIgnoreLetterCase", REG_SZ, Viewer, "", Found, Viewer, OtherCase},
        // Whatever it claims, the value is read from the 1024-byte buffer and no further.
        ValueCase{"ClaimingMoreThanTheBuffer", REG_SZ, Viewer, "", Found, std::string(1023, '\0'),
                  ClaimsTooMuch}),
    Label);

TEST(MailLink, PercentEncodesAllButTheUnreservedAndTheKept) {
    const std::pair<const char*, const char*> cases[] = {
        {"a b", "a%20b"},         {"\r\n", "%0D%0A"}, {"你", "%E4%BD%A0"},      {"%", "%25"},
        {"Az09-._~", "Az09-._~"}, {"?&=!:", "?&=!:"}, {"#<>\"", "%23%3C%3E%22"}};
    for (const auto& [text, encoded] : cases) {
        EXPECT_EQ(PercentEncoded(text, "?&=!:"), encoded) << text;
    }
}

// --- StartSysInfo --------------------------------------------------------------------------

// What the first location holds, and what the second's folder holds under the viewer's name.
enum class FirstKey { NoFirst, Holds, KeyOnly, HoldsRefused };
enum class SecondKey {
    NoSecond,
    EmptySecond,
    BareFolder,
    LowerCaseFile,
    DirectoryOfThatName,
    File
};
using enum FirstKey;
using enum SecondKey;

struct SysInfoCase {
    const char* label;
    SecondKey second;
    // What should have happened: the program started, or null for no start.
    const char* started;
    bool starts;  // the program started is one; if not, the failure message is shown
    bool asksSecond;
    FirstKey first = NoFirst;
    RegValueType type = REG_SZ;  // of the first's value
    std::string bytes = "";
};

void PrintTo(const SysInfoCase& c, std::ostream* os) { *os << c.label; }

class SysInfo : public ActionsFixture, public ::testing::WithParamInterface<SysInfoCase> {
protected:
    QTemporaryDir scratch;
};

// Stands for the viewer in the second location's folder, a scratch directory.
constexpr const char* InFolder = "<folder>/MSINFO32.EXE";

TEST_P(SysInfo, StartsTheViewerOrSaysItCannot) {
    const SysInfoCase& c = GetParam();
    ASSERT_TRUE(scratch.isValid());
    const std::string folder = QDir(scratch.path()).canonicalPath().toStdString();
    if (c.first != NoFirst) registry.AddKey(First);
    if (c.first == Holds || c.first == HoldsRefused) registry.Set(First, "PATH", c.type, c.bytes);
    if (c.first == HoldsRefused) registry.Deny(First);
    if (c.second == EmptySecond) registry.Set(Second, "MSINFO", REG_SZ, "");
    if (c.second > EmptySecond) registry.Set(Second, "MSINFO", REG_SZ, Zero(folder));
    if (c.second == LowerCaseFile || c.second == File) {
        QFile file(QString::fromStdString(folder +
                                          (c.second == File ? "/MSINFO32.EXE" : "/msinfo32.exe")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    if (c.second == DirectoryOfThatName) {
        ASSERT_TRUE(QDir(scratch.path()).mkdir(QStringLiteral("MSINFO32.EXE")));
    }
    std::vector<std::string> started;
    if (c.started) started.push_back(c.started == InFolder ? folder + "/MSINFO32.EXE" : c.started);
    if (c.starts) starter.startable.insert(started.at(0));

    actions.StartSysInfo();

    EXPECT_EQ(starter.started, started);
    EXPECT_EQ(registry.opened, (c.asksSecond ? std::vector<std::string>{First, Second}
                                             : std::vector<std::string>{First}));
    EXPECT_EQ(messages.shown, c.starts ? std::vector<std::string>{}
                                       : std::vector<std::string>{"目前無法提供系統資訊"});
    EXPECT_EQ(registry.OpenKeys(), 0u) << "a key was left open";
}

INSTANTIATE_TEST_SUITE_P(
    About, SysInfo,
    ::testing::Values(
        // The first location names the viewer: started as read, the second never looked at.
        SysInfoCase{"FirstWithItsZero", File, Viewer, true, false, Holds, REG_SZ, Zero(Viewer)},
        SysInfoCase{"FirstWithoutZero", NoSecond, Viewer, true, false, Holds, REG_SZ, Viewer},
        SysInfoCase{"FirstStartedWithoutAnExistenceTest", NoSecond, "/nowhere/viewer", true, false,
                    Holds, REG_SZ, "/nowhere/viewer"},
        SysInfoCase{"FirstFailsToStart", File, Viewer, false, false, Holds, REG_SZ, Viewer},
        SysInfoCase{"FirstAsNumber", NoSecond, "261", false, false, Holds, REG_DWORD,
                    Bytes({5, 1, 0, 0})},
        // Found, but of no type that gives a text: an empty path, which cannot start.
        SysInfoCase{"FirstOfOtherType", File, "", false, false, Holds, 3, "binary"},
        // Empty: nothing to read; straight to the message, the second not tried.
        SysInfoCase{"FirstEmpty", File, nullptr, false, false, Holds},
        SysInfoCase{"FirstNumberTooLong", File, nullptr, false, false, Holds, REG_DWORD,
                    "12345678"},
        // The first location missing in its various ways: the second is asked.
        SysInfoCase{"SecondWithTheViewerInItsFolder", File, InFolder, true, true},
        SysInfoCase{"SecondAfterAFirstKeyWithoutValue", File, InFolder, true, true, KeyOnly},
        SysInfoCase{"SecondAfterARefusedFirstKey", File, InFolder, true, true, HoldsRefused, REG_SZ,
                    Viewer},
        SysInfoCase{"SecondAfterAFirstTooLong", File, InFolder, true, true, Holds, REG_SZ,
                    std::string(1100, 'x')},
        SysInfoCase{"SecondWithoutTheFile", BareFolder, nullptr, false, true},
        SysInfoCase{"SecondWithALowerCaseFile", LowerCaseFile, nullptr, false, true},
        SysInfoCase{"SecondWithADirectoryOfThatName", DirectoryOfThatName, nullptr, false, true},
        SysInfoCase{"SecondFileFailsToStart", File, InFolder, false, true},
        SysInfoCase{"SecondEmpty", EmptySecond, nullptr, false, true},
        SysInfoCase{"Neither", NoSecond, nullptr, false, true}),
    Label);

}  // namespace
}  // namespace tessarin::testing
