// SPDX-License-Identifier: GPL-3.0-or-later
// The squaring decision against the habits of real window managers, one script of reports a
// row: what the window reports, and the client size it must ask for (or nothing).

#include "ui/board_window/window_squaring.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <vector>

namespace tessarin {

std::ostream& operator<<(std::ostream& out, const WindowSize& size) {
    return out << size.width << "x" << size.height;
}

namespace {

using enum WindowNews;
using enum WindowMode;

constexpr FrameExtents NoFrame{};
constexpr FrameExtents Frame{1, 1, 20, 5};       // a title bar and thin borders: 2 across, 25 down
constexpr FrameExtents MaxFrame{0, 0, 19, 0};    // the same window manager, maximised
constexpr FrameExtents QtTitleBar{3, 3, 30, 3};  // drawn by Qt on Wayland: 6 across, 33 down
constexpr std::nullopt_t Nothing = std::nullopt;

struct Step {
    WindowNews news;
    WindowMode mode;
    WindowSize client;
    FrameExtents frame;
    std::optional<WindowSize> asks;
    bool held = false;  // the user has the window in hand
};

struct Script {
    const char* name;
    std::vector<Step> steps;
};

// The designed client area (570 x 446 with the menu bar), squared once the frame is there.
const WindowSize Designed{469, 446};
const std::vector<Step> FirstShow = {
    {Resized, Normal, {570, 446}, Frame, Designed},
    {Resized, Normal, Designed, Frame, Nothing},
};

std::vector<Step> After(std::vector<Step> first, const std::vector<Step>& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

const Script Scripts[] = {
    {"TilingRefusesWithItsOwnSizeEveryTime",
     After(FirstShow,
           {
               {Resized, Normal, {692, 1041}, Frame, WindowSize{692, 669}},
               {Resized, Normal, {692, 1041}, Frame, Nothing},
               {Moved, Normal, {692, 1041}, Frame, Nothing},
               {Resized, Normal, {1276, 997}, Frame, WindowSize{1020, 997}},
               {Resized, Normal, {1276, 997}, Frame, Nothing},
           })},
    // A third size is squared once more; told again, it is the window manager's own.
    {"AnswersAThirdSize", After(FirstShow,
                                {
                                    {Resized, Normal, {400, 600}, Frame, WindowSize{400, 377}},
                                    {Resized, Normal, {420, 390}, Frame, WindowSize{413, 390}},
                                    {Resized, Normal, {420, 390}, Frame, Nothing},
                                    {Moved, Normal, {420, 390}, Frame, Nothing},
                                })},
    {"AlwaysAnswersAThirdSize",
     After(FirstShow,
           {
               {Resized, Normal, {400, 600}, Frame, WindowSize{400, 377}},
               {Resized, Normal, {420, 390}, Frame, WindowSize{413, 390}},
               {Resized, Normal, {430, 380}, Frame, WindowSize{403, 380}},
               {Resized, Normal, {440, 370}, Frame, Nothing},
               {Resized, Normal, {600, 400}, Frame, WindowSize{423, 400}},
           })},
    // xfwm4 tells the maximised size before the state, while the let-go's request was asked a
    // second time: the grant settles it, and the maximised size is never the one to come back to.
    {"MaximisedSizeOvertakesARequest",
     After(FirstShow,
           {
               {Resized, Normal, {450, 406}, Frame, Nothing, true},
               // The grab ends before the last size of the keyboard resize comes.
               {Resized, Normal, {440, 406}, Frame, WindowSize{429, 406}},
               {LetGo, Normal, {440, 406}, Frame, WindowSize{429, 406}},
               {Resized, Normal, {429, 406}, Frame, Nothing},
               {Resized, Normal, {1280, 1000}, MaxFrame, WindowSize{1019, 1000}},
               {ModeChanged, Maximized, {1280, 1000}, MaxFrame, Nothing},
               {Resized, Maximized, {429, 406}, Frame, Nothing},
               {ModeChanged, Normal, {429, 406}, Frame, Nothing},
           })},
    {"SameSizeFromANewUserActionIsSquaredAgain",
     After(FirstShow,
           {
               {Resized, Normal, {400, 600}, Frame, WindowSize{400, 377}},
               {Resized, Normal, {400, 377}, Frame, Nothing},
               {Resized, Normal, {400, 600}, Frame, WindowSize{400, 377}},
               {Resized, Normal, {400, 377}, Frame, Nothing},
               {Resized, Normal, {600, 400}, Frame, WindowSize{423, 400}},
               {Resized, Normal, {423, 400}, Frame, Nothing},
               {Resized, Normal, {600, 400}, Frame, WindowSize{423, 400}},
               {Resized, Normal, {423, 400}, Frame, Nothing},
           })},
    {"FrameArrivesWithTheGrantAfterTheFirstShow",
     {
         {Resized, Normal, {570, 446}, NoFrame, WindowSize{446, 446}},
         {Resized, Normal, {446, 446}, Frame, Designed},
         {Resized, Normal, Designed, Frame, Nothing},
         {Moved, Normal, Designed, Frame, Nothing},
     }},
    {"FrameArrivesBeforeTheGrant",
     {
         {Resized, Normal, {570, 446}, NoFrame, WindowSize{446, 446}},
         {Moved, Normal, {570, 446}, Frame, Designed},
         {Resized, Normal, {446, 446}, Frame, Nothing},
         {Resized, Normal, Designed, Frame, Nothing},
         {Resized, Normal, {400, 600}, Frame, WindowSize{400, 377}},
     }},
    // A Wayland compositor that draws no title bar (mutter): Qt draws its own, once the window
    // is shown, and it arrives with neither a move nor a new size.
    {"ToolkitTitleBarArrivesWithoutAMoveOrResize",
     {
         {Resized, Normal, {570, 446}, NoFrame, WindowSize{446, 446}},
         {Resized, Normal, {446, 446}, NoFrame, Nothing},
         {Reframed, Normal, {446, 446}, QtTitleBar, WindowSize{473, 446}},
         {Resized, Normal, {473, 446}, QtTitleBar, Nothing},
         {Reframed, Normal, {473, 446}, QtTitleBar, Nothing},
         // The compositor's keyboard resize moves the left edge in by 10 pixels.
         {Resized, Normal, {463, 446}, QtTitleBar, WindowSize{463, 436}},
         {Resized, Normal, {463, 436}, QtTitleBar, Nothing},
     }},
    {"MaximiseThenRestore",
     After(FirstShow,
           {
               {ModeChanged, Maximized, Designed, Frame, Nothing},
               {Resized, Maximized, {1280, 1005}, MaxFrame, Nothing},
               // The state comes back before the size, and the frame after both.
               {ModeChanged, Normal, {1280, 1005}, MaxFrame, Designed},
               {Moved, Normal, {1280, 1005}, Frame, Nothing},
               {Resized, Normal, Designed, Frame, Nothing},
           })},
    {"MaximiseSizeBeforeItsState",
     After(FirstShow,
           {
               // Squared as if the user had made it, and the window manager keeps that request as
               // the size to restore to; restoring still comes back to the size before.
               {Resized, Normal, {1280, 1005}, Frame, WindowSize{1028, 1005}},
               {ModeChanged, Maximized, {1280, 1005}, MaxFrame, Nothing},
               {ModeChanged, Normal, {1028, 1005}, Frame, Designed},
               {Resized, Normal, Designed, Frame, Nothing},
           })},
    {"RestoreSizeBeforeItsState", After(FirstShow,
                                        {
                                            {ModeChanged, Maximized, Designed, Frame, Nothing},
                                            {Resized, Maximized, {1280, 1005}, MaxFrame, Nothing},
                                            {Resized, Maximized, Designed, Frame, Nothing},
                                            {ModeChanged, Normal, Designed, Frame, Nothing},
                                        })},
    {"MinimiseThenRestore", After(FirstShow,
                                  {
                                      {ModeChanged, Minimized, Designed, Frame, Nothing},
                                      {ModeChanged, Normal, Designed, Frame, Nothing},
                                      {Resized, Normal, {400, 600}, Frame, WindowSize{400, 377}},
                                  })},
    {"FullScreenThenBack", After(FirstShow,
                                 {
                                     {ModeChanged, FullScreen, Designed, Frame, Nothing},
                                     {Resized, FullScreen, {1280, 1024}, NoFrame, Nothing},
                                     {ModeChanged, Normal, {1280, 1024}, NoFrame, Designed},
                                     {Resized, Normal, Designed, Frame, Nothing},
                                 })},
    // The user drags the frame's corner: the sizes follow the pointer, and alternate with
    // nothing asked; the let-go squares the last one.
    {"DragIsSquaredAtTheLetGo",
     After(FirstShow,
           {
               {Resized, Normal, {500, 470}, Frame, Nothing, true},
               {Resized, Normal, {530, 480}, Frame, Nothing, true},
               {Moved, Normal, {530, 480}, Frame, Nothing},
               {Resized, Normal, {619, 486}, Frame, Nothing, true},
               {LetGo, Normal, {619, 486}, Frame, WindowSize{509, 486}},
               {Resized, Normal, {509, 486}, Frame, Nothing},
               // A grab that brought no size (a menu opened, a move) asks nothing.
               {LetGo, Normal, {509, 486}, Frame, Nothing},
           })},
    // A request made just before the user took the frame is overtaken by the drag; a let-go at
    // a square size asks nothing more, and a tiling manager's refusal of the let-go's request
    // (the size asked from, told again) is its answer.
    {"DragOvertakesARequest",
     After(FirstShow,
           {
               {Resized, Normal, {400, 600}, Frame, WindowSize{400, 377}},
               {Resized, Normal, {420, 600}, Frame, Nothing, true},
               {Resized, Normal, {420, 397}, Frame, Nothing, true},
               {LetGo, Normal, {420, 397}, Frame, Nothing},
               {Resized, Normal, {430, 500}, Frame, Nothing, true},
               {LetGo, Normal, {430, 500}, Frame, WindowSize{430, 407}},
               {Resized, Normal, {430, 500}, Frame, Nothing},
           })},
    {"ATinyWindowAsksForNoLessThanAPixel",
     After(FirstShow,
           {
               {Resized, Normal, {1, 1}, Frame, Nothing},
               {Resized, Normal, {0, 30}, Frame, WindowSize{1, 1}},
           })},
};

TEST(WindowSquaring, AsksWhatEachWindowManagersScriptSays) {
    for (const Script& script : Scripts) {
        SCOPED_TRACE(script.name);
        WindowSquaring squaring;
        int index = 0;
        for (const Step& step : script.steps) {
            ++index;
            EXPECT_EQ(squaring.Decide({step.news, step.mode, step.client, step.frame, step.held}),
                      step.asks)
                << "step " << index << ": " << step.client;
        }
    }
}

}  // namespace
}  // namespace tessarin
