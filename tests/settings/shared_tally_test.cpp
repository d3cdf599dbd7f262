// SPDX-License-Identifier: GPL-3.0-or-later
// Copies of the game running at once on one settings folder, each a real process with the real
// window and INI store (tally_driver): no copy's save may take back a win another one stored,
// a tally the player edits in between stays edited, and a lock file never costs a win or hangs.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <string>

namespace {

// Any wait longer than this is a hang: a loaded machine needs seconds, never a minute.
constexpr int Deadline = 60'000;

class Copy {
public:
    explicit Copy(const QString& configHome) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(TALLY_DRIVER), {});
        loaded = Answer();
    }
    ~Copy() { Kill(); }
    QString Ask(const char* command) {
        process_.write(QByteArray(command) + '\n');
        return Answer();
    }
    void Kill() {
        process_.kill();
        process_.waitForFinished(Deadline);
    }
    bool Ended() { return process_.waitForFinished(Deadline); }

    QString loaded;

private:
    QString Answer() {
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(Deadline)) return QStringLiteral("<no answer>");
        }
        return QString::fromUtf8(process_.readLine()).trimmed();
    }
    QProcess process_;
};

class SharedTallyTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(home.isValid()); }
    QString File() const { return home.path() + "/Tessarin/Tessarin.ini"; }
    // Writes the file as a player's editor would: some time after the game last saved it (a
    // second, not the same tick of the file system's clock, which an edit by hand never hits).
    void Store(int person, int computer) {
        QDir().mkpath(home.path() + "/Tessarin");
        const QDateTime before = QFileInfo(File()).lastModified();
        QFile file(File());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(Text(person, computer).c_str());
        if (before.isValid())
            file.setFileTime(before.addSecs(1), QFileDevice::FileModificationTime);
    }
    // The whole file as the program writes it (the INI writer puts the keys in name order).
    static std::string Text(int person, int computer) {
        return "[Info]\nComputerGrade=" + std::to_string(computer) +
               "\nPersonGrade=" + std::to_string(person) + '\n';
    }
    std::string Stored() const {
        QFile file(File());
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<no file>";
    }

    QTemporaryDir home;
};

TEST_F(SharedTallyTest, ACopyThatPlayedNothingDoesNotTakeBackAnotherCopysWin) {
    Store(5, 2);
    Copy a(home.path()), b(home.path());
    EXPECT_EQ(a.loaded, "loaded 5:2");
    EXPECT_EQ(b.loaded, "loaded 5:2");
    EXPECT_EQ(a.Ask("win person"), "counted 6:2");
    EXPECT_EQ(Stored(), Text(6, 2));
    EXPECT_EQ(a.Ask("close"), "closed 6:2");
    EXPECT_EQ(b.Ask("close"), "closed 6:2");
    EXPECT_EQ(Stored(), Text(6, 2));
}

TEST_F(SharedTallyTest, WinsOfCopiesPlayingAtOnceAllCount) {
    Store(5, 2);
    Copy a(home.path()), b(home.path());
    EXPECT_EQ(a.Ask("win person"), "counted 6:2");
    // B's save brings A's win into B's own counts: its score box shows the whole tally.
    EXPECT_EQ(b.Ask("win computer"), "counted 6:3");
    EXPECT_EQ(b.Ask("win person"), "counted 7:3");
    EXPECT_EQ(a.Ask("win computer"), "counted 7:4");
    EXPECT_EQ(b.Ask("close"), "closed 7:4");
    EXPECT_EQ(a.Ask("close"), "closed 7:4");
    EXPECT_EQ(Stored(), Text(7, 4));
}

TEST_F(SharedTallyTest, ATallyEditedBetweenSavesStaysEditedPlusTheNewWins) {
    Store(5, 2);
    Copy a(home.path());
    EXPECT_EQ(a.Ask("win person"), "counted 6:2");
    Store(0, 0);  // the player resets the tally while the game is open
    EXPECT_EQ(a.Ask("win person"), "counted 1:0");
    EXPECT_EQ(a.Ask("close"), "closed 1:0");
    EXPECT_EQ(Stored(), Text(1, 0));
}

TEST_F(SharedTallyTest, ALockLeftByAKilledCopyIsTakenOver) {
    Store(5, 2);
    {
        Copy dead(home.path());
        ASSERT_EQ(dead.Ask("hold-lock"), "holding");
        dead.Kill();
    }
    ASSERT_TRUE(QFile::exists(home.path() + "/Tessarin/Tessarin.lock"));
    Copy a(home.path());
    EXPECT_EQ(a.Ask("win person"), "counted 6:2");
    EXPECT_EQ(Stored(), Text(6, 2));  // stored at once, not left for later
    EXPECT_EQ(a.Ask("close"), "closed 6:2");
}

TEST_F(SharedTallyTest, ALockThatStaysTakenNeitherCostsTheWinNorHangsTheClose) {
    Store(5, 2);
    Copy stuck(home.path());
    ASSERT_EQ(stuck.Ask("hold-lock"), "holding");
    Copy a(home.path());
    EXPECT_EQ(a.Ask("win person"), "counted 6:2");
    EXPECT_EQ(Stored(), Text(5, 2));  // not written while the lock is held...
    EXPECT_EQ(a.Ask("win person"), "counted 7:2");
    EXPECT_EQ(a.Ask("close"), "closed 7:2");
    EXPECT_TRUE(a.Ended());
    EXPECT_EQ(Stored(), Text(7, 2));  // ...but at close, without it
}

}  // namespace
