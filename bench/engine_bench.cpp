// SPDX-License-Identifier: GPL-3.0-or-later
// The computer answers inside the mouse-up event, so its reply has to be far below anything a
// player could notice. Run with
//   engine_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
// and read the medians.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "engine/evaluation.h"
#include "engine/game_state.h"
#include "engine/rules.h"
#include "platform/clock_random.h"
#include "tests/support/recorders.h"

namespace tessarin {
namespace {

using testing::SilentMessageBox;

enum Position : int { Empty = 0, MidGame = 1, Crowded = 2 };

// The same boards every run: random stones of alternating sides, 40 packed into the centre for
// the mid-game, spread over the whole board for the crowded one (250 on 19 x 19, as many per
// point on other sizes). A stone that would make five is skipped, so the position is still a
// game in progress.
template <class Game = GameState>
auto MakeBoard(Position position, int size = BoardSize) {
    SilentMessageBox messages;
    ClockRandom random;
    random.Seed(1);
    Game game(messages, random);
    if constexpr (!std::is_same_v<Game, GameState>)
        game.Board.size = static_cast<std::int16_t>(size);
    if (position == Empty) return game.Board;
    const int stones = position == MidGame ? 40 : 250 * size * size / (BoardSize * BoardSize);
    const int low = position == MidGame ? size / 2 - 4 : 1;
    const int high = position == MidGame ? size / 2 + 6 : size;
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int> coordinate(low, high);
    std::int16_t side = HumanSide;
    while (StoneCount(game.Board) < stones) {
        game.CurX = static_cast<std::int16_t>(coordinate(rng));
        game.CurY = static_cast<std::int16_t>(coordinate(rng));
        if (game.Board(game.CurX, game.CurY) != EmptyCell) continue;
        game.Board(game.CurX, game.CurY) = side;
        game.SideFlag = side == HumanSide ? BoolTrue : BoolFalse;
        if (game.CheckFive()) {
            game.Board(game.CurX, game.CurY) = EmptyCell;
            game.GameOver = BoolFalse;
            continue;
        }
        side = OpponentOf(side);
    }
    return game.Board;
}

const char* Name(Position position) {
    switch (position) {
        case Empty:
            return "empty";
        case MidGame:
            return "mid-game";
        case Crowded:
            return "crowded";
    }
    return "";
}

template <class Cells>
void Describe(benchmark::State& state, const Cells& board, Position position) {
    state.SetLabel(std::to_string(board.Size()) + " x " + std::to_string(board.Size()) + ", " +
                   Name(position) + ", " + std::to_string(StoneCount(board)) + " stones");
}
void Describe(benchmark::State& state, const BoardCells& board) {
    Describe(state, board, static_cast<Position>(state.range(0)));
}

// One call per iteration, walking over the board's empty points in turn.
void BM_EvaluatePoint(benchmark::State& state) {
    SilentMessageBox messages;
    ClockRandom random;
    GameState game(messages, random);
    game.Board = MakeBoard(static_cast<Position>(state.range(0)));
    std::vector<Point> empties;
    for (std::int16_t x = 1; x <= BoardSize; ++x) {
        for (std::int16_t y = 1; y <= BoardSize; ++y) {
            if (game.Board(x, y) == EmptyCell) empties.push_back({x, y});
        }
    }
    std::size_t next = 0;
    for (auto _ : state) {
        game.CurX = empties[next].x;
        game.CurY = empties[next].y;
        benchmark::DoNotOptimize(game.EvaluatePoint(ComputerSide));
        if (++next == empties.size()) next = 0;
    }
    Describe(state, game.Board);
}
BENCHMARK(BM_EvaluatePoint)->Arg(Empty)->Arg(MidGame)->Arg(Crowded);

void BM_EvaluateAllPoints(benchmark::State& state) {
    const BoardCells board = MakeBoard(static_cast<Position>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(EvaluateAllPoints(board, ComputerSide));
    Describe(state, board);
}
BENCHMARK(BM_EvaluateAllPoints)->Arg(Empty)->Arg(MidGame)->Arg(Crowded);

// The whole reply: scan, tie draws, stone, five check. Taking the stone back is three stores,
// cheap enough to leave inside the timing.
void BM_ComputerMove(benchmark::State& state) {
    SilentMessageBox messages;
    ClockRandom random;
    random.Seed(7);
    GameState game(messages, random);
    game.Board = MakeBoard(static_cast<Position>(state.range(0)));
    const std::int16_t grade = game.ComputerGrade;
    for (auto _ : state) {
        game.SideFlag = BoolTrue;  // the human has just moved
        game.ComputerMove();
        game.Board(game.CurX, game.CurY) = EmptyCell;
        game.GameOver = BoolFalse;
        game.ComputerGrade = grade;
    }
    benchmark::DoNotOptimize(game.Board);
    Describe(state, game.Board);
}
BENCHMARK(BM_ComputerMove)->Arg(Empty)->Arg(MidGame)->Arg(Crowded);

// The same reply on the brain's boards of other sizes, and at 19 lines for the cost of a size
// known only at run time.
void BM_SizedComputerMove(benchmark::State& state) {
    SilentMessageBox messages;
    ClockRandom random;
    random.Seed(7);
    SizedGame game(messages, random);
    const auto position = static_cast<Position>(state.range(1));
    game.Board = MakeBoard<SizedGame>(position, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        game.SideFlag = BoolTrue;
        game.ComputerMove();
        game.Board(game.CurX, game.CurY) = EmptyCell;
        game.GameOver = BoolFalse;
    }
    benchmark::DoNotOptimize(game.Board);
    Describe(state, game.Board, position);
}
BENCHMARK(BM_SizedComputerMove)->ArgsProduct({{15, 19, 20}, {Empty, MidGame, Crowded}});

}  // namespace
}  // namespace tessarin

BENCHMARK_MAIN();
