// SPDX-License-Identifier: GPL-3.0-or-later
// The INI store on disk: the tally's round trip through the file. (What other writers leave
// there is tried in tests/settings.)

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "engine/game_state.h"
#include "platform/ini_settings_store.h"
#include "tests/support/recorders.h"
#include "ui/board_window/score_store.h"

namespace tessarin {
namespace {

class IniStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString FilePath() const { return dir.path() + "/Tessarin/Tessarin.ini"; }

    QTemporaryDir dir;
    IniSettingsStore store{dir.path()};
    testing::RecordingMessageBox messages;
    testing::ScriptedRandom random;
};

TEST_F(IniStoreTest, RoundTripsTheCountersAsDecimalStrings) {
    GameState game(messages, random);
    ScoreStore scores(store);
    EXPECT_EQ(store.GetSetting("Tessarin", "Info", "Nothing", "0"), "0");  // no file yet
    scores.Load(game);
    EXPECT_EQ(game.PersonGrade, 0);
    EXPECT_EQ(game.ComputerGrade, 0);

    game.PersonGrade = 12;
    game.ComputerGrade = -3;
    EXPECT_EQ(scores.Save(game), ScoreStore::Outcome::Stored);

    QFile file(FilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("[Info]")) << text.toStdString();
    EXPECT_TRUE(text.contains("PersonGrade=12")) << text.toStdString();
    EXPECT_TRUE(text.contains("ComputerGrade=-3")) << text.toStdString();

    GameState next(messages, random);
    scores.Load(next);
    EXPECT_EQ(next.PersonGrade, 12);
    EXPECT_EQ(next.ComputerGrade, -3);
}

}  // namespace
}  // namespace tessarin
