// SPDX-License-Identifier: GPL-3.0-or-later
// The stored tally: what counts as a stored count, and how a save meets other copies and a lock.

#include <gtest/gtest.h>

#include "engine/game_state.h"
#include "tests/support/memory_settings.h"
#include "tests/support/recorders.h"
#include "ui/board_window/score_store.h"

namespace tessarin {
namespace {

// One copy of the game on a store in memory.
struct Copy {
    explicit Copy(const char* person, const char* computer = "4") {
        Store(person, computer);
        scores.Load(game);
    }
    // What the store holds now, whoever put it there; a null PersonGrade: no such key.
    void Store(const char* person, const char* computer = "4") {
        settings.values.clear();
        if (person) settings.Set("PersonGrade", person);
        settings.Set("ComputerGrade", computer);
    }

    testing::MemorySettings settings;
    testing::RecordingMessageBox messages;
    testing::ScriptedRandom random;
    GameState game{messages, random};
    ScoreStore scores{settings};
};

TEST(ScoreStore, LoadsOnlyDecimalSixteenBitCountsAndZeroForTheRest) {
    const std::pair<const char*, int> counts[] = {{"0", 0},   {"12", 12},       {"-5", -5},
                                                  {"007", 7}, {"32767", 32767}, {"-32768", -32768}};
    const char* const unusable[] = {"32768", "-32769", "65535", "",  "abc", "1.5",        "+3",
                                    "0x10",  "1e3",    "12a",   "-", " 7",  "99999999999"};
    const auto loads = [](const char* text, int count) {
        const Copy copy(text, "6");
        EXPECT_EQ(copy.game.PersonGrade, count) << '"' << text << '"';
        EXPECT_EQ(copy.game.ComputerGrade, 6) << '"' << text << '"';
    };
    for (const auto& [text, count] : counts) loads(text, count);
    for (const char* text : unusable) loads(text, 0);
    loads("99999999999999999999", 0);  // past 64 bits too
    Copy unreadable("5", "6");
    unreadable.settings.failReads = true;
    unreadable.scores.Load(unreadable.game);
    EXPECT_EQ(unreadable.game.PersonGrade, 0);
    EXPECT_EQ(unreadable.game.ComputerGrade, 0);
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
        {"the player reset the tally", "5", 1, "0", "1"},
        {"the key was removed", "5", 1, nullptr, "1"},
        {"an unusable value", "5", 1, "abc", "1"},
        {"at the top", "32760", 5, "32766", "32767"},
        {"at the top already", "32767", 0, "32767", "32767"},
    };
    for (const Case& c : cases) {
        Copy copy(c.loaded);
        copy.game.PersonGrade = static_cast<std::int16_t>(copy.game.PersonGrade + c.wins);
        copy.Store(c.stored);
        EXPECT_EQ(copy.scores.Save(copy.game), ScoreStore::Outcome::Stored) << c.name;
        EXPECT_EQ(copy.settings.Get("PersonGrade"), c.saved) << c.name;
        EXPECT_EQ(QString::number(copy.game.PersonGrade), c.saved) << c.name;
        EXPECT_EQ(copy.settings.Get("ComputerGrade"), "4") << c.name;
    }
}

TEST(ScoreStore, WinsWaitForTheLockAndAreNeverDropped) {
    Copy copy("5", "1");

    // Another copy holds the lock: nothing is read or written, the game keeps its count.
    copy.settings.lockBusy = true;
    ++copy.game.PersonGrade;
    copy.settings.log.clear();
    EXPECT_EQ(copy.scores.Save(copy.game), ScoreStore::Outcome::Postponed);
    EXPECT_EQ(copy.settings.log, std::vector<QString>{"lock busy"});
    EXPECT_EQ(copy.game.PersonGrade, 6);

    // The next save, with the lock free, brings this win and the next one along, on top of
    // what the other copy stored meanwhile.
    copy.settings.lockBusy = false;
    copy.settings.Set("PersonGrade", "8");
    ++copy.game.PersonGrade;
    EXPECT_EQ(copy.scores.Save(copy.game), ScoreStore::Outcome::Stored);
    EXPECT_EQ(copy.settings.Get("PersonGrade"), "10");

    // At close a lock that stays taken does not cost the wins: they are written without it.
    copy.settings.lockBusy = true;
    ++copy.game.ComputerGrade;
    EXPECT_EQ(copy.scores.SaveAtClose(copy.game), ScoreStore::Outcome::Stored);
    EXPECT_EQ(copy.settings.Get("PersonGrade"), "10");
    EXPECT_EQ(copy.settings.Get("ComputerGrade"), "2");

    // A count that could not be written keeps its wins too.
    copy.settings.lockBusy = false;
    copy.settings.failWrites = true;
    ++copy.game.PersonGrade;
    EXPECT_EQ(copy.scores.Save(copy.game), ScoreStore::Outcome::Failed);
    EXPECT_TRUE(copy.scores.HasUnsavedWins(copy.game));
    copy.settings.failWrites = false;
    EXPECT_EQ(copy.scores.SaveAtClose(copy.game), ScoreStore::Outcome::Stored);
    EXPECT_FALSE(copy.scores.HasUnsavedWins(copy.game));
    EXPECT_EQ(copy.settings.Get("PersonGrade"), "11");

    // Stored but not known to be on disk: a failed save, whose win the next save does not add
    // again.
    copy.settings.failSyncs = true;
    ++copy.game.PersonGrade;
    EXPECT_EQ(copy.scores.Save(copy.game), ScoreStore::Outcome::Failed);
    EXPECT_TRUE(copy.scores.HasUnsavedWins(copy.game));
    copy.settings.failSyncs = false;
    EXPECT_EQ(copy.scores.SaveAtClose(copy.game), ScoreStore::Outcome::Stored);
    EXPECT_FALSE(copy.scores.HasUnsavedWins(copy.game));
    EXPECT_EQ(copy.settings.Get("PersonGrade"), "12");
}

}  // namespace
}  // namespace tessarin
