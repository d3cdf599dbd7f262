#!/usr/bin/env bash
# The game as a native Wayland client of a tiling compositor (sway): it comes up, plays a move,
# and keeps the whole board on screen whether the compositor gives it a landscape or a
# portrait tile. Judged by the compositor's screenshots (grim) and its view of the window
# (swaymsg -t get_tree).
#
# sway runs on its X11 backend inside a private Xvfb rather than headless: a headless sway has
# no input device, so its clients never get a pointer; nested, the X pointer (xdotool) is
# sway's pointer.
#
#   wayland_under_sway.sh <path to tessarin>
#
# Exit 0: all passed; 1: a check failed (the scratch folder is kept); 77: a tool is missing.
# TESSARIN_E2E_TIMEOUT: seconds any one wait may take (default 30).
set -u -o pipefail

game=${1:?usage: wayland_under_sway.sh <path to tessarin>}
limit=${TESSARIN_E2E_TIMEOUT:-30}
x11_wm=none
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=x11_driver.sh
source "$here/x11_driver.sh"

missing=$(x11_missing_tools
          for tool in sway swaymsg grim setpriv; do command -v "$tool" >/dev/null || echo "$tool"; done
          ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 || echo qt6-wayland)
if [ -n "$missing" ]; then
    echo "SKIP: not installed (scripts/setup-debian.sh installs them):" $missing
    exit 77
fi
[ -x "$game" ] || { echo "FAIL: no game binary at $game"; exit 1; }

e2e_begin wayland
fail() { e2e_fail "$@"; }
step() { echo "wayland: $*"; }
sway_pid=""
extra_cleanup() { stop_pid "$game_pid"; game_pid=""; stop_pid "$sway_pid"; }
started=$SECONDS

x11_start_session
# sway refuses to run as root: as root, it runs as nobody, in a runtime folder of its own.
export XDG_RUNTIME_DIR="$work/wayland-runtime"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chmod o+x "$work"
    chown 65534:65534 "$XDG_RUNTIME_DIR"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
printf 'output X11-1 resolution 1200x1000 position 0 0\ndefault_border normal\n' >"$work/sway.conf"
unset WAYLAND_DISPLAY SWAYSOCK
WLR_BACKENDS=x11 WLR_RENDERER=pixman "${as_user[@]}" sway -c "$work/sway.conf" \
    >"$work/sway.log" 2>&1 &
sway_pid=$!
sockets_up() {
    kill -0 "$sway_pid" 2>/dev/null || return 2
    ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock >/dev/null 2>&1 &&
        ls "$XDG_RUNTIME_DIR"/wayland-[0-9] >/dev/null 2>&1
}
poll sockets_up || fail "sway did not start: $(tail -n 5 "$work/sway.log")"
export SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock | head -n 1)
export WAYLAND_DISPLAY=$(basename "$(ls "$XDG_RUNTIME_DIR"/wayland-[0-9] | head -n 1)")
sway_window=""
find_sway_window() { sway_window=$(xdotool search --onlyvisible --name '.*' 2>/dev/null | head -n 1); [ -n "$sway_window" ]; }
# No window manager runs: the only window on the X server is sway's output.
poll find_sway_window || fail "sway's output window did not appear on $DISPLAY"
step "sway on $WAYLAND_DISPLAY, its output in X window $sway_window"

# The game's view in sway's tree: "<shell> <title> <x> <y> <width> <height>", the rectangle
# that sway gives the window's content on the screen.
view() {
    swaymsg -t get_tree 2>/dev/null | /usr/bin/python3 -c '
import json, sys
def walk(node):
    if node.get("pid") == int(sys.argv[1]):
        r, w = node["rect"], node["window_rect"]
        print(node.get("shell"), repr(node.get("name")), r["x"] + w["x"], r["y"] + w["y"],
              w["width"], w["height"])
        return True
    return any(walk(c) for c in node.get("nodes", []) + node.get("floating_nodes", []))
walk(json.load(sys.stdin))' "$game_pid"
}
read_view() {
    local line
    line=$(view) && [ -n "$line" ] || return 1
    shell=${line%% *}
    name=$(sed -E "s/^[^ ]+ '(.*)' [0-9-]+ [0-9-]+ [0-9]+ [0-9]+$/\1/" <<<"$line")
    read -r view_x view_y view_w view_h < <(awk '{ print $(NF-3), $(NF-2), $(NF-1), $NF }' <<<"$line")
}
title() { read_view && echo "$name"; }

