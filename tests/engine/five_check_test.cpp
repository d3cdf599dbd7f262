// SPDX-License-Identifier: GPL-3.0-or-later
// The five-in-a-row check: which lines count, what a win does, and the remark it picks.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "engine/game_state.h"
#include "engine/rules.h"
#include "resources/texts.h"
#include "tests/engine/board_text.h"
#include "tests/engine/test_doubles.h"

namespace tessarin::testing {
namespace {

// Sets up the board from a move list and checks its last stone, with SideFlag as DrawStone
// leaves it after that stone (set after a human stone, clear after a computer stone).
template <class Game>
bool CheckLastStone(Game& game, const char* moves) {
    const Stone last = PutStones(game.Board, moves);
    game.CurX = last.at.x;
    game.CurY = last.at.y;
    game.SideFlag = last.side == HumanSide ? BoolTrue : BoolFalse;
    return game.CheckFive();
}

constexpr FiveRule FreeStyle = FiveRule::FreeStyle;
constexpr FiveRule ExactFive = FiveRule::ExactFive;
constexpr FiveRule Renju = FiveRule::Renju;  // black is the human, X
constexpr FiveRule Caro = FiveRule::Caro;

struct LineCase {
    const char* name;
    const char* moves;  // the last stone is the one just played
    bool five;
    int size = BoardSize;  // of a sized board; the game's is always 19 lines, free-style
    FiveRule rule = FreeStyle;
};
void PrintTo(const LineCase& c, std::ostream* out) { *out << c.size << ": " << c.moves; }

class FiveCheckLines : public ::testing::TestWithParam<LineCase> {};

// CheckLastStone on a sized board of the case's size and rule.
bool CheckOnSizedBoard(const LineCase& c) {
    RecordingMessageBox messages;
    ScriptedRandom random{0.0f};
    SizedGame game(messages, random);
    game.Board.size = static_cast<std::int16_t>(c.size);
    game.Board.rule = c.rule;
    const bool five = CheckLastStone(game, c.moves);
    // The pure judgement agrees with the game's own scan.
    EXPECT_EQ(WinningLineThrough(game.Board, game.CurX, game.CurY), five);
    return five;
}

TEST_P(FiveCheckLines, FindsExactlyTheFivesThroughTheLastStone) {
    const LineCase& c = GetParam();
    TestGame t;
    t.game.WinFlag = BoolTrue;  // must be cleared by a check that finds nothing
    if (c.five) t.random.Script({0.0f});
    const bool humanMoved = ParseStones(c.moves).back().side == HumanSide;

    EXPECT_EQ(CheckLastStone(t.game, c.moves), c.five) << BoardText(t.game.Board);

    EXPECT_EQ(t.game.WinFlag, c.five ? BoolTrue : BoolFalse);
    EXPECT_EQ(t.game.GameOver, c.five ? BoolTrue : BoolFalse);
    EXPECT_EQ(t.game.PersonGrade, c.five && humanMoved ? 1 : 0);
    EXPECT_EQ(t.game.ComputerGrade, c.five && !humanMoved ? 1 : 0);
    EXPECT_EQ(t.random.draws, c.five ? 1 : 0);
    const char* remark = humanMoved ? texts::PersonWinMessages[0] : texts::ComputerWinMessages[0];
    EXPECT_EQ(t.messages.shown, c.five ? Calls{remark} : Calls{});
    // A sized board of 19 lines under free-style is the game's board.
    EXPECT_EQ(CheckOnSizedBoard(c), c.five);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FiveCheckLines,
    ::testing::Values(
        LineCase{"RowLastAtEnd", "X6,10 X7,10 X8,10 X9,10 X10,10", true},
        LineCase{"RowLastInMiddle", "X6,10 X7,10 X9,10 X10,10 X8,10", true},
        LineCase{"ColumnLastAtTop", "X4,3 X4,4 X4,5 X4,6 X4,2", true},
        LineCase{"ColumnLastInMiddle", "X4,3 X4,4 X4,6 X4,7 X4,5", true},
        LineCase{"FallingLastAtUpperEnd", "X11,11 X12,12 X13,13 X14,14 X10,10", true},
        LineCase{"FallingLastInMiddle", "X8,8 X9,9 X11,11 X12,12 X10,10", true},
        LineCase{"RisingLastAtUpperEnd", "X9,11 X8,12 X7,13 X6,14 X10,10", true},
        LineCase{"RisingLastAtLowerEnd", "X12,8 X11,9 X10,10 X9,11 X8,12", true},
        LineCase{"RisingLastInMiddle", "X12,8 X11,9 X9,11 X8,12 X10,10", true},
        LineCase{"ComputerRow", "O3,3 O4,3 O5,3 O6,3 O7,3", true},
        LineCase{"ComputerRisingLastInMiddle", "O13,2 O12,3 O10,5 O9,6 O11,4", true},
        LineCase{"SixLastAtEnd", "X5,10 X6,10 X7,10 X8,10 X9,10 X10,10", true},
        LineCase{"SixLastInMiddle", "X5,10 X6,10 X8,10 X9,10 X10,10 X7,10", true},
        LineCase{"SevenJoiningTwoThrees", "X4,4 X4,5 X4,6 X4,8 X4,9 X4,10 X4,7", true},
        LineCase{"FourOnly", "X6,10 X7,10 X8,10 X9,10", false},
        LineCase{"FourOnEveryLine",
                 "X6,10 X7,10 X8,10 X9,7 X9,8 X9,9 X6,7 X7,8 X8,9 X12,7 X11,8 X10,9 X9,10", false},
        LineCase{"BrokenByEmpty", "X6,10 X7,10 X9,10 X10,10 X11,10", false},
        LineCase{"BrokenByOpponent", "X6,10 X7,10 O8,10 X9,10 X10,10", false},
        LineCase{"DiagonalBrokenByOpponent", "X8,8 X9,9 O11,11 X12,12 X13,13 X10,10", false},
        LineCase{"FourBlockedAtBothEnds", "O5,10 O10,10 X6,10 X7,10 X8,10 X9,10", false},
        LineCase{"FiveBlockedAtBothEndsStillWins", "O5,10 O11,10 X6,10 X7,10 X8,10 X9,10 X10,10",
                 true},
        LineCase{"ComputerFiveFarAwayAfterHumanStone", "O1,1 O2,1 O3,1 O4,1 O5,1 X10,10", false},
        LineCase{"ComputerFiveInsideTheHumanScan", "O2,10 O3,10 O4,10 O5,10 O6,10 X7,10", false},
        LineCase{"HumanFiveNextToComputerStone", "X1,1 X2,1 X3,1 X4,1 X5,1 O3,2", false},
        // A stone completing several lines at once is still one win: one draw (a second one
        // would throw), one box, one step of the counter.
        LineCase{"RowAndColumnAtOnce", "X6,10 X7,10 X8,10 X9,10 X10,6 X10,7 X10,8 X10,9 X10,10",
                 true},
        LineCase{"BothDiagonalsAtOnce", "X6,6 X7,7 X8,8 X9,9 X14,6 X13,7 X12,8 X11,9 X10,10", true},
        LineCase{"AllFourAtOnce",
                 "X6,10 X7,10 X8,10 X9,10 X10,11 X10,12 X10,13 X10,14 X6,6 X7,7 X8,8 X9,9 X11,9"
                 " X12,8 X13,7 X14,6 X10,10",
                 true},
        LineCase{"ThreeAtOnceAtAnEdge",
                 "O1,1 O2,1 O3,1 O4,1 O5,2 O5,3 O5,4 O5,5 O1,5 O2,4 O3,3 O4,2 O5,1", true},
        LineCase{"TopEdgeLastInCorner", "X2,1 X3,1 X4,1 X5,1 X1,1", true},
        LineCase{"TopEdgeLastAwayFromCorner", "X1,1 X2,1 X3,1 X4,1 X5,1", true},
        LineCase{"BottomEdgeLastInCorner", "X15,19 X16,19 X17,19 X18,19 X19,19", true},
        LineCase{"BottomEdgeLastInMiddle", "X15,19 X16,19 X18,19 X19,19 X17,19", true},
        LineCase{"RightEdgeColumn", "X19,1 X19,2 X19,4 X19,5 X19,3", true},
        LineCase{"RisingFromCorner19_1", "X18,2 X17,3 X16,4 X15,5 X19,1", true},
        LineCase{"RisingIntoCorner19_1", "X19,1 X18,2 X17,3 X16,4 X15,5", true},
        LineCase{"RisingFromCorner1_19", "X2,18 X3,17 X4,16 X5,15 X1,19", true},
        LineCase{"FallingIntoCorner19_19", "X15,15 X16,16 X17,17 X18,18 X19,19", true},
        LineCase{"FallingFromCorner1_1", "X2,2 X3,3 X4,4 X5,5 X1,1", true},
        // Stones in the stored row and column 0 are off the board and never count, nor may a
        // row run on into the next one through them.
        LineCase{"RowIntoColumnZero", "X0,1 X1,1 X2,1 X3,1 X4,1", false},
        LineCase{"ColumnIntoRowZero", "X1,0 X1,1 X1,2 X1,3 X1,4", false},
        LineCase{"DiagonalIntoCornerZero", "X0,0 X1,1 X2,2 X3,3 X4,4", false},
        LineCase{"RowEndRunsOnToNextRow", "X0,5 X1,5 X17,4 X18,4 X19,4", false},
        LineCase{"RowStartRunsBackToPreviousRow", "X0,5 X17,4 X18,4 X19,4 X1,5", false}),
    [](const auto& info) { return std::string(info.param.name); });

class FiveCheckSized : public FiveCheckLines {};

TEST_P(FiveCheckSized, FindsTheFivesOfItsSizeAndRule) {
    EXPECT_EQ(CheckOnSizedBoard(GetParam()), GetParam().five);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FiveCheckSized,
    ::testing::Values(
        LineCase{"RisingCornerToCorner", "X5,1 X4,2 X2,4 X1,5 X3,3", true, 5, ExactFive},
        LineCase{"IntoTheFarCorner", "O28,32 O29,32 O30,32 O31,32 O32,32", true, 32, FreeStyle},
        LineCase{"FallingIntoTheFarCorner", "X16,16 X17,17 X18,18 X19,19 X20,20", true, 20,
                 ExactFive},
        // The stored line just past a smaller board is off it.
        LineCase{"RowPastTheEdge", "X16,3 X12,3 X13,3 X14,3 X15,3", false, 15, FreeStyle},
        LineCase{"RisingPastTheBottomEdge", "X6,16 X7,15 X8,14 X9,13 X10,12", false, 15, FreeStyle},
        // Exactly five: six or more through the stone are no five; a gap or the other side
        // beyond the five does not matter.
        LineCase{"SixFreeStyle", "X5,10 X6,10 X8,10 X9,10 X10,10 X7,10", true, 15, FreeStyle},
        LineCase{"SixLastInMiddle", "X5,10 X6,10 X8,10 X9,10 X10,10 X7,10", false, 15, ExactFive},
        LineCase{"SevenOnTheRisingDiagonal", "X13,7 X12,8 X11,9 X9,11 X8,12 X7,13 X10,10", false,
                 20, ExactFive},
        LineCase{"FiveGapStone", "O5,10 X6,10 X7,10 X8,10 X9,10 X12,10 X10,10", true, 15,
                 ExactFive},
        LineCase{"SixInTheColumnFiveInTheRow", "X7,1 X7,2 X7,3 X7,4 X7,6 X3,5 X4,5 X5,5 X6,5 X7,5",
                 true, 15, ExactFive},
        // Renju: black (X) wins with exactly five, white with five or more.
        LineCase{"RenjuBlackFive", "X5,10 X6,10 X8,10 X9,10 X7,10", true, 15, Renju},
        LineCase{"RenjuBlackSix", "X5,10 X6,10 X8,10 X9,10 X10,10 X7,10", false, 15, Renju},
        LineCase{"RenjuWhiteSix", "O5,10 O6,10 O8,10 O9,10 O10,10 O7,10", true, 15, Renju},
        // Caro: five or more, but not a five with the opponent's stones at both ends; the edge
        // closes nothing, and a longer line wins however it is closed.
        LineCase{"CaroClosedFive", "O5,10 O11,10 X6,10 X7,10 X8,10 X9,10 X10,10", false, 15, Caro},
        LineCase{"CaroFiveClosedAtOneEnd", "O11,10 X6,10 X7,10 X8,10 X9,10 X10,10", true, 15, Caro},
        LineCase{"CaroEdgeAndOpponent", "X1,3 X2,3 X3,3 X4,3 O6,3 X5,3", true, 15, Caro},
        LineCase{"CaroClosedSix", "X4,4 O3,3 O10,10 X5,5 X6,6 X8,8 X9,9 X7,7", true, 15, Caro},
        LineCase{"CaroClosedWhiteFive", "X1,1 X1,7 O1,2 O1,3 O1,5 O1,6 O1,4", false, 15, Caro}),
    [](const auto& info) { return std::string(info.param.name); });

// The scan's window at the edges and corners: a line through the stone is read up to the edge
// and no further, neither into the stored row and column 0 nor on into the next row.
INSTANTIATE_TEST_SUITE_P(
    EdgesAndCorners, FiveCheckLines,
    ::testing::Values(
        LineCase{"At3_17RisingToTheCorner", "X5,15 X4,16 X2,18 X1,19 X3,17", true},
        LineCase{"At3_17RisingUpFourSteps", "X7,13 X6,14 X5,15 X4,16 X3,17", true},
        LineCase{"At3_17ColumnToTheBottom", "X3,15 X3,16 X3,18 X3,19 X3,17", true},
        LineCase{"At3_17RowIntoColumnZero", "X0,17 X1,17 X2,17 X4,17 X3,17", false},
        LineCase{"At10_10RisingFromTheUpperEnd", "X14,6 X13,7 X12,8 X11,9 X10,10", true},
        LineCase{"At2_12RisingUpFourSteps", "X6,8 X5,9 X4,10 X3,11 X2,12", true},
        LineCase{"At2_12RisingToTheLeftEdge", "X5,9 X4,10 X3,11 X1,13 X2,12", true},
        LineCase{"At2_12RisingIntoColumnZero", "X0,14 X1,13 X3,11 X4,10 X2,12", false},
        LineCase{"At19_1RowIntoTheCorner", "X15,1 X16,1 X17,1 X18,1 X19,1", true},
        LineCase{"At19_1RowRunsOnToNextRow", "X16,1 X17,1 X18,1 X0,2 X19,1", false},
        LineCase{"At19_1ColumnIntoRowZero", "X19,0 X19,2 X19,3 X19,4 X19,1", false},
        LineCase{"At3_4RisingIntoRowZero", "X7,0 X6,1 X5,2 X4,3 X3,4", false},
        LineCase{"At1_1RowIntoColumnZero", "X0,1 X2,1 X3,1 X4,1 X1,1", false},
        LineCase{"At1_1ColumnIntoRowZero", "X1,0 X1,2 X1,3 X1,4 X1,1", false},
        LineCase{"At1_1DiagonalIntoCornerZero", "X0,0 X2,2 X3,3 X4,4 X1,1", false},
        LineCase{"At19_19ColumnIntoTheCorner", "X19,15 X19,16 X19,17 X19,18 X19,19", true},
        LineCase{"ColumnTo2_12", "X2,8 X2,9 X2,10 X2,11 X2,12", true},
        LineCase{"ColumnTo3_17", "X3,13 X3,14 X3,15 X3,16 X3,17", true},
        LineCase{"ColumnFromTheCorner1_1", "X1,2 X1,3 X1,4 X1,5 X1,1", true},
        LineCase{"FallingThrough3_17ToTheBottom", "X1,15 X2,16 X4,18 X5,19 X3,17", true},
        LineCase{"FallingThrough3_17IntoColumnZero", "X0,14 X1,15 X2,16 X4,18 X3,17", false},
        LineCase{"FallingThrough2_12FromTheLeftEdge", "X1,11 X3,13 X4,14 X5,15 X2,12", true},
        LineCase{"FallingThrough2_12IntoColumnZero", "X0,10 X1,11 X3,13 X4,14 X2,12", false}),
    [](const auto& info) { return std::string(info.param.name); });

// Renju's forbidden points for black (X): the last stone of each list is the point judged,
// which is empty when it is judged.
struct ForbiddenCase {
    const char* name;
    const char* moves;
    bool forbidden;
};
void PrintTo(const ForbiddenCase& c, std::ostream* out) { *out << c.moves; }

class RenjuForbidden : public ::testing::TestWithParam<ForbiddenCase> {};

TEST_P(RenjuForbidden, JudgesThePointForBlack) {
    SizedBoardCells board;
    board.size = 15;
    board.rule = FiveRule::Renju;
    const Stone point = PutStones(board, GetParam().moves);
    board(point.at.x, point.at.y) = EmptyCell;
    EXPECT_EQ(ForbiddenForBlack(board, point.at.x, point.at.y), GetParam().forbidden)
        << BoardText(board);
    // Whatever the shape, white may play there.
    board.black = ComputerSide;
    EXPECT_FALSE(ForbiddenForBlack(board, point.at.x, point.at.y));
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, RenjuForbidden,
    ::testing::Values(
        ForbiddenCase{"Overline", "X3,8 X4,8 X5,8 X7,8 X8,8 X6,8", true},
        ForbiddenCase{"SevenOnTheDiagonal", "X2,2 X3,3 X4,4 X6,6 X7,7 X8,8 X5,5", true},
        ForbiddenCase{"DoubleFour", "X4,8 X5,8 X6,8 X7,5 X7,6 X7,7 X7,8", true},
        ForbiddenCase{"DoubleFourInOneLine", "X3,8 X5,8 X7,8 X9,8 X6,8", true},
        ForbiddenCase{"DoubleThree", "X6,8 X7,8 X8,6 X8,7 X8,8", true},
        ForbiddenCase{"DoubleBrokenThree", "X5,8 X7,8 X8,5 X8,7 X8,8", true},
        ForbiddenCase{"DoubleThreeOnTheDiagonals", "X6,6 X7,7 X10,6 X9,7 X8,8", true},
        ForbiddenCase{"FourFourThree", "X4,8 X5,8 X6,8 X7,5 X7,6 X7,7 X5,10 X6,9 X7,8", true},
        // Look-alikes that are allowed.
        ForbiddenCase{"ExactFiveBeatsEverything",
                      "X4,8 X5,8 X6,8 X7,8 X8,5 X8,6 X8,7 X9,9 X10,10 X8,8", false},
        ForbiddenCase{"FiveBeatsAnOverlineElsewhere",
                      "X4,8 X5,8 X6,8 X7,8 X8,2 X8,3 X8,4 X8,6 X8,7 X8,8", false},
        ForbiddenCase{"FourThree", "X5,8 X6,8 X7,8 X8,6 X8,7 X8,8", false},
        ForbiddenCase{"SingleFour", "X5,8 X6,8 X7,8 X8,8", false},
        ForbiddenCase{"SingleThree", "X6,8 X7,8 X8,8", false},
        ForbiddenCase{"ThreeClosedByWhite", "X6,8 X7,8 O9,8 X8,6 X8,7 X8,8", false},
        ForbiddenCase{"ThreeAtTheEdge", "X6,3 X7,3 X8,1 X8,2 X8,3", false},
        ForbiddenCase{"TwoGapsAreNoThree", "X4,8 X7,8 X8,6 X8,7 X8,8", false},
        // The row's straight four would be six (3,8 beyond one end) or meets white (10,8).
        ForbiddenCase{"ThreeThatCanOnlyMakeSix", "X3,8 X6,8 X7,8 O10,8 X8,6 X8,7 X8,8", false},
        ForbiddenCase{"FourThatCanOnlyMakeSix", "X3,8 X4,8 X5,8 X7,8 X6,8 X10,8", false},
        // The row's one straight-four point, 9,8, is itself forbidden once 8,8 stands (a four
        // with two threes), so the row is no three and 8,8 makes one three alone. Without the
        // stone at 11,6, 9,8 is a four-three, allowed, and 8,8 a double three.
        ForbiddenCase{"ThreeWhoseFourPointIsForbidden",
                      "O4,8 X6,8 X7,8 X6,6 X7,7 X9,6 X9,7 X10,7 X11,6 X8,8", false},
        ForbiddenCase{"ThreeWhoseFourPointIsAllowed",
                      "O4,8 X6,8 X7,8 X6,6 X7,7 X9,6 X9,7 X10,7 X8,8", true}),
    [](const auto& info) { return std::string(info.param.name); });

// The remark is drawn from the winner's list at 10 x value, rounded half to even. The winner's
// counter rises by one and stops at the top of 16 bits; the loser's stays.
struct RemarkCase {
    float value;
    int index;
    std::int16_t before = 0, after = 1;  // the winner's counter
};
void PrintTo(const RemarkCase& c, std::ostream* out) { *out << c.value << " -> " << c.index; }

class RemarkChoice : public ::testing::TestWithParam<RemarkCase> {};

TEST_P(RemarkChoice, EachWinnerGetsARemarkOfItsOwnListAndOneWinMore) {
    const RemarkCase& c = GetParam();
    for (const auto& [moves, remarks] :
         {std::pair{"X6,10 X7,10 X8,10 X9,10 X10,10", texts::PersonWinMessages},
          std::pair{"O6,10 O7,10 O8,10 O9,10 O10,10", texts::ComputerWinMessages}}) {
        SCOPED_TRACE(moves);
        TestGame t;
        t.random.Script({c.value});
        const bool human = moves[0] == 'X';
        std::int16_t& winner = human ? t.game.PersonGrade : t.game.ComputerGrade;
        std::int16_t& loser = human ? t.game.ComputerGrade : t.game.PersonGrade;
        winner = c.before;
        loser = 7;
        EXPECT_TRUE(CheckLastStone(t.game, moves));
        EXPECT_EQ(t.messages.shown, Calls{remarks[c.index]});
        EXPECT_EQ(winner, c.after);
        EXPECT_EQ(loser, 7);
    }
}

INSTANTIATE_TEST_SUITE_P(RoundHalfToEven, RemarkChoice,
                         ::testing::Values(RemarkCase{0.0f, 0},
                                           RemarkCase{std::nextafter(0.05f, 0.0f), 0},
                                           RemarkCase{0.06f, 1}, RemarkCase{0.14f, 1},
                                           RemarkCase{0.25f, 2, 32766, 32767},  // 2.5 -> 2
                                           RemarkCase{0.5f, 5},
                                           RemarkCase{0.75f, 8, 32767, 32767},  // 7.5 -> 8
                                           RemarkCase{0.94f, 9}, RemarkCase{0.96f, 10},
                                           RemarkCase{std::nextafter(1.0f, 0.0f), 10}));

}  // namespace
}  // namespace tessarin::testing
