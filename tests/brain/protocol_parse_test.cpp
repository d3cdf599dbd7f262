// SPDX-License-Identifier: GPL-3.0-or-later
// Reading lines: cutting the byte stream, the command word, points and BOARD entries.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "brain/command_line.h"
#include "brain/line_splitter.h"

namespace tessarin::brain {
namespace {

using namespace std::string_literals;

std::vector<std::string> Lines(const std::vector<std::string>& chunks, std::size_t max = 4096) {
    LineSplitter splitter(max);
    std::vector<std::string> lines;
    for (const auto& chunk : chunks) {
        splitter.Feed(chunk, [&](std::string_view line) { lines.emplace_back(line); });
    }
    if (auto last = splitter.Finish()) lines.push_back("<unended>" + *last);
    return lines;
}

TEST(LineSplitter, EveryLineEndAndAnyByte) {
    using L = std::vector<std::string>;
    EXPECT_EQ(Lines({"A\r\nB\nC\rD"}), (L{"A", "B", "C", "<unended>D"}));
    // A CR LF split between two reads is still one line end.
    EXPECT_EQ(Lines({"A\r", "\nB\n"}), (L{"A", "B"}));
    // CR CR and LF LF are an empty line each; LF CR is two ends.
    EXPECT_EQ(Lines({"A\r\rB\n\nC\n\rD\n"}), (L{"A", "", "B", "", "C", "", "D"}));
    EXPECT_EQ(Lines({"x\0y\xff\n"s}), (L{"x\0y\xff"s}));
    EXPECT_EQ(Lines({std::string(10000, 'a') + "\nb\n"}, 8), (L{"aaaaaaaa", "b"}));
    EXPECT_EQ(Lines({""}), L{});
}

TEST(SplitCommand, WordUpperCasedRestTrimmed) {
    const CommandLine c = SplitCommand("  turn \t 10,10  ");
    EXPECT_EQ(c.word, "TURN");
    EXPECT_EQ(c.rest, "10,10");
    EXPECT_EQ(SplitCommand("INFO timeout_turn 5000").rest, "timeout_turn 5000");
    EXPECT_EQ(SplitCommand("   ").word, "");
    EXPECT_EQ(SplitCommand("END").rest, "");
}

struct PointCase {
    const char* text;
    std::optional<ProtocolPoint> point = std::nullopt;  // not a point
};

class ParsePointCase : public ::testing::TestWithParam<PointCase> {};

TEST_P(ParsePointCase, ReadsTwoWholeNumbersOrNothing) {
    EXPECT_EQ(ParsePoint(GetParam().text), GetParam().point) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Brain, ParsePointCase,
    ::testing::Values(PointCase{"10,10", ProtocolPoint{10, 10}},
                      PointCase{" 0 , 18 ", ProtocolPoint{0, 18}},
                      PointCase{"-1,+3", ProtocolPoint{-1, 3}},  // off the board, but a point
                      PointCase{"99,99", ProtocolPoint{99, 99}}, PointCase{""}, PointCase{"10"},
                      PointCase{"10,"}, PointCase{",10"}, PointCase{"1,2,3"}, PointCase{"1;2"},
                      PointCase{"1.5,2"}, PointCase{"0x1,2"}, PointCase{"a,b"}, PointCase{"1 2,3"},
                      PointCase{"99999999999,1"}, PointCase{"--1,1"}));

TEST(ParseBoardEntry, ThreeNumbers) {
    EXPECT_EQ(ParseBoardEntry("3,4,1"), (BoardEntry{{3, 4}, 1}));
    EXPECT_EQ(ParseBoardEntry("3, 4, 2"), (BoardEntry{{3, 4}, 2}));
    EXPECT_EQ(ParseBoardEntry("3,4,7"), (BoardEntry{{3, 4}, 7}));  // the owner is judged later
    EXPECT_EQ(ParseBoardEntry("3,4"), std::nullopt);
    EXPECT_EQ(ParseBoardEntry("3,4,1,1"), std::nullopt);
    EXPECT_EQ(ParseBoardEntry("DONE"), std::nullopt);
}

TEST(Printable, KeepsRepliesOnOneShortLine) {
    EXPECT_EQ(Printable("FOO"), "FOO");
    EXPECT_EQ(Printable("A\r\n\x01\xff"), "A????");
    EXPECT_EQ(Printable(std::string(100, 'x')), std::string(40, 'x') + "...");
}

}  // namespace
}  // namespace tessarin::brain
