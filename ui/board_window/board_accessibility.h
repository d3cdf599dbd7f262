#pragma once

// The board as assistive technology sees it (AT-SPI on Linux): a table of 19 rows and 19
// columns, one cell a point, named after the point as the title writes it and what stands
// there. Accessible focus follows the keyboard point, and a cell whose stone comes or goes
// says that its name changed, so a screen reader speaks both.

#include "ui/board_window/board_geometry.h"

namespace tessarin {

class BoardCanvas;

// Lets Qt build the board's table for every board canvas. Calling it again does nothing.
void InstallBoardAccessibility();

// The keyboard point moved to `point` (on the board): its cell takes the accessible focus.
void BoardFocusMoved(BoardCanvas* canvas, GridPoint point);

// The stone at `point` (on the board) came or went.
void BoardCellChanged(BoardCanvas* canvas, GridPoint point);

}  // namespace tessarin
