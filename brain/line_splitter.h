// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessarin::brain {

// Cuts a byte stream into lines. A line ends at CR LF, LF or CR alone; any other byte, NUL
// included, is part of the line. A line longer than the limit keeps its first `maxLength`
// bytes and loses the rest, so no input can make the brain hold more than one short line.
class LineSplitter {
public:
    static constexpr std::size_t DefaultMaxLength = 4096;

    explicit LineSplitter(std::size_t maxLength = DefaultMaxLength) : maxLength_(maxLength) {}

    // Feeds bytes and calls onLine(std::string_view) for every line they complete.
    template <typename OnLine>
    void Feed(std::string_view bytes, OnLine&& onLine) {
        for (const char byte : bytes) {
            if (byte == '\n' && afterCR_) {
                afterCR_ = false;  // the LF of a CR LF: the line has already ended
                continue;
            }
            afterCR_ = byte == '\r';
            if (byte == '\r' || byte == '\n') {
                onLine(std::string_view(line_));
                line_.clear();
            } else if (line_.size() < maxLength_) {
                line_.push_back(byte);
            }
        }
    }

    // The last line when the stream ended without a line end, or nothing.
    std::optional<std::string> Finish();

private:
    std::size_t maxLength_;
    std::string line_;
    bool afterCR_ = false;
};

}  // namespace tessarin::brain
