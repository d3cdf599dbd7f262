// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "brain/command_line.h"
#include "engine/game_state.h"
#include "platform/message_box.h"

namespace tessarin {
class RandomSource;
}

namespace tessarin::brain {

// Where the brain's replies go, one line at a time, without the line end.
class ReplySink {
public:
    virtual ~ReplySink() = default;
    virtual void Send(std::string_view line) = 0;
};

// A game played through the protocol. The brain is the computer: its stones are side 2 and
// it chooses them exactly as the computer does against a person; the manager's other player
// is side 1. Every line is answered as the protocol asks: a move, OK, ERROR or UNKNOWN with a
// reason, or nothing (INFO, END, and the lines of a BOARD list before its DONE). No line,
// however malformed, changes the game unless it is a valid command.
//
// On 19 x 19 under free-style it plays on the game's own GameState, so it is the computer
// move for move; any other size from 5 to 32, and the rules of exactly five, renju and caro,
// play on a SizedGame, the same rules on a board chosen at run time. Under renju it never
// plays a point forbidden to black when it is black. It answers swap2's SWAP2BOARD too.
class BrainSession {
public:
    BrainSession(RandomSource& random, ReplySink& replies);

    void HandleLine(std::string_view line);
    bool Ended() const { return ended_; }
    // The game's own board, which is the one played until a START or INFO rule asks for
    // another.
    const GameState& Game() const { return game_; }

private:
    using Handler = void (BrainSession::*)(std::string_view arguments);
    struct Command {
        std::string_view word;
        Handler handler;
    };
    static const Command Commands[];

    void Start(std::string_view arguments);
    void RectStart(std::string_view arguments);
    void Restart(std::string_view arguments);
    void Begin(std::string_view arguments);
    void Turn(std::string_view arguments);
    void Board(std::string_view arguments);
    void Swap2Board(std::string_view arguments);
    void Done(std::string_view arguments);
    void Takeback(std::string_view arguments);
    void Info(std::string_view arguments);
    void About(std::string_view arguments);
    void End(std::string_view arguments);

    // Sets up an empty board of `size` lines, or refuses it with `problem` when that is not
    // empty or the size is not played.
    void StartBoard(int size, std::string problem);
    // Plays on the game's own board or on the sized one, whichever the size and rule need,
    // taking the stones along when only the rule changes.
    void ChooseGame();
    // Runs f(game) on the game in play.
    template <class F>
    decltype(auto) WithGame(F&& f) {
        return onSized_ ? f(sized_) : f(game_);
    }
    // No START, or a refused one, leaves no board to play on: sends the ERROR.
    bool NoBoard();
    // A move request that no board or an INFO the brain cannot meet leaves unanswerable: sends
    // the ERROR.
    bool Refused();
    // A line between BOARD or SWAP2BOARD and DONE.
    void AddBoardEntry(std::string_view line);
    // The answer to a SWAP2BOARD of `stones`, in the order they were played.
    void AnswerSwap2(const std::vector<Point>& stones);
    // The game's point for a command's x,y, or nothing once the ERROR saying why is sent.
    std::optional<Point> PointOnBoard(std::string_view command, std::optional<ProtocolPoint> move);
    // Plays the computer's reply and sends it, or says why there is none.
    void PlayComputerMove();
    void Reply(std::string_view line) { replies_.Send(line); }
    void Error(const std::string& reason) { replies_.Send("ERROR " + reason); }

    // A BOARD or SWAP2BOARD list being read: the position so far (a SWAP2BOARD's stones also
    // in their order), or why it cannot be used.
    struct PendingBoard {
        bool swap2 = false;
        SizedBoardCells cells;
        std::vector<Point> order;
        std::string problem;
    };

    SilentMessageBox messages_;  // a manager has no one to show a remark to
    GameState game_;
    SizedGame sized_;
    bool onSized_ = false;
    int size_ = BoardSize;
    FiveRule rule_ = FiveRule::FreeStyle;  // from INFO rule
    bool started_ = false;                 // a START has set up a board
    std::string startRefusal_;   // why the last START was refused: no board until the next
    std::string ruleRefusal_;    // why the last INFO rule cannot be played
    std::string memoryRefusal_;  // why the last INFO max_memory cannot be met
    ReplySink& replies_;
    std::optional<PendingBoard> pending_;
    bool unknownBlock_ = false;  // skipping the stone lines after an unknown command
    bool ended_ = false;
};

}  // namespace tessarin::brain
