// SPDX-License-Identifier: GPL-3.0-or-later
#include "brain/command_line.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace tessarin::brain {

namespace {

constexpr std::string_view Blanks = " \t";

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(Blanks);
    return text.substr(first, last - first + 1);
}

// The comma-separated fields of `text`, each trimmed.
std::vector<std::string_view> Fields(std::string_view text) {
    std::vector<std::string_view> fields;
    for (;;) {
        const auto comma = text.find(',');
        fields.push_back(Trim(text.substr(0, comma)));
        if (comma == std::string_view::npos) return fields;
        text.remove_prefix(comma + 1);
    }
}

}  // namespace

CommandLine SplitCommand(std::string_view line) {
    line = Trim(line);
    const auto end = std::min(line.find_first_of(Blanks), line.size());
    CommandLine command;
    command.word.assign(line.substr(0, end));
    std::ranges::transform(command.word, command.word.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    command.rest = Trim(line.substr(end));
    return command;
}

std::optional<int> ParseNumber(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<ProtocolPoint> ParsePoint(std::string_view text) {
    const auto fields = Fields(text);
    if (fields.size() != 2) return std::nullopt;
    const auto x = ParseNumber(fields[0]);
    const auto y = ParseNumber(fields[1]);
    if (!x || !y) return std::nullopt;
    return ProtocolPoint{*x, *y};
}

std::optional<BoardEntry> ParseBoardEntry(std::string_view text) {
    const auto fields = Fields(text);
    if (fields.size() != 3) return std::nullopt;
    const auto x = ParseNumber(fields[0]);
    const auto y = ParseNumber(fields[1]);
    const auto who = ParseNumber(fields[2]);
    if (!x || !y || !who) return std::nullopt;
    return BoardEntry{{*x, *y}, *who};
}

std::string Printable(std::string_view text) {
    constexpr std::size_t MaxLength = 40;
    std::string shown;
    for (const char c : text.substr(0, MaxLength)) shown.push_back(c >= ' ' && c <= '~' ? c : '?');
    if (text.size() > MaxLength) shown += "...";
    return shown;
}

}  // namespace tessarin::brain
