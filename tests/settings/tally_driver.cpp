// SPDX-License-Identifier: GPL-3.0-or-later
// One copy of the game for the shared-tally tests: the real board window on the real INI store,
// told what to do line by line on standard input instead of by a player. Answers each line with
// one line:
//
//   (at start)        loaded P:C     the counts the window read
//   win person        counted P:C    a human five played through the turn flow; the game's counts
//   win computer      counted P:C    the same for a computer five
//   close             closed P:C     the window closed; the program then ends
//   hold-lock         holding        takes the store's lock and keeps it until killed
//   told              told N         how many messages the player has been shown

#include <QApplication>
#include <cstdio>
#include <iostream>
#include <string>

#include "platform/ini_settings_store.h"
#include "tests/support/recorders.h"
#include "ui/board_window/board_window.h"

namespace {

using namespace tessarin;

void Say(const char* what, const GameState& game) {
    std::printf("%s %d:%d\n", what, game.PersonGrade, game.ComputerGrade);
}

// A five on row 1 for the human, or on row 3 for the computer, who completes it in reply to a
// stone far away: both go through the moves a click makes.
void Win(GameState& game, bool human) {
    game.NewGame();
    const std::int16_t row = human ? 1 : 3;
    for (std::int16_t x = 1; x <= 4; ++x) game.Board(x, row) = human ? HumanSide : ComputerSide;
    game.CurX = human ? 5 : 19;
    game.CurY = human ? 1 : 19;
    if (game.PlaceHumanStone()) game.ComputerMove();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);  // every answer reaches the test at once
    testing::RecordingMessageBox messages;
    testing::ScriptedRandom random;
    random.Always(0.0f);
    IniSettingsStore store;
    Form1 form({messages, random, store, nullptr});
    form.show();
    Say("loaded", form.Game());

    std::unique_ptr<SettingsStore::Lock> held;
    for (std::string line; std::getline(std::cin, line);) {
        if (line == "win person" || line == "win computer") {
            Win(form.Game(), line == "win person");
            Say("counted", form.Game());
        } else if (line == "close") {
            form.close();
            Say("closed", form.Game());
            return 0;
        } else if (line == "hold-lock") {
            held = store.LockStore(QStringLiteral("Tessarin"), std::chrono::milliseconds(0));
            std::puts(held ? "holding" : "lock refused");
        } else if (line == "told") {
            std::printf("told %zu\n", messages.shown.size());
        } else {
            std::printf("unknown command: %s\n", line.c_str());
        }
    }
    return 0;
}
