// SPDX-License-Identifier: GPL-3.0-or-later
// The game object: placing the human's stone, starting over, showing stones, the cursor's range.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/game_state.h"
#include "resources/texts.h"
#include "tests/engine/board_text.h"
#include "tests/engine/test_doubles.h"

namespace tessarin::testing {
namespace {

TEST(GameState, StartsEmpty) {
    RecordingMessageBox messages;
    ScriptedRandom random;
    const GameState game(messages, random);
    EXPECT_TRUE(game.Board.cells == BoardCells{}.cells);
    EXPECT_EQ(std::tuple(game.CurX, game.CurY, game.SideFlag, game.GameOver, game.WinFlag,
                         game.PersonGrade, game.ComputerGrade),
              std::tuple(0, 0, BoolFalse, BoolFalse, BoolFalse, 0, 0));
    EXPECT_EQ(game.PersonWinMessages, decltype(game.PersonWinMessages){});
    EXPECT_EQ(game.ComputerWinMessages, decltype(game.ComputerWinMessages){});
}

struct RefusalCase {
    const char* name;
    std::int16_t x, y;
    const char* moves = "";  // stones already on the board
    bool gameOver = false;
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
    ::testing::Values(RefusalCase{"ColumnZero", 0, 10}, RefusalCase{"RowZero", 10, 0},
                      RefusalCase{"Column20", 20, 10}, RefusalCase{"Row20", 10, 20},
                      RefusalCase{"NegativeColumn", -1, 5}, RefusalCase{"NegativeRow", 5, -3},
                      RefusalCase{"MostNegative", -32768, -32768}, RefusalCase{"Largest", 32767, 1},
                      RefusalCase{"LargestRow", 10, 32767},
                      RefusalCase{"MostNegativeColumn", -32768, 10},
                      RefusalCase{"MostNegativeRow", 10, -32768},
                      RefusalCase{"OnHumanStone", 10, 10, "X10,10"},
                      RefusalCase{"OnComputerStone", 11, 11, "X10,10 O11,11"},
                      RefusalCase{"OnStoneInCorner", 19, 19, "O19,19"},
                      RefusalCase{"AfterGameOver", 10, 10, "X1,1 X2,1 X3,1 X4,1 X5,1", true},
                      RefusalCase{"OffBoardAfterGameOver", 0, 0, "", true}),
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
    EXPECT_EQ(t.random.draws, 1);

    // From now on every point is refused (more of them in Refusal/AfterGameOver).
    t.game.CurX = 19;
    t.game.CurY = 19;
    EXPECT_FALSE(t.game.PlaceHumanStone());
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
        // Everything else stays, the stones in index 0 too: they are not the board's to clear.
        GameState expected = t.game;
        expected.Board = BoardCells{};
        PutStones(expected.Board, "X0,5 O5,0 X0,0 O19,0");
        expected.GameOver = BoolFalse;
        expected.SideFlag = BoolFalse;

        t.game.NewGame();

        EXPECT_TRUE(Fields(t.game) == Fields(expected)) << BoardText(t.game.Board);
        EXPECT_EQ(t.surface.calls, (Calls{"Cls", "DrawGrid"}));

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
    for (const Point p : {Point{4, 5}, Point{19, 1}, Point{1, 19}}) {
        t.game.CurX = p.x;
        t.game.CurY = p.y;
        t.game.DrawStone();
    }
    EXPECT_EQ(t.surface.calls,
              (Calls{"DrawStone red (4,5)", "DrawStone black (19,1)", "DrawStone red (1,19)"}));
    EXPECT_EQ(t.game.SideFlag, BoolTrue);
    EXPECT_EQ(t.game.Board(4, 5), EmptyCell);  // showing a stone does not store it

    // Without a surface the flag still turns over.
    t.game.AttachSurface(nullptr);
    for (const Boolean flag : {BoolFalse, BoolTrue}) {
        t.game.DrawStone();
        EXPECT_EQ(t.game.SideFlag, flag);
    }
    EXPECT_EQ(t.surface.calls.size(), 3u);
}

// A mouse position past 16 bits saturates, so it stays off the board (Refusal/Largest and
// the like): 65537 and -65535 would wrap to 1, a point on the board.
TEST(ToCoordinate, SaturatesOutsideSixteenBits) {
    struct Case {
        std::int32_t value;
        std::int16_t coordinate;
    };
    constexpr std::int32_t min32 = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t max32 = std::numeric_limits<std::int32_t>::max();
    const Case cases[] = {{0, 0},           {1, 1},           {19, 19},         {-1, -1},
                          {32767, 32767},   {32768, 32767},   {65537, 32767},   {max32, 32767},
                          {-32768, -32768}, {-32769, -32768}, {-65535, -32768}, {min32, -32768},
                          {65546, 32767}};
    for (const Case& c : cases) EXPECT_EQ(ToCoordinate(c.value), c.coordinate) << c.value;
}

}  // namespace
}  // namespace tessarin::testing
