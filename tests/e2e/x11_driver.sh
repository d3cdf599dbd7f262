# SPDX-License-Identifier: GPL-3.0-or-later
# Drives the real Tessarin binary on a private X server. Sourced (bash) by the end-to-end test
# and by bench/measure_window.sh.
#
# A window manager runs too: without one a window never becomes active and has no frame, so
# neither squaring by the outer size nor a polite close could be seen.
#
# The sourcing script sets `work` (a scratch folder; e2e_begin makes one) and may set `limit`
# (seconds any one wait may take: TESSARIN_E2E_TIMEOUT, else 30), `x11_screen` (WIDTHxHEIGHTxDEPTH,
# 1280x1024x24 unless set) and `x11_wm` (openbox unless set; i3 is the tiling one; none for none),
# may replace `fail`, and calls x11_cleanup on exit. The helpers keep their state in globals:
# game_pid and win (the game and its top-level window), and the board geometry that
# measure_board finds (menu_h, canvas_h, cell, radius_px).

# Another convert (a wrapper, a different ImageMagick) may come first on PATH.
import_bin=/usr/bin/import
convert_bin=/usr/bin/convert

x_server_pid="" x_wm_pid="" x_wm_session_pid="" game_pid="" win=""
# The board as read_board reads it before the first move.
empty_board=$(for _ in {1..19}; do echo ...................; done)
limit=${limit:-${TESSARIN_E2E_TIMEOUT:-30}}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Names of the tools this file needs that are missing, one per line.
x11_missing_tools() {
    local tool wm=${x11_wm:-openbox}
    for tool in Xvfb ${wm/none/} xdotool xprop xwininfo xdpyinfo wmctrl; do
        command -v "$tool" >/dev/null || echo "$tool"
    done
    for tool in "$import_bin" "$convert_bin"; do
        [ -x "$tool" ] || echo "$tool"
    done
}

# Runs the command until it succeeds, pausing between tries, for at most $limit seconds. Gives
# up at once if the game was started and has died: nothing it was waited for can come then.
poll() {
    local deadline=$((SECONDS + limit))
    until "$@"; do
        if [ -n "$game_pid" ] && ! kill -0 "$game_pid" 2>/dev/null; then
            echo "the game process has exited" >&2
            return 2
        fi
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# stop_pid <pid> [seconds]: TERM, and KILL if it has not ended within the seconds (5 unless given).
stop_pid() {
    local pid=$1
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 0
    kill "$pid" 2>/dev/null
    for _ in $(seq $((${2:-5} * 10))); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

x11_cleanup() {
    stop_pid "$game_pid"
    stop_pid "$x_wm_pid"
    stop_pid "${x_wm_session_pid:-}"
    stop_pid "$x_server_pid"
    game_pid="" x_wm_pid="" x_wm_session_pid="" x_server_pid=""
}

# Starts Xvfb on a free display and the window manager on it, with a fresh home and
# configuration under $work, and exports DISPLAY.
x11_start_session() {
    # -displayfd lets the server pick a free display and tells us once it accepts connections.
    # A second session in the same folder must not read the first one's display number.
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "${x11_screen:-1280x1024x24}" -dpi 96 -nolisten tcp -noreset \
        3>"$work/display" >"$work/xvfb.log" 2>&1 &
    x_server_pid=$!
    display_told() {
        kill -0 "$x_server_pid" 2>/dev/null || return 0
        grep -qE '^[0-9]+$' "$work/display" 2>/dev/null
    }
    poll display_told || fail "Xvfb did not report a display within ${limit}s"
    kill -0 "$x_server_pid" 2>/dev/null || fail "Xvfb exited: $(tail -n 5 "$work/xvfb.log")"
    export DISPLAY=":$(head -n 1 "$work/display")"
    server_answers() { xdpyinfo >/dev/null 2>&1; }
    poll server_answers || fail "X server $DISPLAY does not answer"

    # A clean account: the game's settings file and the window manager's files go here.
    export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    # Real X, at the scale the pixel arithmetic below assumes (15 twips per pixel).
    export QT_QPA_PLATFORM=xcb
    unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI

    local wm=${x11_wm:-openbox}
    case $wm in
    i3)
        # No bar, no startup programs, no key bindings: only the tiling layout.
        printf 'font pango:monospace 8\ndefault_border normal\nfocus_follows_mouse no\n' >"$work/i3.conf"
        i3 -c "$work/i3.conf" >"$work/$wm.log" 2>&1 &
        ;;
    none) return 0 ;;
    openbox) openbox --sm-disable >"$work/$wm.log" 2>&1 & ;;
    *)
        # The desktops' own managers want a session bus (settings, their compositors' peers);
        # each gets one of its own, and the manager's process id is kept to stop it first.
        local command
        case $wm in
        xfwm4) command=(xfwm4 --compositor=off --sm-client-disable) ;;
        metacity | marco) command=("$wm" --no-composite --sm-disable) ;;
        kwin_x11) command=(kwin_x11 --no-kactivities) ;;
        mutter | muffin) command=("$wm" --x11 --sm-disable) ;;
        *) fail "no way known to start the window manager $wm" ;;
        esac
        dbus-run-session -- sh -c 'echo $$ >"$1"; shift; exec "$@"' sh "$work/$wm.pid" \
            "${command[@]}" >"$work/$wm.log" 2>&1 &
        x_wm_session_pid=$!
        wm_pid_told() { [ -s "$work/$wm.pid" ] || ! kill -0 "$x_wm_session_pid" 2>/dev/null; }
        poll wm_pid_told
        x_wm_pid=$(cat "$work/$wm.pid" 2>/dev/null)
        ;;
    esac
    [ -n "${x_wm_session_pid:-}" ] || x_wm_pid=$!
    wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    poll wm_ready || fail "$wm did not take over the screen: $(tail -n 5 "$work/$wm.log")"
}

