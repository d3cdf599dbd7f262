#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tessarin {

class DrawingSurface;
class MessageBox;
class RandomSource;

inline constexpr int BoardSize = 19;    // playable columns and rows: 1..BoardSize
inline constexpr int BoardStride = 20;  // cells per row of storage; index 0 is outside the board
inline constexpr int RemarkCount = 11;

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

// 20 x 20 cells; element (x, y) lives at x + 20 * y.
struct BoardCells {
    std::array<std::int16_t, BoardStride * BoardStride> cells{};

    std::int16_t& operator()(int x, int y) { return cells[Index(x, y)]; }
    std::int16_t operator()(int x, int y) const { return cells[Index(x, y)]; }
    static constexpr int Index(int x, int y) { return x + BoardStride * y; }
};

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

// The one game in progress. The fields are public and are the whole state: the window, the
// rules and the move choice all work on them directly.
class GameState {
public:
    GameState(MessageBox& messages, RandomSource& random);

    // The board window draws for the engine once it exists; without one the engine still plays.
    void AttachSurface(DrawingSurface* surface) { surface_ = surface; }
    void AttachTallyListener(TallyListener* listener) { tallyListener_ = listener; }

    std::int16_t CurX = 0;  // the cursor: the point that drawing, checking and scoring use
    std::int16_t CurY = 0;
    Boolean WinFlag = BoolFalse;
    Boolean SideFlag = BoolFalse;  // false: the next stone shown is red (the human's)
    std::int16_t CellSize = 0;     // geometry in twips, kept by the window's DrawGrid
    std::int16_t StoneRadius = 0;
    BoardCells Board;
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
    // Looks for five or more of the side that just moved through the cursor; on a five it ends
    // the game, counts the win and shows a remark.
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

}  // namespace tessarin
