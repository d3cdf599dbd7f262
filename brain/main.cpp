// SPDX-License-Identifier: GPL-3.0-or-later
// pbrain-tessarin: the computer's player for gomoku managers. Commands come on standard
// input, one a line; every reply goes out at once, flushed, on standard output.

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "brain/line_splitter.h"
#include "brain/session.h"
#include "platform/clock_random.h"

namespace {

using tessarin::brain::ReplySink;

// The one place replies are written: each line is flushed as soon as it is complete, since
// the manager waits for it. A manager that has gone away ends the brain.
class StdoutReplies final : public ReplySink {
public:
    void Send(std::string_view line) override {
        if (failed_) return;
        failed_ = std::fwrite(line.data(), 1, line.size(), stdout) != line.size() ||
                  std::fputc('\n', stdout) == EOF || std::fflush(stdout) != 0;
    }
    bool Failed() const { return failed_; }

private:
    bool failed_ = false;
};

constexpr const char* Usage =
    "Usage: pbrain-tessarin [--seed N]\n"
    "Plays gomoku on square boards of 5 x 5 to 32 x 32, free-style, exactly five, renju or\n"
    "caro, with swap2 openings, through the Gomoku AI protocol on standard input and output,\n"
    "choosing its moves as Tessarin's computer player does.\n"
    "  --seed N   draw ties from a generator seeded with N, so a game can be replayed\n"
    "             (by default the generator is seeded from the clock)\n";

}  // namespace

int main(int argc, char** argv) {
    tessarin::ClockRandom random;
    random.SeedRandom();
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help") {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::puts("pbrain-tessarin " TESSARIN_VERSION);
            return 0;
        }
        std::uint64_t seed = 0;
        if (argument == "--seed" && i + 1 < argc) {
            const std::string_view text = argv[++i];
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
            if (error == std::errc() && end == text.data() + text.size()) {
                random.Seed(seed);
                continue;
            }
        }
        std::fprintf(stderr, "pbrain-tessarin: bad argument '%s'\n%s", argv[i], Usage);
        return 2;
    }

    // A write to a closed pipe fails and ends the loop instead of killing the process.
    std::signal(SIGPIPE, SIG_IGN);

    StdoutReplies replies;
    tessarin::brain::BrainSession session(random, replies);
    tessarin::brain::LineSplitter splitter;
    const auto handle = [&](std::string_view line) { session.HandleLine(line); };
    char buffer[4096];
    while (!session.Ended() && !replies.Failed()) {
        // read() hands over what has arrived; a buffered read would wait for more input
        // while the manager waits for a reply.
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        splitter.Feed(std::string_view(buffer, static_cast<std::size_t>(got)), handle);
    }
    if (const auto last = splitter.Finish()) handle(*last);
    return replies.Failed() ? 1 : 0;
}