# Starts a program (the game by default) and waits for its first visible top-level window.
start_game() {
    "$@" >"$work/game.log" 2>&1 &
    game_pid=$!
    win=""
    find_main() {
        win=$(xdotool search --onlyvisible --pid "$game_pid" 2>/dev/null | head -n 1)
        [ -n "$win" ]
    }
    poll find_main || fail "the window of $1 did not appear within ${limit}s"
}

# Waits until the game has exited on its own after a close.
wait_game_exit() {
    game_gone() { ! kill -0 "$game_pid" 2>/dev/null; }
    poll game_gone || fail "the game did not exit within ${limit}s after a close"
    wait "$game_pid" 2>/dev/null
    local status=$?
    game_pid=""
    [ "$status" = 0 ] || fail "the game exited with status $status after a close"
}

close_politely() {
    # wmctrl asks the window manager, which sends WM_DELETE_WINDOW: the game's own close path
    # (xdotool windowclose would destroy the window behind the game's back).
    wmctrl -i -c "$win" || fail "wmctrl could not ask the window manager to close $win"
    wait_game_exit
}

title() { xdotool getwindowname "$win" 2>/dev/null; }

# Whether the game's window has the keyboard (the window manager made it active).
is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$win" ]; }

# Finds a visible window of the game other than the board titled Tessarin (a message box) and
# leaves it in `box`.
box=""
find_box() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$game_pid" 2>/dev/null); do
        [ "$w" = "$win" ] && continue
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = Tessarin ] && { box=$w; return 0; }
    done
    return 1
}
box_gone() { ! xwininfo -id "$box" 2>/dev/null | grep -q IsViewable; }

