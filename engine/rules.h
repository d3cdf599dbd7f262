// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The judgements of the rules, as plain functions of a board: whether a line of five wins,
// whether a stone stands in a winning line, and which points renju forbids black. The game's
// five check, the point evaluation and the brain all ask these, so that every rule is decided
// in one place. The board's Rule() and Black() say which rule and which side plays black.

#include <cstdint>

#include "engine/game_state.h"

namespace tessarin {

// The stones on the board, both sides'.
template <class Cells>
constexpr int StoneCount(const Cells& board) {
    int stones = 0;
    for (int x = 1; x <= board.Size(); ++x) {
        for (int y = 1; y <= board.Size(); ++y) stones += board(x, y) != EmptyCell;
    }
    return stones;
}

// Whether the five points from (x, y) on in direction (dx, dy) have stones of the side's
// opponent both just before and just after them (the board's edge blocks nothing).
template <class Cells>
constexpr bool BlockedAtBothEnds(const Cells& board, int x, int y, int dx, int dy,
                                 std::int16_t side) {
    const std::int16_t opponent = OpponentOf(side);
    const int bx = x - dx, by = y - dy, ax = x + 5 * dx, ay = y + 5 * dy;
    return OnBoard(board, bx, by) && board(bx, by) == opponent && OnBoard(board, ax, ay) &&
           board(ax, ay) == opponent;
}

// Whether five stones of `side` on the five points from (x, y) in direction (dx, dy) would win
// under the board's rule, whatever those five points hold now. Only the points just beyond
// the five matter: an own stone there makes the five part of a longer line, the opponent's
// stones at both ends close it.
template <class Cells>
constexpr bool FiveWins(const Cells& board, int x, int y, int dx, int dy, std::int16_t side) {
    switch (board.Rule()) {
        case FiveRule::FreeStyle:
            return true;
        case FiveRule::ExactFive:
            return !Overline(board, x, y, dx, dy, side);
        case FiveRule::Renju:
            return side != board.Black() || !Overline(board, x, y, dx, dy, side);
        case FiveRule::Caro:
            return !BlockedAtBothEnds(board, x, y, dx, dy, side);
    }
    return true;
}

// Whether the stone at (x, y) is part of a line of five that wins under the board's rule.
template <class Cells>
bool WinningLineThrough(const Cells& board, int x, int y);

// Whether any stone on the board stands in a winning line.
template <class Cells>
bool AnyWinningLine(const Cells& board);

// Whether renju forbids black the empty point (x, y): a stone there that makes no line of
// exactly five but makes six or more in a row (an overline), two fours, or two threes, where a
// three counts only when a further black stone, on a point not itself forbidden, makes of it
// a straight four (four in a row that five can be made of at either end).
template <class Cells>
bool ForbiddenForBlack(const Cells& board, int x, int y);

}  // namespace tessarin
