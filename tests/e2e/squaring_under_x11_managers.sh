#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window's size under the decorating window managers of Debian's desktops, with real X
# requests and a real pointer, one manager a row of `managers` below (TESSARIN_E2E_MANAGERS may
# name fewer). Under each: the first board at its designed size once the frame has come; the
# frame's bottom-right corner dragged outwards and inwards and its right edge alone, by pointer
# motion on the frame, each ending square by the outer size with the grid filling the drawing
# area, and no size during the drag turning back more than once (a game that asks for sizes
# mid-drag fights the pointer); the manager's keyboard resize where it has one; maximise then
# restore coming back to the size before. Under openbox too: a window snapped to the same
# non-square size twice squared both times, and thirty maximise cycles, a third of them right
# after a move.
set -u -o pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=x11_driver.sh
source "$here/x11_driver.sh"

# <manager> <keys that start its keyboard resize, or -> <desktop>
managers=(
    "openbox - LXDE"
    "xfwm4 alt+F8 Xfce/LXQt"
    "metacity alt+F8 GNOME-Flashback"
    "marco alt+F8 MATE"
    # Its keys are bound through a daemon of the Plasma session (kglobalaccel), not here.
    "kwin_x11 - KDE"
    "mutter alt+F8 GNOME-on-X11"
    "muffin alt+F8 Cinnamon"
)
wanted_managers=${TESSARIN_E2E_MANAGERS:-openbox xfwm4 metacity marco kwin_x11 mutter muffin}
missing_extras() {
    local row
    for row in "${managers[@]}"; do
        [[ " $wanted_managers " == *" ${row%% *} "* ]] || continue
        command -v "${row%% *}" >/dev/null || echo "${row%% *}"
    done
    # marco reads the mouse's settings from a schema of MATE's settings daemon.
    [[ " $wanted_managers " != *" marco "* ]] ||
        [ -f /usr/share/glib-2.0/schemas/org.mate.peripherals-mouse.gschema.xml ] ||
        echo mate-settings-daemon-common
}
e2e_begin squaring "${1:-}" xev dbus-run-session
manager=""
step() { echo "squaring under $manager: $*"; }
started=$SECONDS

first_board() {
    start_game "$game"
    poll decorated_and_square || fail "the first window is not square: outer ${outer_w}x${outer_h}"
    poll measure_board || fail "no grid on screen"
    # 6390 twips at 15 twips a pixel.
    ((canvas_h == 426 && cell == 336)) ||
        fail "first board: drawing area ${canvas_h}px high and cell $cell twips, not 426px and 336"
    hover 10 10
    step "ok first board: outer ${outer_w}x${outer_h}, drawing area ${canvas_h}px, cell $cell twips"
}

# How often the sizes given since configure mark $1 turn back, across and down: "<w> <h>".
turns_since() {
    sizes_since "$1" | awk -Fx '
        NR > 1 {
            dw = $1 - w; dh = $2 - h
            if (dw) { if (sw * dw < 0) tw++; sw = dw }
            if (dh) { if (sh * dh < 0) th++; sh = dh }
        }
        { w = $1; h = $2 }
        END { print tw + 0, th + 0 }'
}

# settled_after <mark> <what>: waits until the user's resize since the mark has been given, the
# window is square by its outer size at the size last given, and the grid is drawn for it.
settled_after() {
    local mark=$1 start="${client_w}x${client_h}" turns_w turns_h
    resized_and_square() {
        sizes_since "$mark" | grep -vqx "$start" || return 1
        read_outer
        ((outer_w == outer_h)) && [ "$(sizes_since "$mark" | tail -n 1)" = "${client_w}x${client_h}" ] &&
            measure_board
    }
    poll resized_and_square ||
        fail "$2: sizes given since: $(sizes_since "$mark" | tr '\n' ' ')," \
            "now client ${client_w}x${client_h}, outer ${outer_w}x${outer_h}"
    read -r turns_w turns_h < <(turns_since "$mark")
    ((turns_w <= 1 && turns_h <= 1)) ||
        fail "$2: the size turned back $turns_w times across and $turns_h down:" \
            "$(sizes_since "$mark" | tr '\n' ' ')"
    step "ok $2: client ${client_w}x${client_h}, outer ${outer_w}x${outer_h}, cell $cell twips," \
        "$(sizes_since "$mark" | wc -l) sizes given"
}

