// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the grid lies in the window, in twips, and which point a position falls on. Pure
// arithmetic, kept apart from the window so it can be tested without one.

#include <cstdint>

namespace tessarin {

inline constexpr std::int16_t GridMargin = 200;  // twips from the client's top-left to line 1

// Grid spacing for a client area `clientHeight` twips high: a nineteenth of it, rounded to
// the nearest integer with halves to even. Saturates at the 16-bit ceiling.
std::int16_t CellSizeForHeight(double clientHeight);

struct GridPoint {
    std::int32_t column;
    std::int32_t row;
    friend bool operator==(GridPoint, GridPoint) = default;
};

// The column (or row) whose line catches position `twips`: from half a cell before the line
// to just under half a cell after it. Values outside 1..19 are positions off the board.
std::int32_t LineFromPosition(double twips, std::int16_t cellSize, std::int16_t margin);

inline GridPoint PointFromPosition(double x, double y, std::int16_t cellSize, std::int16_t margin) {
    return {LineFromPosition(x, cellSize, margin), LineFromPosition(y, cellSize, margin)};
}

// Centre of line `index` (1-based), in 32-bit twips: a tall window's grid does not fit 16 bits.
constexpr std::int32_t LinePosition(int index, std::int16_t cellSize, std::int16_t margin) {
    return margin + (index - 1) * std::int32_t{cellSize};
}

}  // namespace tessarin
