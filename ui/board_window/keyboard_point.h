// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Play from the keyboard: which keys act on the board, and where each one takes the keyboard
// point. Kept apart from the window so the rules read (and test) on their own.

#include <QtCore/qnamespace.h>
#include <optional>

#include "ui/board_window/board_geometry.h"

namespace tessarin {

enum class BoardKey {
    Left,
    Right,
    Up,
    Down,
    FirstColumn,  // Home
    LastColumn,   // End
    FirstRow,     // Page Up
    LastRow,      // Page Down
    Play,         // Space, Enter
};

// The board key a key press stands for: the arrows, Home, End, Page Up, Page Down, Space and
// Enter, without Ctrl, Alt, Shift or Meta (Alt belongs to the menu bar). Nothing otherwise.
std::optional<BoardKey> BoardKeyFor(int key, Qt::KeyboardModifiers modifiers);

// Where the keyboard point is first shown: the centre of the board.
inline constexpr GridPoint KeyboardStart{10, 10};

// Where `key` takes the keyboard point from `from`: an arrow goes one point and stops at the
// edge, Home and End go to the first and last column, Page Up and Page Down to the first and
// last row. Play leaves it where it is.
GridPoint MoveKeyboardPoint(GridPoint from, BoardKey key);

}  // namespace tessarin
