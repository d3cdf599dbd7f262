// SPDX-License-Identifier: GPL-3.0-or-later
// Position-to-point mapping and grid sizing, without a window.

#include <gtest/gtest.h>

#include <limits>

#include "ui/board_window/board_geometry.h"

namespace tessarin {
namespace {

TEST(CellSizeForHeight, RoundsANineteenthHalfToEven) {
    struct Case {
        double height;
        int cellSize;
    };
    const Case cases[] = {
        {6390, 336},    // the window's initial client area: 336.3
        {6393.5, 336},  // 336.5 goes to the even neighbour
        {6412.5, 338},  // 337.5 goes to the even neighbour
        {6403, 337},
        {9.5, 0},  // 0.5: a grid shrunk to a point
        {9.6, 1},
        {0, 0},
        {1e9, std::numeric_limits<std::int16_t>::max()},  // saturates, never wraps
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CellSizeForHeight(c.height), c.cellSize) << "height " << c.height;
    }
}

struct MappingCase {
    double position;
    std::int16_t cellSize;
    std::int32_t line;
};

class LineFromPositionTest : public ::testing::TestWithParam<MappingCase> {};

TEST_P(LineFromPositionTest, CatchesHalfACellEitherSide) {
    const MappingCase& c = GetParam();
    EXPECT_EQ(LineFromPosition(c.position, c.cellSize, GridMargin), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Grid, LineFromPositionTest,
    ::testing::Values(
        // CellSize 336: lines at 200, 536, ..., 6248.
        MappingCase{200, 336, 1}, MappingCase{367, 336, 1}, MappingCase{368, 336, 2},
        MappingCase{0, 336, 1}, MappingCase{6248, 336, 19}, MappingCase{6415, 336, 19},
        MappingCase{6416, 336, 20}, MappingCase{3224, 336, 10}, MappingCase{100, 336, 1},
        MappingCase{6300, 336, 19}, MappingCase{6500, 336, 20},
        // Truncation toward zero: line 1 reaches a cell and a half before the grid.
        MappingCase{51, 100, 1}, MappingCase{50, 100, 0}, MappingCase{-49, 100, 0},
        MappingCase{-50, 100, -1}, MappingCase{-1e6, 100, -10000},
        // A grid of no size maps everything off the board instead of dividing by zero.
        MappingCase{200, 0, 0}, MappingCase{-5, 0, 0},
        // Far outside: 32-bit saturation, no overflow.
        MappingCase{1e12, 1, std::numeric_limits<std::int32_t>::max()},
        MappingCase{-1e12, 1, std::numeric_limits<std::int32_t>::min() + 1},
        MappingCase{1e12, 1809, (std::numeric_limits<std::int32_t>::max()) / 1809 + 1}));

TEST(LinePosition, StaysExactPastSixteenBits) {
    EXPECT_EQ(LinePosition(1, 336, GridMargin), 200);
    EXPECT_EQ(LinePosition(19, 336, GridMargin), 6248);
    EXPECT_EQ(LinePosition(19, 3000, GridMargin), 54200);
}

}  // namespace
}  // namespace tessarin
