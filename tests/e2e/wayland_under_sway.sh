#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The game as a native Wayland client, under each compositor in `compositors` below:
#
#   sway    tiles, and draws the title bar itself (xdg-decoration): the game comes up, plays a
#           move from the keyboard and one by a click at the point under the pointer, and keeps
#           the whole board on a landscape and a portrait tile. Judged by sway's screenshots (grim) and its view of the window (get_tree).
#   mutter  (GNOME) draws no title bar, so Qt draws its own: the window is square by its outer
#           size, title bar included, at the first show with the first board at its designed
#           cells, after a resize mutter makes from the keyboard, and after a maximise and
#           restore. Judged by what the game tells mutter (WAYLAND_DEBUG): the window geometry,
#           and the client area Qt paints inside it.
#
# Both run headless with no input device of their own: sway's keys are typed by wtype (the
# virtual-keyboard protocol) and its pointer is wayvnc's (the virtual-pointer one); mutter's
# keys go through its remote-desktop interface, on a D-Bus session of its own.
set -u -o pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=x11_driver.sh
source "$here/x11_driver.sh"
compositors=(sway mutter)

missing_extras() {
    /usr/bin/python3 -c 'from gi.repository import Gio' 2>/dev/null || echo python3-gi
    ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 || echo qt6-wayland
}
e2e_display=wayland
e2e_begin wayland "${1:-}" sway swaymsg grim wtype wayvnc mutter dbus-run-session setpriv timeout \
    /usr/bin/python3 "$convert_bin"
compositor=""
step() { echo "wayland under $compositor: $*"; }
sway_menu_h="" sway_pid="" keyboard_pid="" pointer_pid="" mutter_pid="" mutter_session_pid="" keys_pid=""
stop_session() {
    stop_pid "$game_pid"; game_pid=""
    stop_pid "$keyboard_pid"; keyboard_pid=""
    stop_pid "$pointer_pid"; pointer_pid=""
    stop_pid "$sway_pid"; sway_pid=""
    exec 7>&-
    stop_pid "$keys_pid"; keys_pid=""
    stop_pid "$mutter_pid"; mutter_pid=""
    stop_pid "$mutter_session_pid"; mutter_session_pid=""
}
extra_cleanup() { stop_session; }
started=$SECONDS

# A clean account for the game's settings file.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
# At the scale the pixel arithmetic assumes (15 twips per pixel), with Qt's own title bar where
# the compositor draws none; no X server to fall back on.
unset DISPLAY WAYLAND_DISPLAY SWAYSOCK QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS \
    QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI QT_WAYLAND_DISABLE_WINDOWDECORATION QT_WAYLAND_DECORATION

# Each compositor in a runtime folder of its own.
new_runtime() {
    export XDG_RUNTIME_DIR="$work/$1-runtime"
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
}

# ---- sway ---------------------------------------------------------------------------------

# The game's view in sway's tree: "<app id> <shell> <focused> <title> <x> <y> <width> <height>", the
# rectangle that sway gives the window's content on the screen.
sway_view_py='
import json, sys
def walk(node):
    if node.get("pid") == int(sys.argv[1]):
        r, w = node["rect"], node["window_rect"]
        print(node.get("app_id"), node.get("shell"), node.get("focused"), repr(node.get("name")),
              r["x"] + w["x"], r["y"] + w["y"], w["width"], w["height"])
        return True
    return any(walk(c) for c in node.get("nodes", []) + node.get("floating_nodes", []))
walk(json.load(sys.stdin))'

