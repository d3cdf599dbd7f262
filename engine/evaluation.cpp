// SPDX-License-Identifier: GPL-3.0-or-later
// Point evaluation: the whole of the computer's judgment.
//
// ALGORITHM
// A point is scored for a side by looking at every window through it: every run of five
// consecutive on-board points, in the four directions, that contains the point (at most five
// per direction, twenty in all). A window's score depends only on how many of its points hold
// the side's own stones and how many hold the opponent's; the point's total is the plain sum
// of its windows' scores. There is no look-ahead: the point with the best total is played.
//
// Because a total is a sum of window scores, and a window's score depends on nothing but the
// window, a whole board can be scored by computing each window once and adding its score to
// the five points it covers: the same windows, the same scores, the same sums as scoring each
// point on its own, in about a fifth of the work. EvaluateAllPoints does that (tests check it
// against EvaluatePoint point by point); EvaluatePoint stays the readable definition.

#include "engine/evaluation.h"

#include <algorithm>
#include <cassert>

#include "engine/rules.h"

namespace tessarin {
namespace {

constexpr int MaxCount = 4;

// kWindowScores[own][opponent]. The weights, and what each makes the computer do:
//
//   own\opp      0        1      2      3       4
//     0          1       64    512   4096  500000
//     1        128        4      2  -2000       -
//     2       1024       32     16      -       -
//     3       4000      256      -      -       -
//     4    5000000        -      -      -       -
//
// - own 4 (5000000) is ten times the opponent's four (500000): a point that completes the
//   computer's five outranks a point that only blocks one four. (Not every position: a point
//   that blocks two fours at once and more can total higher; the computer does not look
//   beyond the sums.)
// - opp 4 (500000) outweighs all lesser windows of a point together (at most 20 x 4096): a
//   four of the opponent is blocked unless there is a five to complete.
// - opp 3 (4096) > own 3 (4000): blocking the opponent's three ranks a little above building
//   one's own, so the computer plays defensively when the two are otherwise equal.
// - own 2 (1024) > opp 2 (512), own 1 (128) > opp 1 (64): in quiet positions it prefers
//   building to blocking, and near its own stones to near the human's.
// - empty (1): counts the open windows, so the centre (20 windows) beats the edge and the
//   corner (3); on an empty board every point is a window count.
// - mixed windows (4, 2, 32, 16, 256) can never become a five for either side and score low;
//   3 own + 1 opp (256) scores highest of them, so among quiet points those next to the
//   computer's longer lines are still preferred.
// - 1 own + 3 opp (-2000) is the one penalty: a stone of ours already spoils that window for
//   the opponent, so adding another one there is wasted.
// The rows end where own + opp would pass 4; larger counts score like the row's last entry.
constexpr std::int32_t kWindowScores[MaxCount + 1][MaxCount + 1] = {
    {1, 64, 512, 4096, 500000},
    {128, 4, 2, -2000, -2000},
    {1024, 32, 16, 16, 16},
    {4000, 256, 256, 256, 256},
    {5000000, 5000000, 5000000, 5000000, 5000000},
};

// The window enumeration of one direction through (x, y): the first and last point of the
// on-board segment within four steps of the point. `m` steps back, `n` steps forward.
struct Segment {
    int m;
    int n;
};

template <class Cells>
Segment SegmentThrough(const Cells& board, int x, int y, int dx, int dy) {
    const int size = board.Size();
    auto stepsTo = [size](int coord, int delta) {  // steps available before leaving 1..size
        if (delta > 0) return size - coord;
        if (delta < 0) return coord - 1;
        return MaxCount;
    };
    const int back = std::min({MaxCount, stepsTo(x, -dx), stepsTo(y, -dy)});
    const int forward = std::min({MaxCount, stepsTo(x, dx), stepsTo(y, dy)});
    return {back, forward};
}

// Directions in scoring order: vertical, horizontal, falling diagonal, rising diagonal.
// The rising diagonal runs from the upper-right end down to the left, as (-1, +1).
constexpr int kDirections[4][2] = {{0, 1}, {1, 0}, {1, 1}, {-1, 1}};

// Cell codes for the whole-board form: a window's code sum holds both counts at once.
constexpr int OwnCode = 1;
constexpr int OpponentCode = 8;  // more than five own stones can never carry into it
constexpr int MaxCodeSum = 5 * OpponentCode;

constexpr auto MakeScoresBySum() {
    std::array<std::int32_t, MaxCodeSum + 1> table{};
    for (int sum = 0; sum <= MaxCodeSum; ++sum) {
        const int own = std::min(sum % OpponentCode, MaxCount);
        const int opponent = std::min(sum / OpponentCode, MaxCount);
        table[sum] = kWindowScores[own][opponent];
    }
    return table;
}
constexpr auto kScoresBySum = MakeScoresBySum();

// Where the rule lets a five lose (six or more in a row under exact five, black's under renju,
// a five closed at both ends under caro), a window whose fifth stone would make such a five is
// none: its four stones neither win for their side nor need blocking, and it scores nothing.
// Only a four is judged so; lesser windows score by the table as on any board.
template <class Cells>
std::int32_t ScoreOfWindow(const Cells& board, int sum, int x, int y, int dx, int dy,
                           std::int16_t side) {
    if (sum == MaxCount * OwnCode && !FiveWins(board, x, y, dx, dy, side)) return 0;
    if (sum == MaxCount * OpponentCode && !FiveWins(board, x, y, dx, dy, OpponentOf(side)))
        return 0;
    return kScoresBySum[sum];
}

template <class Cells>
using Codes = std::array<std::uint8_t, Cells::CellCount>;

// Scores every window of one line of `length` points starting at (x, y) and adds, to each
// point of the line, the scores of the windows that contain it.
template <class Cells>
void AddLineTotals(const Cells& board, const Codes<Cells>& codes, std::int16_t side, int x, int y,
                   int dx, int dy, int length, TotalsOf<Cells>& totals) {
    constexpr int Window = 5;
    int index[Cells::MaxSize];
    std::int32_t windowScore[Cells::MaxSize];
    int sum = 0;
    for (int i = 0; i < length; ++i) {
        index[i] = Cells::Index(x + i * dx, y + i * dy);
        sum += codes[index[i]];
        if (i >= Window) sum -= codes[index[i - Window]];
        if (i >= Window - 1) {
            const int start = i - (Window - 1);
            windowScore[start] =
                ScoreOfWindow(board, sum, x + start * dx, y + start * dy, dx, dy, side);
        }
    }
    // Point i lies in windows max(0, i-4) .. min(i, length-5): a sliding sum over the scores.
    const int windows = length - Window + 1;
    std::int32_t covering = 0;
    for (int i = 0; i < length; ++i) {
        if (i < windows) covering += windowScore[i];
        if (i >= Window) covering -= windowScore[i - Window];
        totals[index[i]] += covering;
    }
}

}  // namespace

std::int32_t WindowScore(std::int16_t own, std::int16_t opponent) {
    assert(own >= 0 && opponent >= 0);
    return kWindowScores[std::min<int>(own, MaxCount)][std::min<int>(opponent, MaxCount)];
}

template <class Cells>
std::int32_t BasicGame<Cells>::EvaluatePoint(std::int16_t side) const {
    assert(OnBoard(Board, CurX, CurY));
    const std::int16_t opponent = OpponentOf(side);
    std::int32_t total = 0;
    for (const auto& [dx, dy] : kDirections) {
        const auto [m, n] = SegmentThrough(Board, CurX, CurY, dx, dy);
        // m + n + 1 points lie on the segment; a direction with fewer than five adds nothing.
        for (int j = 0; j <= m + n - MaxCount; ++j) {
            std::int16_t own = 0;
            std::int16_t opp = 0;
            for (int k = 0; k < 5; ++k) {
                const int step = j + k - m;
                const std::int16_t cell = Board(CurX + step * dx, CurY + step * dy);
                if (cell == side) {
                    ++own;
                } else if (cell == opponent) {
                    ++opp;
                }
            }
            const int start = j - m;
            if ((own == MaxCount || opp == MaxCount) &&
                !FiveWins(Board, CurX + start * dx, CurY + start * dy, dx, dy,
                          own == MaxCount ? side : opponent)) {
                continue;  // a four whose five would not win: worth nothing
            }
            total += WindowScore(own, opp);
        }
    }
    return total;
}

template <class Cells>
TotalsOf<Cells> EvaluateAllPoints(const Cells& board, std::int16_t side) {
    const std::int16_t opponent = OpponentOf(side);
    const int size = board.Size();
    Codes<Cells> codes{};
    for (int y = 1; y <= size; ++y) {
        for (int x = 1; x <= size; ++x) {
            const std::int16_t cell = board(x, y);
            codes[Cells::Index(x, y)] =
                cell == side ? OwnCode : (cell == opponent ? OpponentCode : 0);
        }
    }

    TotalsOf<Cells> totals{};
    auto line = [&](int x, int y, int dx, int dy, int length) {
        AddLineTotals(board, codes, side, x, y, dx, dy, length, totals);
    };
    for (int i = 1; i <= size; ++i) {
        line(i, 1, 0, 1, size);  // column i
        line(1, i, 1, 0, size);  // row i
    }
    // Diagonals with at least five points. Falling ones start on the top row or left column,
    // rising ones (walked down to the left) on the top row or right column.
    for (int start = 1; start <= size - 4; ++start) {
        line(start, 1, 1, 1, size - start + 1);
        line(size + 1 - start, 1, -1, 1, size - start + 1);
        if (start > 1) {
            line(1, start, 1, 1, size - start + 1);
            line(size, start, -1, 1, size - start + 1);
        }
    }
    return totals;
}

template std::int32_t BasicGame<BoardCells>::EvaluatePoint(std::int16_t) const;
template std::int32_t BasicGame<SizedBoardCells>::EvaluatePoint(std::int16_t) const;
template PointTotals EvaluateAllPoints(const BoardCells&, std::int16_t);
template TotalsOf<SizedBoardCells> EvaluateAllPoints(const SizedBoardCells&, std::int16_t);

}  // namespace tessarin
