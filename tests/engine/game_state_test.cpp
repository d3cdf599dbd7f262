// SPDX-License-Identifier: GPL-3.0-or-later
// The game object: placing the human's stone, starting over, showing stones, the cursor's range.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "engine/game_state.h"
#include "resources/texts.h"
#include "tests/engine/board_text.h"
#include "tests/engine/test_doubles.h"

namespace tessarin::testing {
namespace {

using Calls = std::vector<std::string>;

TEST(GameState, StartsEmpty) {
    RecordingMessageBox messages;
    ScriptedRandom random;
    const GameState game(messages, random);
    for (const std::int16_t cell : game.Board.cells) EXPECT_EQ(cell, 0);
    EXPECT_EQ(game.CurX, 0);
    EXPECT_EQ(game.CurY, 0);
    EXPECT_EQ(game.SideFlag, BoolFalse);
    EXPECT_EQ(game.GameOver, BoolFalse);
    EXPECT_EQ(game.WinFlag, BoolFalse);
    EXPECT_EQ(game.PersonGrade, 0);
    EXPECT_EQ(game.ComputerGrade, 0);
    for (int i = 0; i < RemarkCount; ++i) {
        EXPECT_TRUE(game.PersonWinMessages[i].empty());
        EXPECT_TRUE(game.ComputerWinMessages[i].empty());
    }
}

struct RefusalCase {
    const char* name;
    const char* moves;  // stones already on the board ("" for none)
    std::int16_t x, y;
    bool gameOver;
};
void PrintTo(const RefusalCase& c, std::ostream* out) {
    *out << '(' << c.x << ',' << c.y << ") on [" << c.moves << ']'
         << (c.gameOver ? " after the end" : "");
}

class Refusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusal, ChangesNothingAndDrawsNothing) {
    const RefusalCase& c = GetParam();
    TestGame t;
    if (*c.moves) PutStones(t.game.Board, c.moves);
    t.game.CurX = c.x;
    t.game.CurY = c.y;
    t.game.GameOver = c.gameOver ? BoolTrue : BoolFalse;
    // Values a check would overwrite, so that a check run by mistake shows.
    t.game.WinFlag = BoolTrue;
    t.game.ScanBounds = {-7, -7, -7, -7, 123, 456};
    t.game.PersonGrade = 3;
    t.game.ComputerGrade = 4;
    const auto before = Fields(t.game);

    EXPECT_FALSE(t.game.PlaceHumanStone());