under_sway() {
    new_runtime sway
    # sway refuses to run as root: as root, it runs as nobody.
    local as_user=()
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

    view() { swaymsg -t get_tree 2>/dev/null | /usr/bin/python3 -c "$sway_view_py" "$game_pid"; }
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
        pixel_listing "$png" -crop "${client_w}x${client_h}+${surface_x}+${surface_y}" +repage \
            >"$shot" 2>>"$work/grim.log"
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
    sway_menu_h=$menu_h

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
    board=$empty_board
    answered() { grab && board=$(read_board) && [ "$(cell_of "$board" 10 10)" = R ] &&
        (($(count_of "$board" B) == 1)); }
    poll answered || fail "Space at the keyboard point (10,10) did not play there and get an answer:
$board"
    step "ok Space at the keyboard point (10,10) played red there, the computer answered"

    # A click, as a mouse player makes one. The headless seat has no pointer of its own: wayvnc
    # (a VNC server for wlroots compositors) brings a virtual one, which sway's seat commands
    # move and press.
    wayvnc -u "$work/vnc.sock" >"$work/wayvnc.log" 2>&1 &
    pointer_pid=$!
    pointer_in_seat() {
        kill -0 "$pointer_pid" 2>/dev/null || return 2
        swaymsg -t get_seats 2>/dev/null | grep -q '"type": "pointer"'
    }
    poll pointer_in_seat || fail "no virtual pointer in sway's seat: $(tail -n 3 "$work/wayvnc.log")"
    local x y reds blacks
    read -r x y < <(point_pixel 4 7)
    x=$((view_x + surface_x + x)) y=$((view_y + surface_y + y))
    # Set, the pointer only enters the window; the move after it is what the title follows.
    swaymsg "seat seat0 cursor set $((x - 1)) $y" >/dev/null
    swaymsg "seat seat0 cursor move 1 0" >/dev/null
    pointer_title() { [ "$(title)" = "Tessarin  (4,7)" ]; }
    poll pointer_title || fail "the pointer on point (4,7): title is \"$(title)\""
    reds=$(count_of "$board" R) blacks=$(count_of "$board" B)
    swaymsg "seat seat0 cursor press button1" >/dev/null
    swaymsg "seat seat0 cursor release button1" >/dev/null
    # The pointer's image shows on the screenshots: without a pointer in the seat, sway hides it.
    stop_pid "$pointer_pid"
    pointer_pid=""
    pointer_gone() { ! swaymsg -t get_seats 2>/dev/null | grep -q '"type": "pointer"'; }
    poll pointer_gone || fail "wayvnc's pointer stayed in sway's seat after wayvnc ended"
    clicked() { grab && board=$(read_board) && [ "$(cell_of "$board" 4 7)" = R ] &&
        (($(count_of "$board" R) == reds + 1 && $(count_of "$board" B) == blacks + 1)); }
    poll clicked || fail "a click on point (4,7) did not play there and get an answer:
$board"
    step "ok the pointer over (4,7) showed it in the title; a click played red there, the computer answered"

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
    stop_session
    unset SWAYSOCK WAYLAND_DISPLAY
}

# ---- mutter -------------------------------------------------------------------------------

# Keys for mutter, one line of names a go from standard input ("sleep0.3" pauses), each
# pressed and released as evdev key codes through the remote-desktop session; prints "typed"
# once a line is done. Keysyms would be looked up in a keymap first, which at times held a key
# down long enough to repeat.
mutter_keys_py='
import sys, time
import gi
gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
def call(path, interface, method, args=None):
    return bus.call_sync("org.gnome.Mutter.RemoteDesktop", path, interface, method, args,
                         None, 0, 5000, None)
deadline = time.monotonic() + float(sys.argv[1])
while True:
    try:
        session = call("/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop",
                       "CreateSession").unpack()[0]
        break
    except GLib.Error:
        if time.monotonic() > deadline: raise
        time.sleep(0.1)
SESSION = "org.gnome.Mutter.RemoteDesktop.Session"
call(session, SESSION, "Start")
print("ready", flush=True)
CODES = {"Shift_L": 42, "Alt_L": 56, "Super_L": 125, "F8": 66, "Return": 28, "Up": 103,
         "Down": 108, "Left": 105, "Right": 106}
for line in sys.stdin:
    for word in line.split():
        if word.startswith("sleep"):
            time.sleep(float(word[5:]))
            continue
        codes = [CODES[name] for name in word.split("+")]
        for pressed, order in ((True, codes), (False, codes[::-1])):
            for code in order:
                call(session, SESSION, "NotifyKeyboardKeycode",
                     GLib.Variant("(ub)", (code, pressed)))
    print("typed", flush=True)'

