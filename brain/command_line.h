// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading the protocol's lines: what a line says, not what it does to the game.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessarin::brain {

// A line cut into its command word (upper-cased; the protocol's words are upper case, but a
// person typing at the brain need not be) and the rest, blanks around both removed.
struct CommandLine {
    std::string word;
    std::string_view rest;
};
CommandLine SplitCommand(std::string_view line);

// A point as the protocol writes it, "x,y": column and row counted from 0. Any whole numbers
// in range of int are read; whether they lie on the board is the game's question.
struct ProtocolPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(ProtocolPoint, ProtocolPoint) = default;
};
std::optional<ProtocolPoint> ParsePoint(std::string_view text);

// One stone of a BOARD list, "x,y,who": who is 1 for the brain's own stone, 2 for the
// opponent's, as the manager sends them.
struct BoardEntry {
    ProtocolPoint point;
    int who = 0;
    friend bool operator==(BoardEntry, BoardEntry) = default;
};
std::optional<BoardEntry> ParseBoardEntry(std::string_view text);

// A whole number in decimal, an optional sign, blanks around it allowed; nothing else.
std::optional<int> ParseNumber(std::string_view text);

// A word for a reply: printable ASCII kept, anything else shown as '?', cut to a short length,
// so a reply never carries a line end or a screenful of noise back to the manager.
std::string Printable(std::string_view text);

}  // namespace tessarin::brain
