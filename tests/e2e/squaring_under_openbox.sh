#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window's size under a decorating window manager (openbox) with real X requests: the
# first board at its designed size once the frame has come, a window snapped to the same
# non-square size twice squared both times, and maximise then restore coming back to the size
# before, thirty times, a third of them right after a move.
set -u -o pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=x11_driver.sh
source "$here/x11_driver.sh"

e2e_begin squaring "${1:-}" xev
step() { echo "squaring: $*"; }
started=$SECONDS

x11_start_session
start_game "$game"
poll decorated_and_square || fail "the first window is not square: outer ${outer_w}x${outer_h}"
poll measure_board || fail "no grid on screen"
# 6390 twips at 15 twips a pixel.
((canvas_h == 426 && cell == 336)) ||
    fail "first board: drawing area ${canvas_h}px high and cell $cell twips, not 426px and 336"
hover 10 10
step "ok first board: outer ${outer_w}x${outer_h}, drawing area ${canvas_h}px, cell $cell twips"

watch_configure

# snap <width> <height>: asks for a client size as a snapping window manager would, and waits
# until that size has reached the window and the game has squared it by its outer size.
snap() {
    local mark want=$1x$2
    mark=$(configure_mark)
    xdotool windowsize "$win" "$1" "$2"
    snapped_and_squared() {
        sizes_since "$mark" | grep -qx "$want" || return 1
        read_outer
        ((outer_w == outer_h)) && [ "$(sizes_since "$mark" | tail -n 1)" = "${client_w}x${client_h}" ]
    }
    poll snapped_and_squared ||
        fail "snapped to $want: sizes given since: $(sizes_since "$mark" | tr '\n' ' ')," \
            "now client ${client_w}x${client_h}, outer ${outer_w}x${outer_h}"
}

for size in "400 600" "600 400"; do
    for time in first second; do
        snap $size
        poll measure_board || fail "no whole grid after snapping to ${size/ /x}"
        hover 19 19
        step "ok snapped to ${size/ /x} a $time time: client ${client_w}x${client_h}, square"
    done
done

# Back to a size where moves are easy to read.
snap 520 520
poll measure_board || fail "no grid at 520x520"
before="${client_w}x${client_h}"

# Every third cycle starts right after a move. One move a game, each after a new game by the
# first item of the menu bar (play then finds one red and one black stone only if the board
# was emptied), so nobody ever wins and no box comes up.
for cycle in $(seq 1 30); do
    if ((cycle % 3 == 1)); then
        xdotool mousemove --window "$win" 25 $((menu_h / 2)) click 1
        board=$empty_board
        play 10 10 "after a new game, before maximise cycle $cycle"
    fi
    wmctrl -i -r "$win" -b add,maximized_vert,maximized_horz
    maximised() { read_outer; ((client_w > 1000)); }
    poll maximised || fail "cycle $cycle: not maximised, client ${client_w}x${client_h}"
    wmctrl -i -r "$win" -b remove,maximized_vert,maximized_horz
    restored() { read_outer; [ "${client_w}x${client_h}" = "$before" ]; }
    poll restored || fail "cycle $cycle: restored to ${client_w}x${client_h}, not $before"
    # The window manager reports the size before the game has handled the change of state; a
    # title that follows the pointer to a new point says the game has caught up.
    hover $((9 + cycle % 2)) 5
done
step "ok 30 maximise and restore cycles, 10 of them right after a move, each restored to $before"

close_politely
passed=1
step "all checks passed in $((SECONDS - started))s"
