// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/board_window/keyboard_point.h"

#include <algorithm>

#include "engine/game_state.h"

namespace tessarin {

std::optional<BoardKey> BoardKeyFor(int key, Qt::KeyboardModifiers modifiers) {
    // The keypad's arrows and Enter count as the others do.
    if ((modifiers & ~Qt::KeypadModifier) != Qt::NoModifier) return std::nullopt;
    switch (key) {
        case Qt::Key_Left:
            return BoardKey::Left;
        case Qt::Key_Right:
            return BoardKey::Right;
        case Qt::Key_Up:
            return BoardKey::Up;
        case Qt::Key_Down:
            return BoardKey::Down;
        case Qt::Key_Home:
            return BoardKey::FirstColumn;
        case Qt::Key_End:
            return BoardKey::LastColumn;
        case Qt::Key_PageUp:
            return BoardKey::FirstRow;
        case Qt::Key_PageDown:
            return BoardKey::LastRow;
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return BoardKey::Play;
        default:
            return std::nullopt;
    }
}

GridPoint MoveKeyboardPoint(GridPoint from, BoardKey key) {
    auto step = [](std::int32_t value, int by) { return std::clamp(value + by, 1, BoardSize); };
    GridPoint to = from;
    switch (key) {
        case BoardKey::Left:
            to.column = step(from.column, -1);
            break;
        case BoardKey::Right:
            to.column = step(from.column, 1);
            break;
        case BoardKey::Up:
            to.row = step(from.row, -1);
            break;
        case BoardKey::Down:
            to.row = step(from.row, 1);
            break;
        case BoardKey::FirstColumn:
            to.column = 1;
            break;
        case BoardKey::LastColumn:
            to.column = BoardSize;
            break;
        case BoardKey::FirstRow:
            to.row = 1;
            break;
        case BoardKey::LastRow:
            to.row = BoardSize;
            break;
        case BoardKey::Play:
            break;
    }
    return to;
}

}  // namespace tessarin
