// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The board as assistive technology sees it (AT-SPI on Linux): a table of 19 rows and 19
// columns, one item a point, named after the point as the title writes it and what stands
// there. Screen readers speak what takes the focus, reliably, and little else: Orca drops the
// renaming of a cell, and Qt sends a changed description as an object rather than its text.
// So accessible focus follows the keyboard point, and every news of the board is told by
// giving the focus anew: a point whose stone came or went is a new object, which the reader
// speaks even where its predecessor had the focus.

#include <QString>
#include <cstdint>
#include <optional>

#include "ui/board_window/board_geometry.h"

namespace tessarin {

class BoardCanvas;
class GameState;

// What the board's reader reads: the game, and where the keyboard point is, both owned by the
// board window, which outlives its canvas. The reader only looks.
struct BoardView {
    const GameState& game;
    const std::optional<GridPoint>& keyboardPoint;
};

// A cell's name: "(10,10) 空", "(10,10) 紅子", "(11,11) 黑子".
QString PointName(GridPoint point, std::int16_t cell);

// Lets Qt build the board's table for every board canvas, read through `view` (which must
// outlive the canvas). A canvas without a view has no table.
void InstallBoardAccessibility(BoardCanvas* canvas, const BoardView* view);

// The keyboard point moved to `point` (on the board): its cell takes the accessible focus.
void BoardFocusMoved(BoardCanvas* canvas, GridPoint point);

// The stone at `point` (on the board) came or went: its cell becomes a new object.
void BoardCellChanged(BoardCanvas* canvas, GridPoint point);

// The board has the keyboard again (after a box or the menu): the keyboard point's cell,
// `point`, takes the accessible focus from the board, keeping its note.
void BoardFocusReturned(BoardCanvas* canvas, GridPoint point);

// The player has left the board (a box, the About dialog): what the last note told is old news,
// and the way back says the point alone.
void BoardLeft(BoardCanvas* canvas);

// Gives the focus anew to the keyboard point's cell, `point`, as a new object, described by
// `note` (what else a reader should say after the cell) until the keyboard point moves.
void BoardAnnounce(BoardCanvas* canvas, GridPoint point, const QString& note);

}  // namespace tessarin
