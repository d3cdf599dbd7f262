// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tessarin {

// What the engine asks of the board window. The engine calls these in the order the game
// rules need; the window draws and keeps the geometry fields of the game object current.
class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;
    // Removes everything drawn on the board.
    virtual void Cls() = 0;
    // Recomputes CellSize, Margin and StoneRadius from the window and draws the empty grid
    // over whatever is already drawn.
    virtual void DrawGrid() = 0;
    // Draws one stone at the current point, black when SideFlag is set and red otherwise.
    // Only the drawing: the engine inverts SideFlag itself, so that a game without a window
    // still knows whose stone came last.
    virtual void DrawStone() = 0;
};

}  // namespace tessarin
