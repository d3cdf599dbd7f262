// SPDX-License-Identifier: GPL-3.0-or-later
#include "brain/session.h"

#include <utility>

#include "platform/clock_random.h"

namespace tessarin::brain {

namespace {

constexpr const char* AboutLine =
    R"(name="Tessarin", version=")" TESSARIN_VERSION R"(", author="Pelorin", country="Taiwan")";

// The protocol counts from 0, the game from 1.
std::optional<Point> GamePoint(ProtocolPoint p, int size) {
    if (p.x < 0 || p.x >= size || p.y < 0 || p.y >= size) return std::nullopt;
    return Point{static_cast<std::int16_t>(p.x + 1), static_cast<std::int16_t>(p.y + 1)};
}

std::string Text(ProtocolPoint p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

template <class Cells>
bool AnyEmpty(const Cells& board) {
    for (int x = 1; x <= board.Size(); ++x) {
        for (int y = 1; y <= board.Size(); ++y) {
            if (board(x, y) == EmptyCell) return true;
        }
    }
    return false;
}

// Whether a position holds five in a row for either side, judged by the game's own check on
// a scratch game, so that neither the game's generator nor its counters are touched.
template <class Cells>
bool AnyFive(const Cells& board) {
    SilentMessageBox quiet;
    ClockRandom unused;
    BasicGame<Cells> probe(quiet, unused);
    probe.Board = board;
    for (std::int16_t x = 1; x <= board.Size(); ++x) {
        for (std::int16_t y = 1; y <= board.Size(); ++y) {
            const std::int16_t stone = board(x, y);
            if (stone == EmptyCell) continue;
            probe.CurX = x;
            probe.CurY = y;
            // The check looks for the side that has just moved: the human after a true flag.
            probe.SideFlag = stone == HumanSide ? BoolTrue : BoolFalse;
            if (probe.CheckFive()) return true;
        }
    }
    return false;
}

// The playable points of one board onto another of the same size.
template <class From, class To>
void CopyStones(const From& from, To& to) {
    for (int x = 1; x <= to.Size(); ++x) {
        for (int y = 1; y <= to.Size(); ++y) to(x, y) = from(x, y);
    }
}

// The rule is a bit mask: 1 exactly five wins, 2 the game goes on after a five, 4 renju,
// 8 caro. The brain ends a game at its first five and knows no forbidden moves, so it plays
// 0 and 1 alone. The reason names what it does not play.
std::string RuleRefusal(std::string_view text, std::optional<int> rule) {
    if (rule && (*rule == 0 || *rule == 1)) return {};
    std::string names;
    if (rule && *rule > 0 && *rule < 16) {
        for (const auto& [bit, name] :
             {std::pair{2, "continuous game"}, {4, "renju"}, {8, "caro"}}) {
            if (*rule & bit) names += (names.empty() ? " (" : ", ") + std::string(name);
        }
        names += ")";
    }
    return "rule " + Printable(text) + names +
           " is not played: only free-style (0) and exactly five (1)";
}

}  // namespace

const BrainSession::Command BrainSession::Commands[] = {
    {"START", &BrainSession::Start},     {"RECTSTART", &BrainSession::RectStart},
    {"RESTART", &BrainSession::Restart}, {"BEGIN", &BrainSession::Begin},
    {"TURN", &BrainSession::Turn},       {"BOARD", &BrainSession::Board},
    {"DONE", &BrainSession::Done},       {"TAKEBACK", &BrainSession::Takeback},
    {"INFO", &BrainSession::Info},       {"ABOUT", &BrainSession::About},
    {"END", &BrainSession::End},
};

BrainSession::BrainSession(RandomSource& random, ReplySink& replies)
    : game_(messages_, random), sized_(messages_, random), replies_(replies) {}

void BrainSession::HandleLine(std::string_view line) {
    if (ended_) return;
    const CommandLine command = SplitCommand(line);
    if (command.word.empty()) return;  // blank lines are no commands

    const Command* known = nullptr;
    for (const Command& c : Commands) {
        if (c.word == command.word) known = &c;
    }
    if (unknownBlock_) {
        // An unknown command followed by stone lines and DONE (SWAP2BOARD and the like) was
        // answered once already; its block gets no more replies. Any other line ends it.
        if (command.word == "DONE") {
            unknownBlock_ = false;
            return;
        }
        if (ParseBoardEntry(line)) return;
        unknownBlock_ = false;
    }
    if (pending_) {
        // Between BOARD and DONE a line is a stone, unless it is another command.
        if (!known) {
            AddBoardEntry(line);
            return;
        }
        if (known->handler != &BrainSession::Done) {
            pending_.reset();
            Error("BOARD not closed by DONE; the position is unchanged");
        }
    }
    if (!known) {
        Reply("UNKNOWN command " + Printable(command.word));
        unknownBlock_ = true;
        return;
    }
    (this->*known->handler)(command.rest);
}

void BrainSession::Start(std::string_view arguments) {
    const auto size = ParseNumber(arguments);
    StartBoard(size.value_or(0), size ? "" : "START needs the board size");
}

// A rectangle is played only when it is a square.
void BrainSession::RectStart(std::string_view arguments) {
    const auto sides = ParsePoint(arguments);
    if (sides && sides->x != sides->y) {
        StartBoard(0, "unsupported board " + std::to_string(sides->x) + " x " +
                          std::to_string(sides->y) + ": only square boards are played");
        return;
    }
    StartBoard(sides ? sides->x : 0, sides ? "" : "RECTSTART needs the board size w,h");
}

void BrainSession::StartBoard(int size, std::string problem) {
    if (problem.empty() && (size < MinBoardSize || size > MaxBoardSize)) {
        problem = "unsupported size " + std::to_string(size) + ": boards of " +
                  std::to_string(MinBoardSize) + " x " + std::to_string(MinBoardSize) + " to " +
                  std::to_string(MaxBoardSize) + " x " + std::to_string(MaxBoardSize) +
                  " are played";
    }
    if (!problem.empty()) {
        startRefusal_ = problem;
        Error(problem);
        return;
    }
    startRefusal_.clear();
    size_ = size;
    ChooseGame();
    WithGame([](auto& game) { game.NewGame(); });
    Reply("OK");
}

void BrainSession::ChooseGame() {
    const bool sized = size_ != BoardSize || exactFive_;
    if (sized) {
        if (sized_.Board.size != size_) {
            sized_.Board = SizedBoardCells{};  // a board of another size starts empty
            sized_.Board.size = static_cast<std::int16_t>(size_);
        }
        sized_.Board.overlineWins = !exactFive_;
        if (!onSized_ && size_ == BoardSize) CopyStones(game_.Board, sized_.Board);
    } else if (onSized_ && sized_.Board.size == BoardSize) {
        CopyStones(sized_.Board, game_.Board);
    }
    onSized_ = sized;
    WithGame([](auto& game) { game.GameOver = AnyFive(game.Board) ? BoolTrue : BoolFalse; });
}

bool BrainSession::Refused() {
    if (!startRefusal_.empty()) {
        Error("no board: " + startRefusal_);
        return true;
    }
    if (!ruleRefusal_.empty()) {
        Error(ruleRefusal_);
        return true;
    }
    return false;
}

void BrainSession::Restart(std::string_view) {
    if (!startRefusal_.empty()) {
        Error("no board: " + startRefusal_);
        return;
    }
    WithGame([](auto& game) { game.NewGame(); });
    Reply("OK");
}

void BrainSession::Begin(std::string_view) {
    if (Refused()) return;
    PlayComputerMove();
}

void BrainSession::Turn(std::string_view arguments) {
    if (Refused()) return;
    const auto move = ParsePoint(arguments);
    const auto point = PointOnBoard("TURN", move);
    if (!point) return;
    const bool play = WithGame([&](auto& game) {
        if (game.Board(point->x, point->y) != EmptyCell) {
            Error(Text(*move) + " is taken");
            return false;
        }
        if (game.GameOver) {
            Error("the game is over");
            return false;
        }
        game.CurX = point->x;
        game.CurY = point->y;
        game.SideFlag = BoolFalse;  // the opponent's stone is the one a person would place
        if (!game.PlaceHumanStone()) {
            Error("the game is over: the opponent has five in a row");
            return false;
        }
        return true;
    });
    if (play) PlayComputerMove();
}

void BrainSession::Board(std::string_view) {
    pending_.emplace();
    pending_->cells.size = static_cast<std::int16_t>(size_);
}

std::optional<Point> BrainSession::PointOnBoard(std::string_view command,
                                                std::optional<ProtocolPoint> move) {
    if (!move) {
        Error(std::string(command) + " needs a point x,y");
        return std::nullopt;
    }
    const auto point = GamePoint(*move, size_);
    if (!point) Error(Text(*move) + " is off the board");
    return point;
}

void BrainSession::AddBoardEntry(std::string_view line) {
    if (!pending_->problem.empty()) return;  // the first problem is the one reported
    const auto entry = ParseBoardEntry(line);
    if (!entry) {
        pending_->problem = "BOARD line \"" + Printable(line) + "\" is not x,y,who";
        return;
    }
    const auto point = GamePoint(entry->point, size_);
    if (!point) {
        pending_->problem = "BOARD point " + Text(entry->point) + " is off the board";
    } else if (entry->who != 1 && entry->who != 2) {
        pending_->problem = "BOARD stone owner " + std::to_string(entry->who) + " is not 1 or 2";
    } else if (pending_->cells(point->x, point->y) != EmptyCell) {
        pending_->problem = "BOARD point " + Text(entry->point) + " is taken twice";
    } else {
        // 1 is the brain's own stone, which is the computer's.
        pending_->cells(point->x, point->y) = entry->who == 1 ? ComputerSide : HumanSide;
    }
}

void BrainSession::Done(std::string_view) {
    if (!pending_) {
        Error("DONE without BOARD");
        return;
    }
    const PendingBoard board = std::move(*pending_);
    pending_.reset();
    // BOARD asks for a move: a refused START or rule is answered here, once the list is read.
    if (Refused()) return;
    if (!board.problem.empty()) {
        Error(board.problem + "; the position is unchanged");
        return;
    }
    WithGame([&](auto& game) {
        game.NewGame();
        CopyStones(board.cells, game.Board);
        game.GameOver = AnyFive(game.Board) ? BoolTrue : BoolFalse;
    });
    PlayComputerMove();
}

void BrainSession::Takeback(std::string_view arguments) {
    if (!startRefusal_.empty()) {
        Error("no board: " + startRefusal_);
        return;
    }
    const auto move = ParsePoint(arguments);
    const auto point = PointOnBoard("TAKEBACK", move);
    if (!point) return;
    WithGame([&](auto& game) {
        if (game.Board(point->x, point->y) == EmptyCell) {
            Error("no stone at " + Text(*move));
            return;
        }
        game.Board(point->x, point->y) = EmptyCell;
        // Taking back the stone that made five reopens the game.
        game.GameOver = AnyFive(game.Board) ? BoolTrue : BoolFalse;
        Reply("OK");
    });
}

// Limits of time and memory are far above what a one-ply reply needs: only the rule matters.
// A rule the brain cannot play is answered at the next move request, as the protocol asks.
void BrainSession::Info(std::string_view arguments) {
    const CommandLine info = SplitCommand(arguments);
    if (info.word != "RULE") return;
    const auto rule = ParseNumber(info.rest);
    ruleRefusal_ = RuleRefusal(info.rest, rule);
    if (!ruleRefusal_.empty()) return;
    exactFive_ = *rule == 1;
    ChooseGame();
}

void BrainSession::About(std::string_view) { Reply(AboutLine); }

void BrainSession::End(std::string_view) { ended_ = true; }

void BrainSession::PlayComputerMove() {
    WithGame([&](auto& game) {
        if (game.GameOver) {
            Error("the game is over");
            return;
        }
        if (!AnyEmpty(game.Board)) {
            Error("the board is full");
            return;
        }
        game.SideFlag = BoolTrue;  // as after a person's stone: the computer's is next
        game.ComputerMove();
        Reply(Text({game.CurX - 1, game.CurY - 1}));
    });
}

}  // namespace tessarin::brain
