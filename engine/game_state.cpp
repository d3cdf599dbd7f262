// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/game_state.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

#include "engine/drawing_surface.h"
#include "engine/rules.h"
#include "platform/message_box.h"
#include "platform/random_source.h"

namespace tessarin {

namespace {
constexpr int FirstLine = 1;
}  // namespace

std::int16_t ToCoordinate(std::int32_t value) {
    constexpr std::int32_t lo = std::numeric_limits<std::int16_t>::min();
    constexpr std::int32_t hi = std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(value < lo ? lo : (value > hi ? hi : value));
}

template <class Cells>
bool BasicGame<Cells>::PlaceHumanStone() {
    if (!OnBoard(Board, CurX, CurY)) return false;
    if (Board(CurX, CurY) != EmptyCell) return false;
    if (GameOver) return false;
    Board(CurX, CurY) = HumanSide;
    DrawStone();
    return !CheckFive();
}

template <class Cells>
void BasicGame<Cells>::NewGame() {
    for (int x = 1; x <= Board.Size(); ++x) {
        for (int y = 1; y <= Board.Size(); ++y) Board(x, y) = EmptyCell;
    }
    if (surface_) surface_->Cls();
    GameOver = BoolFalse;
    SideFlag = BoolFalse;
    if (surface_) surface_->DrawGrid();
}

template <class Cells>
void BasicGame<Cells>::DrawStone() {
    if (surface_) surface_->DrawStone();
    SideFlag = static_cast<Boolean>(~SideFlag);
}

template <class Cells>
bool BasicGame<Cells>::CheckFive() {
    assert(OnBoard(Board, CurX, CurY));
    WinFlag = BoolFalse;
    const int LastLine = Board.Size();
    std::int16_t& Top = ScanBounds.Top;
    std::int16_t& Bottom = ScanBounds.Bottom;
    std::int16_t& Left = ScanBounds.Left;
    std::int16_t& Right = ScanBounds.Right;

    Top = CurY - Reach >= FirstLine ? CurY - Reach : FirstLine;
    Bottom = CurY + Reach <= LastLine ? CurY + Reach : LastLine;
    Left = CurX - Reach >= FirstLine ? CurX - Reach : FirstLine;
    Right = CurX + Reach <= LastLine ? CurX + Reach : LastLine;

    // DrawStone has already inverted SideFlag, so it names the side that has just moved.
    const std::int16_t side = SideFlag ? HumanSide : ComputerSide;
    int run = 0;
    // (x, y) is the latest cell of a scan walking in direction (dx, dy). The five that ends
    // there wins or not by the board's rule (six or more, or a five closed at both ends, may be
    // no win), which looks only beyond its ends.
    auto fiveAt = [&](int x, int y, int dx, int dy) {
        run = Board(x, y) == side ? run + 1 : 0;
        return run >= FiveLength && FiveWins(Board, x - Reach * dx, y - Reach * dy, dx, dy, side);
    };
    // Each scan walks the cells of one line within four steps of the cursor, so every run of
    // five it can see passes through the stone just played.
    auto anyFive = [&] {
        run = 0;
        for (int y = Top; y <= Bottom; ++y) {
            if (fiveAt(CurX, y, 0, 1)) return true;
        }
        run = 0;
        for (int x = Left; x <= Right; ++x) {
            if (fiveAt(x, CurY, 1, 0)) return true;
        }

        // Upper left to lower right: shrink the window to the diagonal through the cursor.
        if (CurX - Left < CurY - Top) {
            Top = CurY - CurX + Left;
        } else {
            Left = CurX - CurY + Top;
        }
        if (Right - CurX < Bottom - CurY) {
            Bottom = CurY - CurX + Right;
        } else {
            Right = CurX - CurY + Bottom;
        }
        run = 0;
        for (int k = 0; k <= Right - Left; ++k) {
            if (fiveAt(Left + k, Top + k, 1, 1)) return true;
        }

        // Upper right to lower left: walk out from the cursor to each end of the diagonal.
        Left = Right = Top = Bottom = 0;
        for (int l = 0; l <= Reach; ++l) {
            if (Right == LastLine || Top == FirstLine) break;
            Right = CurX + l;
            Top = CurY - l;
        }
        for (int m = 0; m <= Reach; ++m) {
            if (Left == FirstLine || Bottom == LastLine) break;
            Left = CurX - m;
            Bottom = CurY + m;
        }
        run = 0;
        for (int k = 0; k <= Right - Left; ++k) {
            if (fiveAt(Right - k, Top + k, -1, 1)) return true;
        }
        return false;
    };

    if (!anyFive()) return false;

    WinFlag = BoolTrue;
    GameOver = BoolTrue;
    const bool humanWon = SideFlag != BoolFalse;
    // The tally is 16-bit; a counter at its ceiling stays there rather than wrap negative.
    std::int16_t& grade = humanWon ? PersonGrade : ComputerGrade;
    if (grade < std::numeric_limits<std::int16_t>::max()) ++grade;
    if (tallyListener_) tallyListener_->WinCounted();
    const auto& remarks = humanWon ? PersonWinMessages : ComputerWinMessages;
    // Rounding to nearest with halves to even: 0 and 10 come up half as often as the rest.
    // A value in [0, 1) gives 0..10; the clamp only guards the list against a faulty generator.
    constexpr float lastIndex = RemarkCount - 1;
    const long drawn = std::lrint(lastIndex * random_->NextRandom());
    const auto index = static_cast<std::size_t>(std::clamp(drawn, 0L, long{RemarkCount - 1}));
    messages_->ShowMessage(remarks[index]);
    return true;
}

// The game's board and the brain's: the only two kinds the rules are built for.
template bool BasicGame<BoardCells>::PlaceHumanStone();
template void BasicGame<BoardCells>::NewGame();
template void BasicGame<BoardCells>::DrawStone();
template bool BasicGame<BoardCells>::CheckFive();
template bool BasicGame<SizedBoardCells>::PlaceHumanStone();
template void BasicGame<SizedBoardCells>::NewGame();
template void BasicGame<SizedBoardCells>::DrawStone();
template bool BasicGame<SizedBoardCells>::CheckFive();

}  // namespace tessarin
