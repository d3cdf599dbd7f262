// SPDX-License-Identifier: GPL-3.0-or-later
// A whole turn as the player meets it: one mouse release on the real board window, running
// the human's stone, the five check, the computer's reply and both drawings inside the
// handler. The window runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
//
//   turn_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// Only the release itself is timed (manual time): choosing the human's point and starting a
// new game after a five are not part of a turn.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/clock_random.h"
#include "tests/support/board_window_driver.h"

namespace tessarin {
namespace {

// The tests' own stand-ins. A remark box that returns at once: a modal box would stop the
// benchmark at the first five. The tally in memory: it is saved after every win, and a file
// write would measure the disk, not the turn.
using testing::BoardUser;
using testing::MemorySettings;
using testing::SilentMessageBox;

class Harness {
public:
    Harness() {
        form_.show();
        // Deliver the expose and first paint now: an unexposed window skips repaints.
        QCoreApplication::processEvents();
        // After the window's own clock seeding, so every run plays the same games.
        random_.Seed(1);
    }

    // Plays one human move by a mouse release and returns how long the release took, or
    // nothing if the release placed no stone (the benchmark would then time the wrong thing).
    std::optional<std::chrono::nanoseconds> PlayOneTurn(bool repaint) {
        if (form_.Game().GameOver != BoolFalse) {
            form_.NewGame();
            lastX_ = lastY_ = 0;
        }
        const auto [column, row] = NextHumanPoint();
        const QPoint at = user_.PixelOf(column, row);

        const auto start = std::chrono::steady_clock::now();
        user_.ReleaseAt(at);
        if (repaint) form_.Canvas()->repaint();
        const auto elapsed = std::chrono::steady_clock::now() - start;

        if (form_.Game().Board(column, row) != HumanSide) return std::nullopt;
        lastX_ = form_.Game().CurX;
        lastY_ = form_.Game().CurY;
        return elapsed;
    }

private:
    // A player who answers near the computer's last stone, so positions look like games and
    // not like scattered noise; anywhere free when nothing near is.
    std::pair<int, int> NextHumanPoint() {
        const BoardCells& board = form_.Game().Board;
        std::vector<std::pair<int, int>> near;
        std::vector<std::pair<int, int>> anywhere;
        for (int x = 1; x <= BoardSize; ++x) {
            for (int y = 1; y <= BoardSize; ++y) {
                if (board(x, y) != EmptyCell) continue;
                anywhere.emplace_back(x, y);
                if (lastX_ != 0 && std::abs(x - lastX_) <= 2 && std::abs(y - lastY_) <= 2) {
                    near.emplace_back(x, y);
                }
            }
        }
        if (near.empty() && lastX_ == 0) near.emplace_back(10, 10);
        const auto& from = near.empty() ? anywhere : near;
        std::uniform_int_distribution<std::size_t> pick(0, from.size() - 1);
        return from[pick(picker_)];
    }

    SilentMessageBox messages_;
    ClockRandom random_;
    MemorySettings settings_;
    Form1 form_{BoardServices{messages_, random_, settings_, nullptr}};
    BoardUser user_{form_};
    std::mt19937 picker_{2024};
    int lastX_ = 0;
    int lastY_ = 0;
};

void Turn(benchmark::State& state, bool repaint) {
    Harness harness;
    for (auto _ : state) {
        const auto elapsed = harness.PlayOneTurn(repaint);
        if (!elapsed) {
            state.SkipWithError("a release placed no stone: the click missed its point");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(*elapsed).count());
    }
}

void BM_Turn(benchmark::State& state) { Turn(state, false); }
// The same turn plus the synchronous repaint of the whole board that the release schedules.
void BM_TurnWithRepaint(benchmark::State& state) { Turn(state, true); }

BENCHMARK(BM_Turn)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TurnWithRepaint)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tessarin

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
