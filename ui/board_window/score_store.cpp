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

std::int16_t ScoreStore::Read(const char* key) {
    const QString stored =
        settings_->GetSetting(QString::fromLatin1(Application), QString::fromLatin1(Section),
                              QString::fromLatin1(key), QStringLiteral("0"));
    return ParseGrade(stored).value_or(0);
}

bool ScoreStore::Write(const char* key, std::int16_t value) {
    const bool stored =
        settings_->SaveSetting(QString::fromLatin1(Application), QString::fromLatin1(Section),
                               QString::fromLatin1(key), QString::number(value));
    if (!stored) problem_ = settings_->Problem();
    return stored;
}

void ScoreStore::Load(GameState& game) {
    game.PersonGrade = storedPerson_ = Read(PersonKey);
    game.ComputerGrade = storedComputer_ = Read(ComputerKey);
}

bool ScoreStore::Merge(GameState& game) {
    const std::int16_t person = Add(Read(PersonKey), game.PersonGrade - storedPerson_);
    const std::int16_t computer = Add(Read(ComputerKey), game.ComputerGrade - storedComputer_);
    // A count that could not be written keeps its wins for the next save.
    const bool personStored = Write(PersonKey, person);
    if (personStored) game.PersonGrade = storedPerson_ = person;
    const bool computerStored = Write(ComputerKey, computer);
    if (computerStored) game.ComputerGrade = storedComputer_ = computer;
    return personStored && computerStored;
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
    return game.PersonGrade != storedPerson_ || game.ComputerGrade != storedComputer_;
}

QString ScoreStore::Location() const {
    return settings_->Location(QString::fromLatin1(Application));
}

QString ScoreStore::TakeSetAside() { return settings_->TakeSetAside(); }

}  // namespace tessarin
