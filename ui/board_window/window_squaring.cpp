// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/board_window/window_squaring.h"

#include <algorithm>
#include <utility>

namespace tessarin {
namespace {

// Requests kept waiting for an answer; more than this means the window manager answers none.
constexpr std::size_t MaxWaiting = 4;
// New sizes squared in a row while requests were waiting, before the next is taken as the
// window manager's own answer: one that always answers with a third size is not chased.
constexpr int MaxChased = 2;

}  // namespace

std::optional<WindowSize> WindowSquaring::Decide(const WindowReport& report) {
    const WindowMode before = mode_;
    mode_ = report.mode;
    if (report.mode != WindowMode::Normal) {
        // Whatever was asked is moot now; the window manager owns the size until it lets go.
        asked_.clear();
        sizedInHand_ = false;
        return std::nullopt;
    }
    if (report.news == WindowNews::Resized && report.held) {
        // The user's size, not an answer; what was asked before is overtaken.
        asked_.clear();
        sizedInHand_ = true;
        return std::nullopt;
    }
    if (report.news == WindowNews::LetGo) {
        if (!std::exchange(sizedInHand_, false)) return std::nullopt;
        frame_ = report.frame;
        return Square(report);
    }
    const bool firstSight = !frame_;
    const bool frameChanged = frame_ && *frame_ != report.frame;
    frame_ = report.frame;
    if (firstSight) return Square(report);

    if (before != WindowMode::Normal) {
        // Back from maximised, minimised or full screen. The size reported here may still be
        // the maximised one (the state often comes first), or one the window manager kept from
        // a request that crossed the maximising: either way, go back to the settled size.
        if (!settled_) return Square(report);
        if (report.client == *settled_) return std::nullopt;
        return Ask(*settled_, report.client);
    }
    if (report.news == WindowNews::Resized) {
        if (auto wanted = AnswerOrSquare(report)) return wanted;
    }
    if (!frameChanged) return std::nullopt;
    // The client area the window will have once what is asked has come.
    return KeepHeight(asked_.empty() ? report.client : asked_.back(), report);
}

std::optional<WindowSize> WindowSquaring::AnswerOrSquare(const WindowReport& report) {
    if (asked_.empty()) return Square(report);
    const auto granted = std::ranges::find(asked_, report.client);
    if (granted != asked_.end()) {
        // An earlier request may be granted while a later one is still on its way.
        asked_.erase(asked_.begin(), granted + 1);
        if (asked_.empty()) Settle(report.client);
        return std::nullopt;
    }
    asked_.clear();
    // The size we asked from, told again: the window manager holds a size of its own. Leave it,
    // or we would ask again on every answer of a window manager that keeps its layout.
    if (report.client == askedFrom_ || ++chased_ > MaxChased) return Settle(report.client);
    // Neither what we asked for nor a refusal: a new size (the user's, the layout's, a
    // maximised one told before its state) that overtook the request. Taking it for the answer
    // would make it the size to come back to.
    return Square(report);
}

std::optional<WindowSize> WindowSquaring::Square(const WindowReport& report) {
    // Square by the outer size, frame included; the smaller side wins.
    const WindowSize client = report.client;
    const int outerWidth = client.width + report.frame.Across();
    const int outerHeight = client.height + report.frame.Down();
    WindowSize wanted = client;
    if (outerHeight > outerWidth) {
        wanted.height = outerWidth - report.frame.Down();
    } else {
        wanted.width = outerHeight - report.frame.Across();
    }
    // A window system refuses a request for a side of no pixels.
    wanted = {std::max(1, wanted.width), std::max(1, wanted.height)};
    if (wanted == client) return Settle(client);
    return Ask(wanted, client);
}

std::optional<WindowSize> WindowSquaring::KeepHeight(WindowSize client,
                                                     const WindowReport& report) {
    const FrameExtents frame = report.frame;
    // A frame arriving after the first show would make the outer height the larger side and so
    // cost the board its designed height; the width follows instead.
    const WindowSize wanted{std::max(1, client.height + frame.Down() - frame.Across()),
                            client.height};
    if (wanted == client) return asked_.empty() ? Settle(client) : std::nullopt;
    return Ask(wanted, report.client);
}

std::optional<WindowSize> WindowSquaring::Ask(WindowSize size, WindowSize from) {
    if (asked_.empty()) askedFrom_ = from;
    // Asked again, the same size is still one request: its grant must settle it.
    if (const auto same = std::ranges::find(asked_, size); same != asked_.end()) asked_.erase(same);
    if (asked_.size() == MaxWaiting) asked_.erase(asked_.begin());
    asked_.push_back(size);
    return size;
}

std::optional<WindowSize> WindowSquaring::Settle(WindowSize size) {
    settled_ = size;
    chased_ = 0;
    return std::nullopt;
}

}  // namespace tessarin
