// The stored tally under bad conditions: garbage, values that are no count, files and folders
// the user may not read or write. The window must load (with 0 where a value is unusable),
// close when asked, and never destroy a good stored value that it could not replace.
//
// Permissions mean nothing to root, so this runs as an ordinary user (see run_unprivileged.sh).

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

#include "platform/ini_settings_store.h"
#include "tests/support/recorders.h"
#include "ui/board_window/board_window.h"

namespace tessarin {
namespace {

class BadStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(geteuid(), 0u) << "permissions are not enforced for root: run this as a user";
        ASSERT_TRUE(root.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root.path());
    }
    void TearDown() override {
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
    }

    QTemporaryDir root;
    IniSettingsStore store;
    testing::RecordingMessageBox messages;
    testing::ScriptedRandom random;
    int loadedPerson = -1;
    int loadedComputer = -1;
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

TEST_F(BadStoreTest, AFolderInTheWayOfTheFileOrAFileInTheWayOfTheFolder) {
    QDir().mkpath(File());  // a folder where the file should be
    Run(true);
    EXPECT_EQ(loadedPerson, 0);
    EXPECT_TRUE(QFileInfo(File()).isDir());
    QDir(File()).removeRecursively();
    QDir(Folder()).removeRecursively();

    QFile blocker(Folder());  // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.write("not a folder");
    blocker.close();
    Run(true);
    EXPECT_EQ(loadedPerson, 0);
    EXPECT_TRUE(QFileInfo(Folder()).isFile());
    QFile::remove(Folder());
}

}  // namespace
}  // namespace tessarin
