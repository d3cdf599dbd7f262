#include "ui/board_window/score_store.h"

#include <QRegularExpression>

#include "engine/game_state.h"
#include "platform/settings_store.h"

namespace tessarin {

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

void ScoreStore::Load(GameState& game) {
    game.PersonGrade = Read(PersonKey);
    game.ComputerGrade = Read(ComputerKey);
}

bool ScoreStore::Save(const GameState& game) {
    auto save = [this](const char* key, std::int16_t value) {
        return settings_->SaveSetting(QString::fromLatin1(Application),
                                      QString::fromLatin1(Section), QString::fromLatin1(key),
                                      QString::number(value));
    };
    const bool person = save(PersonKey, game.PersonGrade);
    const bool computer = save(ComputerKey, game.ComputerGrade);
    return person && computer;
}

}  // namespace tessarin