# Screenshot of the game's own surface into $shot, as the X11 helpers read it. A surface
# smaller than its tile sits on sway's grey fill: the surface is what trimming that off leaves.
sway_fill='#3F3F3F'
grab() {
    shot_count=$((shot_count + 1))
    local png="$work/shot-$shot_count.png"
    shot="$work/shot-$shot_count.txt"
    read_view && grim -g "$view_x,$view_y ${view_w}x$view_h" "$png" 2>>"$work/grim.log" || return 1
    read -r client_w client_h surface_x surface_y < <("$convert_bin" "$png" -bordercolor "$sway_fill" \
        -border 1 -trim -format '%w %h %X %Y' info: 2>>"$work/grim.log")
    surface_x=$((surface_x - 1)) surface_y=$((surface_y - 1))
    "$convert_bin" "$png" -crop "${client_w}x${client_h}+${surface_x}+${surface_y}" +repage \
        -depth 8 txt:- >"$shot" 2>>"$work/grim.log"
}
# Board geometry from the surface: as measure_board does under X11.
measure_board() {
    grab || return 1
    read -r line_x line_top line_len < <(find_first_line)
    ((line_len > 100)) || return 1
    menu_h=$((line_top - 200 / 15))
    canvas_h=$((client_h - menu_h))
    local side=$((client_w < canvas_h ? client_w : canvas_h))
    cell=$(awk -v h="$side" 'BEGIN { printf "%.0f", h * 15 / 19 }')
    radius_px=$(awk -v c="$cell" 'BEGIN { printf "%.2f", int(c / 2) / 15 }')
    local expected=$(((18 * cell) / 15))
    ((line_len >= expected - 2 && line_len <= expected + 3))
}
# The compositor's own pointer (there is no input device): hover and click a point.
pointer_to() {
    local x y
    read -r x y < <(point_pixel "$1" "$2")
    xdotool mousemove --window "$sway_window" $((view_x + surface_x + x)) $((view_y + surface_y + y))
}
hover() {
    local want="Tessarin  ($1,$2)"
    grab || fail "no screenshot of the game's view"
    pointer_to "$1" "$2"
    title_is() { [ "$(title)" = "$want" ]; }
    poll title_is || fail "pointer over point ($1,$2): title is \"$(title)\", expected \"$want\""
}
click_point() {
    hover "$1" "$2"
    xdotool click 1
}
# The grid's crossing at a point is on the surface: a black pixel within one of its centre.
crossing_shown() {
    local x y
    read -r x y < <(point_pixel "$1" "$2")
    awk -F'[,:() ]+' -v x="$x" -v y="$y" '
        NR > 1 && $1 >= x - 1 && $1 <= x + 1 && $2 >= y - 1 && $2 <= y + 1 &&
            $3 == 0 && $4 == 0 && $5 == 0 { found = 1 }
        END { exit !found }' "$shot"
}
whole_board() {
    measure_board && crossing_shown 1 1 && crossing_shown 19 1 && crossing_shown 1 19 &&
        crossing_shown 19 19
}

QT_QPA_PLATFORM=wayland DISPLAY= "$game" >"$work/game.log" 2>&1 &
game_pid=$!
poll read_view || fail "the game's window did not appear in sway's tree"
[ "$shell" = xdg_shell ] || fail "the game came up as a $shell client, not a native Wayland one"
poll whole_board || fail "the first board is not whole on its ${client_w}x${client_h} surface"
step "ok native Wayland window ($shell), ${client_w}x${client_h}, board whole, cell $cell twips"

board=$(for _ in {1..19}; do echo ...................; done)
click_point 10 10
answered() { grab && board=$(read_board) && [ "$(cell_of "$board" 10 10)" = R ] &&
    (($(count_of "$board" B) == 1)); }
poll answered || fail "a click on (10,10) did not play there and get an answer:
$board"
step "ok a click on (10,10) played red there, the computer answered"

for mode in 700x1000 1280x720; do
    swaymsg output X11-1 resolution "$mode" >/dev/null || fail "sway refused the mode $mode"
    fits() {
        local screen_w=${mode%x*}
        whole_board && ((client_w <= screen_w)) &&
            board=$(read_board) && [ "$(cell_of "$board" 10 10)" = R ]
    }
    poll fits || fail "on a $mode screen the ${client_w}x${client_h} surface does not show the" \
        "whole board with its stones"
    step "ok $mode screen: surface ${client_w}x${client_h}, board whole, cell $cell twips"
done

passed=1
step "all checks passed in $((SECONDS - started))s"
