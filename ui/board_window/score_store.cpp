// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/board_window/score_store.h"

#include <QRegularExpression>
#include <algorithm>
#include <limits>

#include "engine/game_state.h"
#include "platform/settings_store.h"

namespace tessarin {
namespace {

// Stored count plus unsaved wins, staying at the 16-bit ends like the counters themselves.
std::int16_t Add(std::int16_t stored, int wins) {
    return static_cast<std::int16_t>(std::clamp(stored + wins,
                                                int{std::numeric_limits<std::int16_t>::min()},
                                                int{std::numeric_limits<std::int16_t>::max()}));
}

}  // namespace

std::optional<std::int16_t> ScoreStore::ParseGrade(const QString& text) {
    // A decimal integer: an optional minus sign and digits, nothing else (no blanks, no plus
    // sign, no other base).
    static const QRegularExpression decimal(QStringLiteral("^-?[0-9]+$"));
    if (!decimal.match(text).hasMatch()) return std::nullopt;
    bool ok = false;
    const short value = text.toShort(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

ScoreStore::Counts ScoreStore::CountsOf(const std::optional<SettingsStore::Section>& section) {
    const auto count = [&](const char* key) -> std::int16_t {
        const auto value = SettingsStore::ValueOf(section.value_or(SettingsStore::Section()),
                                                  QString::fromLatin1(key));
        return value ? ParseGrade(*value).value_or(0) : 0;
    };
    return {count(PersonKey), count(ComputerKey)};
}

void ScoreStore::Load(GameState& game) {
    // Read under the lock when it is free: whoever has it clears away what copies killed while
    // saving left behind.
    const auto lock = settings_->LockStore(QString::fromLatin1(Application), {});
    const Counts stored = CountsOf(
        settings_->ReadSection(QString::fromLatin1(Application), QString::fromLatin1(Section)));
    game.PersonGrade = storedPerson_ = stored.person;
    game.ComputerGrade = storedComputer_ = stored.computer;
}

bool ScoreStore::Merge(GameState& game) {
    Counts saved;
    const auto addWins = [&](const std::optional<SettingsStore::Section>& now) {
        tallyRead_ = now.has_value();
        const Counts stored = CountsOf(now);
        saved = {Add(stored.person, game.PersonGrade - storedPerson_),
                 Add(stored.computer, game.ComputerGrade - storedComputer_)};
        return SettingsStore::Section{
            {QString::fromLatin1(PersonKey), QString::number(saved.person)},
            {QString::fromLatin1(ComputerKey), QString::number(saved.computer)},
        };
    };
    // Both counts in one write: no save can leave one of them behind.
    const SettingsStore::Saved outcome = settings_->UpdateSection(
        QString::fromLatin1(Application), QString::fromLatin1(Section), addWins);
    problem_ = settings_->Problem();
    // Not stored: the wins stay counted here for the next save.
    if (outcome == SettingsStore::Saved::No) return false;
    // Stored, if perhaps not yet on disk: the store holds these wins now, and adding them again
    // at the next save would count them twice. That save writes them again, to disk this time.
    game.PersonGrade = storedPerson_ = saved.person;
    game.ComputerGrade = storedComputer_ = saved.computer;
    notOnDisk_ = outcome == SettingsStore::Saved::NotOnDisk;
    return !notOnDisk_;
}

ScoreStore::Outcome ScoreStore::Save(GameState& game) {
    problem_.clear();
    const auto lock = settings_->LockStore(QString::fromLatin1(Application), LockWait);
    // A lock that could not even be made (a read-only folder) is a save that cannot be made.
    if (!lock) {
        problem_ = settings_->Problem();
        return problem_.isEmpty() ? Outcome::Postponed : Outcome::Failed;
    }
    return Merge(game) ? Outcome::Stored : Outcome::Failed;
}

ScoreStore::Outcome ScoreStore::SaveAtClose(GameState& game) {
    problem_.clear();
    // Held, when it could be had, until both counts are written.
    const auto lock = settings_->LockStore(QString::fromLatin1(Application), LockWait);
    return Merge(game) ? Outcome::Stored : Outcome::Failed;
}

bool ScoreStore::HasUnsavedWins(const GameState& game) const {
    return game.PersonGrade != storedPerson_ || game.ComputerGrade != storedComputer_ || notOnDisk_;
}

QString ScoreStore::Location() const {
    return settings_->Location(QString::fromLatin1(Application));
}

ScoreStore::SetAside ScoreStore::TakeSetAside() { return {settings_->TakeSetAside(), tallyRead_}; }

}  // namespace tessarin
