// SPDX-License-Identifier: GPL-3.0-or-later
#include "brain/session.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <utility>

#include "engine/evaluation.h"
#include "engine/rules.h"

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

// The side that plays black: the one with more stones, or, with as many, the side to move.
// Only renju asks, and only the brain's sized board keeps it.
template <class Game>
void SetBlack(Game& game, std::int16_t toMove) {
    if constexpr (requires { game.Board.black; }) {
        int own = 0, other = 0;
        for (int x = 1; x <= game.Board.Size(); ++x) {
            for (int y = 1; y <= game.Board.Size(); ++y) {
                own += game.Board(x, y) == toMove;
                other += game.Board(x, y) == OpponentOf(toMove);
            }
        }
        game.Board.black = own < other ? OpponentOf(toMove) : toMove;
    }
}

// After stones were set or taken other than by a move: who plays black, and whether a five
// already stands (taking back the stone that made it reopens the game).
template <class Game>
void Settle(Game& game, std::int16_t toMove) {
    SetBlack(game, toMove);
    game.GameOver = AnyWinningLine(game.Board) ? BoolTrue : BoolFalse;
}

// The computer's move, as after a person's stone; false when it found no point to play (under
// renju, none that black may).
template <class Game>
bool ComputerPlays(Game& game) {
    const int before = StoneCount(game.Board);
    game.SideFlag = BoolTrue;
    game.ComputerMove();
    return StoneCount(game.Board) != before;
}

// The highest total any empty point has for `side`: how much the side's best move is worth.
template <class Cells>
std::int32_t BestTotal(const Cells& board, std::int16_t side) {
    const auto totals = EvaluateAllPoints(board, side);
    std::int32_t best = 0;
    for (int x = 1; x <= board.Size(); ++x) {
        for (int y = 1; y <= board.Size(); ++y) {
            if (board(x, y) == EmptyCell) best = std::max(best, totals[Cells::Index(x, y)]);
        }
    }
    return best;
}

// The playable points of one board onto another of the same size.
template <class From, class To>
void CopyStones(const From& from, To& to) {
    for (int x = 1; x <= to.Size(); ++x) {
        for (int y = 1; y <= to.Size(); ++y) to(x, y) = from(x, y);
    }
}

// The rule is a bit mask: 1 exactly five wins, 2 the game goes on after a five, 4 renju,
// 8 caro. The brain ends a game at its first five, so it plays each rule alone and no
// combination. The reason names what it does not play.
std::optional<FiveRule> RuleOf(std::optional<int> rule) {
    if (!rule) return std::nullopt;
    switch (*rule) {
        case 0:
            return FiveRule::FreeStyle;
        case 1:
            return FiveRule::ExactFive;
        case 4:
            return FiveRule::Renju;
        case 8:
            return FiveRule::Caro;
        default:
            return std::nullopt;
    }
}

std::string RuleRefusal(std::string_view text, std::optional<int> rule) {
    std::string names;
    if (rule && *rule > 0 && *rule < 16) {
        for (const auto& [bit, name] :
             {std::pair{1, "exactly five"}, {2, "continuous game"}, {4, "renju"}, {8, "caro"}}) {
            if (*rule & bit) names += (names.empty() ? " (" : " + ") + std::string(name);
        }
        names += ")";
    }
    return "rule " + Printable(text) + names +
           " is not played: only free-style (0), exactly five (1), renju (4) and caro (8)";
}

// What the brain needs, with room to spare: its resident size over 400 moves on the largest
// board is under 3 MB (measured with /usr/bin/time -v); a manager allowing less than this
// cannot be obeyed.
constexpr long long NeededMemory = 8LL * 1024 * 1024;

}  // namespace

