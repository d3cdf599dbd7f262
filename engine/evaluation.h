// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

#include "engine/game_state.h"

namespace tessarin {

// Score of one window of five points from how many of them hold the mover's stones (own)
// and how many the opponent's. Counts past the end of a table row score like the row's end.
std::int32_t WindowScore(std::int16_t own, std::int16_t opponent);

// The totals that EvaluatePoint would give every empty point for `side`, indexed like the
// board's cells. Entries of occupied points and of index 0 are meaningless.
template <class Cells>
using TotalsOf = std::array<std::int32_t, Cells::CellCount>;
using PointTotals = TotalsOf<BoardCells>;
template <class Cells>
TotalsOf<Cells> EvaluateAllPoints(const Cells& board, std::int16_t side);

}  // namespace tessarin
