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
    return settings_->SaveSetting(QString::fromLatin1(Application), QString::fromLatin1(Section),
                                  QString::fromLatin1(key), QString::number(value));
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

bool ScoreStore::Save(GameState& game) {
    const auto lock = settings_->LockStore(QString::fromLatin1(Application), LockWait);
    return lock && Merge(game);
}

bool ScoreStore::SaveAtClose(GameState& game) {
    // Held, when it could be had, until both counts are written.
    const auto lock = settings_->LockStore(QString::fromLatin1(Application), LockWait);
    return Merge(game);
}

}  // namespace tessarin
