// SPDX-License-Identifier: GPL-3.0-or-later
// How long a program takes from fork to its top-level window being mapped on the X server.
//
//   launch_timer [--runs N] -- program [arguments...]
//
// Watches the root window's children (SubstructureNotify): every top-level window the program
// creates shows up as a CreateNotify, and on each of those the timer also listens to the
// window's own StructureNotify, so the window's MapNotify arrives whether a window manager has
// reparented it into a frame or not. The first map of such a window ends the run. Helper
// windows a toolkit creates but never maps (a group leader, a clipboard owner) never end it.
//
// One warm-up run fills the file cache and is not counted. Prints each run and the median.

#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto RunTimeout = std::chrono::seconds(30);
constexpr auto ExitTimeout = std::chrono::seconds(10);

struct Options {
    int runs = 15;
    std::vector<char*> command;
};

std::optional<Options> ParseOptions(int argc, char* argv[]) {
    Options options;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            options.runs = std::atoi(argv[++i]);
        } else if (arg == "--") {
            ++i;
            break;
        } else {
            return std::nullopt;
        }
    }
    for (; i < argc; ++i) options.command.push_back(argv[i]);
    if (options.command.empty() || options.runs < 1) return std::nullopt;
    options.command.push_back(nullptr);
    return options;
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

class LaunchTimer {
public:
    LaunchTimer() : connection_(xcb_connect(nullptr, nullptr)) {}
    ~LaunchTimer() { xcb_disconnect(connection_); }

    bool Connected() const { return xcb_connection_has_error(connection_) == 0; }

    bool WatchRoot() {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        // Checked: only one client may select SubstructureRedirect, but Notify is shared.
        const auto cookie =
            xcb_change_window_attributes_checked(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        XcbReply<xcb_generic_error_t> error(xcb_request_check(connection_, cookie));
        return !error;
    }

    // Milliseconds from fork to the first map of a new top-level window, or a negative value
    // if none came in time. The program is ended afterwards.
    double TimeOneLaunch(const std::vector<char*>& command) {
        Drain();
        created_.clear();
        const auto start = Clock::now();
        const pid_t child = fork();
        if (child == 0) {
            execvp(command[0], command.data());
            std::perror("launch_timer: exec");
            _exit(127);
        }
        if (child < 0) {
            std::perror("launch_timer: fork");
            return -1;
        }
        double elapsed = -1;
        while (Clock::now() - start < RunTimeout) {
            XcbReply<xcb_generic_event_t> event(xcb_poll_for_event(connection_));
            if (!event) {
                if (xcb_connection_has_error(connection_)) break;
                int status = 0;
                if (waitpid(child, &status, WNOHANG) == child) {
                    std::fprintf(stderr,
                                 "launch_timer: the program exited before mapping a window\n");
                    return -1;
                }
                WaitForEvents(std::chrono::milliseconds(50));
                continue;
            }
            if (IsFirstMap(event.get())) {
                elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                break;
            }
        }
        End(child);
        return elapsed;
    }

private:
    bool IsFirstMap(const xcb_generic_event_t* event) {
        switch (event->response_type & 0x7f) {
            case XCB_CREATE_NOTIFY: {
                const auto* created = reinterpret_cast<const xcb_create_notify_event_t*>(event);
                if (created->parent != root_ || created->override_redirect) return false;
                created_.insert(created->window);
                const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
                xcb_change_window_attributes(connection_, created->window, XCB_CW_EVENT_MASK,
                                             &mask);
                xcb_flush(connection_);
                return false;
            }
            case XCB_MAP_NOTIFY: {
                const auto* mapped = reinterpret_cast<const xcb_map_notify_event_t*>(event);
                return created_.count(mapped->window) != 0;
            }
            default:
                return false;
        }
    }

    void WaitForEvents(std::chrono::milliseconds timeout) {
        fd_set readable;
        FD_ZERO(&readable);
        const int fd = xcb_get_file_descriptor(connection_);
        FD_SET(fd, &readable);
        timeval tv{0, static_cast<suseconds_t>(timeout.count() * 1000)};
        select(fd + 1, &readable, nullptr, nullptr, &tv);
    }

    void Drain() {
        while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
        }
    }

    static void End(pid_t child) {
        kill(child, SIGTERM);
        const auto start = Clock::now();
        int status = 0;
        while (waitpid(child, &status, WNOHANG) == 0) {
            if (Clock::now() - start > ExitTimeout) {
                kill(child, SIGKILL);
                waitpid(child, &status, 0);
                return;
            }
            usleep(20 * 1000);
        }
    }

    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    std::set<xcb_window_t> created_;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    const auto options = ParseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: launch_timer [--runs N] -- program [arguments...]\n");
        return 2;
    }
    LaunchTimer timer;
    if (!timer.Connected()) {
        std::fprintf(stderr, "launch_timer: cannot connect to the X server (DISPLAY?)\n");
        return 1;
    }
    if (!timer.WatchRoot()) {
        std::fprintf(stderr, "launch_timer: cannot watch the root window\n");
        return 1;
    }

    if (timer.TimeOneLaunch(options->command) < 0) return 1;  // warm-up
    std::vector<double> times;
    for (int run = 0; run < options->runs; ++run) {
        const double ms = timer.TimeOneLaunch(options->command);
        if (ms < 0) {
            std::fprintf(stderr, "launch_timer: run %d saw no window mapped\n", run + 1);
            return 1;
        }
        times.push_back(ms);
        std::printf("  run %2d: %7.1f ms\n", run + 1, ms);
    }
    const auto [low, high] = std::minmax_element(times.begin(), times.end());
    std::printf("median %.1f ms over %zu runs (min %.1f, max %.1f)\n", Median(times), times.size(),
                *low, *high);
    return 0;
}
