// The computer answers inside the mouse-up event, so its reply has to be far below anything a
// player could notice. Run with
//   engine_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
// and read the medians.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/evaluation.h"
#include "engine/game_state.h"
#include "platform/clock_random.h"
#include "tests/support/recorders.h"

namespace tessarin {
namespace {

using testing::SilentMessageBox;

enum Position : int { Empty = 0, MidGame = 1, Crowded = 2 };

int StoneCount(const BoardCells& board) {
    int stones = 0;
    for (int x = 1; x <= BoardSize; ++x) {
        for (int y = 1; y <= BoardSize; ++y) stones += board(x, y) != EmptyCell;
    }
    return stones;
}

// The same three boards every run: random stones of alternating sides, packed into the centre
// for the mid-game, spread over the whole board for the crowded one. A stone that would make
// five is skipped, so the position is still a game in progress.
BoardCells MakeBoard(Position position) {
    SilentMessageBox messages;
    ClockRandom random;
    random.Seed(1);
    GameState game(messages, random);
    if (position == Empty) return game.Board;
    const int stones = position == MidGame ? 40 : 250;
    const int low = position == MidGame ? 5 : 1;
    const int high = position == MidGame ? 15 : BoardSize;
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

void Describe(benchmark::State& state, const BoardCells& board) {
    const auto position = static_cast<Position>(state.range(0));
    state.SetLabel(std::string(Name(position)) + ", " + std::to_string(StoneCount(board)) +
                   " stones");
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

}  // namespace
}  // namespace tessarin

BENCHMARK_MAIN();
