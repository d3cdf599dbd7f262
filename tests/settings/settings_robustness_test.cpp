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
#include <filesystem>
#include <fstream>
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
        written = bytes;
    }
    QByteArray Read(const QString& path) {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    QByteArray Read() { return Read(File()); }
    // The tally as a fresh copy of the game would read it, "PersonGrade:ComputerGrade".
    std::string Stored() {
        IniSettingsStore reader(store);
        return (reader.GetSetting("Tessarin", "Info", "PersonGrade", "0") + ':' +
                reader.GetSetting("Tessarin", "Info", "ComputerGrade", "0"))
            .toStdString();
    }
    enum class Win { None, Person, Computer };
    // Opens the window on the store as it is, optionally lets one side win a game (the human
    // by its own stone, the computer by its reply), and closes it.
    void Run(Win win = Win::None) {
        ::alarm(60);
        Form1 form({messages, random, store, nullptr});
        form.show();
        loadedPerson = form.Game().PersonGrade;
        loadedComputer = form.Game().ComputerGrade;
        if (win != Win::None) {
            GameState& game = form.Game();
            const bool person = win == Win::Person;
            for (int x = 1; x <= 4; ++x)
                game.Board(x, person ? 1 : 3) = person ? HumanSide : ComputerSide;
            game.CurX = person ? 5 : 19;
            game.CurY = person ? 1 : 19;
            random.Always(0.0f);
            if (game.PlaceHumanStone()) game.ComputerMove();
            EXPECT_EQ(game.GameOver, BoolTrue);
        }
        EXPECT_TRUE(form.close());
        counted = form.Game().PersonGrade;
    }
    // The tally messages shown, each by its first line.
    std::vector<std::string> Told() const {
        std::vector<std::string> told;
        for (const char* tally : {texts::TallyNotSaved, texts::TallyLostAtClose,
                                  texts::TallySetAside, texts::TallyKeptAside})
            for (const std::string& text : messages.shown)
                if (text.starts_with(tally)) told.emplace_back(tally);
        return told;
    }

    QTemporaryDir root;
    IniSettingsStore store{root.path()};
    testing::RecordingMessageBox messages;
    testing::ScriptedRandom random;
    QByteArray written;  // what Write() last put in the file
    int loadedPerson = -1;
    int loadedComputer = -1;
    int counted = -1;
};

// Random bytes of up to twice what is read, half of them after a good tally: the tally goes on
// from what could be read, and whatever else the file held is kept whole beside it.
TEST_F(BadStoreTest, RandomJunkNeitherCostsTheTallyNorAWin) {
    constexpr int Files = 200;
    std::mt19937 bytes(1208);
    for (int i = 0; i < Files; ++i) {
        const bool tally = i % 2 == 0;
        QByteArray file = tally ? "[Info]\nPersonGrade=7\nComputerGrade=3\n" : "";
        const int junk = std::uniform_int_distribution<>(0, 2 * IniSettingsStore::ReadLimit)(bytes);
        for (int b = 0; b < junk; ++b) file += static_cast<char>(bytes());
        Write(file);
        Run(Win::Computer);
        EXPECT_EQ(loadedPerson, tally ? 7 : 0) << "file " << i;
        EXPECT_EQ(loadedComputer, tally ? 3 : 0) << "file " << i;
        EXPECT_EQ(Stored(), tally ? "7:4" : "0:1") << "file " << i;
        if (junk > 0) {
            EXPECT_TRUE(Read(File() + ".bad") == written) << "file " << i;
        }
        QDir(Folder()).removeRecursively();
    }
    std::printf("settings: %d files of random junk loaded, won in and closed\n", Files);
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
        {"[Info]\nPersonGrade=\"7\"\nComputerGrade=1,2\n", 0, 0},
        {"[Info\nPersonGrade=7\n", 0, 0},  // no tally without its section
        {" [Info] \r\n\r\nComputerGrade = 2\r\nPersonGrade=5\r\n", 5, 2},
        {"", 0, 0},
    };
    for (const Case& c : cases) {
        Write(c.file);
        Run();
        EXPECT_EQ(loadedPerson, c.person) << c.file;
        EXPECT_EQ(loadedComputer, c.computer) << c.file;
        // Closing leaves what was loaded, as decimal strings, and nothing else.
        EXPECT_EQ(Read(), "[Info]\nPersonGrade=" + QByteArray::number(c.person) +
                              "\nComputerGrade=" + QByteArray::number(c.computer) + '\n');
        QDir(Folder()).removeRecursively();
    }
    std::printf("settings: %zu malformed stores tried\n", std::size(cases));
}

