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

// What (x, y) holds: a cell's value, or OffBoard past the board's edge.
inline constexpr std::int16_t OffBoard = -1;
template <class Cells>
constexpr std::int16_t CellAt(const Cells& board, int x, int y) {
    return OnBoard(board, x, y) ? board(x, y) : OffBoard;
}

// What lies just before and just after the five points from (x, y) on in direction (dx, dy).
struct FiveEnds {
    std::int16_t before;
    std::int16_t after;
};
template <class Cells>
constexpr FiveEnds EndsOfFive(const Cells& board, int x, int y, int dx, int dy) {
    return {CellAt(board, x - dx, y - dy), CellAt(board, x + FiveLength * dx, y + FiveLength * dy)};
}

// Whether five stones of `side` there would be part of six or more.
template <class Cells>
constexpr bool Overline(const Cells& board, int x, int y, int dx, int dy, std::int16_t side) {
    const FiveEnds ends = EndsOfFive(board, x, y, dx, dy);
    return ends.before == side || ends.after == side;
}

// Whether the side's opponent closes both ends (the board's edge blocks nothing).
template <class Cells>
constexpr bool BlockedAtBothEnds(const Cells& board, int x, int y, int dx, int dy,
                                 std::int16_t side) {
    const FiveEnds ends = EndsOfFive(board, x, y, dx, dy);
    return ends.before == OpponentOf(side) && ends.after == OpponentOf(side);
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
// The board with every point renju forbids black taken by `mark`, judged on one copy of it.
template <class Cells>
Cells ForbiddenTaken(const Cells& board, std::int16_t mark);

}  // namespace tessarin
