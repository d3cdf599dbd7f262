// SPDX-License-Identifier: GPL-3.0-or-later
// The stored tally: what counts as a stored count, and how a save meets other copies and a lock.

#include <gtest/gtest.h>

#include "engine/game_state.h"
#include "tests/support/memory_settings.h"
#include "tests/support/recorders.h"
#include "ui/board_window/score_store.h"

namespace tessarin {
namespace {

TEST(ScoreStore, ParsesOnlyDecimalSixteenBitCounts) {
    struct Case {
        const char* text;
        std::optional<std::int16_t> value;
    };
    const Case cases[] = {
        {"0", 0},
        {"12", 12},
        {"-5", -5},
        {"007", 7},
        {"32767", 32767},
        {"-32768", -32768},
        {"32768", {}},
        {"-32769", {}},
        {"65535", {}},
        {"", {}},
        {"abc", {}},
        {"1.5", {}},
        {"+3", {}},
        {"0x10", {}},
        {"1e3", {}},
        {"12a", {}},
        {"-", {}},
        {" 7", {}},
        {"99999999999999999999", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScoreStore::ParseGrade(QString::fromLatin1(c.text)), c.value)
            << '"' << c.text << '"';
    }
}

// A save adds this copy's unsaved wins to what is stored at that moment, whoever put it there.
TEST(ScoreStore, SaveAddsTheUnsavedWinsToWhatIsStoredNow) {
    struct Case {
        const char* name;
        const char* loaded;  // PersonGrade when the copy started
        int wins;            // human wins counted since
        const char* stored;  // PersonGrade in the store when it saves
        const char* saved;   // PersonGrade afterwards, in the store and in the game
    };
    const Case cases[] = {
        {"one copy", "5", 2, "5", "7"},
        {"no win", "5", 0, "5", "5"},
        {"another copy saved 3 wins", "5", 1, "8", "9"},
        {"another copy closed without a win", "5", 0, "5", "5"},
        {"the player reset the tally", "5", 1, "0", "1"},
        {"the key was removed", "5", 1, nullptr, "1"},
        {"an unusable value", "5", 1, "abc", "1"},
        {"at the top", "32760", 5, "32766", "32767"},
        {"at the top already", "32767", 0, "32767", "32767"},
    };
    for (const Case& c : cases) {
        testing::MemorySettings settings;
        testing::RecordingMessageBox messages;
        testing::ScriptedRandom random;
        GameState game(messages, random);
        ScoreStore scores(settings);
        settings.Set("PersonGrade", c.loaded);
        settings.Set("ComputerGrade", "4");
        scores.Load(game);
        game.PersonGrade = static_cast<std::int16_t>(game.PersonGrade + c.wins);
        if (c.stored) {
            settings.Set("PersonGrade", c.stored);
        } else {
            settings.values.remove(
                testing::MemorySettings::Path("Tessarin", "Info", "PersonGrade"));
        }
        EXPECT_EQ(scores.Save(game), ScoreStore::Outcome::Stored) << c.name;
        EXPECT_EQ(settings.Get("PersonGrade"), c.saved) << c.name;
        EXPECT_EQ(QString::number(game.PersonGrade), c.saved) << c.name;
        EXPECT_EQ(settings.Get("ComputerGrade"), "4") << c.name;
    }
}

TEST(ScoreStore, WinsWaitForTheLockAndAreNeverDropped) {
    testing::MemorySettings settings;
    testing::RecordingMessageBox messages;
    testing::ScriptedRandom random;
    GameState game(messages, random);
    ScoreStore scores(settings);
    settings.Set("PersonGrade", "5");
    settings.Set("ComputerGrade", "1");
    scores.Load(game);

    // Another copy holds the lock: nothing is read or written, the game keeps its count.
    settings.lockBusy = true;
    ++game.PersonGrade;
    settings.log.clear();
    EXPECT_EQ(scores.Save(game), ScoreStore::Outcome::Postponed);
    EXPECT_EQ(settings.log, std::vector<QString>{"lock busy"});
    EXPECT_EQ(game.PersonGrade, 6);

    // The next save, with the lock free, brings this win and the next one along, on top of
    // what the other copy stored meanwhile.
    settings.lockBusy = false;
    settings.Set("PersonGrade", "8");
    ++game.PersonGrade;
    EXPECT_EQ(scores.Save(game), ScoreStore::Outcome::Stored);
    EXPECT_EQ(settings.Get("PersonGrade"), "10");

    // At close a lock that stays taken does not cost the wins: they are written without it.
    settings.lockBusy = true;
    ++game.ComputerGrade;
    EXPECT_EQ(scores.SaveAtClose(game), ScoreStore::Outcome::Stored);
    EXPECT_EQ(settings.Get("PersonGrade"), "10");
    EXPECT_EQ(settings.Get("ComputerGrade"), "2");

    // A count that could not be written keeps its wins too.
    settings.lockBusy = false;
    settings.failWrites = true;
    ++game.PersonGrade;
    EXPECT_EQ(scores.Save(game), ScoreStore::Outcome::Failed);
    EXPECT_TRUE(scores.HasUnsavedWins(game));
    settings.failWrites = false;
    EXPECT_EQ(scores.SaveAtClose(game), ScoreStore::Outcome::Stored);
    EXPECT_FALSE(scores.HasUnsavedWins(game));
    EXPECT_EQ(settings.Get("PersonGrade"), "11");
}

}  // namespace
}  // namespace tessarin
