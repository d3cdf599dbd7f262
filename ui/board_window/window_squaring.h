// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Keeping the board window square by its outer size, as a plain decision: what the window
// reports goes in, the client size to ask the window manager for (or nothing) comes out. No Qt,
// so every window manager's habits can be tried in a table.
//
// Window managers do not simply grant a size. A tiling one keeps its own layout and refuses
// every request; some answer with a third size; a decorating one adds its frame only after the
// window is first shown; maximising and restoring send the new size and the new state in
// either order. The rules that keep all of these calm:
//   - a size the user (or the window manager's layout) brings is squared, every time;
//   - while the user holds the window (drags its frame, resizes it by the window manager's
//     keys) nothing is asked: the sizes follow the pointer, a request would fight it, and a
//     window manager that holds the pointer drops requests without a word. The size at the
//     let-go is the user's, and is squared then;
//   - otherwise a request is answered when the size asked for comes, or when the size it was
//     asked from is told again (the window manager holds a size of its own, and is asked once,
//     not forever); any other size overtook the request and is squared in its turn;
//   - a frame that arrives or changes keeps the client height and moves only the width;
//   - leaving maximised, minimised or full screen goes back to the last settled size.

#include <optional>
#include <vector>

namespace tessarin {

// Pixels.
struct WindowSize {
    int width = 0;
    int height = 0;
    bool operator==(const WindowSize&) const = default;
};

// The window manager's frame around the client area (title bar, borders), in pixels.
struct FrameExtents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    bool operator==(const FrameExtents&) const = default;
    int Across() const { return left + right; }
    int Down() const { return top + bottom; }
};

enum class WindowMode { Normal, Minimized, Maximized, FullScreen };

// What the window has just told us.
enum class WindowNews {
    Resized,      // the client size changed (or the window was first shown)
    Moved,        // the window moved: its frame may have arrived or changed
    Reframed,     // the frame arrived or changed without a move (a title bar the toolkit draws)
    ModeChanged,  // minimised, maximised, full screen or back to normal
    LetGo,        // the user let go of the window after holding it
};

struct WindowReport {
    WindowNews news;
    WindowMode mode;
    WindowSize client;
    FrameExtents frame;
    bool held = false;  // the user has the window's size in hand (only news of a size tells)
};

class WindowSquaring {
public:
    // The client size to ask for now, or nothing.
    std::optional<WindowSize> Decide(const WindowReport& report);

private:
    std::optional<WindowSize> Square(const WindowReport& report);
    std::optional<WindowSize> KeepHeight(WindowSize client, const WindowReport& report);
    std::optional<WindowSize> AnswerOrSquare(const WindowReport& report);
    std::optional<WindowSize> Ask(WindowSize size, WindowSize from);
    std::optional<WindowSize> Settle(WindowSize size);

    std::vector<WindowSize> asked_;  // requests not answered yet, oldest first
    WindowSize askedFrom_;           // the size the window had when the first of them was made
    int chased_ = 0;                 // new sizes squared in a row while requests waited
    std::optional<WindowSize> settled_;
    std::optional<FrameExtents> frame_;  // the frame last seen in the normal state
    WindowMode mode_ = WindowMode::Normal;
    bool sizedInHand_ = false;  // a size came while the user held the window
};

}  // namespace tessarin
