// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/engine/board_text.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace tessarin {

void PrintTo(Point point, std::ostream* out) { *out << '(' << point.x << ',' << point.y << ')'; }

}  // namespace tessarin

namespace tessarin::testing {
namespace {

std::int16_t SideOfLetter(char letter) {
    switch (letter) {
        case 'X':
            return HumanSide;
        case 'O':
            return ComputerSide;
        case '.':
            return EmptyCell;
        default:
            throw std::invalid_argument(std::string("not a point marker: ") + letter);
    }
}

std::int16_t ParseNumber(std::string_view text, std::string_view token) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        throw std::invalid_argument("bad move: " + std::string(token));
    }
    return static_cast<std::int16_t>(value);
}

}  // namespace

std::vector<Stone> ParseStones(std::string_view moves) {
    std::vector<Stone> stones;
    std::size_t pos = 0;
    while (pos < moves.size()) {
        if (moves[pos] == ' ') {
            ++pos;
            continue;
        }
        const std::size_t end = std::min(moves.find(' ', pos), moves.size());
        const std::string_view token = moves.substr(pos, end - pos);
        pos = end;
        const std::size_t comma = token.find(',');
        if (token.size() < 4 || comma == std::string_view::npos || token[0] == '.') {
            throw std::invalid_argument("bad move: " + std::string(token));
        }
        stones.push_back({SideOfLetter(token[0]),
                          {ParseNumber(token.substr(1, comma - 1), token),
                           ParseNumber(token.substr(comma + 1), token)}});
    }
    return stones;
}

Stone PutStones(BoardCells& board, std::string_view moves) {
    const std::vector<Stone> stones = ParseStones(moves);
    if (stones.empty()) throw std::invalid_argument("empty move list");
    for (const Stone& stone : stones) {
        if (stone.at.x < 0 || stone.at.x >= BoardStride || stone.at.y < 0 ||
            stone.at.y >= BoardStride) {
            throw std::invalid_argument("move outside the stored board");
        }
        board(stone.at.x, stone.at.y) = stone.side;
    }
    return stones.back();
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

std::string BoardText(const BoardCells& board) {
    std::string text;
    for (int y = 1; y <= BoardSize; ++y) {
        for (int x = 1; x <= BoardSize; ++x) {
            const std::int16_t cell = board(x, y);
            text += cell == HumanSide ? 'X' : cell == ComputerSide ? 'O' : cell == 0 ? '.' : '?';
        }
        text += '\n';
    }
    return text;
}

}  // namespace tessarin::testing
