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
#include <QThread>
#include <random>
#include <string>

namespace {

// Any wait longer than this is a hang: a loaded machine needs seconds, never a minute.
constexpr int Deadline = 60'000;

class Copy {
public:
    explicit Copy(const QString& configHome, const QStringList& variables = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
        for (const QString& variable : variables)
            env.insert(variable.section('=', 0, 0), variable.section('=', 1));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(TALLY_DRIVER), {});
        loaded = Answer();
    }
    ~Copy() { Kill(); }
    QString Ask(const char* command) {
        Send(command);
        return Answer();
    }
    void Send(const char* command) { process_.write(QByteArray(command) + '\n'); }
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
    // The whole file as the program writes it.
    static std::string Text(int person, int computer) {
        return "[Info]\nPersonGrade=" + std::to_string(person) +
               "\nComputerGrade=" + std::to_string(computer) + '\n';
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

// A disk that fails one system call of the store's: each kind of call a save makes, failing
// once at each of its places in turn. The file is at every moment the old tally or the new one,
// whole; the win reaches the store at the latest at close; and a failed save is told.
TEST_F(SharedTallyTest, EachFailingCallOfASaveLeavesAWholeTallyAndIsTold) {
    const QString log = home.path() + "/faults.log";
    int injected = 0;
    for (const char* kind : {"open", "write", "fsync", "close", "rename", "link"}) {
        for (int n = 1;; ++n) {
            SCOPED_TRACE(std::string(kind) + " #" + std::to_string(n));
            QFile::remove(log);
            Store(7, 3);
            Copy copy(
                home.path(),
                {"LD_PRELOAD=" FAULT_SHIM, "ASAN_OPTIONS=verify_asan_link_order=0",
                 QString("TESSARIN_FAULT=%1:%2").arg(kind).arg(n),
                 "TESSARIN_FAULT_DIR=" + home.path() + "/Tessarin", "TESSARIN_FAULT_LOG=" + log});
            const bool atStart = QFile::exists(log);  // a read at start is no save
            copy.Ask("win person");
            EXPECT_TRUE(Stored() == Text(7, 3) || Stored() == Text(8, 3)) << Stored();
            // The win's remark, and the failed save's message when the win was not stored or
            // not synced, a call on the folder (the lock's own sync and close fail harmlessly).
            QFile failed(log);
            const QString call =
                failed.open(QIODevice::ReadOnly) ? failed.readLine().trimmed() : "";
            const bool lost =
                !atStart && !call.isEmpty() &&
                (Stored() == Text(7, 3) || call.endsWith(' ' + home.path() + "/Tessarin"));
            EXPECT_EQ(copy.Ask("told"), lost ? "told 2" : "told 1");
            copy.Ask("close");
            ASSERT_TRUE(copy.Ended());
            if (!QFile::exists(log)) break;  // this kind has no n-th call
            ++injected;
            EXPECT_EQ(Stored(), Text(8, 3));
        }
    }
    EXPECT_GE(injected, 6);
    std::printf("settings: %d failing calls tried\n", injected);
}

// Copies killed at random moments of a win's save leave temporary files behind, and locks of
// their own; the next start removes them, and nothing else.
TEST_F(SharedTallyTest, WhatKilledSavesLeaveIsGoneAfterTheNextStart) {
    constexpr int Kills = 50;
    const QString folder = home.path() + "/Tessarin";
    Store(7, 3);
    std::mt19937 moment(2812);
    for (int i = 0; i < Kills; ++i) {
        Copy copy(home.path());
        copy.Send("win person");
        QThread::usleep(std::uniform_int_distribution<>(0, 3000)(moment));
        copy.Kill();
    }
    // What a copy of an earlier version, killed while saving, left; and files of the player's.
    const QStringList left = {".Tessarin.ini.Ab3dE9", ".Tessarin.ini.Ab3dE9.lock",
                              "Tessarin.lock.rmlock", "Tessarin.lock.rmlock.rmlock"};
    const QStringList kept = {"Tessarin.ini", "Tessarin.ini.bad", ".Tessarin.ini.backup-2",
                              "Tessarin.lock.txt", "notes"};
    for (const QString& name : left + kept.mid(1))
        QFile(folder + '/' + name).open(QIODevice::WriteOnly);
    const QStringList before = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    Copy next(home.path());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name), [&] {
        QStringList sorted = kept;
        sorted.sort();
        return sorted;
    }()) << before.join(' ').toStdString();
    EXPECT_EQ(next.Ask("close").left(7), "closed ");
    std::printf(
        "settings: %d copies killed while saving; %lld files in the folder, %lld after a start\n",
        Kills, static_cast<long long>(before.size()), static_cast<long long>(kept.size()));
}

}  // namespace
