// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Positions written the way a player reads them, so that a failing case shows a position.
//
//   'X'  a human (red) stone      'O'  a computer (black) stone      '.'  an empty point
//
// Move lists name stones one by one: "X10,10 O9,9 X11,10" is a human stone at column 10,
// row 10, a computer stone at (9, 9) and another human stone at (11, 10).

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/game_state.h"

namespace tessarin {
// Lets GoogleTest print a point as "(x,y)".
void PrintTo(Point point, std::ostream* out);
}  // namespace tessarin

namespace tessarin::testing {

struct Stone {
    std::int16_t side;
    Point at;
};

// Parses a move list; throws std::invalid_argument on anything else.
std::vector<Stone> ParseStones(std::string_view moves);

// Puts the stones of a move list on a board of any kind and returns the last one.
template <class Cells>
Stone PutStones(Cells& board, std::string_view moves) {
    const std::vector<Stone> stones = ParseStones(moves);
    if (stones.empty()) throw std::invalid_argument("empty move list");
    for (const Stone& stone : stones) {
        if (stone.at.x < 0 || stone.at.x > Cells::MaxSize || stone.at.y < 0 ||
            stone.at.y > Cells::MaxSize) {
            throw std::invalid_argument("move outside the stored board");
        }
        board(stone.at.x, stone.at.y) = stone.side;
    }
    return stones.back();
}

// Puts a picture of rows on the board: the first string is row `top`, each starting at
// column `left`. '.' clears a point.
void PutRows(BoardCells& board, std::initializer_list<std::string_view> rows, int left = 1,
             int top = 1);

// The playable board as rows, for failure messages.
template <class Cells>
std::string BoardText(const Cells& board) {
    std::string text;
    for (int y = 1; y <= board.Size(); ++y) {
        for (int x = 1; x <= board.Size(); ++x) {
            const std::int16_t cell = board(x, y);
            text += cell == HumanSide ? 'X' : cell == ComputerSide ? 'O' : cell == 0 ? '.' : '?';
        }
        text += '\n';
    }
    return text;
}

}  // namespace tessarin::testing
