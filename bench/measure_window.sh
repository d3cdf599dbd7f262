#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Window figures for Tessarin, printed plainly:
#   (i)   launch to window mapped, under Xvfb with openbox, median of several runs, next to a
#         bare Qt 6 window started the same way;
#   (ii)  peak memory (VmHWM) of a running game after a few moves, next to the bare window;
#   (iii) size of the stripped executable;
#   (iv)  a whole turn inside the mouse-up handler, drawing included (turn_bench);
#   (v)   resident memory while the game's window is asked to be 30000 x 30000 pixels, under
#         openbox and on the bare X server (which grants any size).
#
#   bench/measure_window.sh [build folder]        (default: build-test, the tests' build)
#
# Builds nothing; the folder needs the targets tessarin, launch_timer, bare_window and
# turn_bench. RUNS sets the number of timed launches (default 15, after one warm-up).
# Goals, not checks: launch <= 45 ms, peak memory <= 36 MB, a turn < 1 ms, stripped < 300 KB,
# under 600 MB during the huge request. (The huge request stops the run above 2 GiB.)
set -u -o pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(cd "${1:-$here/../build-test}" 2>/dev/null && pwd) || { echo "no build folder ${1:-build-test}" >&2; exit 1; }
runs=${RUNS:-15}
limit=60

game=$build/app/tessarin
timer=$build/bench/launch_timer
bare=$build/bench/bare_window
turn=$build/bench/turn_bench
for binary in "$game" "$timer" "$bare" "$turn"; do
    [ -x "$binary" ] || {
        echo "missing $binary; build it: cmake --build $build --target tessarin launch_timer bare_window turn_bench" >&2
        exit 1
    }
done

# shellcheck source=../tests/e2e/x11_driver.sh
source "$here/../tests/e2e/x11_driver.sh"
# shellcheck source=../tests/e2e/huge_request.sh
source "$here/../tests/e2e/huge_request.sh"
missing=$(x11_missing_tools)
[ -z "$missing" ] || { echo "not installed (scripts/setup-debian.sh installs them):" $missing >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tessarin-bench.XXXXXX")
trap 'x11_cleanup; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM HUP

peak_kb() { awk '/^VmHWM:/ {print $2}' "/proc/$1/status"; }
# VmHWM counts kB of 1024 bytes: show both binary and decimal megabytes, goals say "MB".
mib() { awk -v kb="$1" 'BEGIN { printf "%.1f MiB = %.1f MB", kb / 1024, kb * 1024 / 1e6 }'; }

echo "Tessarin window figures, $(nproc) cores, build type" \
    "$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")"
echo

# (iv) first, before the X session: it runs offscreen and wants the machine to itself.
echo "(iv) whole turn on the board window (offscreen), 5 repetitions:"
QT_QPA_PLATFORM=offscreen "$turn" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    2>/dev/null >"$work/turn.txt" || { echo "turn_bench failed" >&2; exit 1; }
grep -E '_(median|stddev) ' "$work/turn.txt" | sed 's/^/    /'
turn_median() { awk -v name="$1/manual_time_median" '$1 == name {print $2, $3}' "$work/turn.txt"; }
echo

x11_start_session

echo "(i) fork to top-level window mapped, Xvfb + openbox, $runs runs after a warm-up:"
echo "  tessarin:"
"$timer" --runs "$runs" -- "$game" | tee "$work/launch-game.txt" | sed 's/^/  /' ||
    fail "launch timing of the game failed"
echo "  bare Qt window:"
"$timer" --runs "$runs" -- "$bare" | tee "$work/launch-bare.txt" | sed 's/^/  /' ||
    fail "launch timing of the bare window failed"
echo "  bare Qt window with the game's menu bar:"
"$timer" --runs "$runs" -- "$bare" --menu | tee "$work/launch-menu.txt" | sed 's/^/  /' ||
    fail "launch timing of the bare window with a menu failed"
launch_median() { awk '/^median/ {print $2}' "$1"; }
echo

