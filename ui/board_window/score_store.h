#pragma once

// The one owner of the stored tally: where it lives, its keys and defaults, and what counts
// as a usable stored value.

#include <QString>
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

    explicit ScoreStore(SettingsStore& settings) : settings_(&settings) {}

    // Reads PersonGrade, then ComputerGrade. Anything unusable reads as 0.
    void Load(GameState& game);
    // Writes PersonGrade, then ComputerGrade; false if either could not be stored.
    bool Save(const GameState& game);

    // A stored count: a decimal integer that fits 16 bits, or nothing.
    static std::optional<std::int16_t> ParseGrade(const QString& text);

private:
    std::int16_t Read(const char* key);
    SettingsStore* settings_;
};

}  // namespace tessarin