# Outer size from the client size plus the frame the window manager reports.
read_outer() {
    local extents
    extents=$(xprop -id "$win" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')
    IFS=, read -r frame_left frame_right frame_top frame_bottom <<<"${extents:-0,0,0,0}"
    read -r client_w client_h < <(xwininfo -id "$win" |
        awk '/^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print w, h}')
    outer_w=$((client_w + frame_left + frame_right))
    outer_h=$((client_h + frame_top + frame_bottom))
}

decorated_and_square() {
    read_outer
    ((frame_top > 0)) && ((outer_w == outer_h))
}

# pixel_listing <picture> [convert option...]: the picture (after the options, a crop say) as
# ImageMagick's txt: format lists it, a header line and then "x,y: (r,g,b)" a pixel, without the
# colour names; txt: itself takes seconds a window, mostly naming colours, and these tests grab
# hundreds of windows.
pixel_listing() {
    local picture=$1 width
    shift
    width=$("$convert_bin" "$picture" "$@" -format '%w' info:) || return 1
    "$convert_bin" "$picture" "$@" -depth 8 rgb:- | od -A n -v -t u1 -w3 |
        awk -v w="$width" 'BEGIN { print "# pixels, " w " a row" }
            { printf "%d,%d: (%d,%d,%d)\n", (NR - 1) % w, int((NR - 1) / w), $1, $2, $3 }'
}

shot_count=0
# Takes a screenshot of the client window and leaves its pixel listing in $shot.
grab() {
    shot_count=$((shot_count + 1))
    local png="$work/shot-$shot_count.png"
    shot="$work/shot-$shot_count.txt"
    "$import_bin" -silent -window "$win" "$png" 2>>"$work/import.log" &&
        pixel_listing "$png" >"$shot" 2>>"$work/import.log"
}

# Finds the grid in the last screenshot: the longest unbroken black vertical run near where
# line 1 lies gives the top of the drawing area (below the menu bar) and the grid's height.
# Prints "<column> <top> <length>".
find_first_line() {
    awk -F'[,:() ]+' '
        NR == 1 { next }
        $1 >= 8 && $1 <= 20 {
            x = $1; y = $2
            if ($3 == 0 && $4 == 0 && $5 == 0) {
                if (run[x] > 0 && last[x] == y - 1) run[x]++
                else { run[x] = 1; start[x] = y }
                last[x] = y
                if (run[x] > best) { best = run[x]; bx = x; by = start[x] }
            }
        }
        END { print bx + 0, by + 0, best + 0 }' "$shot"
}

# Geometry of the board in window pixels, from the client size. The menu bar's height is
# what the client height has above the drawing area, found on the screen.
measure_board() {
    grab || return 1
    read -r line_x line_top line_len < <(find_first_line)
    ((line_len > 100)) || return 1
    read_outer
    # Line 1 lies 200 twips into the drawing area: pixel row 13 at 15 twips per pixel.
    menu_h=$((line_top - 200 / 15))
    canvas_h=$((client_h - menu_h))
    # The grid follows the smaller side of the drawing area.
    local side=$((client_w < canvas_h ? client_w : canvas_h))
    cell=$(awk -v h="$side" 'BEGIN { printf "%.0f", h * 15 / 19 }')
    radius_px=$(awk -v c="$cell" 'BEGIN { printf "%.2f", int(c / 2) / 15 }')
    # The grid must be as tall as that cell size says, or it was not sized from the client.
    local expected=$(((18 * cell) / 15))
    ((line_len >= expected - 2 && line_len <= expected + 3))
}

# Window pixel of a point's centre: "<x> <y>".
point_pixel() {
    awk -v c="$1" -v r="$2" -v cell="$cell" -v top="$menu_h" 'BEGIN {
        printf "%d %d\n", (200 + (c - 1) * cell) / 15 + 0.5, top + (200 + (r - 1) * cell) / 15 + 0.5 }'
}

# Reads the whole board off the last screenshot: R red stone, B black stone, . empty, ? a
# point whose samples disagree. Each point is judged by four pixels diagonally off its centre,
# inside the disc but off the grid lines; a stone's inside must be exactly its colour.
read_board() {
    awk -F'[,:() ]+' -v cell="$cell" -v top="$menu_h" -v rad="$radius_px" '
        function want_at(x, y, point) { want[x "," y] = want[x "," y] " " point }
        BEGIN {
            d = int(rad * 0.45); if (d < 2) d = 2
            for (c = 1; c <= 19; c++) for (r = 1; r <= 19; r++) {
                cx = int((200 + (c - 1) * cell) / 15); cy = int(top + (200 + (r - 1) * cell) / 15)
                want_at(cx - d, cy - d, c "_" r); want_at(cx + d, cy - d, c "_" r)
                want_at(cx - d, cy + d, c "_" r); want_at(cx + d, cy + d, c "_" r)
            }
        }
        NR == 1 { next }
        ($1 "," $2) in want {
            if ($3 == 255 && $4 == 0 && $5 == 0) kind = "R"
            else if ($3 == 0 && $4 == 0 && $5 == 0) kind = "B"
            else kind = "."
            n = split(want[$1 "," $2], pts, " ")
            for (i = 1; i <= n; i++) seen[pts[i]] = seen[pts[i]] kind
        }
        END {
            for (r = 1; r <= 19; r++) {
                line = ""
                for (c = 1; c <= 19; c++) {
                    s = seen[c "_" r]
                    if (s == "RRRR") line = line "R"
                    else if (s == "BBBB") line = line "B"
                    else if (s == "....") line = line "."
                    else line = line "?"
                }
                print line
            }
        }' "$shot"
}

# cell_of <board> <column> <row>: one point of a board read by read_board.
cell_of() { sed -n "${3}p" <<<"$1" | cut -c"$2"; }
# count_of <board> <R|B>
count_of() { tr -cd "$2" <<<"$1" | wc -c; }

# Moves the pointer onto a point and waits until the title shows that the window saw it, so
# a following click lands where intended.
hover() {
    local want="Tessarin  ($1,$2)" x y
    read -r x y < <(point_pixel "$1" "$2")
    xdotool mousemove --window "$win" "$x" "$y"
    title_is() { [ "$(title)" = "$want" ]; }
    poll title_is || fail "pointer over point ($1,$2): title is \"$(title)\", expected \"$want\""
}

