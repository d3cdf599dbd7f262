// SPDX-License-Identifier: GPL-3.0-or-later
// Point evaluation: the window score table, the windows a point has, and the whole-board form.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <random>
#include <string>

#include "engine/evaluation.h"
#include "engine/game_state.h"
#include "tests/engine/board_text.h"
#include "tests/engine/test_doubles.h"

namespace tessarin::testing {
namespace {

std::int32_t TotalAt(TestGame& t, Point at, std::int16_t side) {
    t.game.CurX = at.x;
    t.game.CurY = at.y;
    return t.game.EvaluatePoint(side);
}

// A random position: each point holds a stone with probability `density`, either side alike,
// and every stored cell off the board holds one as well, which no form of scoring may read.
template <class Cells>
void Scatter(Cells& board, std::mt19937& rng, double density) {
    std::bernoulli_distribution stone(density);
    for (int i = 0; i < Cells::CellCount; ++i) {
        const int x = i % (Cells::MaxSize + 1), y = i / (Cells::MaxSize + 1);
        if (!OnBoard(board, x, y) || stone(rng)) board.cells[i] = 1 + rng() % 2;
    }
}

TEST(WindowScore, MatchesTheTableAndItsRowEnds) {
    constexpr std::int32_t X = 0;  // cannot occur: own + opponent would pass 4
    // clang-format off
    constexpr std::int32_t table[5][5] = {
        //  opponent: 0      1     2      3       4
        {         1,    64,  512,  4096, 500000},  // own 0
        {       128,     4,    2, -2000,      X},  // own 1
        {      1024,    32,   16,     X,      X},  // own 2
        {      4000,   256,    X,     X,      X},  // own 3
        {   5000000,     X,    X,     X,      X},  // own 4
    };
    // clang-format on
    const std::int32_t rowEnds[5] = {500000, -2000, 16, 256, 5000000};
    for (std::int16_t own = 0; own <= 4; ++own) {
        for (std::int16_t opponent = 0; opponent <= 6; ++opponent) {
            const std::int32_t expected = own + opponent <= 4 ? table[own][opponent] : rowEnds[own];
            EXPECT_EQ(WindowScore(own, opponent), expected)
                << "own " << own << ", opponent " << opponent;
        }
    }
}

// On an empty board every window scores 1: a total counts the point's windows.
struct CountCase {
    Point at;
    std::int32_t windows;
};
void PrintTo(const CountCase& c, std::ostream* out) { PrintTo(c.at, out); }

class EmptyBoard : public ::testing::TestWithParam<CountCase> {};

TEST_P(EmptyBoard, TotalIsTheNumberOfWindows) {
    const CountCase& c = GetParam();
    std::mt19937 rng(GetParam().at.x);
    for (const bool litter : {false, true}) {
        TestGame t;
        if (litter) Scatter(t.game.Board, rng, 0.0);
        SCOPED_TRACE(litter ? "stones in row and column 0" : "bare board");
        EXPECT_EQ(TotalAt(t, c.at, HumanSide), c.windows);
        EXPECT_EQ(TotalAt(t, c.at, ComputerSide), c.windows);
    }
}

INSTANTIATE_TEST_SUITE_P(Points, EmptyBoard,
                         ::testing::Values(CountCase{{10, 10}, 20}, CountCase{{5, 5}, 20},
                                           CountCase{{15, 15}, 20}, CountCase{{5, 15}, 20},
                                           CountCase{{4, 4}, 15}, CountCase{{16, 16}, 15},
                                           CountCase{{1, 10}, 8}, CountCase{{10, 1}, 8},
                                           CountCase{{2, 3}, 7}, CountCase{{3, 17}, 10},
                                           CountCase{{1, 1}, 3}, CountCase{{19, 1}, 3},
                                           CountCase{{1, 19}, 3}, CountCase{{19, 19}, 3}));

TEST(EvaluatePoint, LoneStoneMakesItsNeighboursTheBestPoints) {
    TestGame t;
    PutStones(t.game.Board, "X10,10");
    for (std::int16_t x = 1; x <= BoardSize; ++x) {
        for (std::int16_t y = 1; y <= BoardSize; ++y) {
            if (x == 10 && y == 10) continue;
            const bool neighbour = std::abs(x - 10) <= 1 && std::abs(y - 10) <= 1;
            const std::int32_t total = TotalAt(t, {x, y}, ComputerSide);
            // 16 empty windows at 1 and 4 windows holding the human stone at 64.
            EXPECT_TRUE(neighbour ? total == 272 : total < 272)
                << total << " at (" << x << "," << y << ")";
        }
    }
}

struct TotalCase {
    const char* name;
    const char* moves;
    Point at;
    std::int16_t side;
    std::int32_t total;
};
void PrintTo(const TotalCase& c, std::ostream* out) {
    *out << c.moves << ", side " << c.side << " at (" << c.at.x << ',' << c.at.y << ')';
}

class Totals : public ::testing::TestWithParam<TotalCase> {};

TEST_P(Totals, SumOfWindowScores) {
    const TotalCase& c = GetParam();
    TestGame t;
    PutStones(t.game.Board, c.moves);
    EXPECT_EQ(TotalAt(t, c.at, c.side), c.total) << BoardText(t.game.Board);
}

// The computer's four on row 5 and the human's on row 7, each open at both ends.
const char* const kTwoFours = "O5,5 O6,5 O7,5 O8,5 X5,7 X6,7 X7,7 X8,7";

INSTANTIATE_TEST_SUITE_P(
    Examples, Totals,
    ::testing::Values(
        // 5000000 + 4000 + 1024 + 128 + 1 along the row, 1 in each of two other directions.
        TotalCase{"OwnFourToComplete", "O1,1 O2,1 O3,1 O4,1", {5, 1}, ComputerSide, 5005156},
        TotalCase{"OpponentFourToBlock", "O1,1 O2,1 O3,1 O4,1", {5, 1}, HumanSide, 504676},
        TotalCase{"CompleteOwnFive", kTwoFours, {9, 5}, ComputerSide, 5005357},
        TotalCase{"CompleteOwnFiveOtherEnd", kTwoFours, {4, 5}, ComputerSide, 5005354},
        TotalCase{"BlockFour", kTwoFours, {9, 7}, ComputerSide, 505069},
        TotalCase{"BlockFourOtherEnd", kTwoFours, {4, 7}, ComputerSide, 505066},
        // The row window holds one own stone and three of the opponent: -2000, plus 1 + 1.
        TotalCase{"SpoiltWindowPenalty", "O2,1 X3,1 X4,1 X5,1", {1, 1}, ComputerSide, -1998},
        TotalCase{"SpoiltWindowOtherSide", "O2,1 X3,1 X4,1 X5,1", {1, 1}, HumanSide, 258},
        // Beside its own lone stone a side totals more than the 272 beside the opponent's
        // (LoneStoneMakesItsNeighboursTheBestPoints).
        TotalCase{"OwnStoneWeighsMore", "X10,10", {11, 10}, HumanSide, 528},
        // A diagonal with fewer than five points on the board has no window: stones on it
        // leave the total at the empty board's window count.
        TotalCase{"RisingAt1_4", "O2,3 O3,2 O4,1", {1, 4}, ComputerSide, 6},
        TotalCase{"RisingAt2_3", "O1,4 O3,2 O4,1", {2, 3}, ComputerSide, 7},
        TotalCase{"RisingAt4_1", "O3,2 O2,3 O1,4", {4, 1}, ComputerSide, 6},
        TotalCase{"RisingAt19_16", "O18,17 O17,18 O16,19", {19, 16}, ComputerSide, 6},
        TotalCase{"FallingAt16_1", "O17,2 O18,3 O19,4", {16, 1}, ComputerSide, 6},
        TotalCase{"FallingAt1_16", "O2,17 O3,18 O4,19", {1, 16}, ComputerSide, 6},
        TotalCase{"FallingAt19_2", "O18,1", {19, 2}, ComputerSide, 4},
        TotalCase{"FallingAt2_19", "O1,18", {2, 19}, ComputerSide, 4}),
    [](const auto& info) { return std::string(info.param.name); });

// Every empty point's entry of the whole-board form is EvaluatePoint there, which leaves the
// game as it was.
template <class Game>
void ExpectFormsAgree(Game& game, int round) {
    for (const std::int16_t side : {HumanSide, ComputerSide}) {
        const auto all = EvaluateAllPoints(game.Board, side);
        for (game.CurX = 1; game.CurX <= game.Board.Size(); ++game.CurX) {
            for (game.CurY = 1; game.CurY <= game.Board.Size(); ++game.CurY) {
                if (game.Board(game.CurX, game.CurY) != EmptyCell) continue;
                const auto before = Fields(game);
                ASSERT_EQ(all[game.Board.Index(game.CurX, game.CurY)], game.EvaluatePoint(side))
                    << "side " << side << " at (" << game.CurX << "," << game.CurY << ") in round "
                    << round << "\n"
                    << BoardText(game.Board);
                ASSERT_TRUE(Fields(game) == before) << "EvaluatePoint changed the game";
            }
        }
    }
}

TEST(EvaluateAllPoints, AgreesWithEvaluatePointEverywhere) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 400; ++round) {
        TestGame t;
        Scatter(t.game.Board, rng, (round % 20) / 19.0);
        ASSERT_NO_FATAL_FAILURE(ExpectFormsAgree(t.game, round));
    }
}

// The two forms agree on every size and under either rule.
TEST(EvaluateAllPoints, AgreesOnEveryBoardAndRule) {
    std::mt19937 rng(20261209);
    RecordingMessageBox messages;
    ScriptedRandom random;
    SizedGame game(messages, random);
    for (int round = 0; round < 400; ++round) {
        game.Board = SizedBoardCells{};
        game.Board.size = static_cast<std::int16_t>(std::array{5, 6, 15, 20, 32}[round % 5]);
        game.Board.rule = std::array{FiveRule::FreeStyle, FiveRule::ExactFive, FiveRule::Renju,
                                     FiveRule::Caro}[round % 4];
        game.Board.black = round % 3 ? HumanSide : ComputerSide;
        Scatter(game.Board, rng, round / 399.0);
        ASSERT_NO_FATAL_FAILURE(ExpectFormsAgree(game, round));
    }
}

}  // namespace
}  // namespace tessarin::testing
