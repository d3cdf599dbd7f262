// SPDX-License-Identifier: GPL-3.0-or-later
// Move choice: the computer's reply and the hint are the same one-ply scan of the board.

#include <cassert>
#include <optional>

#include "engine/evaluation.h"
#include "engine/game_state.h"
#include "engine/rules.h"
#include "platform/random_source.h"

namespace tessarin {

namespace {
constexpr int ComputerTieThreshold = 5;  // a later equal point wins the draw half the time
constexpr int HintTieThreshold = 4;      // ... and three times in five for the hint
}  // namespace

// Visits the points column by column and keeps the best total. On an exact tie one number is
// drawn and the later point wins when ten times it reaches the threshold; occupied points score
// 0 and take part like any other, so they can draw too while nothing better has been seen.
//
// A scan that ends on a total of 0 or less may not hold a playable point: the best point is then
// (0, 0), or whichever point with a total of 0 (occupied or empty) last won a draw. In that case
// the empty point with the highest total, the first in scan order, is chosen instead; with no
// empty point (none that the side may play) there is no choice. The draws and every other outcome
// are unaffected.
template <class Cells>
std::optional<Point> BasicGame<Cells>::ScanForBest(std::int16_t side,
                                                   std::int32_t ScanBoundsRecord::*score,
                                                   int tieThreshold) {
    // Scored once for the whole board; each entry is exactly what EvaluatePoint(side) gives
    // with the cursor on that point (see evaluation.cpp).
    const TotalsOf<Cells> totals = EvaluateAllPoints(Board, side);

    // Renju forbids black some points; to black's own scan they are as good as taken, so they
    // are marked taken on a copy of the board before the scan, which keeps the scan's loop as
    // it is for every other rule.
    std::optional<Cells> marked;
    if (Board.Rule() == FiveRule::Renju && side == Board.Black())
        marked = ForbiddenTaken(Board, side);
    const Cells& playable = marked ? *marked : Board;

    std::int32_t bestScore = 0;
    Point best{0, 0};
    std::optional<Point> bestEmpty;
    std::int32_t bestEmptyScore = 0;

    const int size = Board.Size();
    for (std::int16_t x = 1; x <= size; ++x) {
        for (std::int16_t y = 1; y <= size; ++y) {
            CurX = x;
            CurY = y;
            std::int32_t& f = ScanBounds.*score;
            f = 0;
            const bool empty = playable(x, y) == EmptyCell;
            if (empty) f = totals[Cells::Index(x, y)];

            if (f > bestScore) {
                bestScore = f;
                best = {x, y};
            } else if (f == bestScore) {
                if (10.0f * random_->NextRandom() >= static_cast<float>(tieThreshold)) {
                    best = {x, y};
                }
            }
            if (empty && (!bestEmpty || f > bestEmptyScore)) {
                bestEmpty = Point{x, y};
                bestEmptyScore = f;
            }
        }
    }
    // Only an empty point can total more than 0, so a positive best is always playable.
    if (bestScore > 0) return best;
    return bestEmpty;
}

template <class Cells>
void BasicGame<Cells>::ComputerMove() {
    const std::optional<Point> choice =
        ScanForBest(ComputerSide, &ScanBoundsRecord::MoveScore, ComputerTieThreshold);
    if (!choice) return;  // a full board: there is nothing to play
    Board(choice->x, choice->y) = ComputerSide;
    CurX = choice->x;
    CurY = choice->y;
    DrawStone();
    CheckFive();
}

template <class Cells>
std::optional<Point> BasicGame<Cells>::HintPoint() {
    return ScanForBest(HumanSide, &ScanBoundsRecord::HintScore, HintTieThreshold);
}

// The game's board and the brain's: the only two kinds the rules are built for.
template std::optional<Point> BasicGame<BoardCells>::ScanForBest(std::int16_t,
                                                                 std::int32_t ScanBoundsRecord::*,
                                                                 int);
template void BasicGame<BoardCells>::ComputerMove();
template std::optional<Point> BasicGame<BoardCells>::HintPoint();
template std::optional<Point> BasicGame<SizedBoardCells>::ScanForBest(
    std::int16_t, std::int32_t ScanBoundsRecord::*, int);
template void BasicGame<SizedBoardCells>::ComputerMove();
template std::optional<Point> BasicGame<SizedBoardCells>::HintPoint();

}  // namespace tessarin