const BrainSession::Command BrainSession::Commands[] = {
    {"START", &BrainSession::Start},
    {"RECTSTART", &BrainSession::RectStart},
    {"RESTART", &BrainSession::Restart},
    {"BEGIN", &BrainSession::Begin},
    {"TURN", &BrainSession::Turn},
    {"BOARD", &BrainSession::Board},
    {"SWAP2BOARD", &BrainSession::Swap2Board},
    {"DONE", &BrainSession::Done},
    {"TAKEBACK", &BrainSession::Takeback},
    {"INFO", &BrainSession::Info},
    {"ABOUT", &BrainSession::About},
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
        // A command followed by stone lines and DONE that was answered once already (an
        // unknown one, or one refused inside an unclosed list) gets no more replies for its
        // block. Any other line ends it.
        if (command.word == "DONE") {
            unknownBlock_ = false;
            return;
        }
        if (ParseBoardEntry(line) || ParsePoint(line)) return;
        unknownBlock_ = false;
    }
    if (pending_) {
        // Between BOARD and DONE a line is a stone, unless it is another command.
        if (!known) {
            AddBoardEntry(line);
            return;
        }
        if (known->handler != &BrainSession::Done) {
            // The list and the command that cut it short get one reply between them: the
            // manager that sent them is out of step, and a second reply would keep it so.
            const bool swap2 = pending_->swap2;
            pending_.reset();
            if (known->handler == &BrainSession::End) {
                End(command.rest);
                return;
            }
            Error(std::string(swap2 ? "SWAP2BOARD" : "BOARD") + " not closed by DONE before " +
                  command.word + "; the position is unchanged");
            unknownBlock_ = true;
            return;
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
    started_ = true;
    size_ = size;
    ChooseGame();
    WithGame([](auto& game) { game.NewGame(); });
    Reply("OK");
}

void BrainSession::ChooseGame() {
    const bool sized = size_ != BoardSize || rule_ != FiveRule::FreeStyle;
    if (sized) {
        if (sized_.Board.size != size_) {
            sized_.Board = SizedBoardCells{};  // a board of another size starts empty
            sized_.Board.size = static_cast<std::int16_t>(size_);
        }
        sized_.Board.rule = rule_;
        if (!onSized_ && size_ == BoardSize) CopyStones(game_.Board, sized_.Board);
    } else if (onSized_ && sized_.Board.size == BoardSize) {
        CopyStones(sized_.Board, game_.Board);
    }
    onSized_ = sized;
    WithGame([](auto& game) { Settle(game, ComputerSide); });
}

bool BrainSession::NoBoard() {
    if (started_ && startRefusal_.empty()) return false;
    Error("no board: " + (startRefusal_.empty() ? "START first" : startRefusal_));
    return true;
}

bool BrainSession::Refused() {
    if (NoBoard()) return true;
    for (const std::string* refusal : {&ruleRefusal_, &memoryRefusal_}) {
        if (!refusal->empty()) {
            Error(*refusal);
            return true;
        }
    }
    return false;
}

void BrainSession::Restart(std::string_view) {
    if (NoBoard()) return;
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
        SetBlack(game, HumanSide);
        game.CurX = point->x;
        game.CurY = point->y;
        game.SideFlag = BoolFalse;  // the opponent's stone is the one a person would place
        if (!game.PlaceHumanStone()) {
            // The opponent's five ends the game, but a manager that passes the winning stone
            // on before judging it waits for a reply: the point the brain would have played,
            // found on a copy, so that the game stays as it ended.
            auto after = game;
            if (!ComputerPlays(after)) {
                Error("the game is over: the opponent has five in a row");
            } else {
                Reply(Text({after.CurX - 1, after.CurY - 1}));
            }
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

void BrainSession::Swap2Board(std::string_view arguments) {
    Board(arguments);
    pending_->swap2 = true;
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
    if (pending_->swap2) {
        // Swap2's stones come as x,y in the order played, black first; whose they become is
        // decided by the answer.
        const auto stone = ParsePoint(line);
        const auto point = stone ? GamePoint(*stone, size_) : std::nullopt;
        if (!stone) {
            pending_->problem = "SWAP2BOARD line \"" + Printable(line) + "\" is not x,y";
        } else if (!point) {
            pending_->problem = "SWAP2BOARD point " + Text(*stone) + " is off the board";
        } else if (pending_->cells(point->x, point->y) != EmptyCell) {
            pending_->problem = "SWAP2BOARD point " + Text(*stone) + " is taken twice";
        } else {
            pending_->cells(point->x, point->y) = HumanSide;
            pending_->order.push_back(*point);
        }
        return;
    }
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
    if (board.swap2) {
        AnswerSwap2(board.order);
        return;
    }
    WithGame([&](auto& game) {
        game.NewGame();
        CopyStones(board.cells, game.Board);
        Settle(game, ComputerSide);
    });
    PlayComputerMove();
}

// Swap2: the first player lays three stones (black, white, black); the second takes black
// (SWAP), stays white with the fourth stone, or lays the fourth and fifth and leaves the choice
// to the first, who then takes black (SWAP) or stays white with the sixth. The brain judges a
// position as it judges a point: white, to move, keeps its colour unless black's best point
// outscores white's own best. With three stones, when white's best beats black's by less than
// a quarter, the position is close enough to lay two more and let the other player choose.
// Laying the first three, the brain wants that choice hard: the first two stones are the
// computer's own choice for their colour, the third black's most even point. Every stone the
// brain lays is so chosen, and ties are drawn as in the computer's move, so a seed gives the
// same opening again.
void BrainSession::AnswerSwap2(const std::vector<Point>& stones) {
    const std::size_t count = stones.size();
    if (count != 0 && count != 3 && count != 5) {
        Error("SWAP2BOARD needs 0, 3 or 5 stones, not " + std::to_string(count));
        return;
    }
    WithGame([&](auto& game) {
        std::vector<Point> opening = stones;
        // The opening on the board, black's stones as the brain's own or as the opponent's.
        auto setUp = [&](bool brainIsBlack) {
            game.NewGame();
            const std::int16_t black = brainIsBlack ? ComputerSide : HumanSide;
            for (std::size_t i = 0; i < opening.size(); ++i) {
                game.Board(opening[i].x, opening[i].y) = i % 2 == 0 ? black : OpponentOf(black);
            }
            Settle(game, opening.size() % 2 == 0 ? black : OpponentOf(black));
        };
        // Lays the next stone of the opening as the computer's choice for its colour.
        auto layNext = [&] {
            setUp(opening.size() % 2 == 0);
            if (!ComputerPlays(game)) return false;
            opening.push_back({game.CurX, game.CurY});
            return true;
        };
        // Lays black's third stone where neither side's best point outscores the other's by
        // much: near the first two, and the first in scan order of the most even ones.
        auto layBalanced = [&] {
            setUp(true);
            std::optional<Point> best;
            std::int32_t bestGap = 0;
            for (std::int16_t x = 1; x <= game.Board.Size(); ++x) {
                for (std::int16_t y = 1; y <= game.Board.Size(); ++y) {
                    if (game.Board(x, y) != EmptyCell ||
                        std::ranges::none_of(opening, [&](Point p) {
                            return std::abs(p.x - x) <= 2 && std::abs(p.y - y) <= 2;
                        })) {
                        continue;
                    }
                    game.Board(x, y) = ComputerSide;
                    const std::int32_t gap = std::abs(BestTotal(game.Board, ComputerSide) -
                                                      BestTotal(game.Board, HumanSide));
                    game.Board(x, y) = EmptyCell;
                    if (!best || gap < bestGap) {
                        best = Point{x, y};
                        bestGap = gap;
                    }
                }
            }
            if (best) opening.push_back(*best);
            return best.has_value();
        };
        auto text = [&](std::size_t from) {
            std::string line;
            for (std::size_t i = from; i < opening.size(); ++i) {
                line += (line.empty() ? "" : " ") + Text({opening[i].x - 1, opening[i].y - 1});
            }
            return line;
        };

        bool brainIsBlack = true;
        std::string answer;
        if (count == 0) {
            if (!layNext() || !layNext() || !layBalanced()) answer = "ERROR the board is too small";
        } else {
            setUp(true);  // white to move: the brain's stones are black's
            const std::int32_t black = BestTotal(game.Board, ComputerSide);
            const std::int32_t white = BestTotal(game.Board, HumanSide);
            if (black > white) {
                answer = "SWAP";
            } else if (count == 3 && white - black < black / 4) {
                if (!layNext() || !layNext()) answer = "ERROR the board is full";
            } else {
                brainIsBlack = false;
                if (!layNext()) answer = "ERROR the board is full";
            }
        }
        if (answer.empty()) answer = text(count);
        // Black's stones are the brain's unless it stayed white; after laying two stones the
        // other player chooses, and a TURN can follow only if it stays white.
        setUp(brainIsBlack);
        Reply(answer);
    });
}

void BrainSession::Takeback(std::string_view arguments) {
    if (NoBoard()) return;
    const auto move = ParsePoint(arguments);
    const auto point = PointOnBoard("TAKEBACK", move);
    if (!point) return;
    WithGame([&](auto& game) {
        if (game.Board(point->x, point->y) == EmptyCell) {
            Error("no stone at " + Text(*move));
            return;
        }
        const std::int16_t taken = game.Board(point->x, point->y);
        game.Board(point->x, point->y) = EmptyCell;
        Settle(game, taken);  // whose stone it was is to move again
        Reply("OK");
    });
}

// Time limits are far above what a one-ply reply needs: only the rule and a memory limit below
// the brain's needs matter. What the brain cannot meet is answered at the next move request,
// as the protocol asks.
void BrainSession::Info(std::string_view arguments) {
    const CommandLine info = SplitCommand(arguments);
    if (info.word == "MAX_MEMORY") {
        const std::string_view text = info.rest;
        long long bytes = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), bytes);
        const bool tooLittle = error == std::errc() && end == text.data() + text.size() &&
                               bytes > 0 && bytes < NeededMemory;
        memoryRefusal_ = tooLittle ? "max_memory " + Printable(text) + " bytes is below the " +
                                         std::to_string(NeededMemory) + " the brain needs"
                                   : "";
        return;
    }
    if (info.word != "RULE") return;
    const auto number = ParseNumber(info.rest);
    const auto rule = RuleOf(number);
    ruleRefusal_ = rule ? "" : RuleRefusal(info.rest, number);
    if (!rule) return;
    rule_ = *rule;
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
        SetBlack(game, ComputerSide);
        if (!ComputerPlays(game)) {
            Error("no point left that renju allows black");
            return;
        }
        Reply(Text({game.CurX - 1, game.CurY - 1}));
    });
}

}  // namespace tessarin::brain
