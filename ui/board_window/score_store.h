// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one owner of the stored tally: where it lives, its keys and defaults, what counts as a
// usable stored value, and how copies of the program running at once share it.

#include <QString>
#include <chrono>
#include <cstdint>
#include <optional>

#include "platform/settings_store.h"

namespace tessarin {

class GameState;

class ScoreStore {
public:
    static constexpr const char* Application = "Tessarin";
    static constexpr const char* Section = "Info";
    static constexpr const char* PersonKey = "PersonGrade";
    static constexpr const char* ComputerKey = "ComputerGrade";
    // How long a save waits for another copy to finish its own. A save takes milliseconds; a
    // lock held longer belongs to a copy that is stuck.
    static constexpr std::chrono::milliseconds LockWait{1000};

    enum class Outcome {
        Stored,     // the wins are in the store
        Postponed,  // another copy held the lock: the wins wait for the next save
        Failed,     // the store could not take them: they wait, but may never get there
    };

    explicit ScoreStore(SettingsStore& settings) : settings_(&settings) {}

    // Reads PersonGrade, then ComputerGrade. Anything unusable reads as 0.
    void Load(GameState& game);
    // Under the store's lock, reads both counts as they are stored now (another copy may have
    // saved its wins, the player may have reset the tally), adds the wins counted here since
    // the last save, and stores PersonGrade and ComputerGrade in one write. The game then
    // holds the stored counts, so the score box shows the whole tally. Without the lock
    // nothing is written and the wins wait for the next save.
    Outcome Save(GameState& game);
    // The same at close, the last chance: when the lock cannot be had, it writes without it
    // rather than drop the wins.
    Outcome SaveAtClose(GameState& game);
    // Wins counted here that no save has stored yet, or not on disk.
    bool HasUnsavedWins(const GameState& game) const;

    // Where a save kept the store as it was, because the store held more than a tally, since
    // the last question; and whether a tally could be read from it (else the tally went on
    // from 0:0).
    struct SetAside {
        QString file;  // empty: nothing was kept aside
        bool tallyRead = false;
    };

    // For telling the player: where the tally is kept, why the last save failed (for a log
    // line), and what a save kept aside.
    QString Location() const;
    QString Problem() const { return problem_; }
    SetAside TakeSetAside();

    // A stored count: a decimal integer that fits 16 bits, or nothing.
    static std::optional<std::int16_t> ParseGrade(const QString& text);

private:
    struct Counts {
        std::int16_t person = 0;
        std::int16_t computer = 0;
    };
    static Counts CountsOf(const std::optional<SettingsStore::Section>& section);
    bool Merge(GameState& game);

    SettingsStore* settings_;
    // The counts as this copy last read or stored them: what the game holds beyond them are
    // wins not yet stored.
    std::int16_t storedPerson_ = 0;
    std::int16_t storedComputer_ = 0;
    bool tallyRead_ = false;  // the last read found a tally section
    bool notOnDisk_ = false;  // the last save's wins are stored, but not known to be on disk
    QString problem_;
};

}  // namespace tessarin