# play <column> <row> [what came before]: clicks a free point and waits for the human's red
# stone and the computer's black answer. $board holds the board before and is updated.
play() {
    local reds blacks
    reds=$(count_of "$board" R)
    blacks=$(count_of "$board" B)
    hover "$1" "$2"
    xdotool click 1
    answered() {
        grab || return 1
        board=$(read_board)
        [ "$(cell_of "$board" "$1" "$2")" = R ] &&
            (($(count_of "$board" B) == blacks + 1)) && (($(count_of "$board" R) == reds + 1))
    }
    poll answered "$1" "$2" ||
        fail "click on ($1,$2)${3:+ $3}: expected a red stone there and one new black stone;" \
            "board:
$board"
}

# first_with <R|B|.> <c,r>...: the first of the points that holds that on $board, as "c r".
first_with() {
    local p kind=$1
    shift
    for p in "$@"; do
        [ "$(cell_of "$board" "${p%,*}" "${p#*,}")" = "$kind" ] && { echo "${p/,/ }"; return 0; }
    done
    return 1
}
free_point() { first_with . "$@"; }

# The checks before a test script starts: the X tools (unless `e2e_display` is wayland), the
# tools named after the game (commands, or paths to programs) and whatever a script-defined
# `missing_extras` prints, else a skip (77, which CTest reports as such; a failure if
# `e2e_on_missing` is fail); the game binary, else a failure.
e2e_require() {
    local game=$1 tool missing
    shift
    missing=$([ "${e2e_display:-x11}" = wayland ] || x11_missing_tools
              for tool in "$@"; do command -v "$tool" >/dev/null || echo "$tool"; done
              ! declare -F missing_extras >/dev/null || missing_extras)
    if [ -n "$missing" ]; then
        if [ "${e2e_on_missing:-skip}" = fail ]; then
            echo "FAIL: not installed (scripts/setup-debian.sh installs them):" $missing >&2
            exit 1
        fi
        echo "SKIP: not installed (scripts/setup-debian.sh installs them):" $missing
        exit 77
    fi
    [ -x "$game" ] || { echo "FAIL: no game binary at $game"; exit 1; }
}

# e2e_begin <name> [<game> [tool...]]: the common start of a test script. With the game's path
# (the script's first argument) it first makes e2e_require's checks and sets `game`. Then a
# scratch folder under $TMPDIR, kept only when the test fails, the session stopped on every
# exit, and `fail` replaced by e2e_fail, which shows the game's last output. Sets `work`; the
# script sets `passed=1` when all is well. Runs `extra_cleanup` too if the script defines it.
e2e_begin() {
    e2e_name=$1
    if (($# >= 2)); then
        game=$2
        [ -n "$game" ] || { echo "usage: $0 <path to tessarin>" >&2; exit 1; }
        shift 2
        e2e_require "$game" "$@"
    fi
    work=$(mktemp -d "${TMPDIR:-/tmp}/tessarin-$e2e_name.XXXXXX")
    passed=0
    trap e2e_finish EXIT
    trap 'exit 1' INT TERM HUP
    fail() { e2e_fail "$@"; }
}

e2e_finish() {
    declare -F extra_cleanup >/dev/null && extra_cleanup
    stop_pid "${configure_watch_pid:-}"
    x11_cleanup
    if [ "$passed" = 1 ]; then
        rm -rf "$work"
    else
        echo "$e2e_name: screenshots and logs kept in $work" >&2
    fi
}

e2e_fail() {
    echo "FAIL: $*" >&2
    if [ -s "$work/game.log" ]; then
        echo "--- game output ---" >&2
        tail -n 20 "$work/game.log" >&2
    fi
    exit 1
}

# Records the X events of the game window's structure (ConfigureNotify with every size it is
# given) and focus (a window manager's grab of the keyboard takes it "to a grab") in
# $work/xev.log, so a test can tell that a size really arrived before the game answered it.
watch_configure() {
    stdbuf -oL xev -id "$win" -event structure -event property -event focus >"$work/xev.log" 2>&1 &
    configure_watch_pid=$!
    # Listening once a change of title (a property of the window) shows.
    local column=1
    xev_listens() {
        grep -qs PropertyNotify "$work/xev.log" && return 0
        column=$((column % 19 + 1))
        hover "$column" 1
        return 1
    }
    poll xev_listens || fail "xev does not report the events of window $win"
}

# Lines of the configure log so far; `sizes_since <line>` prints the sizes given after it as
# "WxH" lines.
configure_sizes() { grep -o 'width [0-9]*, height [0-9]*' "$work/xev.log" | awk '{ sub(",", "", $2); print $2 "x" $4 }'; }
configure_mark() { configure_sizes | wc -l; }
sizes_since() { configure_sizes | tail -n +$(($1 + 1)); }