echo "(ii) peak memory (VmHWM):"
start_game "$game"
poll decorated_and_square || fail "the game window did not become square"
poll measure_board || fail "no grid on screen"
game_start_kb=$(peak_kb "$game_pid")
grab && board=$(read_board)
moves=0
for candidates in "10,10" "8,8 12,12 8,12 12,8" "9,11 11,9 9,9 11,11" "12,10 8,10 10,12 10,8"; do
    # shellcheck disable=SC2086
    read -r c r < <(free_point $candidates) || continue
    play "$c" "$r"
    moves=$((moves + 1))
done
game_kb=$(peak_kb "$game_pid")
close_politely
echo "    tessarin at its first paint:   $game_start_kb kB ($(mib "$game_start_kb"))"
echo "    tessarin after $moves moves:        $game_kb kB ($(mib "$game_kb"))"

start_game "$bare"
# Its first paint follows the map within a moment; the peak is read after it.
sleep 1
bare_kb=$(peak_kb "$game_pid")
stop_pid "$game_pid"
game_pid=""
echo "    bare Qt window after its map:  $bare_kb kB ($(mib "$bare_kb"))"
start_game "$bare" --menu
sleep 1
menu_kb=$(peak_kb "$game_pid")
stop_pid "$game_pid"
game_pid=""
echo "    the same with the menu bar:    $menu_kb kB ($(mib "$menu_kb"))"
echo

echo "(iii) executable size:"
cp "$game" "$work/tessarin"
strip "$work/tessarin"
full=$(stat -c %s "$game")
stripped=$(stat -c %s "$work/tessarin")
echo "    as built: $full bytes; stripped: $stripped bytes ($((stripped / 1024)) KiB)"
echo

# (v) last: it ends the window manager for its second half.
echo "(v) resident memory (VmRSS, most seen) while the window is asked to be 30000 x 30000:"
start_game "$game"
poll decorated_and_square || fail "the game window did not become square"
poll measure_board || fail "no grid on screen"
huge_start_kb=$(rss_kb)
huge_request 30000 30000 $((2 * 1024 * 1024))
huge_openbox_kb=$huge_peak_kb
huge_openbox_size="${client_w}x${client_h}"
xdotool windowsize "$win" 500 500
shrunk() { read_outer && ((client_w <= 520 && client_h <= 520)); }
poll shrunk || fail "the window did not shrink back to about 500 x 500"
stop_pid "$x_wm_pid"
x_wm_pid=""
huge_request 30000 30000 $((2 * 1024 * 1024))
huge_bare_kb=$huge_peak_kb
huge_bare_size="${client_w}x${client_h}"
huge_hwm_kb=$(peak_kb "$game_pid")
stop_pid "$game_pid"
game_pid=""
echo "    before the request:            $huge_start_kb kB ($(mib "$huge_start_kb"))"
echo "    under openbox:                 $huge_openbox_kb kB ($(mib "$huge_openbox_kb")), window $huge_openbox_size given"
echo "    without a window manager:      $huge_bare_kb kB ($(mib "$huge_bare_kb")), window $huge_bare_size given"
echo "    peak (VmHWM) over both:        $huge_hwm_kb kB ($(mib "$huge_hwm_kb"))"
echo

echo "Summary                         measured        goal"
printf '%-31s %-15s %s\n' "launch to window mapped" "$(launch_median "$work/launch-game.txt") ms" \
    "<= 45 ms   (bare Qt window $(launch_median "$work/launch-bare.txt") ms, with the menu bar $(launch_median "$work/launch-menu.txt") ms)"
printf '%-31s %-15s %s\n' "peak memory after $moves moves" "$game_kb kB" \
    "<= 36 MB   ($(mib "$game_kb"); bare Qt window $bare_kb kB, with the menu bar $menu_kb kB)"
printf '%-31s %-15s %s\n' "whole turn (mouse-up handler)" "$(turn_median BM_Turn)" \
    "< 1 ms     (with the repaint $(turn_median BM_TurnWithRepaint))"
printf '%-31s %-15s %s\n' "stripped executable" "$((stripped / 1024)) KiB" "< 300 KB"
printf '%-31s %-15s %s\n' "30000 x 30000 request (VmHWM)" "$huge_hwm_kb kB" \
    "< 600 MB   ($(mib "$huge_hwm_kb"); most resident seen $huge_openbox_kb kB under openbox, $huge_bare_kb kB bare)"
