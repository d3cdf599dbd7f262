// SPDX-License-Identifier: GPL-3.0-or-later
// The stored tally under bad conditions: garbage, values that are no count, files and folders
// the user may not read or write. The window must load (with 0 where a value is unusable),
// close when asked, and never destroy a good stored value that it could not replace. A win it
// cannot store is never counted twice, and the player is told of it.
//
// Permissions mean nothing to root, so this runs as an ordinary user (see run_unprivileged.sh).
// A start that blocks (a read of a pipe) ends the whole run with SIGALRM.

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <span>

#include "platform/ini_settings_store.h"
#include "resources/texts.h"
#include "tests/support/recorders.h"
#include "ui/board_window/board_window.h"

namespace tessarin {
namespace {

class BadStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(geteuid(), 0u) << "permissions are not enforced for root: run this as a user";
        ASSERT_TRUE(root.isValid());
    }
    void TearDown() override {
        ::alarm(0);
        // Give the temporary folder back its permissions so it can be removed.
        QFile::setPermissions(Folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(File(), QFile::ReadOwner | QFile::WriteOwner);
    }
    QString Folder() const { return root.path() + "/Tessarin"; }
    QString File() const { return Folder() + "/Tessarin.ini"; }
    void Write(const QByteArray& bytes) {
        QDir().mkpath(Folder());
        QFile file(File());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QByteArray Read() {
        QFile::setPermissions(File(), QFile::ReadOwner | QFile::WriteOwner);
        QFile file(File());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    // Opens the window on the store as it is, optionally wins a game, and closes it.
    void Run(bool winOnce = false) {
        ::alarm(60);
        Form1 form({messages, random, store, nullptr});
        form.show();
        loadedPerson = form.Game().PersonGrade;
        loadedComputer = form.Game().ComputerGrade;
        if (winOnce) {
            for (int x = 1; x <= 4; ++x) form.Game().Board(x, 1) = HumanSide;
            form.Game().CurX = 5;
            form.Game().CurY = 1;
            random.Always(0.0f);
            EXPECT_FALSE(form.Game().PlaceHumanStone());
            EXPECT_EQ(form.Game().GameOver, BoolTrue);
        }
        EXPECT_TRUE(form.close());
        counted = form.Game().PersonGrade;
    }
    // The tally messages shown, each by its first line.
    std::vector<std::string> Told() const {
        std::vector<std::string> told;
        for (const char* tally :
             {texts::TallyNotSaved, texts::TallyLostAtClose, texts::TallySetAside})
            for (const std::string& text : messages.shown)
                if (text.starts_with(tally)) told.emplace_back(tally);
        return told;
    }

    QTemporaryDir root;
    IniSettingsStore store{root.path()};
    testing::RecordingMessageBox messages;
    testing::ScriptedRandom random;
    int loadedPerson = -1;
    int loadedComputer = -1;
    int counted = -1;
};

TEST_F(BadStoreTest, RandomBytesLoadAsZeroAndTheWindowStillCloses) {
    constexpr int Files = 200;
    std::mt19937 bytes(1208);
    for (int i = 0; i < Files; ++i) {
        QByteArray garbage(std::uniform_int_distribution<>(1, 4096)(bytes), '\0');
        for (char& c : garbage) c = static_cast<char>(bytes());
        Write(garbage);
        Run();
        EXPECT_EQ(loadedPerson, 0) << "file " << i;
        EXPECT_EQ(loadedComputer, 0) << "file " << i;
        QFile::remove(File());
    }
    std::printf("settings: %d files of random bytes loaded and closed\n", Files);
}

TEST_F(BadStoreTest, UnusableValuesLoadAsZeroAndGoodOnesSurvive) {
    struct Case {
        const char* file;
        int person, computer;
    };
    const Case cases[] = {
        {"[Info]\nPersonGrade=abc\nComputerGrade=4\n", 0, 4},
        {"[Info]\nPersonGrade=40000\nComputerGrade=-40000\n", 0, 0},
        {"[Info]\nPersonGrade=-32768\nComputerGrade=32767\n", -32768, 32767},
        {"[Info]\nPersonGrade=1.5\nComputerGrade=\n", 0, 0},
        {"[Info]\nPersonGrade=\"7\"\nComputerGrade=1,2\n", 7, 0},
        {"[Info\nPersonGrade=7\n", 7, 0},  // the INI reader forgives the missing bracket
        {"", 0, 0},
    };
    for (const Case& c : cases) {
        Write(c.file);
        Run();
        EXPECT_EQ(loadedPerson, c.person) << c.file;
        EXPECT_EQ(loadedComputer, c.computer) << c.file;
        // Closing leaves what was loaded, as decimal strings.
        const QByteArray after = Read();
        EXPECT_TRUE(after.contains("PersonGrade=" + QByteArray::number(c.person)))
            << after.toStdString();
        EXPECT_TRUE(after.contains("ComputerGrade=" + QByteArray::number(c.computer)))
            << after.toStdString();
        QFile::remove(File());
    }
    std::printf("settings: %zu malformed stores tried\n", std::size(cases));
}

TEST_F(BadStoreTest, AnUnreadableFileIsNeitherReadNorOverwritten) {
    Write("[Info]\nPersonGrade=12\nComputerGrade=3\n");
    ASSERT_TRUE(QFile::setPermissions(File(), QFileDevice::Permissions()));
    Run(/*winOnce=*/true);
    EXPECT_EQ(loadedPerson, 0);
    EXPECT_EQ(loadedComputer, 0);
    EXPECT_EQ(Read(), "[Info]\nPersonGrade=12\nComputerGrade=3\n");
}

TEST_F(BadStoreTest, AReadOnlyFolderKeepsTheStoredTally) {
    Write("[Info]\nPersonGrade=12\nComputerGrade=3\n");
    ASSERT_TRUE(QFile::setPermissions(Folder(), QFile::ReadOwner | QFile::ExeOwner));
    Run(/*winOnce=*/true);  // the win cannot be stored: the old tally stays whole
    EXPECT_EQ(loadedPerson, 12);
    EXPECT_EQ(loadedComputer, 3);
    EXPECT_EQ(Read(), "[Info]\nPersonGrade=12\nComputerGrade=3\n");
}

TEST_F(BadStoreTest, AReadOnlyFileKeepsTheStoredTally) {
    Write("[Info]\nPersonGrade=5\nComputerGrade=6\n");
    ASSERT_TRUE(QFile::setPermissions(File(), QFile::ReadOwner));
    ASSERT_TRUE(QFile::setPermissions(Folder(), QFile::ReadOwner | QFile::ExeOwner));
    Run(/*winOnce=*/true);
    EXPECT_EQ(loadedPerson, 5);
    EXPECT_EQ(Read(), "[Info]\nPersonGrade=5\nComputerGrade=6\n");
}

// Stores a new user's broken home folder may hold. Each row starts the window on it, wins once
// and closes: the start never blocks, the win is counted exactly once, in the store when it
// can be stored, and the player hears of every win it could not keep.
TEST_F(BadStoreTest, HostileStoresNeitherBlockNorCountAWinTwice) {
    const QByteArray tally = "[Info]\nPersonGrade=7\nComputerGrade=3\n";
    const auto junk = [&](int bytes) {
        std::mt19937 draw(bytes);
        QByteArray file = tally;
        while (file.size() < tally.size() + bytes) file += static_cast<char>(draw());
        Write(file);
    };
    const QByteArray home = qgetenv("HOME");
    const QString passwdHome = QFile::decodeName(getpwuid(getuid())->pw_dir);
    const char* const lost[] = {texts::TallyNotSaved, texts::TallyLostAtClose};
    const char* const setAside[] = {texts::TallySetAside};
    const char* const notSaved[] = {texts::TallyNotSaved};  // stored at close, without the lock
    struct Case {
        const char* name;
        std::function<void()> make;
        int loaded;   // PersonGrade the window starts with
        bool stored;  // the win is in the store afterwards
        std::span<const char* const> told;
    };
    const Case cases[] = {
        {"4 KiB of junk after the tally", [&] { junk(4 << 10); }, 7, true, {}},
        {"60 KiB of junk after the tally", [&] { junk(60 << 10); }, 7, true, {}},
        {"1 MiB of junk after the tally", [&] { junk(1 << 20); }, 0, true, setAside},
        {"100 MB, .bad already taken",
         [&] {
             Write("an earlier one"), QFile::rename(File(), File() + ".bad"), Write(tally);
             EXPECT_EQ(::truncate(QFile::encodeName(File()), 100'000'000), 0);
         },
         0, true, setAside},
        {"a pipe", [&] { QDir().mkpath(Folder()), ::mkfifo(QFile::encodeName(File()), 0600); }, 0,
         false, lost},
        {"a folder", [&] { QDir().mkpath(File()); }, 0, false, lost},
        {"a file in the way of the folder",
         [&] {
             QFile blocker(Folder());
             ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
             blocker.write("not a folder");
         },
         0, false, lost},
        {"a pipe as the lock file",
         [&] {
             QDir().mkpath(Folder()),
                 ::mkfifo(QFile::encodeName(Folder() + "/Tessarin.lock"), 0600);
         },
         0, true, notSaved},
        {"a link to a device", [&] { QDir().mkpath(Folder()), QFile::link("/dev/zero", File()); },
         0, false, lost},
        {"a link to a file the user may not write",
         [&] {
             Write(tally), QFile::rename(File(), root.path() + "/ro"), QFile::link("../ro", File());
             QFile::setPermissions(root.path() + "/ro", QFile::ReadOwner);
         },
         7, false, lost},
        {"no HOME, no XDG_CONFIG_HOME",
         [&] {
             qunsetenv("HOME"), qunsetenv("XDG_CONFIG_HOME"), store = IniSettingsStore();
             EXPECT_EQ(store.Location("Tessarin"), passwdHome + "/.config/Tessarin/Tessarin.ini");
         },
         0, false, lost},
        {"a relative XDG_CONFIG_HOME",
         [&] {
             qputenv("HOME", QFile::encodeName(root.path())),
                 qputenv("XDG_CONFIG_HOME", "Tessarin");
             store = IniSettingsStore();
             ASSERT_EQ(store.Location("Tessarin"), root.path() + "/.config/Tessarin/Tessarin.ini");
         },
         0,
         true,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store = IniSettingsStore(root.path());
        messages.shown.clear();
        c.make();
        // What stands where the file or its folder should be stays there.
        const auto inTheWay = [&] {
            return std::pair(QFileInfo(File()).isDir(), QFileInfo(Folder()).isFile());
        };
        const auto before = inTheWay();
        // A real home folder is never played in; an ordinary user's that does not exist is.
        if (!store.Location("Tessarin").startsWith(passwdHome + "/.config/") ||
            !QFileInfo::exists(passwdHome)) {
            Run(/*winOnce=*/true);
            EXPECT_EQ(loadedPerson, c.loaded);
            EXPECT_EQ(counted, c.loaded + 1);
            // A store that could not take the win is left as it was: the same count, or none.
            EXPECT_EQ(IniSettingsStore(store).GetSetting("Tessarin", "Info", "PersonGrade", "0"),
                      QString::number(c.stored ? c.loaded + 1 : c.loaded));
            EXPECT_EQ(Told(), std::vector<std::string>(c.told.begin(), c.told.end()));
            EXPECT_EQ(inTheWay(), before);
        }
        // What was moved aside is kept whole, and an earlier one is not replaced.
        if (c.told.data() == setAside) {
            const bool second = QFile::exists(File() + ".bad.1");
            EXPECT_EQ(QFileInfo(File() + ".bad").size(), second ? 14 : tally.size() + (1 << 20));
        }
        qputenv("HOME", home), qunsetenv("XDG_CONFIG_HOME");
        QFile::setPermissions(root.path() + "/ro", QFile::ReadOwner | QFile::WriteOwner);
        QDir(root.path()).removeRecursively();
        QDir().mkpath(root.path());
    }
}

// A save that failed leaves nothing behind for a later read or save to find: once the file can
// be written again, the next run reads what the file holds and stores its win once.
TEST_F(BadStoreTest, AWinThatCouldNotBeStoredIsNotFoundLater) {
    Write("[Info]\nPersonGrade=5\nComputerGrade=6\n");
    ASSERT_TRUE(QFile::setPermissions(File(), QFile::ReadOwner));
    Run(/*winOnce=*/true);
    EXPECT_EQ(counted, 6);
    ASSERT_TRUE(QFile::setPermissions(File(), QFile::ReadOwner | QFile::WriteOwner));
    Run(/*winOnce=*/true);
    EXPECT_EQ(loadedPerson, 5);
    EXPECT_TRUE(Read().contains("PersonGrade=6")) << Read().toStdString();
}

}  // namespace
}  // namespace tessarin
