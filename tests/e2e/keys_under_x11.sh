#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays the real Tessarin binary from the keyboard on its own X server with a window manager:
# real key events (XTEST through xdotool), judged by the window title, the window's pixels and
# what the board shows.
set -u -o pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=x11_driver.sh
source "$here/x11_driver.sh"

e2e_begin keys "${1:-}"

step() { echo "keys: $*"; }

# The keyboard point's outline is the only thing on the board in a blue highlight colour.
# Prints the centre of the pixels of that colour below the menu bar ("<x> <y>"), or nothing.
mark_centre() {
    awk -F'[,:() ]+' -v top="$menu_h" '
        NR == 1 || $2 < top { next }
        $5 >= $3 + 60 && $5 >= $4 + 30 {
            if (!n++) { x0 = x1 = $1; y0 = y1 = $2 }
            if ($1 < x0) x0 = $1; if ($1 > x1) x1 = $1
            if ($2 < y0) y0 = $2; if ($2 > y1) y1 = $2
        }
        END { if (n) printf "%d %d\n", (x0 + x1) / 2, (y0 + y1) / 2 }' "$shot"
}

# mark_on <column> <row>: the outline is on screen, centred on that point.
mark_on() {
    grab || return 1
    local want_x want_y x y
    read -r want_x want_y < <(point_pixel "$1" "$2")
    read -r x y < <(mark_centre) || return 1
    ((x - want_x <= 2 && want_x - x <= 2 && y - want_y <= 2 && want_y - y <= 2))
}
no_mark() { grab && [ -z "$(mark_centre)" ]; }

title_shows() { [ "$(title)" = "Tessarin  ($1,$2)" ]; }

# keys <column> <row> <key>...: presses the keys and waits until the title shows the point
# that they lead to.
keys() {
    local c=$1 r=$2
    shift 2
    xdotool key --delay 40 "$@"
    poll title_shows "$c" "$r" || fail "keys $* should lead to ($c,$r); the title is \"$(title)\""
}

x11_start_session
start_game "$game"
poll decorated_and_square || fail "the window is not square"
poll measure_board || fail "no grid on screen"
xdotool windowactivate "$win" 2>/dev/null
poll is_active || fail "the game window never became active"
step "window $win on $DISPLAY, cell $cell twips"

# (a) The board has the keyboard at once: no click first. The first key shows the centre, the
# next End goes to column 19, and End again stays there; a key lost while the focus is still on
# its way is simply pressed again.
tries=0
first_keys() {
    title_shows 19 10 && return 0
    ((tries++ % 10 == 0)) && xdotool key End
    return 1
}
poll first_keys || fail "End never took the keyboard point to (19,10); the title is \"$(title)\""
poll mark_on 19 10 || fail "the keyboard point (19,10) has no outline centred on it"
step "ok (a) the board had the keyboard; End went to (19,10), outlined"

# (b) Moves and edges.
keys 17 10 Left Left
keys 17 1 Prior
keys 17 1 Up
keys 1 1 Home
keys 1 1 Left
keys 1 19 Next
keys 1 19 Down
keys 19 19 End Right
step "ok (b) arrows, Home, End, Page Up and Page Down, stopping at the edges"

# (c) Space plays at the keyboard point: red there and the computer's answer.
keys 10 10 Home Prior Right Right Right Right Right Right Right Right Right \
    Down Down Down Down Down Down Down Down Down
board=$empty_board
answered_at() {
    grab || return 1
    board=$(read_board)
    [ "$(cell_of "$board" "$1" "$2")" = R ] && (($(count_of "$board" B) == $3)) &&
        (($(count_of "$board" R) == $3))
}
xdotool key space
poll answered_at 10 10 1 || fail "Space on (10,10) did not play there and get an answer:
$board"
step "ok (c) Space played at (10,10) and the computer answered"

# (d) Return on the taken point changes nothing; the next move shows it was handled.
xdotool key Return
keys 11 10 Right
[ "$(cell_of "$board" 11 10)" = B ] && keys 12 10 Right
grab && [ "$(read_board)" = "$board" ] || fail "Return on the own stone changed the board"
read -r c r < <(sed -n 's/.*(\([0-9]*\),\([0-9]*\))$/\1 \2/p' <<<"$(title)")
xdotool key KP_Enter
poll answered_at "$c" "$r" 2 || fail "keypad Enter on ($c,$r) did not play there:
$board"
step "ok (d) Return on a taken point did nothing; keypad Enter played at ($c,$r)"

# (e) The pointer takes over: the outline goes at its first move over the board.
hover 5 5
poll no_mark || fail "the outline stayed after the pointer moved over the board"
step "ok (e) the outline went when the pointer moved"

# (f) While the score box is open, keys are the box's: Right and Return there move nothing
# and play nothing on the board; afterwards the keys are the board's again.
xdotool key alt+g
poll find_box || fail "Alt+G opened no score box"
box_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$box" ]; }
poll box_active || fail "the score box never became active"
xdotool key Right Return
poll box_gone || fail "Return did not close the score box"
title_shows 5 5 || fail "a key meant for the score box moved the keyboard point: \"$(title)\""
poll is_active || fail "the board window did not become active again"
keys "$((c - 1))" "$r" Left
grab && [ "$(read_board)" = "$board" ] || fail "keys in the score box played on the board"
step "ok (f) keys went to the score box while it was open, then to the board again"

close_politely
passed=1
step "all checks passed"
