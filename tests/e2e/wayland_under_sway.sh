#!/usr/bin/env bash
# The game as a native Wayland client of a tiling compositor (sway): it comes up, plays a move,
# and keeps the whole board on screen whether the compositor gives it a landscape or a
# portrait tile. Judged by the compositor's screenshots (grim) and its view of the window
# (swaymsg -t get_tree).
#
# sway runs headless, with no input device of its own; the move is played from the keyboard,
# typed by wtype through the virtual-keyboard protocol.
#
#   wayland_under_sway.sh <path to tessarin>
#
# Exit 0: all passed; 1: a check failed (the scratch folder is kept); 77: a tool is missing.
# TESSARIN_E2E_TIMEOUT: seconds any one wait may take (default 30).
set -u -o pipefail

game=${1:?usage: wayland_under_sway.sh <path to tessarin>}
limit=${TESSARIN_E2E_TIMEOUT:-30}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=x11_driver.sh
source "$here/x11_driver.sh"

missing=$(for tool in sway swaymsg grim wtype setpriv timeout /usr/bin/python3 "$convert_bin"; do
              command -v "$tool" >/dev/null || echo "$tool"
          done
          ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 || echo qt6-wayland)
if [ -n "$missing" ]; then
    echo "SKIP: not installed (scripts/setup-debian.sh installs them):" $missing
    exit 77
fi
[ -x "$game" ] || { echo "FAIL: no game binary at $game"; exit 1; }

e2e_begin wayland
fail() { e2e_fail "$@"; }
step() { echo "wayland: $*"; }
sway_pid="" keyboard_pid=""
extra_cleanup() {
    stop_pid "$game_pid"; game_pid=""
    stop_pid "$keyboard_pid"
    stop_pid "$sway_pid"
}
started=$SECONDS

# A clean account for the game's settings file.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
# At the scale the pixel arithmetic assumes (15 twips per pixel); no X server to fall back on.
unset DISPLAY WAYLAND_DISPLAY SWAYSOCK QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS \
    QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI
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
printf 'output HEADLESS-1 resolution 1200x1000 position 0 0\ndefault_border normal\n' >"$work/sway.conf"
WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman "${as_user[@]}" \
    sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
sway_pid=$!
sockets_up() {
    kill -0 "$sway_pid" 2>/dev/null || return 2
    ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock >/dev/null 2>&1 &&
        ls "$XDG_RUNTIME_DIR"/wayland-[0-9] >/dev/null 2>&1
}
poll sockets_up || fail "sway did not start: $(tail -n 5 "$work/sway.log")"
export SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock | head -n 1)
export WAYLAND_DISPLAY=$(basename "$(ls "$XDG_RUNTIME_DIR"/wayland-[0-9] | head -n 1)")
output_is() { swaymsg -t get_outputs 2>/dev/null | grep -q "\"width\": ${1%x*},"; }
poll output_is 1200x1000 || fail "sway's headless output did not take the size 1200x1000"

# A keyboard held for the whole session: each wtype call brings its own virtual keyboard and
# takes it away again, and when that was the seat's only keyboard the game missed about half
# of the keys typed (a seat that gains its first keyboard hands the game one only after).
timeout 3600 wtype -s 3600000 >"$work/keyboard.log" 2>&1 &
keyboard_pid=$!
keyboard_in_seat() {
    kill -0 "$keyboard_pid" 2>/dev/null || return 2
    swaymsg -t get_seats 2>/dev/null | grep -q '"type": "keyboard"'
}
poll keyboard_in_seat || fail "sway's seat has no keyboard: $(cat "$work/keyboard.log")"
step "sway headless on $WAYLAND_DISPLAY, a virtual keyboard in its seat"

# The game's view in sway's tree: "<app id> <shell> <focused> <title> <x> <y> <width> <height>", the
# rectangle that sway gives the window's content on the screen.
view() {
    swaymsg -t get_tree 2>/dev/null | /usr/bin/python3 -c '
import json, sys
def walk(node):
    if node.get("pid") == int(sys.argv[1]):
        r, w = node["rect"], node["window_rect"]
        print(node.get("app_id"), node.get("shell"), node.get("focused"), repr(node.get("name")),
              r["x"] + w["x"], r["y"] + w["y"], w["width"], w["height"])
        return True
    return any(walk(c) for c in node.get("nodes", []) + node.get("floating_nodes", []))
walk(json.load(sys.stdin))' "$game_pid"
}
read_view() {
    local line
    line=$(view) && [ -n "$line" ] || return 1
    read -r app_id shell focused _ <<<"$line"
    name=$(sed -E "s/^[^ ]+ [^ ]+ [^ ]+ '(.*)' [0-9-]+ [0-9-]+ [0-9]+ [0-9]+$/\1/" <<<"$line")
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
# The client size comes with each grab of the surface: the X11 board measure needs nothing more.
read_outer() { :; }
# Types one key into the focused window. The bound turns a compositor that stops answering
# into a failure, not a hang; it is far above a healthy call, as a cut between key down and
# key up would leave the key held.
key() { timeout -s INT "$limit" wtype -k "$1" 2>>"$work/wtype.log" || fail "wtype could not type $1"; }
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

QT_QPA_PLATFORM=wayland "$game" >"$work/game.log" 2>&1 &
game_pid=$!
poll read_view || fail "the game's window did not appear in sway's tree"
[ "$shell" = xdg_shell ] || fail "the game came up as a $shell client, not a native Wayland one"
# The app id names the launcher entry, so that the desktop shows the entry's name and icon.
[ "$app_id" = org.tessarin.Tessarin ] || fail "the window's app id is $app_id, not org.tessarin.Tessarin"
poll whole_board || fail "the first board is not whole on its ${client_w}x${client_h} surface"
step "ok native Wayland window ($shell, app id $app_id), ${client_w}x${client_h}, board whole, cell $cell twips"

# The board has the keyboard from the start: the first key only shows the keyboard point, at
# the centre; Space plays there.
# Which window has the keyboard is sway's choice, not the game's: asked for, not waited on.
swaymsg "[pid=$game_pid] focus" >/dev/null
has_focus() { read_view && [ "$focused" = True ]; }
poll has_focus || fail "sway did not give the game's window the focus: $(view)"
key Up
title_is() { [ "$(title)" = "Tessarin  (10,10)" ]; }
poll title_is || fail "a first key: title is \"$(title)\", expected the keyboard point (10,10)"
key space
board=$(for _ in {1..19}; do echo ...................; done)
answered() { grab && board=$(read_board) && [ "$(cell_of "$board" 10 10)" = R ] &&
    (($(count_of "$board" B) == 1)); }
poll answered || fail "Space at the keyboard point (10,10) did not play there and get an answer:
$board"
step "ok Space at the keyboard point (10,10) played red there, the computer answered"

for mode in 700x1000 1280x720; do
    swaymsg output HEADLESS-1 resolution "$mode" >/dev/null || fail "sway refused the mode $mode"
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
