// SPDX-License-Identifier: GPL-3.0-or-later
// The computer's reply and the hint: one scan of the board, ties settled by scripted draws.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/game_state.h"
#include "platform/clock_random.h"
#include "resources/texts.h"
#include "tests/engine/board_text.h"
#include "tests/engine/test_doubles.h"

namespace tessarin::testing {
namespace {

void ScriptRepeated(ScriptedRandom& random, int count, float value) {
    for (int i = 0; i < count; ++i) random.Script({value});
}

// After the human's first stone at (10,10) its eight neighbours total 272 and nothing else
// comes close. The scan meets 58 ties among lower totals before (9,9); they cannot matter, so
// they are scripted to always pass. Then each later neighbour draws once against the one held.
struct TieCase {
    const char* name;
    std::vector<float> neighbourDraws;  // (9,10) (9,11) (10,9) (10,11) (11,9) (11,10) (11,11)
    Point played;
};
void PrintTo(const TieCase& c, std::ostream* out) { *out << c.name; }

class FirstReply : public ::testing::TestWithParam<TieCase> {};

TEST_P(FirstReply, NeighboursDrawInScanOrder) {
    const TieCase& c = GetParam();
    ASSERT_EQ(c.neighbourDraws.size(), 7u);
    TestGame t;
    ScriptRepeated(t.random, 58, 0.9f);
    for (const float v : c.neighbourDraws) t.random.Script({v});

    t.game.CurX = 10;
    t.game.CurY = 10;
    ASSERT_TRUE(t.game.PlaceHumanStone());
    t.game.ComputerMove();

    EXPECT_EQ(t.random.draws, 65);
    EXPECT_EQ(t.random.Remaining(), 0u);
    EXPECT_EQ((Point{t.game.CurX, t.game.CurY}), c.played);  // on the computer's stone
    EXPECT_EQ(t.game.SideFlag, BoolFalse);
    EXPECT_EQ(t.game.GameOver, BoolFalse);
    EXPECT_TRUE(t.messages.shown.empty());
    EXPECT_EQ(t.surface.calls,
              (Calls{"DrawStone red (10,10)", "DrawStone black (" + std::to_string(c.played.x) +
                                                  "," + std::to_string(c.played.y) + ")"}));
    BoardCells expected;
    PutStones(expected, "X10,10");
    expected(c.played.x, c.played.y) = ComputerSide;
    EXPECT_TRUE(t.game.Board.cells == expected.cells) << BoardText(t.game.Board);
}

INSTANTIATE_TEST_SUITE_P(
    TieBreak, FirstReply,
    ::testing::Values(
        TieCase{"AllLoseFirstStays", {0, 0, 0, 0, 0, 0, 0}, {9, 9}},
        TieCase{"JustBelowHalfLoses", {0.49f, 0.49f, 0.49f, 0.49f, 0.49f, 0.49f, 0.49f}, {9, 9}},
        TieCase{"LastWins", {0, 0, 0, 0, 0, 0, 0.5f}, {11, 11}},
        TieCase{"AllWinLastStays", {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f}, {11, 11}},
        TieCase{"SecondToLastWins", {0, 0, 0, 0, 0, 0.5f, 0.4f}, {11, 10}},
        TieCase{"FirstChallengerWins", {0.99f, 0, 0, 0, 0, 0, 0}, {9, 10}},
        TieCase{"MiddleWins", {0.7f, 0, 0.6f, 0.3f, 0.2f, 0.1f, 0}, {10, 9}}),
    [](const auto& info) { return std::string(info.param.name); });

// On an empty board the 121 points with column and row in 5..15 share the highest total, 20.
// The hint scan meets 41 lower ties before (5,5), then each of the other 120 draws in turn.
struct HintCase {
    const char* name;
    float otherDraws;  // the draws of (5,6) .. (15,14)
    float lastDraw;    // the draw of (15,15)
    Point shown;
};
void PrintTo(const HintCase& c, std::ostream* out) { *out << c.name; }

class EmptyBoardHint : public ::testing::TestWithParam<HintCase> {};

TEST_P(EmptyBoardHint, ThresholdIsFourInTen) {
    const HintCase& c = GetParam();
    TestGame t;
    t.game.ScanBounds.MoveScore = 99;
    t.game.SideFlag = BoolTrue;
    ScriptRepeated(t.random, 41, 0.0f);
    ScriptRepeated(t.random, 119, c.otherDraws);
    t.random.Script({c.lastDraw});
    const auto board = t.game.Board.cells;

    EXPECT_EQ(t.game.HintPoint(), c.shown);

    EXPECT_EQ(t.random.draws, 161);
    EXPECT_EQ(t.random.Remaining(), 0u);
    EXPECT_EQ((Point{t.game.CurX, t.game.CurY}), (Point{19, 19}));  // the last point scanned
    EXPECT_TRUE(t.game.Board.cells == board);
    EXPECT_EQ(t.game.SideFlag, BoolTrue);
    EXPECT_EQ(t.game.ScanBounds.HintScore, 3);   // the score of (19,19), the last one scanned
    EXPECT_EQ(t.game.ScanBounds.MoveScore, 99);  // the computer's slot is not the hint's
    EXPECT_TRUE(t.surface.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    TieBreak, EmptyBoardHint,
    ::testing::Values(HintCase{"AllPass", 0.4f, 0.4f, {15, 15}},
                      HintCase{"AllFail", 0.0f, 0.0f, {5, 5}},
                      HintCase{"JustBelowThreshold", 0.39999998f, 0.39999998f, {5, 5}},
                      HintCase{"LastFails", 0.4f, 0.39f, {15, 14}},
                      HintCase{"OnlyLastPasses", 0.39f, 0.4f, {15, 15}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ComputerMove, CompletesItsOwnFiveBeforeBlocking) {
    TestGame t;
    PutStones(t.game.Board, "O5,5 O6,5 O7,5 O8,5 X5,7 X6,7 X7,7 X8,7");
    t.game.SideFlag = BoolTrue;  // the human has just moved
    // One tie on the way, at (1,9), then the remark of the computer's win.
    t.random.Script({0.9f, 0.75f});

    t.game.ComputerMove();

    EXPECT_EQ(t.game.Board(9, 5), ComputerSide);
    EXPECT_EQ((Point{t.game.CurX, t.game.CurY}), (Point{9, 5}));
    EXPECT_EQ(t.random.draws, 2);
    EXPECT_EQ(t.game.GameOver, BoolTrue);
    EXPECT_EQ(t.game.WinFlag, BoolTrue);
    EXPECT_EQ(t.game.SideFlag, BoolFalse);
    EXPECT_EQ(t.game.ComputerGrade, 1);
    EXPECT_EQ(t.game.PersonGrade, 0);
    EXPECT_EQ(t.messages.shown, (Calls{texts::ComputerWinMessages[8]}));
    EXPECT_EQ(t.surface.calls, (Calls{"DrawStone black (9,5)"}));

    // The human can play no more until a new game.
    t.game.CurX = 4;
    t.game.CurY = 5;
    EXPECT_FALSE(t.game.PlaceHumanStone());
}

TEST(ShowHint, StillScansAfterTheGameIsOver) {
    // The human has won; both ends of the five would make six and tie. Twelve lower ties
    // come first, then (11,10) draws against (5,10).
    for (const auto& [lastDraw, shown] :
         {std::pair{0.39f, Point{5, 10}}, std::pair{0.4f, Point{11, 10}}}) {
        TestGame t;
        PutStones(t.game.Board, "X6,10 X7,10 X8,10 X9,10 X10,10");
        t.game.GameOver = BoolTrue;
        ScriptRepeated(t.random, 12, 0.0f);
        t.random.Script({lastDraw});
        EXPECT_EQ(t.game.HintPoint(), shown);
        EXPECT_EQ(t.random.draws, 13);
        EXPECT_EQ(t.game.GameOver, BoolTrue);
    }
}

// Crowded boards on which every empty point totals below 0 for the computer: the scan's own
// result would be an occupied point (every occupied point ties at 0 and here wins its draw).
// The computer plays the empty point with the highest total instead.
struct CrowdedCase {
    const char* name;
    const char* patch;  // stones put on the shared base
    Point played;
};
void PrintTo(const CrowdedCase& c, std::ostream* out) { *out << c.name; }

const CrowdedCase kCrowded[] = {
    {"HighestTotalNotFirst", "O17,19", {19, 19}},       // (19,19): -2000 + 16 + 16 = -1968
    {"EqualTotalsFirstInScanOrder", "X17,19", {1, 1}},  // (19,19): -3984 as well
};

// Two of each colour along a row, shifted by two from one row to the next, so that no line
// holds five. Around (1,1) the column and the row each hold one computer stone and three
// human stones (-2000 apiece), the diagonal two of each (16): -3984 in all. The boards differ
// only at (17,19), which each one fills; (19,19) is the other empty point.
BoardCells CrowdedBoard(const CrowdedCase& c) {
    BoardCells board;
    for (int x = 1; x <= BoardSize; ++x) {
        for (int y = 1; y <= BoardSize; ++y) {
            board(x, y) = (x % 4 < 2) == (y % 2 == 1) ? ComputerSide : HumanSide;
        }
    }
    PutRows(board, {".OXXXOXO", "OOO", "XXOOO", "X", "XXXOXXX"});
    PutStones(board, "X19,16 X16,19");
    PutRows(board, {".O."}, 17, 19);
    PutStones(board, c.patch);
    return board;
}

class CrowdedBoardReply : public ::testing::TestWithParam<std::tuple<CrowdedCase, float>> {};

TEST_P(CrowdedBoardReply, PlaysTheBestEmptyPoint) {
    const auto& [c, drawValue] = GetParam();
    TestGame t;
    t.game.Board = CrowdedBoard(c);
    t.game.SideFlag = BoolTrue;
    // 359 occupied points each tie at 0; the two empty points score below it and draw nothing.
    ScriptRepeated(t.random, 359, drawValue);

    t.game.ComputerMove();

    EXPECT_EQ(t.random.draws, 359);
    EXPECT_EQ((Point{t.game.CurX, t.game.CurY}), c.played);
    EXPECT_EQ(t.game.SideFlag, BoolFalse);
    EXPECT_TRUE(t.messages.shown.empty());
    BoardCells expected = CrowdedBoard(c);
    expected(c.played.x, c.played.y) = ComputerSide;
    EXPECT_EQ(BoardText(t.game.Board), BoardText(expected));
}

INSTANTIATE_TEST_SUITE_P(Fallback, CrowdedBoardReply,
                         ::testing::Combine(::testing::ValuesIn(kCrowded),
                                            ::testing::Values(0.0f, 0.9f)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) < 0.5f ? "_DrawsFail" : "_DrawsPass");
                         });

TEST(FullBoard, ComputerDoesNotMoveAndHintShowsNothing) {
    TestGame t;
    t.game.Board = CrowdedBoard(kCrowded[0]);
    PutStones(t.game.Board, "X1,1 O19,19");
    t.game.SideFlag = BoolTrue;
    const auto board = t.game.Board.cells;

    ScriptRepeated(t.random, 361, 0.9f);  // every point ties at 0
    t.game.ComputerMove();
    EXPECT_EQ(t.random.draws, 361);
    EXPECT_TRUE(t.game.Board.cells == board);
    EXPECT_EQ(t.game.SideFlag, BoolTrue);
    EXPECT_EQ(t.game.GameOver, BoolFalse);
    EXPECT_TRUE(t.surface.calls.empty());
    EXPECT_TRUE(t.messages.shown.empty());

    ScriptRepeated(t.random, 361, 0.9f);
    EXPECT_EQ(t.game.HintPoint(), std::nullopt);
    EXPECT_EQ(t.random.draws, 722);
    EXPECT_TRUE(t.game.Board.cells == board);
}

// The best total among empty points for `side`, from the point-by-point definition.
std::int32_t BestEmptyTotal(GameState& game, std::int16_t side) {
    std::optional<std::int32_t> best;
    for (std::int16_t x = 1; x <= BoardSize; ++x) {
        for (std::int16_t y = 1; y <= BoardSize; ++y) {
            if (game.Board(x, y) != EmptyCell) continue;
            game.CurX = x;
            game.CurY = y;
            const std::int32_t total = game.EvaluatePoint(side);
            if (!best || total > *best) best = total;
        }
    }
    return best.value();
}

TEST(MoveChoice, AlwaysPicksAnEmptyPointWithTheBestTotal) {
    std::mt19937 rng(77);
    std::uniform_int_distribution<int> coordinate(1, BoardSize);
    for (int round = 0; round < 300; ++round) {
        RecordingMessageBox messages;
        ClockRandom random;
        random.Seed(round);
        GameState game(messages, random);
        LoadRemarks(game);
        // From a handful of stones to a full board, the last rounds above 355 stones.
        const int stones = round < 290 ? round * 361 / 290 : 355 + (round - 290) % 7;
        for (int placed = 0; placed < stones;) {
            const int x = coordinate(rng);
            const int y = coordinate(rng);
            if (game.Board(x, y) != EmptyCell) continue;
            game.Board(x, y) = rng() % 2 ? HumanSide : ComputerSide;
            ++placed;
        }
        const BoardCells before = game.Board;
        SCOPED_TRACE("round " + std::to_string(round) + "\n" + BoardText(before));
        const bool anyEmpty = stones < BoardSize * BoardSize;

        if (anyEmpty) {
            const std::int32_t bestHint = BestEmptyTotal(game, HumanSide);
            const std::optional<Point> hint = game.HintPoint();
            ASSERT_TRUE(hint.has_value());
            ASSERT_TRUE(OnBoard(hint->x, hint->y));
            ASSERT_EQ(game.Board(hint->x, hint->y), EmptyCell);
            game.CurX = hint->x;
            game.CurY = hint->y;
            EXPECT_EQ(game.EvaluatePoint(HumanSide), bestHint);
        } else {
            EXPECT_EQ(game.HintPoint(), std::nullopt);
        }

        const std::int32_t best = anyEmpty ? BestEmptyTotal(game, ComputerSide) : 0;
        game.SideFlag = BoolTrue;
        game.ComputerMove();
        EXPECT_EQ(game.SideFlag, anyEmpty ? BoolFalse : BoolTrue);
        // One stone more, the computer's, on an empty point at the cursor; none on a full board.
        BoardCells expected = before;
        if (anyEmpty) {
            ASSERT_TRUE(OnBoard(game.CurX, game.CurY));
            ASSERT_EQ(before(game.CurX, game.CurY), EmptyCell);
            expected(game.CurX, game.CurY) = ComputerSide;
        }
        ASSERT_TRUE(game.Board.cells == expected.cells) << BoardText(game.Board);
        if (!anyEmpty) continue;
        game.Board = before;
        EXPECT_EQ(game.EvaluatePoint(ComputerSide), best);
    }
}

}  // namespace
}  // namespace tessarin::testing