# drag <corner|edge> <dx> <dy>: presses the first button on the frame's bottom-right corner
# (or the middle of its right edge), moves the pointer by dx, dy in ten steps and releases.
drag() {
    local x y i mark
    read_outer
    read -r x y < <(xwininfo -id "$win" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 } END { print x, y }')
    # The middle of the border; where the frame has none, its handle lies outside, unseen.
    x=$((x + client_w + (frame_right ? (frame_right - 1) / 2 : 2)))
    if [ "$1" = corner ]; then
        y=$((y + client_h + (frame_bottom ? (frame_bottom - 1) / 2 : 2)))
    else
        y=$((y + client_h / 2))
    fi
    mark=$(configure_mark)
    xdotool mousemove "$x" "$y" sleep 0.1 mousedown 1 sleep 0.1
    for i in $(seq 1 10); do
        xdotool mousemove $((x + $2 * i / 10)) $((y + $3 * i / 10)) sleep 0.05
    done
    xdotool mouseup 1
    settled_after "$mark" "drag of the $1 by $2,$3"
}

key_resize() {
    local mark grabs presses=0
    read_outer
    mark=$(configure_mark)
    # xdotool's first key comes from a keyboard of its own, which switches the core keyboard's
    # map; mutter then drops and takes again every key grab it has, and a binding pressed in
    # between is lost (seen under load). A person's keyboard never switches, so a Shift, which
    # the game ignores, makes the switch first, and a binding lost all the same is pressed again.
    xdotool key Shift_L sleep 0.3
    grabbed() { (($(grep -c NotifyGrab "$work/xev.log") > grabs)); }
    # The arrows go to the manager once its grab has the keyboard, not before.
    until ((presses == 3)); do
        grabs=$(grep -c NotifyGrab "$work/xev.log")
        xdotool key "$1"
        presses=$((presses + 1))
        limit=5 poll grabbed && break
    done
    grabbed || fail "$1 pressed $presses times did not start $manager's keyboard resize" \
        "(no grab of the keyboard)"
    ((presses == 1)) || echo "squaring under $manager: $1 took $presses presses" >&2
    # Both sides grow, so the squared window differs from the one before.
    xdotool key --delay 80 Right Right Right Right Right Down Down Down sleep 0.2 key Return
    settled_after "$mark" "keyboard resize ($1, arrows, Return)"
}

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

snaps() {
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
}

# cycles <count>: maximise then restore, each restored to the size before. Every third cycle
# starts right after a move. One move a game, each after a new game by the first item of the
# menu bar (play then finds one red and one black stone only if the board was emptied), so
# nobody ever wins and no box comes up.
cycles() {
    local cycle before="${client_w}x${client_h}"
    for cycle in $(seq 1 "$1"); do
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
    step "ok $1 maximise and restore cycles, $((($1 + 2) / 3)) of them right after a move," \
        "each restored to $before"
}

for row in "${managers[@]}"; do
    read -r manager keys desktop <<<"$row"
    [[ " $wanted_managers " == *" $manager "* ]] || continue
    manager_started=$SECONDS
    x11_wm=$manager
    x11_start_session
    first_board
    watch_configure
    [ "$manager" != openbox ] || snaps
    drag corner 150 40
    drag corner -100 -60
    drag edge 80 0
    [ "$keys" = - ] || key_resize "$keys"
    cycles $([ "$manager" = openbox ] && echo 30 || echo 3)
    close_politely
    stop_pid "$configure_watch_pid"
    x11_cleanup
    step "all checks passed ($desktop) in $((SECONDS - manager_started))s"
done
passed=1
echo "squaring: all checks passed under $wanted_managers in $((SECONDS - started))s"