# An awk function that splits the arguments of a protocol log line's request into a[1], a[2]...
wl_args='function args() { match($0, /\(.*\)/); return split(substr($0, RSTART + 1, RLENGTH - 2), a, /, */) }'
# What the game last told mutter, from its protocol log: "<outer w> <outer h> <client w>
# <client h>". The outer size is the window geometry (title bar included). Inside it Qt paints
# the client area within its own title bar and borders: the largest repaint since the geometry
# took that size is the client area.
wl_sizes() {
    awk "$wl_args"'
        /-> xdg_surface@[0-9]+\.set_window_geometry\(/ {
            args(); if (a[3] != ow || a[4] != oh) { cw = 0; ch = 0 }
            ow = a[3]; oh = a[4]
        }
        /-> wl_surface@[0-9]+\.attach\(/ { painted = 1; next }
        painted && /-> wl_surface@[0-9]+\.damage_buffer\(/ {
            args(); painted = 0
            if (a[3] * a[4] > cw * ch) { cw = a[3]; ch = a[4] }
        }
        END { print ow + 0, oh + 0, cw + 0, ch + 0 }' "$work/game.log"
}
configures() { grep -c 'xdg_toplevel@[0-9]*\.configure' "$work/game.log"; }
read_sizes() { read -r outer_w outer_h client_w client_h < <(wl_sizes); }
square_shown() { read_sizes && ((outer_w > 0 && outer_w == outer_h && client_w > 0)); }
keys() {
    local before
    before=$(grep -c typed "$work/keys.log")
    echo "$*" >&7
    typed() { (($(grep -c typed "$work/keys.log") > before)); }
    poll typed || fail "mutter's remote desktop did not take the keys $*:" \
        "$(tail -n 3 "$work/keys.log")"
}

under_mutter() {
    new_runtime mutter
    # Its own D-Bus session, whose address the keys need; mutter's own process id, to stop it.
    dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$1.bus"; echo $$ >"$1.pid"
        exec mutter --headless --wayland --no-x11 --virtual-monitor 1280x1024 \
            --wayland-display tessarin-0' sh "$work/mutter" >"$work/mutter.log" 2>&1 &
    mutter_session_pid=$!
    mutter_up() {
        kill -0 "$mutter_session_pid" 2>/dev/null || return 2
        [ -S "$XDG_RUNTIME_DIR/tessarin-0" ] && [ -s "$work/mutter.bus" ] &&
            [ -s "$work/mutter.pid" ]
    }
    poll mutter_up || fail "mutter did not start: $(tail -n 5 "$work/mutter.log")"
    mutter_pid=$(cat "$work/mutter.pid")
    export WAYLAND_DISPLAY=tessarin-0 DBUS_SESSION_BUS_ADDRESS=$(cat "$work/mutter.bus")
    mkfifo "$work/keys"
    /usr/bin/python3 -c "$mutter_keys_py" "$limit" <"$work/keys" >"$work/keys.log" 2>&1 &
    keys_pid=$!
    exec 7>"$work/keys"
    keys_ready() {
        kill -0 "$keys_pid" 2>/dev/null || return 2
        grep -qs ready "$work/keys.log"
    }
    poll keys_ready || fail "no remote-desktop session from mutter: $(tail -n 3 "$work/keys.log")"
    step "mutter headless on $WAYLAND_DISPLAY, a remote-desktop keyboard"

    WAYLAND_DEBUG=1 QT_QPA_PLATFORM=wayland "$game" >"$work/game.log" 2>&1 &
    game_pid=$!
    poll square_shown || fail "the first window is not square by its outer size:" \
        "${outer_w}x$outer_h outer, ${client_w}x$client_h client"
    grep -q 'zxdg_decoration_manager' "$work/game.log" &&
        fail "mutter offered server-side decoration: Qt's own title bar was not tried"
    ((client_h < outer_h)) ||
        fail "no title bar of Qt's own: ${client_w}x$client_h client in ${outer_w}x$outer_h"
    # The designed drawing area, as under a window manager that frames the window; the menu
    # bar above it is as high as on sway's screenshots (the same Qt and fonts).
    local canvas=$((client_h - ${sway_menu_h:?the sway row measures the menu bar})) cell
    cell=$(awk -v h="$canvas" 'BEGIN { printf "%.0f", h * 15 / 19 }')
    ((canvas == 426 && cell == 336)) ||
        fail "first board: drawing area ${canvas}px high and cell $cell twips, not 426px and 336"
    step "ok first show: ${outer_w}x$outer_h outer, ${client_w}x$client_h client, cell $cell twips"

    # The board has the keyboard: its first key shows the keyboard point in the title. A new
    # virtual keyboard reaches the game with its first key, so a Shift goes first.
    keys Shift_L
    keys Up
    title_shown() { grep -q 'set_title("Tessarin  (10,10)")' "$work/game.log"; }
    poll title_shown || fail "a first key did not show the keyboard point (10,10) in the title"
    step "ok a key from mutter's keyboard reached the board"

    # mutter's keyboard resize: the arrow keys move an edge by 10 pixels, and the game must
    # answer each size mutter gives it with a square one before the resize ends.
    local mark
    mark=$(configures)
    keys Alt_L+F8 sleep0.3 Left sleep0.3 Right sleep0.3 Right
    # "<width>x<height> <width>x<height>": the last size mutter gave that was not square, after
    # the configure numbered $mark, and the game's square window geometry after it, if any.
    answer_since() {
        awk -v mark="$1" "$wl_args"'
            /xdg_toplevel@[0-9]+\.configure\(/ && ++n > mark {
                args(); given = (a[1] > 0 && a[1] != a[2]) ? a[1] "x" a[2] : ""
            }
            given && /-> xdg_surface@[0-9]+\.set_window_geometry\(/ {
                args(); if (a[3] == a[4]) { pair = given " " a[3] "x" a[4]; given = "" }
            }
            END { if (pair) print pair }' "$work/game.log"
    }
    local given answer
    answered() { read -r given answer < <(answer_since "$mark") && [ -n "$answer" ]; }
    poll answered || fail "mutter's keyboard resize gave no size the game answered with a square"
    # Ending the resize brings one more size from mutter, which the game answers too.
    mark=$(configures)
    keys Return
    ended() {
        local last
        last=$(awk -v mark="$mark" '
            /xdg_toplevel@[0-9]+\.configure\(/ { n++ }
            n > mark && /-> xdg_surface@[0-9]+\.set_window_geometry\(/ { last = $0 }
            END { print last }' "$work/game.log")
        [ -n "$last" ] && square_shown
    }
    poll ended || fail "after mutter's resize the window is not square:" \
        "${outer_w}x$outer_h outer, ${client_w}x$client_h client"
    step "ok mutter's resize to $given answered with $answer; once ended, ${outer_w}x$outer_h" \
        "outer, ${client_w}x$client_h client"
    local settled=$outer_w

    # Judged by mutter's own sizes too: Qt does not always send a window geometry for the
    # maximised window, whose surface is the whole screen then.
    mark=$(configures)
    keys Super_L+Up
    maximised() {
        awk -v mark="$mark" '/xdg_toplevel@[0-9]+\.configure\(/ && ++n > mark &&
            /configure\(1280, 1024,/ { found = 1 } END { exit !found }' "$work/game.log"
    }
    poll maximised || fail "mutter did not maximise the window"
    mark=$(configures)
    keys Super_L+Down
    restored() { (($(configures) > mark)) && square_shown && ((outer_w == settled)); }
    poll restored || fail "restored to ${outer_w}x$outer_h outer, not ${settled}x$settled"
    step "ok maximised and restored: ${outer_w}x$outer_h outer, ${client_w}x$client_h client"
    stop_session
    unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY
}

for compositor in "${compositors[@]}"; do
    "under_$compositor"
done
passed=1
echo "wayland: all checks passed under ${compositors[*]} in $((SECONDS - started))s"
