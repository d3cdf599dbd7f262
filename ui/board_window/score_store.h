// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one owner of the stored tally: where it lives, its keys and defaults, what counts as a
// usable stored value, and how copies of the program running at once share it.

#include <QString>
#include <chrono>
#include <cstdint>
#include <optional>

namespace tessarin {

class GameState;
class SettingsStore;

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
    // the last save, and writes PersonGrade, then ComputerGrade. The game then holds the
    // stored counts, so the score box shows the whole tally. Without the lock nothing is
    // written and the wins wait for the next save. Stored only when both were stored.
    Outcome Save(GameState& game);
    // The same at close, the last chance: when the lock cannot be had, it writes without it
    // rather than drop the wins.
    Outcome SaveAtClose(GameState& game);
    // Wins counted here that no save has stored yet.
    bool HasUnsavedWins(const GameState& game) const;

    // For telling the player: where the tally is kept, why the last save failed (for a log
    // line), and where a store unfit to be read was moved since the last question.
    QString Location() const;
    QString Problem() const { return problem_; }
    QString TakeSetAside();

    // A stored count: a decimal integer that fits 16 bits, or nothing.
    static std::optional<std::int16_t> ParseGrade(const QString& text);

private:
    std::int16_t Read(const char* key);
    bool Write(const char* key, std::int16_t value);
    bool Merge(GameState& game);

    SettingsStore* settings_;
    // The counts as this copy last read or stored them: what the game holds beyond them are
    // wins not yet stored.
    std::int16_t storedPerson_ = 0;
    std::int16_t storedComputer_ = 0;
    QString problem_;
};

}  // namespace tessarin
