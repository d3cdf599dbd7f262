// SPDX-License-Identifier: GPL-3.0-or-later
// The protocol session: command sessions with their exact replies, and whole games checked
// move by move against the computer's own choice.

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "brain/session.h"
#include "engine/game_state.h"
#include "platform/clock_random.h"
#include "tests/support/recorders.h"

namespace tessarin::brain {
namespace {

using Lines = std::vector<std::string>;

class RecordingReplies final : public ReplySink {
public:
    void Send(std::string_view line) override { lines.emplace_back(line); }
    Lines lines;
};

// Ties never (0) or always (0.9) move the choice to the later point, which makes the chosen
// point the first or the last of the best ones in scan order (column by column).
constexpr float FirstOfTies = 0.0f;
constexpr float LastOfTies = 0.9f;

struct SessionCase {
    const char* name;
    Lines input;
    Lines replies;
    float draws = FirstOfTies;
    bool fresh = false;  // as the brain starts; otherwise after START 19 and its OK
};
void PrintTo(const SessionCase& c, std::ostream* out) { *out << c.name; }

Lines Join(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class Session : public ::testing::TestWithParam<SessionCase> {};

TEST_P(Session, RepliesExactly) {
    const SessionCase& c = GetParam();
    testing::ScriptedRandom random;
    random.Always(c.draws);
    RecordingReplies replies;
    BrainSession session(random, replies);
    if (!c.fresh) session.HandleLine("START 19");
    for (const auto& line : c.input) session.HandleLine(line);
    EXPECT_EQ(replies.lines, c.fresh ? c.replies : Join({{"OK"}, c.replies}));
}

const std::string About = R"(name="Tessarin", version="1.0", author="Pelorin", country="Taiwan")";
// Four of the opponent's stones on the top row, from its left end: the brain must block at
// 4,0 (the four scores 500000 there, more than anything else).
const Lines OpponentFour = {"BOARD", "0,0,2", "1,0,2", "2,0,2", "3,0,2", "18,18,1", "DONE"};

const std::string Sizes = "boards of 5 x 5 to 32 x 32 are played";
const std::string NoBoard = "ERROR no board: unsupported size 40: " + Sizes;
const std::string OnlyRules =
    " is not played: only free-style (0), exactly five (1), renju (4) and caro (8)";
const std::string NoContinuous = "ERROR rule 6 (continuous game + renju)" + OnlyRules;
const std::string NoStart = "ERROR no board: START first";
const std::string Over = "ERROR the game is over";
const std::string NeedsPoint = "ERROR TURN needs a point x,y";
// The brain's four on the top row with its own stone beyond the gap (4,0 would make six),
// and the opponent's plain four on row 2.
const Lines SixForTheBrain = {"BOARD", "0,0,1", "1,0,1", "2,0,1", "3,0,1", "5,0,1",
                              "0,2,2", "1,2,2", "2,2,2", "3,2,2", "DONE"};
// The opponent's six to be at 4,4; the brain's four, blocked at its left end, to complete at
// 14,10.
const Lines SixForTheOpponent = {"BOARD",  "0,4,2",   "1,4,2",   "2,4,2",   "3,4,2",   "5,4,2",
                                 "9,10,2", "10,10,1", "11,10,1", "12,10,1", "13,10,1", "DONE"};

// Two stones of `who` on column 9 and two on row 9, and `other`'s in the corners, so that 9,9
// makes two open threes.
Lines CrossingTwos(const std::string& who, const std::string& other) {
    Lines lines = {"BOARD"};
    for (const char* p : {"9,7", "9,8", "7,9", "8,9"}) lines.push_back(p + ("," + who));
    for (const char* p : {"0,0", "18,0", "0,18", "18,18"}) lines.push_back(p + ("," + other));
    if (who == "2") lines.push_back("18,9," + other);  // white to move: black has one more
    lines.push_back("DONE");
    return lines;
}
// The brain's four on the top row between two of the opponent's stones, and the opponent's
// open four on row 2.
const Lines ClosedFour = {"BOARD", "0,0,2", "1,0,1", "2,0,1", "3,0,1", "4,0,1",
                          "6,0,2", "0,2,2", "1,2,2", "2,2,2", "3,2,2", "DONE"};

// A BOARD of every point but 18,18, two of each colour along a row and alternating down a
// column, so that no line reaches five.
Lines AllButOnePoint() {
    Lines lines = {"BOARD"};
    for (int x = 0; x < BoardSize; ++x) {
        for (int y = 0; y < BoardSize; ++y) {
            if (x == 18 && y == 18) continue;
            const int who = (x + 2 * y) % 4 < 2 ? 1 : 2;
            lines.push_back(std::to_string(x) + "," + std::to_string(y) + "," +
                            std::to_string(who));
        }
    }
    lines.push_back("DONE");
    return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Brain, Session,
    ::testing::Values(
        SessionCase{"StartSizes",
                    {"START 19", "START 5", "START 15", "START 20", "START 32", "START 4",
                     "START 33", "START -1", "START", "START x", "start 19", "RECTSTART 20,20",
                     "RECTSTART 20,15", "RECTSTART 20"},
                    {"OK", "OK", "OK", "OK", "OK", "ERROR unsupported size 4: " + Sizes,
                     "ERROR unsupported size 33: " + Sizes, "ERROR unsupported size -1: " + Sizes,
                     "ERROR START needs the board size", "ERROR START needs the board size", "OK",
                     "OK", "ERROR unsupported board 20 x 15: only square boards are played",
                     "ERROR RECTSTART needs the board size w,h"}},
        // The same table on every size: on 5 x 5 only the centre lies on both diagonals (4
        // windows); elsewhere the points 4 or more from every edge have 20.
        SessionCase{"BeginOnEverySize",
                    {"START 5", "BEGIN", "START 15", "BEGIN", "START 20", "BEGIN", "START 32",
                     "BEGIN", "RECTSTART 15,15", "BEGIN"},
                    {"OK", "2,2", "OK", "10,10", "OK", "15,15", "OK", "27,27", "OK", "10,10"},
                    LastOfTies},
        // A stone in the far corner: the best point is the centre point on its diagonal, whose
        // window through the stone scores 64 instead of 1. On 5 x 5 that is the centre.
        SessionCase{
            "EdgesOfOtherSizes",
            {"START 15", "TURN 15,0", "TURN 14,14", "START 32", "TURN 32,31", "TURN 31,31",
             "START 5", "BOARD", "4,4,2", "DONE", "TAKEBACK 5,0"},
            {"OK", "ERROR 15,0 is off the board", "10,10", "OK", "ERROR 32,31 is off the board",
             "27,27", "OK", "2,2", "ERROR 5,0 is off the board"}},
        // Nothing is played on a board that was refused, until a START succeeds.
        SessionCase{"AfterARefusedStart",
                    {"START 40", "BEGIN", "TURN 1,1", "BOARD", "1,1,1", "DONE", "RESTART",
                     "TAKEBACK 1,1", "START 15", "BEGIN"},
                    {"ERROR unsupported size 40: " + Sizes, NoBoard, NoBoard, NoBoard, NoBoard,
                     NoBoard, "OK", "4,4"},
                    FirstOfTies,
                    true},
        // A rule it cannot play is refused at each move request (a BOARD's at its DONE), until
        // an INFO rule it plays; so is a memory limit below its needs.
        SessionCase{"RulesNotPlayed",
                    {"INFO rule 6", "BEGIN", "TURN 9,9", "BOARD", "9,9,2", "DONE", "INFO rule 5",
                     "BEGIN", "INFO rule 16", "TAKEBACK 9,9", "INFO rule x", "BEGIN", "INFO rule 1",
                     "INFO max_memory 1000", "BEGIN", "INFO max_memory 0", "BEGIN"},
                    {NoContinuous, NoContinuous, NoContinuous,
                     "ERROR rule 5 (exactly five + renju)" + OnlyRules, "ERROR no stone at 9,9",
                     "ERROR rule x" + OnlyRules,
                     "ERROR max_memory 1000 bytes is below the 8388608 the brain needs", "4,4"}},
        // Before any START there is no board to play on.
        SessionCase{"BeforeAnyStart",
                    {"BEGIN", "TURN 9,9", "BOARD", "9,9,2", "DONE", "SWAP2BOARD", "DONE",
                     "TAKEBACK 9,9", "RESTART", "START 15", "BEGIN"},
                    {NoStart, NoStart, NoStart, NoStart, NoStart, NoStart, "OK", "4,4"},
                    FirstOfTies,
                    true},
        // Renju: black (the brain, to move with as many stones as white) may not play the
        // double three at 9,9, which white may; a white six wins, a black six does not.
        SessionCase{"RenjuForbidsBlackOnly",
                    Join({{"INFO rule 4"},
                          CrossingTwos("1", "2"),
                          CrossingTwos("2", "1"),
                          {"INFO rule 0"},
                          CrossingTwos("1", "2")}),
                    {"8,8", "9,9", "9,9"}},
        SessionCase{"RenjuSixes",
                    Join({{"INFO rule 4"},
                          SixForTheBrain,
                          {"TAKEBACK 4,2", "INFO rule 4"},
                          SixForTheOpponent,
                          {"TAKEBACK 14,10", "TURN 4,4"}}),
                    {"4,2", "OK", "14,10", "OK", "14,10"}},
        // Caro: a five closed by the opponent at both ends does not win, so the brain blocks
        // the opponent's open four instead of making it; under free-style it wins at once.
        SessionCase{"CaroClosedFive",
                    Join({{"INFO rule 8"}, ClosedFour, {"INFO rule 0"}, ClosedFour}),
                    {"4,2", "5,0"}},
        // Swap2's three cases: three stones laid, then answers to three stones (take black; lay
        // two more) and to five (take black; stay white with the sixth). After SWAP the
        // brain is black: white's fourth stone comes as a TURN.
        SessionCase{
            "Swap2",
            {"SWAP2BOARD", "DONE",       "SWAP2BOARD", "7,7",        "8,7",  "9,9",  "DONE",
             "TURN 6,6",   "SWAP2BOARD", "7,7",        "7,8",        "1,1",  "DONE", "SWAP2BOARD",
             "7,7",        "8,7",        "9,9",        "8,8",        "8,6",  "DONE", "SWAP2BOARD",
             "7,7",        "8,8",        "1,1",        "9,9",        "0,18", "DONE", "SWAP2BOARD",
             "7,7",        "7,7",        "DONE",       "SWAP2BOARD", "7,7",  "DONE", "SWAP2BOARD",
             "7,7,1",      "DONE"},
            {"4,4 4,5 4,7", "SWAP", "8,8", "6,7 5,6", "SWAP", "10,10",
             "ERROR SWAP2BOARD point 7,7 is taken twice; the position is unchanged",
             "ERROR SWAP2BOARD needs 0, 3 or 5 stones, not 1",
             "ERROR SWAP2BOARD line \"7,7,1\" is not x,y; the position is unchanged"}},
        // Exactly five: the brain's own five that would be six is no win and the opponent's
        // four is blocked instead; the opponent's six does not end the game, and the brain's
        // exact five does.
        SessionCase{"ExactFive",
                    Join({{"INFO rule 1"},
                          SixForTheBrain,
                          SixForTheOpponent,
                          {"TAKEBACK 14,10", "TURN 4,4", "BEGIN"}}),
                    {"4,2", "14,10", "OK", "14,10", Over}},
        // Free-style again under a game in progress: the stones stay, and sixes are fives.
        SessionCase{"BackToFreeStyle",
                    Join({{"INFO rule 1"},
                          SixForTheBrain,
                          {"TAKEBACK 4,2", "INFO rule 0", "BEGIN"},
                          SixForTheOpponent,
                          {"TAKEBACK 14,10", "TURN 4,4"}}),
                    {"4,2", "OK", "4,0", "14,10", "OK", "14,10"}},
        // An unknown command with stone lines up to DONE is answered once.
        SessionCase{"UnknownBlocks",
                    {"SWAPBOARD", "1,1", "2,2,2", "DONE", "ABOUT", "FOO", "junk", "DONE", "BOARD",
                     "9,9,2", "DONE"},
                    {"UNKNOWN command SWAPBOARD", About, "UNKNOWN command FOO",
                     "UNKNOWN command JUNK", "8,8"}},
        // An empty board scores 20 at every point 4..14 from the edges (0-based): the first
        // of them is 4,4, the last 14,14. The eight neighbours of a lone stone tie; 8,8 is the
        // first, 10,10 the last. A BOARD of one stone is answered like a TURN.
        SessionCase{"FirstOfTheBest",
                    {"START 19", "BEGIN", "START 19", "TURN 9,9", "BOARD", "9,9,2", "DONE"},
                    {"OK", "4,4", "OK", "8,8", "8,8"}},
        SessionCase{"LastOfTheBest",
                    {"START 19", "BEGIN", "START 19", "TURN 9,9"},
                    {"OK", "14,14", "OK", "10,10"},
                    LastOfTies},
        SessionCase{
            "TurnRefusals",
            {"TURN 19,0", "TURN -1,3", "TURN 3", "TURN 3,4,5", "TURN 99999999999,1", "TURN",
             "TURN 9,9", "TURN 9,9", "TURN 8,8"},
            {"ERROR 19,0 is off the board", "ERROR -1,3 is off the board", NeedsPoint, NeedsPoint,
             NeedsPoint, NeedsPoint, "8,8", "ERROR 9,9 is taken", "ERROR 8,8 is taken"}},
        // The brain's own four on the top row: it completes the five, and the game is over.
        SessionCase{
            "BoardOwnFourMakesFive",
            {"BOARD", "0,0,1", "1,0,1", "2,0,1", "3,0,1", "9,9,2", "DONE", "TURN 15,15", "BEGIN"},
            {"4,0", Over, Over}},
        SessionCase{
            "BoardProblems",
            {"BOARD", "0,0,3",  "DONE",     "BOARD", "5,5,1", "5,5,2",      "DONE",
             "BOARD", "19,0,1", "DONE",     "BOARD", "junk",  "1,1,1",      "DONE",
             "BOARD", "1,1,1",  "TURN 9,9", "BOARD", "ABOUT", "SWAP2BOARD", "1,1",
             "BOARD", "2,2,1",  "DONE",     "BOARD", "END",   "ABOUT"},
            {"ERROR BOARD stone owner 3 is not 1 or 2; the position is unchanged",
             "ERROR BOARD point 5,5 is taken twice; the position is unchanged",
             "ERROR BOARD point 19,0 is off the board; the position is unchanged",
             "ERROR BOARD line \"junk\" is not x,y,who; the position is unchanged",
             "ERROR BOARD not closed by DONE before TURN; the position is unchanged",
             "ERROR BOARD not closed by DONE before ABOUT; the position is unchanged",
             "ERROR SWAP2BOARD not closed by DONE before BOARD; the position is unchanged"}},
        // RESTART empties the board: the point taken before is free again.
        SessionCase{"TakebackAndRestart",
                    {"TURN 9,9", "TAKEBACK 8,8", "TAKEBACK 8,8", "TAKEBACK 9,9", "TAKEBACK x",
                     "TAKEBACK 19,19", "TURN 9,9", "RESTART", "TURN 9,9"},
                    {"8,8", "OK", "ERROR no stone at 8,8", "OK", "ERROR TAKEBACK needs a point x,y",
                     "ERROR 19,19 is off the board", "8,8", "OK", "8,8"}},
        // The opponent's five ends the game, though its stone is still answered (a manager may
        // pass it on before judging it); taking it back reopens the game.
        SessionCase{"OpponentFiveAndTakeback",
                    Join({OpponentFour,
                          {"TAKEBACK 4,0", "TURN 4,0", "TURN 10,10", "TAKEBACK 4,0", "TURN 4,0"}}),
                    {"4,0", "OK", "5,0", Over, "OK", "5,0"}},
        SessionCase{"QuietLines",
                    {"INFO timeout_turn 1000", "INFO max_memory 83886080", "INFO", "", "   \t"},
                    {}},
        SessionCase{"UnknownAndStray",
                    {"FOO bar", "\x01\xff", "ABOUT", "DONE", "about", "1,1,1"},
                    {"UNKNOWN command FOO", "UNKNOWN command ??", About, "ERROR DONE without BOARD",
                     About, "UNKNOWN command 1,1,1"}},
        SessionCase{"NothingAfterEnd", {"END", "ABOUT", "BEGIN"}, {}},
        // A board without a five can fill up; then there is no move to make.
        SessionCase{"FullBoard",
                    Join({AllButOnePoint(), {"BEGIN"}}),
                    {"18,18", "ERROR the board is full"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The brain plays exactly the computer's game: the same generator seed and the same opponent
// moves give the same stones as the game object driven the way the window drives it.
TEST(SessionGames, MoveForMoveTheComputersChoice) {
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        ClockRandom brainRandom;
        brainRandom.Seed(seed);
        RecordingReplies replies;
        BrainSession session(brainRandom, replies);
        session.HandleLine("START 19");

        ClockRandom windowRandom;
        windowRandom.Seed(seed);
        testing::RecordingMessageBox remarks;
        GameState window(remarks, windowRandom);

        std::mt19937 opponent(static_cast<unsigned>(seed));
        std::uniform_int_distribution<int> coordinate(1, BoardSize);
        while (!window.GameOver) {
            const int x = coordinate(opponent);
            const int y = coordinate(opponent);
            if (window.Board(x, y) != EmptyCell) continue;
            window.CurX = static_cast<std::int16_t>(x);
            window.CurY = static_cast<std::int16_t>(y);
            const bool computerToMove = window.PlaceHumanStone();
            session.HandleLine("TURN " + std::to_string(x - 1) + "," + std::to_string(y - 1));
            if (!computerToMove) break;
            window.ComputerMove();
            ASSERT_EQ(replies.lines.back(),
                      std::to_string(window.CurX - 1) + "," + std::to_string(window.CurY - 1))
                << "seed " << seed;
        }
        EXPECT_TRUE(session.Game().Board.cells == window.Board.cells) << "seed " << seed;
        EXPECT_EQ(session.Game().GameOver, window.GameOver);
    }
}

}  // namespace
}  // namespace tessarin::brain
