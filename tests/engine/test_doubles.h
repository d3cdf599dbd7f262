// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A game object wired to recording stand-ins, loaded the way the window's load step loads it.

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "engine/drawing_surface.h"
#include "engine/game_state.h"
#include "resources/texts.h"
#include "tests/support/recorders.h"

namespace tessarin::testing {

using Calls = std::vector<std::string>;

// Writes down each drawing call, with the point and colour a stone is drawn in, e.g.
// "Cls", "DrawGrid", "DrawStone red (10,10)".
class RecordingSurface final : public DrawingSurface {
public:
    explicit RecordingSurface(const GameState& game) : game_(game) {}
    void Cls() override { calls.push_back("Cls"); }
    void DrawGrid() override { calls.push_back("DrawGrid"); }
    void DrawStone() override {
        calls.push_back(std::string("DrawStone ") + (game_.SideFlag ? "black" : "red") + " (" +
                        std::to_string(game_.CurX) + "," + std::to_string(game_.CurY) + ")");
    }
    std::vector<std::string> calls;

private:
    const GameState& game_;
};

// What the window's load step does to the remark lists.
inline void LoadRemarks(GameState& game) {
    std::ranges::copy(texts::PersonWinMessages, game.PersonWinMessages.begin());
    std::ranges::copy(texts::ComputerWinMessages, game.ComputerWinMessages.begin());
}

struct TestGame {
    TestGame() {
        LoadRemarks(game);
        game.AttachSurface(&surface);
    }
    TestGame(const TestGame&) = delete;
    TestGame& operator=(const TestGame&) = delete;

    RecordingMessageBox messages;
    ScriptedRandom random;  // empty: any draw not scripted by the test fails it
    GameState game{messages, random};
    RecordingSurface surface{game};
};

// Every field of a game object, for "nothing changed" checks.
template <class Game>
auto Fields(const Game& g) {
    return std::tuple(g.CurX, g.CurY, g.WinFlag, g.SideFlag, g.CellSize, g.StoneRadius,
                      g.Board.cells, g.Margin, g.PersonGrade, g.ComputerGrade, g.PersonWinMessages,
                      g.ComputerWinMessages, g.GameOver, g.ScanBounds.Top, g.ScanBounds.Bottom,
                      g.ScanBounds.Left, g.ScanBounds.Right, g.ScanBounds.MoveScore,
                      g.ScanBounds.HintScore);
}

}  // namespace tessarin::testing