TEST_F(BadStoreTest, AnUnreadableFileIsNeitherReadNorOverwritten) {
    Write("[Info]\nPersonGrade=12\nComputerGrade=3\n");
    ASSERT_TRUE(QFile::setPermissions(File(), QFileDevice::Permissions()));
    Run(Win::Person);
    EXPECT_EQ(loadedPerson, 0);
    EXPECT_EQ(loadedComputer, 0);
    EXPECT_EQ(Read(), "[Info]\nPersonGrade=12\nComputerGrade=3\n");
}

TEST_F(BadStoreTest, AReadOnlyFolderKeepsTheStoredTally) {
    Write("[Info]\nPersonGrade=12\nComputerGrade=3\n");
    ASSERT_TRUE(QFile::setPermissions(Folder(), QFile::ReadOwner | QFile::ExeOwner));
    Run(Win::Person);  // the win cannot be stored: the old tally stays whole
    EXPECT_EQ(loadedPerson, 12);
    EXPECT_EQ(loadedComputer, 3);
    EXPECT_EQ(Read(), "[Info]\nPersonGrade=12\nComputerGrade=3\n");
}

TEST_F(BadStoreTest, AReadOnlyFileKeepsTheStoredTally) {
    Write("[Info]\nPersonGrade=5\nComputerGrade=6\n");
    ASSERT_TRUE(QFile::setPermissions(File(), QFile::ReadOwner));
    ASSERT_TRUE(QFile::setPermissions(Folder(), QFile::ReadOwner | QFile::ExeOwner));
    Run(Win::Person);
    EXPECT_EQ(loadedPerson, 5);
    EXPECT_EQ(Read(), "[Info]\nPersonGrade=5\nComputerGrade=6\n");
}

