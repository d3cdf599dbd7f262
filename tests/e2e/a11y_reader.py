#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the running game over AT-SPI as a screen reader would, while playing it from the
keyboard with real key events (xdotool), and follows what Orca says in its debug log.

    a11y_reader.py <game pid> <seconds any one wait may take> <Orca's debug log> <mail log>

Checks that the board is a table of 19 by 19 named cells and that the accessible focus
follows the keyboard point; then plays a game along the edges, which the computer wins, and
checks that Orca says one point per move key, the player's stone and then the reply for a
play, why a play was refused, the edge, each hint, the winning stone before the remark, the
point alone back from a box, the empty board after New game, the score box, F10, and About
by keyboard (its title, each link's tip, the mail its Enter opens, the focus back from the
system-information box); and that the game tells AT-SPI it speaks zh_TW.
Prints what it heard; exits 1 on the first check that fails.
"""

import os
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import Gio, GLib

EMPTY, RED, BLACK = "空", "紅子", "黑子"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def say(message):
    print("a11y: " + message, flush=True)


def cell_name(column, row, what):
    return f"({column},{row}) {what}"


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
            fail(f"{what}: not seen within {limit}s")
        if retry and now >= next_retry:
            retry()
            next_retry = now + every
        time.sleep(0.05)


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "40", *names], check=True)


def alt(letter):
    """Alt with a letter, Alt held a while: a loaded machine may deliver a quick chord's Alt
    release before the letter, which leaves the menu bar active."""
    subprocess.run(["xdotool", "keydown", "alt", "key", letter, "sleep", "0.5", "keyup", "alt"],
                   check=True)


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


class Orca:
    """What Orca has said, from the SPEECH OUTPUT lines of its debug log."""

    def __init__(self, log, limit):
        self.log, self.limit, self.heard = log, limit, 0

    def said(self):
        try:
            with open(self.log, encoding="utf-8", errors="replace") as f:
                text = f.read()
        except OSError:
            return []
        return [u.strip().rstrip(".").strip() for u in re.findall(r"SPEECH OUTPUT: '(.*?)'", text, re.S)]

    def hear(self, what, *patterns, only=True, never=None):
        """Waits until Orca says utterances matching the patterns, in this order, after what it
        said before; with `only`, no other point may be said among them, and nothing matching
        `never`. Returns them."""
        def heard():
            new, found, at = self.said()[self.heard:], [], 0
            for i, u in enumerate(new):
                if at < len(patterns) and re.fullmatch(patterns[at], u):
                    found.append(u)
                    at += 1
                    if at == len(patterns):
                        return new[:i + 1], found
            return None
        new, found = wait_for(f"Orca saying {patterns} after {what}", heard, self.limit)
        self.heard += len(new)
        points = [u for u in new if POINT.match(u)]
        if only and points != [u for u in found if POINT.match(u)] or \
                never and any(re.fullmatch(never, u) for u in new):
            fail(f"after {what} Orca said {new}, expected only {patterns}")
        say(f"{what}: Orca said {new}")
        return found


POINT = re.compile(r"\(\d+,\d+\) ")
FRAME = r"Tessarin  \(\d+,\d+\) frame"
BOARD = ("棋盤", "table with 19 rows 19 columns")
ABOUT = r"關於Tessarin dialog Tessarin v1\.0 本程式.*pelorin@tessarin\.invalid"
MAIL_TIP = "點一下即可寄信給我"


def game_locale(app):
    """The locale the game tells AT-SPI it speaks (pyatspi does not ask for it)."""
    session = Gio.bus_get_sync(Gio.BusType.SESSION)
    address = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                None, None, Gio.DBusCallFlags.NONE, -1).unpack()[0]
    bus = Gio.DBusConnection.new_for_address_sync(
        address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT |
        Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
    # 1: LC_MESSAGES, the language of what it says.
    return bus.call_sync(app.app.bus_name, "/org/a11y/atspi/accessible/root",
                         "org.a11y.atspi.Application", "GetLocale", GLib.Variant("(u)", (1,)),
                         None, Gio.DBusCallFlags.NONE, -1).unpack()[0]


def about_by_keyboard(orca, mail_log, point, limit):
    """The About dialog from the keyboard, and back to the board at `point`."""
    alt("a")
    orca.hear("About", ABOUT, "確定 push button")
    for said in ((r"系統資訊\(S\)\.\.\. push button",), ("本程式.*Pelorin link", MAIL_TIP),
                 (r"警告: .*pelorin@tessarin\.invalid link", MAIL_TIP)):
        keys("Tab")
        orca.hear("Tab in About", *said)
    keys("Return")
    mail = wait_for("the mail opener", lambda: os.path.exists(mail_log) and open(mail_log).read(),
                    limit)
    if not mail.startswith("mailto:pelorin@tessarin.invalid?Subject="):
        fail(f"Enter on the link opened {mail!r}")
    alt("s")
    orca.hear("Alt+S", "alert Tessarin", "目前無法提供系統資訊")
    keys("Return")
    # The dialog has the focus again (were it the board's: "frame 1 unfocused dialog"). The
    # link's tip is not waited for: when Orca falls behind (seen on a loaded machine) it takes the
    # window's return and the focus as one event and leaves the tip out.
    orca.hear("closing the system-information box", ABOUT, "警告: .* link")
    keys("Escape")
    orca.hear("Escape from About", FRAME, *BOARD, re.escape(point))


def main():
    pid, limit = int(sys.argv[1]), float(sys.argv[2])
    orca, mail_log = Orca(sys.argv[3], limit), sys.argv[4]
    orca.hear("Orca's start", "棋盤", "table with 19 rows 19 columns")

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

    # One point per move key, the row change of the first key and Up, Down, Page Up and Page
    # Down included: Orca must not read the whole row.
    point = (10, 10)
    for key, point in (("Right", (10, 10)), ("Down", (10, 11)), ("Page_Up", (10, 1)),
                       ("Page_Down", (10, 19)), ("Home", (1, 19))):
        keys(key)
        orca.hear(key, re.escape(cell_name(*point, EMPTY)))
    if not grid.getAccessibleAt(18, 0).getState().contains(pyatspi.STATE_FOCUSED):
        fail("Orca spoke (1,19), but its cell does not say it is focused")
    # At the edge the point stays: a note says so.
    keys("Left")
    orca.hear("Left at the edge", re.escape(cell_name(1, 19, EMPTY)), "到邊了")

    # Points along the edges: the computer, never blocked, makes five within a few moves.
    edges = [(c, r) for c in range(1, 20, 2) for r in (19, 1)]
    black_name = r"\(\d+,\d+\) " + BLACK
    blacks, won = set(), False

    def five_through(stone):
        return any(
            1 + sum(next(k for k in range(1, 6) if (stone[0] + s * k * dx, stone[1] + s * k * dy)
                         not in blacks) - 1 for s in (1, -1)) >= 5
            for dx, dy in ((1, 0), (0, 1), (1, 1), (1, -1)))

    for turn in range(1, 15):
        target = next(p for p in edges if name_at(*p) == cell_name(*p, EMPTY))
        moves = ["Right" if target[0] > point[0] else "Left"] * abs(target[0] - point[0])
        moves += ["Page_Down" if target[1] == 19 else "Page_Up"] if target[1] != point[1] else []
        if moves:
            keys(*moves)
            orca.hear(f"moving to {target}", re.escape(cell_name(*target, EMPTY)), only=False)
        point = target
        keys("space")
        red = re.escape(cell_name(*point, RED))
        if orca.hear(f"Space on {point}", f"{red}|alert Tessarin")[0] == "alert Tessarin":
            # The computer's five: the box's text, as a reader hears it, leads with the stones;
            # closing the box says them again.
            lead = orca.hear("the remark", f"{red}，{black_name}。.+")[0]
            black = re.match(f"{red}，({black_name})", lead).group(1)
            keys("Return")
            # The point alone: the reply was told in the box.
            orca.hear("closing the remark", *BOARD, red)
            won = True
        else:
            black = orca.hear(f"the reply to {point}", black_name)[0]
        reply = tuple(int(n) for n in re.findall(r"\d+", black))
        if (name_at(*point), name_at(*reply)) != (cell_name(*point, RED), black):
            fail(f"after the play the table reads {name_at(*point)}, {name_at(*reply)}")
        if won:
            blacks.add(reply)
            if not five_through(reply):
                fail(f"the remark came, but {sorted(blacks)} hold no five through {reply}")
            break
        if turn == 1:
            # A refused play says why, and no reply; each hint is told, the same one again too.
            keys("space")
            orca.hear(f"Space on the taken {point}", red, "這裡已經有子了")
            for _ in range(2):
                alt("h")
                orca.hear("Alt+H", red, r"提示\(\d+,\d+\)")
        blacks.add(reply)
        if five_through(reply):
            fail(f"the computer made five at {reply}, but no remark box was heard")
    if not won:
        fail("the computer did not win along the edges")
    keys("space")
    orca.hear("Space after the end", re.escape(cell_name(*point, RED)), "這盤已經結束了",
              never=re.escape(black))

    alt("n")
    orca.hear("New game", re.escape(cell_name(*point, EMPTY)), "棋盤已清空")

    alt("g")

    def open_box():
        return find(app, lambda n: n.getRole() in (pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT))

    def score_text():
        box = open_box()
        if box is None:
            return None
        label = find(box, lambda n: "0:1" in (n.name or ""))
        return label.name if label is not None else None

    text = wait_for("the score box's text", score_text, limit)
    if text.replace("\r", "") != "慢慢加油吧！\n0:1":
        fail(f"the score box reads \"{text}\"")
    orca.hear("the score box", "alert Tessarin", "慢慢加油吧！\s*0:1", only=False)
    say("score box reads " + repr(text))
    keys("Return")
    # The window takes no close request while the box is open: wait for the box to go.
    wait_for("the score box to close", lambda: open_box() is None, limit)
    empty = re.escape(cell_name(*point, EMPTY))
    orca.hear("closing the score box", FRAME, *BOARD, empty, only=False)
    keys("F10")
    orca.hear("F10", r"重來\(N\)", never="棋盤已清空")
    keys("Escape")
    orca.hear("Escape from the menu bar", *BOARD, empty)
    about_by_keyboard(orca, mail_log, cell_name(*point, EMPTY), limit)

    # The language: what the game tells over AT-SPI, and what Orca asks the speech server for.
    locale = game_locale(app)
    asked = sorted(set(re.findall(r"SD rate .*?, language (\S+)", open(orca.log).read())))
    say(f"the game's locale over AT-SPI: {locale}; Orca asked the speech server for {asked}")
    if locale != "zh_TW":
        fail(f"the game tells its locale as {locale!r}, not zh_TW")
    say("all checks passed")


if __name__ == "__main__":
    main()
