// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/engine/board_text.h"

#include <cstdio>
#include <sstream>

namespace tessarin {

void PrintTo(Point point, std::ostream* out) { *out << '(' << point.x << ',' << point.y << ')'; }

}  // namespace tessarin

namespace tessarin::testing {
namespace {

std::int16_t SideOfLetter(char letter) {
    if (letter == 'X') return HumanSide;
    if (letter == 'O') return ComputerSide;
    if (letter == '.') return EmptyCell;
    throw std::invalid_argument(std::string("not a point marker: ") + letter);
}

}  // namespace

std::vector<Stone> ParseStones(std::string_view moves) {
    std::vector<Stone> stones;
    std::istringstream in{std::string(moves)};
    for (std::string token; in >> token;) {
        int x = 0, y = 0, used = 0;
        if (token[0] == '.' || std::sscanf(token.c_str() + 1, "%d,%d%n", &x, &y, &used) != 2 ||
            token.size() != used + 1u) {
            throw std::invalid_argument("bad move: " + token);
        }
        stones.push_back(
            {SideOfLetter(token[0]), {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)}});
    }
    return stones;
}

void PutRows(BoardCells& board, std::initializer_list<std::string_view> rows, int left, int top) {
    int y = top;
    for (const std::string_view row : rows) {
        if (y > BoardSize || left + static_cast<int>(row.size()) - 1 > BoardSize) {
            throw std::invalid_argument("picture runs off the board");
        }
        for (std::size_t i = 0; i < row.size(); ++i) {
            board(left + static_cast<int>(i), y) = SideOfLetter(row[i]);
        }
        ++y;
    }
}

}  // namespace tessarin::testing
