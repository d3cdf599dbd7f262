// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/board_window/board_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessarin {
namespace {

// Rounds to the nearest integer, halves to even, saturating instead of overflowing.
template <typename Int>
Int RoundHalfEven(double value) {
    constexpr double lo = std::numeric_limits<Int>::min();
    constexpr double hi = std::numeric_limits<Int>::max();
    if (std::isnan(value)) return 0;
    // nearbyint honours the current rounding mode, which is round-to-nearest-even by default.
    const double rounded = std::nearbyint(value);
    if (rounded <= lo) return std::numeric_limits<Int>::min();
    if (rounded >= hi) return std::numeric_limits<Int>::max();
    return static_cast<Int>(rounded);
}

}  // namespace

std::int16_t CellSizeForHeight(double clientHeight) {
    return RoundHalfEven<std::int16_t>(clientHeight / 19.0);
}

std::int32_t LineFromPosition(double twips, std::int16_t cellSize, std::int16_t margin) {
    // A grid shrunk to nothing has no lines to catch a position: call it off the board.
    if (cellSize <= 0) return 0;
    const std::int32_t half = cellSize / 2;
    const std::int32_t n = RoundHalfEven<std::int32_t>(twips - margin + half);
    // Truncation toward zero makes line 1 catch almost two cells, up to a cell and a half
    // before the grid, so a click in the margin left of or above the board still plays there.
    const std::int64_t line = std::int64_t{n} / cellSize + 1;
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(line, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace tessarin
