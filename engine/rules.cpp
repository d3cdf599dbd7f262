// SPDX-License-Identifier: GPL-3.0-or-later
// The rules' judgements over a board. The forbidden-point test follows renju's definitions:
//
// - a five is exactly five black stones in a row; six or more are an overline;
// - a four is a line through the stone to which one more black stone adds exactly five (one
//   line can hold two fours: X.XXX.X with the middle stone just played);
// - a straight four is four in a row with both ends empty, each making exactly five;
// - a three is a line to which one more black stone, on a point that is not itself forbidden,
//   makes a straight four.
//
// A point is forbidden when its stone makes no exact five and makes an overline, two or more
// fours, or two or more threes. Whether the point that turns a three into a straight four is
// forbidden is the same question one stone later; that question rarely goes more than one or
// two stones deep, and past MaxDepth the point is taken as allowed (so the three counts, and
// the brain avoids the doubtful point rather than risk it).

#include "engine/rules.h"

namespace tessarin {

namespace {

constexpr int Directions[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
constexpr int MaxDepth = 4;  // how many stones ahead a three's straight four is judged

// The unbroken run of `side` through (x, y) along (dx, dy), (x, y) counted as one of its
// stones: its length, and in `first` the offset of its first stone from (x, y).
template <class Cells>
int RunThrough(const Cells& board, int x, int y, int dx, int dy, std::int16_t side,
               int* first = nullptr) {
    int back = 0;
    while (CellAt(board, x - (back + 1) * dx, y - (back + 1) * dy) == side) ++back;
    int forward = 0;
    while (CellAt(board, x + (forward + 1) * dx, y + (forward + 1) * dy) == side) ++forward;
    if (first) *first = -back;
    return back + forward + 1;
}

// The fours of black through its stone at (x, y) along (dx, dy): the empty points that would
// make exactly five with it, where the two ends of one straight four count as one four.
template <class Cells>
int FoursAlong(Cells& board, int x, int y, int dx, int dy, std::int16_t black) {
    int points[2 * Reach];
    int found = 0;
    for (int offset = -Reach; offset <= Reach; ++offset) {
        const int px = x + offset * dx, py = y + offset * dy;
        if (offset == 0 || CellAt(board, px, py) != EmptyCell) continue;
        board(px, py) = black;
        if (RunThrough(board, x, y, dx, dy, black) == FiveLength) points[found++] = offset;
        board(px, py) = EmptyCell;
    }
    int fours = found;
    for (int i = 0; i < found; ++i) {
        for (int j = i + 1; j < found; ++j) fours -= points[j] - points[i] == FiveLength;
    }
    return fours;
}

// Whether black's stone at (x, y) stands in a straight four along (dx, dy).
template <class Cells>
bool StraightFourAlong(const Cells& board, int x, int y, int dx, int dy, std::int16_t black) {
    int first = 0;
    if (RunThrough(board, x, y, dx, dy, black, &first) != 4) return false;
    const int before = first - 1, after = first + 4;
    auto at = [&](int offset) { return CellAt(board, x + offset * dx, y + offset * dy); };
    return at(before) == EmptyCell && at(after) == EmptyCell && at(before - 1) != black &&
           at(after + 1) != black;
}

template <class Cells>
bool Forbidden(Cells& board, int x, int y, int depth);

// Whether black's stone at (x, y) makes a three along (dx, dy).
template <class Cells>
bool ThreeAlong(Cells& board, int x, int y, int dx, int dy, std::int16_t black, int depth) {
    for (int offset = -Reach; offset <= Reach; ++offset) {
        const int px = x + offset * dx, py = y + offset * dy;
        if (offset == 0 || CellAt(board, px, py) != EmptyCell) continue;
        board(px, py) = black;
        const bool straight = StraightFourAlong(board, x, y, dx, dy, black);
        board(px, py) = EmptyCell;
        if (straight && (depth >= MaxDepth || !Forbidden(board, px, py, depth + 1))) return true;
    }
    return false;
}

// The judgement itself, on a board that it changes only while it looks.
template <class Cells>
bool Forbidden(Cells& board, int x, int y, int depth) {
    const std::int16_t black = board.Black();
    // A three needs two more black stones in its line within four points, a four three more;
    // a point without them in two lines, or three in one, can make none of the shapes.
    int lines = 0, most = 0;
    for (const auto& [dx, dy] : Directions) {
        int stones = 0;
        for (int offset = -Reach; offset <= Reach; ++offset) {
            stones += offset != 0 && CellAt(board, x + offset * dx, y + offset * dy) == black;
        }
        lines += stones >= 2;
        if (stones > most) most = stones;
    }
    if (lines == 0 || (lines == 1 && most < 3)) return false;

    board(x, y) = black;
    bool forbidden = false;
    int runs[4];
    bool five = false;
    for (int d = 0; d < 4; ++d) {
        runs[d] = RunThrough(board, x, y, Directions[d][0], Directions[d][1], black);
        five = five || runs[d] == FiveLength;
    }
    if (!five) {
        int fours = 0;
        bool hasFour[4];
        for (int d = 0; d < 4; ++d) {
            forbidden = forbidden || runs[d] > FiveLength;
            const int f = FoursAlong(board, x, y, Directions[d][0], Directions[d][1], black);
            hasFour[d] = f > 0;
            fours += f;
        }
        forbidden = forbidden || fours >= 2;
        int threes = 0;
        for (int d = 0; d < 4 && !forbidden; ++d) {
            if (hasFour[d]) continue;  // a line holding a four is no three as well
            threes += ThreeAlong(board, x, y, Directions[d][0], Directions[d][1], black, depth);
            forbidden = threes >= 2;
        }
    }
    board(x, y) = EmptyCell;
    return forbidden;
}

}  // namespace

template <class Cells>
bool WinningLineThrough(const Cells& board, int x, int y) {
    const std::int16_t side = board(x, y);
    if (side != HumanSide && side != ComputerSide) return false;
    for (const auto& [dx, dy] : Directions) {
        int first = 0;
        const int length = RunThrough(board, x, y, dx, dy, side, &first);
        // Every five of the run that holds (x, y), judged by what lies beyond its ends.
        const int last = first + length - 1;
        for (int start = first < -Reach ? -Reach : first; start <= 0 && start + Reach <= last;
             ++start) {
            if (FiveWins(board, x + start * dx, y + start * dy, dx, dy, side)) return true;
        }
    }
    return false;
}

template <class Cells>
bool AnyWinningLine(const Cells& board) {
    for (int x = 1; x <= board.Size(); ++x) {
        for (int y = 1; y <= board.Size(); ++y) {
            if (board(x, y) != EmptyCell && WinningLineThrough(board, x, y)) return true;
        }
    }
    return false;
}

template <class Cells>
bool ForbiddenForBlack(const Cells& board, int x, int y) {
    if (!OnBoard(board, x, y) || board(x, y) != EmptyCell) return false;
    Cells scratch = board;
    return Forbidden(scratch, x, y, 0);
}

template <class Cells>
Cells ForbiddenTaken(const Cells& board, std::int16_t mark) {
    Cells marked = board;
    Cells scratch = board;  // each judgement leaves it as it found it
    for (int x = 1; x <= board.Size(); ++x) {
        for (int y = 1; y <= board.Size(); ++y) {
            if (board(x, y) == EmptyCell && Forbidden(scratch, x, y, 0)) marked(x, y) = mark;
        }
    }
    return marked;
}

template bool WinningLineThrough(const BoardCells&, int, int);
template bool WinningLineThrough(const SizedBoardCells&, int, int);
template bool AnyWinningLine(const BoardCells&);
template bool AnyWinningLine(const SizedBoardCells&);
template bool ForbiddenForBlack(const BoardCells&, int, int);
template bool ForbiddenForBlack(const SizedBoardCells&, int, int);
template BoardCells ForbiddenTaken(const BoardCells&, std::int16_t);
template SizedBoardCells ForbiddenTaken(const SizedBoardCells&, std::int16_t);

}  // namespace tessarin