// Stores a new user's broken home folder may hold. Each row starts the window on it, wins once
// and closes: the start never blocks, the win is counted exactly once, in the store when it
// can be stored, the player hears of every win it could not keep, and whatever the file held
// besides a tally is kept byte for byte beside it.
TEST_F(BadStoreTest, HostileStoresNeitherBlockNorCountAWinTwice) {
    const QByteArray tally = "[Info]\nPersonGrade=7\nComputerGrade=3\n";
    constexpr int Limit = IniSettingsStore::ReadLimit;
    const auto junk = [](int bytes, int seed, char from = 0) {
        std::mt19937 draw(seed);
        QByteArray junk;
        while (junk.size() < bytes) junk += static_cast<char>(from + draw() % (256 - from));
        return junk;
    };
    const QByteArray home = qgetenv("HOME");
    const QString passwdHome = QFile::decodeName(getpwuid(getuid())->pw_dir);
    const char* const lost[] = {texts::TallyNotSaved, texts::TallyLostAtClose};
    const char* const kept[] = {texts::TallyKeptAside};
    const char* const setAside[] = {texts::TallySetAside};
    const char* const notSaved[] = {texts::TallyNotSaved};  // stored at close, without the lock
    struct Case {
        const char* name;
        std::function<void()> make;
        const char* loaded;  // the tally the window starts with
        const char* stored;  // the tally in the store afterwards, as a new copy reads it
        std::span<const char* const> told;
        // Where the file is kept as it was: after the file's name, or in the temporary folder
        // when it starts with a slash.
        const char* aside = nullptr;
    };
    bool skipped = false;  // the row cannot be made here
    const Case cases[] = {
        {"a tally", [&] { Write(tally); }, "7:3", "8:3", {}},
        {"4 KiB of junk after the tally", [&] { Write(tally + junk(4 << 10, 1)); }, "7:3", "8:3",
         kept, ".bad"},
        // Bytes an INI writer escapes, each as several: carried over, they would grow the file.
        {"junk that escapes larger, just under the limit",
         [&] { Write(tally + junk(Limit - tally.size() - 1, 2, '\x80')); }, "7:3", "8:3", kept,
         ".bad"},
        {"junk just over the limit", [&] { Write(tally + junk(Limit - tally.size() + 1, 3)); },
         "7:3", "8:3", kept, ".bad"},
        {"1 MiB of junk after the tally", [&] { Write(tally + junk(1 << 20, 4)); }, "7:3", "8:3",
         kept, ".bad"},
        {"100 MB, .bad already taken",
         [&] {
             Write("an earlier one"), QFile::rename(File(), File() + ".bad"), Write(tally);
             ASSERT_EQ(::truncate(QFile::encodeName(File()), 100'000'000), 0);
             written.resize(100'000'000, '\0');
         },
         "7:3", "8:3", kept, ".bad.1"},
        {"junk before the tally", [&] { Write(junk(3000, 5, ' ') + '\n' + tally); }, "7:3", "8:3",
         kept, ".bad"},
        {"the tally twice", [&] { Write(tally + "[Info]\nPersonGrade=1\nComputerGrade=1\n"); },
         "7:3", "8:3", kept, ".bad"},
        {"another key with the tally", [&] { Write(tally + "Sound=on\n"); }, "7:3", "8:3", kept,
         ".bad"},
        {"junk and no tally", [&] { Write(junk(5000, 6)); }, "0:0", "1:0", setAside, ".bad"},
        {"the tally only past the limit", [&] { Write(junk(Limit, 7, ' ') + '\n' + tally); }, "0:0",
         "1:0", setAside, ".bad"},
        {"a store kept aside by an earlier win",
         [&] {
             Write(tally + junk(100, 8)), Run(Win::Person), messages.shown.clear();
             written = Read(File() + ".bad");
         },
         "8:3",
         "9:3",
         {},
         ".bad"},
        {"a pipe", [&] { QDir().mkpath(Folder()), ::mkfifo(QFile::encodeName(File()), 0600); },
         "0:0", "0:0", lost},
        {"a folder", [&] { QDir().mkpath(File()); }, "0:0", "0:0", lost},
        {"a file in the way of the folder",
         [&] {
             QFile blocker(Folder());
             ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
             blocker.write("not a folder");
         },
         "0:0", "0:0", lost},
        {"a pipe as the lock file",
         [&] {
             QDir().mkpath(Folder()),
                 ::mkfifo(QFile::encodeName(Folder() + "/Tessarin.lock"), 0600);
         },
         "0:0", "1:0", notSaved},
        {"a link to a device", [&] { QDir().mkpath(Folder()), QFile::link("/dev/zero", File()); },
         "0:0", "0:0", lost},
        {"a link to a file the user may not write",
         [&] {
             Write(tally), QFile::rename(File(), root.path() + "/ro"), QFile::link("../ro", File());
             QFile::setPermissions(root.path() + "/ro", QFile::ReadOwner);
         },
         "7:3", "7:3", lost},
        {"a link to a junk-tailed file",
         [&] {
             Write(tally + junk(200, 9)), QFile::rename(File(), root.path() + "/real");
             QFile::link("../real", File());
         },
         "7:3", "8:3", kept, "/real.bad"},
        {"no HOME, no XDG_CONFIG_HOME",
         [&] {
             qunsetenv("HOME"), qunsetenv("XDG_CONFIG_HOME"), store = IniSettingsStore();
             EXPECT_EQ(store.Location("Tessarin"), passwdHome + "/.config/Tessarin/Tessarin.ini");
         },
         "0:0", "0:0", lost},
        {"a relative XDG_CONFIG_HOME",
         [&] {
             qputenv("HOME", QFile::encodeName(root.path())),
                 qputenv("XDG_CONFIG_HOME", "Tessarin");
             store = IniSettingsStore();
             ASSERT_EQ(store.Location("Tessarin"), root.path() + "/.config/Tessarin/Tessarin.ini");
         },
         "0:0",
         "1:0",
         {}},
        // Paths are bytes: a folder name that is no UTF-8 must not become another folder.
        {"an XDG_CONFIG_HOME that is no UTF-8",
         [&] {
             const std::string config = QFile::encodeName(root.path()).toStdString() + "/caf\xe9";
             std::filesystem::create_directories(config + "/Tessarin");
             std::ofstream(config + "/Tessarin/Tessarin.ini") << tally.constData();
             qputenv("XDG_CONFIG_HOME", config.c_str());
             store = IniSettingsStore();
         },
         "7:3", "8:3", {}},
        // Another user's, left by a copy that is gone, in a folder where only a file's owner may
        // remove it: no save gets the lock, but the player hears of it, and the close stores
        // the win without it. Made by run_unprivileged.sh, which needs root to make it.
        {"another user's stale lock",
         [&] {
             const QString foreign = qEnvironmentVariable("TESSARIN_FOREIGN_LOCK_HOME");
             if (foreign.isEmpty()) {
                 std::puts("settings: no other user's lock to try (made only when run as root)");
                 skipped = true;
             }
             store = IniSettingsStore(foreign);
         },
         "0:0", "1:0", notSaved},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store = IniSettingsStore(root.path());
        messages.shown.clear();
        skipped = false;
        c.make();
        if (skipped) continue;
        // What stands where the file or its folder should be stays there.
        const auto inTheWay = [&] {
            return std::pair(QFileInfo(File()).isDir(), QFileInfo(Folder()).isFile());
        };
        const auto before = inTheWay();
        // A real home folder is never played in; an ordinary user's that does not exist is.
        if (!store.Location("Tessarin").startsWith(passwdHome + "/.config/") ||
            !QFileInfo::exists(passwdHome)) {
            Run(Win::Person);
            EXPECT_EQ(std::to_string(loadedPerson) + ':' + std::to_string(loadedComputer),
                      c.loaded);
            EXPECT_EQ(counted, loadedPerson + 1);
            EXPECT_EQ(Stored(), c.stored);
            EXPECT_EQ(Told(), std::vector<std::string>(c.told.begin(), c.told.end()));
            EXPECT_EQ(inTheWay(), before);
        }
        if (c.aside) {
            const QString aside = (c.aside[0] == '/' ? root.path() : File()) + c.aside;
            EXPECT_TRUE(Read(aside) == written) << "not kept whole";
            EXPECT_FALSE(QFile::exists(aside + ".1"));  // and kept once
        }
        qputenv("HOME", home), qunsetenv("XDG_CONFIG_HOME");
        QFile::setPermissions(root.path() + "/ro", QFile::ReadOwner | QFile::WriteOwner);
        std::filesystem::remove_all(QFile::encodeName(root.path()).toStdString());
        QDir().mkpath(root.path());
    }
}

// A save that failed leaves nothing behind for a later read or save to find: once the file can
// be written again, the next run reads what the file holds and stores its win once.
TEST_F(BadStoreTest, AWinThatCouldNotBeStoredIsNotFoundLater) {
    Write("[Info]\nPersonGrade=5\nComputerGrade=6\n");
    ASSERT_TRUE(QFile::setPermissions(File(), QFile::ReadOwner));
    Run(Win::Person);
    EXPECT_EQ(counted, 6);
    ASSERT_TRUE(QFile::setPermissions(File(), QFile::ReadOwner | QFile::WriteOwner));
    Run(Win::Person);
    EXPECT_EQ(loadedPerson, 5);
    EXPECT_TRUE(Read().contains("PersonGrade=6")) << Read().toStdString();
}

}  // namespace
}  // namespace tessarin
