// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tessarin {

class DrawingSurface;
class MessageBox;
class RandomSource;

inline constexpr int BoardSize = 19;    // the game's board: playable columns and rows 1..19
inline constexpr int BoardStride = 20;  // cells per row of storage; index 0 is outside the board
// The rules play on any square board from MinBoardSize to MaxBoardSize lines; the game's own
// board is the one of 19 lines, which the brain also offers to other programs at other sizes.
inline constexpr int MinBoardSize = 5;
inline constexpr int MaxBoardSize = 32;
inline constexpr int RemarkCount = 11;
inline constexpr int FiveLength = 5;          // stones in an unbroken line that win
inline constexpr int Reach = FiveLength - 1;  // the farthest a five through a stone reaches

// Cell values double as side codes.
inline constexpr std::int16_t EmptyCell = 0;
inline constexpr std::int16_t HumanSide = 1;
inline constexpr std::int16_t ComputerSide = 2;

constexpr std::int16_t OpponentOf(std::int16_t side) {
    return side == ComputerSide ? HumanSide : ComputerSide;
}

// A 16-bit Boolean: 0 is false, -1 (all bits set) true; inverted by bitwise complement.
using Boolean = std::int16_t;
inline constexpr Boolean BoolFalse = 0;
inline constexpr Boolean BoolTrue = -1;

constexpr bool OnBoard(int x, int y) {
    return x >= 1 && x <= BoardSize && y >= 1 && y <= BoardSize;
}

// Stride x Stride cells; element (x, y) lives at x + Stride * y, and index 0 of either
// dimension is outside the board, so columns and rows count from 1 as the rules do.
template <int Stride>
struct CellGrid {
    static constexpr int MaxSize = Stride - 1;
    static constexpr int CellCount = Stride * Stride;
    std::array<std::int16_t, CellCount> cells{};

    std::int16_t& operator()(int x, int y) { return cells[Index(x, y)]; }
    std::int16_t operator()(int x, int y) const { return cells[Index(x, y)]; }
    static constexpr int Index(int x, int y) { return x + Stride * y; }
};

// Which lines of five win (engine/rules.h judges them):
// - FreeStyle: five or more in a row, for either side;
// - ExactFive: exactly five; six or more are no win;
// - Renju: black exactly five, white five or more, and black may not play a forbidden point;
// - Caro: five or more, but not exactly five with the opponent's stones at both ends.
enum class FiveRule : std::uint8_t { FreeStyle, ExactFive, Renju, Caro };

// The game's board: 20 x 20 cells, 19 x 19 playable, and five or more in a row wins. Its size
// and rule are constants, so the rules compile for it exactly as if written for 19 alone.
struct BoardCells : CellGrid<BoardStride> {
    static constexpr int Size() { return BoardSize; }
    static constexpr FiveRule Rule() { return FiveRule::FreeStyle; }
    static constexpr std::int16_t Black() { return HumanSide; }  // the side that moves first
};

// A board whose size and rule are chosen at run time (the brain's, for a manager's START and
// INFO rule): `size` lines of MaxBoardSize at most, the rule, and which side plays black (it
// matters under renju alone).
struct SizedBoardCells : CellGrid<MaxBoardSize + 1> {
    std::int16_t size = BoardSize;
    FiveRule rule = FiveRule::FreeStyle;
    std::int16_t black = HumanSide;
    int Size() const { return size; }
    FiveRule Rule() const { return rule; }
    std::int16_t Black() const { return black; }
};

template <class Cells>
constexpr bool OnBoard(const Cells& board, int x, int y) {
    return x >= 1 && x <= board.Size() && y >= 1 && y <= board.Size();
}

struct ScanBoundsRecord {
    std::int16_t Top = 0;
    std::int16_t Bottom = 0;
    std::int16_t Left = 0;
    std::int16_t Right = 0;
    std::int32_t MoveScore = 0;
    std::int32_t HintScore = 0;
};

struct Point {
    std::int16_t x = 0;
    std::int16_t y = 0;
    friend bool operator==(Point, Point) = default;
};

// Mouse positions map to 32-bit columns and rows; the cursor is 16-bit. Anything that does not
// fit saturates, which keeps it off the board instead of wrapping onto it.
std::int16_t ToCoordinate(std::int32_t value);

// Told when a win has just been counted, before its remark is shown: the tally can be kept
// at once, so that a program that dies with the remark open has not lost the win.
class TallyListener {
public:
    virtual ~TallyListener() = default;
    virtual void WinCounted() = 0;
};

// A game on a board of kind `Cells`. The fields are public and are the whole state: the
// window, the rules and the move choice all work on them directly. The rules are written once,
// here, for every board; GameState below is the game's own 19 x 19 instance.
template <class Cells>
class BasicGame {
public:
    BasicGame(MessageBox& messages, RandomSource& random)
        : messages_(&messages), random_(&random) {}

    // The board window draws for the engine once it exists; without one the engine still plays.
    void AttachSurface(DrawingSurface* surface) { surface_ = surface; }
    void AttachTallyListener(TallyListener* listener) { tallyListener_ = listener; }

    std::int16_t CurX = 0;  // the cursor: the point that drawing, checking and scoring use
    std::int16_t CurY = 0;
    Boolean WinFlag = BoolFalse;
    Boolean SideFlag = BoolFalse;  // false: the next stone shown is red (the human's)
    std::int16_t CellSize = 0;     // geometry in twips, kept by the window's DrawGrid
    std::int16_t StoneRadius = 0;
    Cells Board;
    std::int16_t Margin = 0;
    std::int16_t PersonGrade = 0;
    std::int16_t ComputerGrade = 0;
    std::array<std::string, RemarkCount> PersonWinMessages;
    std::array<std::string, RemarkCount> ComputerWinMessages;
    Boolean GameOver = BoolFalse;
    ScanBoundsRecord ScanBounds;

    // Plays the human's stone at the cursor. True when the stone stands and made no five, so
    // the computer is to reply; false when the point was refused or the human has won.
    bool PlaceHumanStone();
    // Empties the playable board and starts over with the human to move.
    void NewGame();
    // Shows a stone at the cursor and hands the move to the other side.
    void DrawStone();
    // Looks for five or more of the side that just moved through the cursor, a five that wins
    // by the board's rule (engine/rules.h); on a five it ends the game, counts the win and
    // shows a remark.
    bool CheckFive();
    // How good the (empty) cursor point would be as the next stone of `side`.
    std::int32_t EvaluatePoint(std::int16_t side) const;
    // The computer's reply: plays the best point for the computer, then checks it for five.
    void ComputerMove();
    // The hint for the human: the point the same scan picks for side 1, or nothing when no
    // point is free. Showing it is the window's business.
    std::optional<Point> HintPoint();

private:
    std::optional<Point> ScanForBest(std::int16_t side, std::int32_t ScanBoundsRecord::*score,
                                     int tieThreshold);

    MessageBox* messages_;
    RandomSource* random_;
    DrawingSurface* surface_ = nullptr;
    TallyListener* tallyListener_ = nullptr;
};

// The one game in progress at the window.
class GameState : public BasicGame<BoardCells> {
public:
    using BasicGame::BasicGame;
};

// The same rules on a board of the size and rule a manager asks for.
using SizedGame = BasicGame<SizedBoardCells>;

}  // namespace tessarin