    EXPECT_TRUE(Fields(t.game) == before) << BoardText(t.game.Board);
    EXPECT_EQ(t.random.draws, 0);
    EXPECT_TRUE(t.messages.shown.empty());
    EXPECT_TRUE(t.surface.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Points, Refusal,
    ::testing::Values(RefusalCase{"ColumnZero", "", 0, 10, false},
                      RefusalCase{"RowZero", "", 10, 0, false},
                      RefusalCase{"Column20", "", 20, 10, false},
                      RefusalCase{"Row20", "", 10, 20, false},
                      RefusalCase{"NegativeColumn", "", -1, 5, false},
                      RefusalCase{"NegativeRow", "", 5, -3, false},
                      RefusalCase{"MostNegative", "", -32768, -32768, false},
                      RefusalCase{"Largest", "", 32767, 1, false},
                      RefusalCase{"OnHumanStone", "X10,10", 10, 10, false},
                      RefusalCase{"OnComputerStone", "X10,10 O11,11", 11, 11, false},
                      RefusalCase{"OnStoneInCorner", "O19,19", 19, 19, false},
                      RefusalCase{"AfterGameOver", "X1,1 X2,1 X3,1 X4,1 X5,1", 10, 10, true},
                      RefusalCase{"OffBoardAfterGameOver", "", 0, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlaceHumanStone, PlaysARedStoneAndHandsTheMoveOver) {
    TestGame t;
    t.game.CurX = 1;
    t.game.CurY = 19;
    t.game.WinFlag = BoolTrue;
    EXPECT_TRUE(t.game.PlaceHumanStone());
    EXPECT_EQ(t.game.Board(1, 19), HumanSide);
    EXPECT_EQ(t.game.SideFlag, BoolTrue);
    EXPECT_EQ(t.game.WinFlag, BoolFalse);  // the check ran and found nothing
    EXPECT_EQ(t.game.GameOver, BoolFalse);
    EXPECT_EQ(t.surface.calls, (Calls{"DrawStone red (1,19)"}));
    EXPECT_EQ(t.random.draws, 0);
    EXPECT_TRUE(t.messages.shown.empty());
}

TEST(PlaceHumanStone, HumanFiveEndsTheGameWithoutReply) {
    TestGame t;
    PutStones(t.game.Board, "X6,10 X7,10 X9,10 X10,10 O1,1 O2,2 O3,3 O4,4");
    t.game.CurX = 8;
    t.game.CurY = 10;
    t.random.Script({0.3f});
    EXPECT_FALSE(t.game.PlaceHumanStone());
    EXPECT_EQ(t.game.GameOver, BoolTrue);
    EXPECT_EQ(t.game.SideFlag, BoolTrue);
    EXPECT_EQ(t.game.PersonGrade, 1);
    EXPECT_EQ(t.game.ComputerGrade, 0);
    EXPECT_EQ(t.messages.shown, (Calls{texts::PersonWinMessages[3]}));
    EXPECT_EQ(t.surface.calls, (Calls{"DrawStone red (8,10)"}));

    // From now on every point is refused.
    for (const Point p : {Point{11, 10}, Point{5, 10}, Point{19, 19}}) {
        t.game.CurX = p.x;
        t.game.CurY = p.y;
        EXPECT_FALSE(t.game.PlaceHumanStone());
        EXPECT_EQ(t.game.Board(p.x, p.y), EmptyCell);
    }
    EXPECT_EQ(t.random.draws, 1);
    EXPECT_EQ(t.surface.calls.size(), 1u);
}

TEST(NewGame, ClearsThePlayableBoardAndKeepsTheRest) {
    for (const bool afterWin : {false, true}) {
        SCOPED_TRACE(afterWin ? "after a human win" : "in the middle of a game");
        TestGame t;
        PutStones(t.game.Board, "X10,10 O11,11 X1,1 O19,19 X19,1 O1,19 X0,5 O5,0 X0,0 O19,0");
        t.game.CurX = 7;
        t.game.CurY = 8;
        t.game.PersonGrade = 12;
        t.game.ComputerGrade = 34;
        t.game.WinFlag = afterWin ? BoolTrue : BoolFalse;
        t.game.GameOver = afterWin ? BoolTrue : BoolFalse;
        t.game.SideFlag = afterWin ? BoolTrue : BoolFalse;
        t.game.ScanBounds = {1, 2, 3, 4, 5, 6};

        t.game.NewGame();

        for (int x = 1; x <= BoardSize; ++x) {
            for (int y = 1; y <= BoardSize; ++y) ASSERT_EQ(t.game.Board(x, y), EmptyCell);
        }
        EXPECT_EQ(t.game.Board(0, 5), HumanSide);  // index 0 is not the board's to clear
        EXPECT_EQ(t.game.Board(5, 0), ComputerSide);
        EXPECT_EQ(t.game.Board(0, 0), HumanSide);
        EXPECT_EQ(t.game.Board(19, 0), ComputerSide);
        EXPECT_EQ(t.surface.calls, (Calls{"Cls", "DrawGrid"}));
        EXPECT_EQ(t.game.GameOver, BoolFalse);
        EXPECT_EQ(t.game.SideFlag, BoolFalse);
        EXPECT_EQ(t.game.CurX, 7);
        EXPECT_EQ(t.game.CurY, 8);
        EXPECT_EQ(t.game.PersonGrade, 12);
        EXPECT_EQ(t.game.ComputerGrade, 34);
        EXPECT_EQ(t.game.WinFlag, afterWin ? BoolTrue : BoolFalse);
        EXPECT_EQ(t.game.ScanBounds.Top, 1);
        EXPECT_EQ(t.game.ScanBounds.HintScore, 6);

        // The point taken before can be played again, and the stone is red.
        t.game.CurX = 10;
        t.game.CurY = 10;
        t.surface.calls.clear();
        EXPECT_TRUE(t.game.PlaceHumanStone());
        EXPECT_EQ(t.surface.calls, (Calls{"DrawStone red (10,10)"}));
    }
}

TEST(DrawStone, DrawsInTheFlagsColourThenInvertsIt) {
    TestGame t;
    const Point points[] = {{4, 5}, {19, 1}, {1, 19}};
    for (const Point p : points) {
        t.game.CurX = p.x;
        t.game.CurY = p.y;
        t.game.DrawStone();
    }
    EXPECT_EQ(t.surface.calls,
              (Calls{"DrawStone red (4,5)", "DrawStone black (19,1)", "DrawStone red (1,19)"}));
    EXPECT_EQ(t.game.SideFlag, BoolTrue);
    EXPECT_EQ(t.game.Board(4, 5), EmptyCell);  // showing a stone does not store it
}

TEST(DrawStone, InvertsTheFlagWithoutASurface) {
    RecordingMessageBox messages;
    ScriptedRandom random;
    GameState game(messages, random);
    game.CurX = 3;
    game.CurY = 3;
    const Boolean expected[] = {BoolTrue, BoolFalse, BoolTrue, BoolFalse};
    for (const Boolean flag : expected) {
        game.DrawStone();
        EXPECT_EQ(game.SideFlag, flag);
    }
}

TEST(ToCoordinate, SaturatesOutsideSixteenBits) {
    struct Case {
        std::int32_t value;
        std::int16_t coordinate;
    };
    constexpr std::int32_t min32 = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t max32 = std::numeric_limits<std::int32_t>::max();
    const Case cases[] = {{0, 0},           {1, 1},           {19, 19},         {-1, -1},
                          {32767, 32767},   {32768, 32767},   {65537, 32767},   {max32, 32767},
                          {-32768, -32768}, {-32769, -32768}, {-65535, -32768}, {min32, -32768}};
    for (const Case& c : cases) EXPECT_EQ(ToCoordinate(c.value), c.coordinate) << c.value;
}

TEST(ToCoordinate, WideMousePositionStaysOffTheBoard) {
    // 65537 and -65535 would wrap to 1 in 16 bits: a point on the board.
    for (const std::int32_t wide : {65537, -65535, 65546}) {
        TestGame t;
        t.game.CurX = ToCoordinate(wide);
        t.game.CurY = 10;
        EXPECT_FALSE(t.game.PlaceHumanStone()) << wide;
        t.game.CurX = 10;
        t.game.CurY = ToCoordinate(wide);
        EXPECT_FALSE(t.game.PlaceHumanStone()) << wide;
        EXPECT_TRUE(t.surface.calls.empty());
    }
}

}  // namespace
}  // namespace tessarin::testing
