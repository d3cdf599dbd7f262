#include "brain/session.h"

#include "platform/clock_random.h"

namespace tessarin::brain {

namespace {

constexpr const char* AboutLine =
    R"(name="Tessarin", version=")" TESSARIN_VERSION R"(", author="Pelorin", country="Taiwan")";

// The protocol counts from 0, the game from 1.
std::optional<Point> GamePoint(ProtocolPoint p) {
    if (p.x < 0 || p.x >= BoardSize || p.y < 0 || p.y >= BoardSize) return std::nullopt;
    return Point{static_cast<std::int16_t>(p.x + 1), static_cast<std::int16_t>(p.y + 1)};
}

std::string Text(ProtocolPoint p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

bool AnyEmpty(const BoardCells& board) {
    for (int x = 1; x <= BoardSize; ++x) {
        for (int y = 1; y <= BoardSize; ++y) {
            if (board(x, y) == EmptyCell) return true;
        }
    }
    return false;
}

// Whether a position holds five in a row for either side, judged by the game's own check on
// a scratch game, so that neither the game's generator nor its counters are touched.
bool AnyFive(const BoardCells& board) {
    SilentMessageBox quiet;
    ClockRandom unused;
    GameState probe(quiet, unused);
    probe.Board = board;
    for (std::int16_t x = 1; x <= BoardSize; ++x) {
        for (std::int16_t y = 1; y <= BoardSize; ++y) {
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

}  // namespace

const BrainSession::Command BrainSession::Commands[] = {
    {"START", &BrainSession::Start},       {"RESTART", &BrainSession::Restart},
    {"BEGIN", &BrainSession::Begin},       {"TURN", &BrainSession::Turn},
    {"BOARD", &BrainSession::Board},       {"DONE", &BrainSession::Done},
    {"TAKEBACK", &BrainSession::Takeback}, {"INFO", &BrainSession::Info},
    {"ABOUT", &BrainSession::About},       {"END", &BrainSession::End},
};

BrainSession::BrainSession(RandomSource& random, ReplySink& replies)
    : game_(messages_, random), replies_(replies) {}

void BrainSession::HandleLine(std::string_view line) {
    if (ended_) return;
    const CommandLine command = SplitCommand(line);
    if (command.word.empty()) return;  // blank lines are no commands

    const Command* known = nullptr;
    for (const Command& c : Commands) {
        if (c.word == command.word) known = &c;
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
        return;
    }
    (this->*known->handler)(command.rest);
}

void BrainSession::Start(std::string_view arguments) {
    const auto size = ParseNumber(arguments);
    if (!size) {
        Error("START needs the board size");
        return;
    }
    if (*size != BoardSize) {
        Error("unsupported size " + std::to_string(*size) + ": the board is 19 x 19");
        return;
    }
    game_.NewGame();
    Reply("OK");
}

void BrainSession::Restart(std::string_view) {
    game_.NewGame();
    Reply("OK");
}

void BrainSession::Begin(std::string_view) { PlayComputerMove(); }

void BrainSession::Turn(std::string_view arguments) {
    const auto move = ParsePoint(arguments);
    const auto point = PointOnBoard("TURN", move);
    if (!point) return;
    if (game_.Board(point->x, point->y) != EmptyCell) {
        Error(Text(*move) + " is taken");
        return;
    }
    if (game_.GameOver) {
        Error("the game is over");
        return;
    }
    game_.CurX = point->x;
    game_.CurY = point->y;
    game_.SideFlag = BoolFalse;  // the opponent's stone is the one a person would place
    if (!game_.PlaceHumanStone()) {
        Error("the game is over: the opponent has five in a row");
        return;
    }
    PlayComputerMove();
}

void BrainSession::Board(std::string_view) { pending_.emplace(); }

std::optional<Point> BrainSession::PointOnBoard(std::string_view command,
                                                std::optional<ProtocolPoint> move) {
    if (!move) {
        Error(std::string(command) + " needs a point x,y");
        return std::nullopt;
    }
    const auto point = GamePoint(*move);
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
    const auto point = GamePoint(entry->point);
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
    if (!board.problem.empty()) {
        Error(board.problem + "; the position is unchanged");
        return;
    }
    game_.NewGame();
    game_.Board = board.cells;
    game_.GameOver = AnyFive(game_.Board) ? BoolTrue : BoolFalse;
    PlayComputerMove();
}

void BrainSession::Takeback(std::string_view arguments) {
    const auto move = ParsePoint(arguments);
    const auto point = PointOnBoard("TAKEBACK", move);
    if (!point) return;
    if (game_.Board(point->x, point->y) == EmptyCell) {
        Error("no stone at " + Text(*move));
        return;
    }
    game_.Board(point->x, point->y) = EmptyCell;
    // Taking back the stone that made five reopens the game.
    game_.GameOver = AnyFive(game_.Board) ? BoolTrue : BoolFalse;
    Reply("OK");
}

// Limits of time and memory are far above what a one-ply reply needs; nothing to answer.
void BrainSession::Info(std::string_view) {}

void BrainSession::About(std::string_view) { Reply(AboutLine); }

void BrainSession::End(std::string_view) { ended_ = true; }

void BrainSession::PlayComputerMove() {
    if (game_.GameOver) {
        Error("the game is over");
        return;
    }
    if (!AnyEmpty(game_.Board)) {
        Error("the board is full");
        return;
    }
    game_.SideFlag = BoolTrue;  // as after a person's stone: the computer's is next
    game_.ComputerMove();
    Reply(Text({game_.CurX - 1, game_.CurY - 1}));
}

}  // namespace tessarin::brain
