#!/usr/bin/python3
"""Reads the running game over AT-SPI as a screen reader would, while playing it from the
keyboard with real key events (xdotool).

    a11y_reader.py <game pid> <seconds any one wait may take>

Checks that the board is a table of 19 by 19 named cells, that the accessible focus follows
the keyboard point, that a played stone renames its cell (and the computer's stone its own),
and that the score box is read with its text. Prints what it read; exits 1 on the first check
that fails.
"""

import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

EMPTY, RED, BLACK = "空", "紅子", "黑子"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def say(message):
    print("a11y: " + message, flush=True)


def cell_name(column, row, what):
    return f"({column},{row}) {what}"


events = []  # (type, source name, detail1), as they came


def on_event(event):
    try:
        name = event.source.name
    except Exception:  # the source may be gone by now
        name = None
    events.append((event.type, name, event.detail1))


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(what, found, limit, retry=None, every=2.0):
    """Polls found() until it gives something true, running retry() every `every` seconds
    (a key pressed again when the first may have been lost), for at most `limit` seconds."""
    deadline = time.monotonic() + limit
    next_retry = 0.0
    while True:
        pump()
        result = found()
        if result:
            return result
        now = time.monotonic()
        if now > deadline:
            fail(f"{what}: not seen within {limit}s; events so far: {events[-12:]}")
        if retry and now >= next_retry:
            retry()
            next_retry = now + every
        time.sleep(0.05)


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "40", *names], check=True)


def find(root, predicate, skip_tables=True):
    """Breadth-first search below root; a table's cells are not walked."""
    queue = [root]
    while queue:
        node = queue.pop(0)
        try:
            if node is not root and predicate(node):
                return node
            if skip_tables and node.getRole() == pyatspi.ROLE_TABLE:
                continue
            queue.extend(child for child in node if child is not None)
        except Exception:  # a node that went away while we looked
            continue
    return None


def focused_event(name):
    return lambda: any(
        t == "object:state-changed:focused" and n == name and d == 1 for t, n, d in events
    )


def renamed(what):
    return lambda: [n for t, n, _ in events
                    if t == "object:property-change:accessible-name" and n and n.endswith(what)]


def main():
    pid, limit = int(sys.argv[1]), float(sys.argv[2])

    app = wait_for(
        "the game on the accessibility bus",
        lambda: next((a for a in pyatspi.Registry.getDesktop(0)
                      if a is not None and a.get_process_id() == pid), None),
        limit,
    )
    say(f"application \"{app.name}\" found")
    table = wait_for(
        "the board table",
        lambda: find(app, lambda n: n.getRole() == pyatspi.ROLE_TABLE),
        limit,
    )
    grid = table.queryTable()
    if table.name != "棋盤" or grid.nRows != 19 or grid.nColumns != 19:
        fail(f"the board reads as \"{table.name}\", {grid.nRows} rows by {grid.nColumns} columns")
    say(f"table \"{table.name}\", {grid.nRows} rows by {grid.nColumns} columns")

    def name_at(column, row):
        return grid.getAccessibleAt(row - 1, column - 1).name

    for column, row in ((1, 1), (7, 3), (19, 19)):
        if name_at(column, row) != cell_name(column, row, EMPTY):
            fail(f"cell ({column},{row}) reads \"{name_at(column, row)}\"")
    say(f"cells read \"{name_at(1, 1)}\" ... \"{name_at(19, 19)}\"")

    pyatspi.Registry.registerEventListener(
        on_event, "object:state-changed:focused", "object:property-change:accessible-name")

    # The first key shows the centre; End then goes to column 19 and stays there, so End can be
    # pressed again until the reader's listening has reached the game.
    wait_for("focus on (19,10) after End", focused_event(cell_name(19, 10, EMPTY)), limit,
             retry=lambda: keys("End"))
    keys("Left")
    wait_for("focus on (18,10) after Left", focused_event(cell_name(18, 10, EMPTY)), limit)
    cell = grid.getAccessibleAt(9, 17)
    if not cell.getState().contains(pyatspi.STATE_FOCUSED):
        fail("the focus event came, but cell (18,10) does not say it is focused")
    say("focus followed the keyboard point: (19,10), then (18,10)")

    keys("space")
    wait_for("the played stone's new name", renamed(RED), limit)
    blacks = wait_for("the computer's stone's new name", renamed(BLACK), limit)
    if cell_name(18, 10, RED) not in renamed(RED)():
        fail(f"the red stone's cell was renamed {renamed(RED)()}")
    board = {(c, r): name_at(c, r) for c in range(1, 20) for r in range(1, 20)}
    reds = [n for n in board.values() if n.endswith(RED)]
    black_cells = [n for n in board.values() if n.endswith(BLACK)]
    if reds != [cell_name(18, 10, RED)] or black_cells != blacks[:1]:
        fail(f"after one move the table reads red {reds}, black {black_cells}")
    say(f"Space renamed \"{reds[0]}\"; the computer's stone renamed \"{black_cells[0]}\"")

    keys("alt+g")

    def open_box():
        return find(app, lambda n: n.getRole() in (pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT))

    def score_text():
        box = open_box()
        if box is None:
            return None
        label = find(box, lambda n: "0:0" in (n.name or ""))
        return label.name if label is not None else None

    text = wait_for("the score box's text", score_text, limit)
    if text.replace("\r", "") != "你竟然這麼厲害！\n0:0":
        fail(f"the score box reads \"{text}\"")
    say("score box reads " + repr(text))
    keys("Return")
    # The window takes no close request while the box is open: wait for the box to go.
    wait_for("the score box to close", lambda: open_box() is None, limit)
    pyatspi.Registry.deregisterEventListener(
        on_event, "object:state-changed:focused", "object:property-change:accessible-name")
    say("all checks passed")


if __name__ == "__main__":
    main()
