#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A huge size request on real X must not make the game's memory grow without bound, and when
# the window shrinks again the board is drawn again. Tried under openbox, which applies the
# window's size hints, and then with the window manager gone, where the X server grants any
# size and the game must ask for a smaller one itself.
set -u -o pipefail

# Far above the game's own needs (tens of MB; a few hundred under AddressSanitizer), far below
# the gigabytes that a window-sized drawing at 30000 x 30000 pixels takes.
ceiling_kb=$((1024 * 1024))
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=x11_driver.sh
source "$here/x11_driver.sh"
# shellcheck source=huge_request.sh
source "$here/huge_request.sh"

e2e_begin huge "${1:-}"

# Shrinks the window back and waits for the board, with the game's two stones, at that size.
shrink_and_see_the_board() {
    xdotool windowsize "$win" 500 500 || fail "xdotool could not shrink the window"
    board_back() {
        read_outer
        ((client_w <= 520 && client_h <= 520)) && measure_board && board=$(read_board) &&
            (($(count_of "$board" R) == 1)) && (($(count_of "$board" B) == 1))
    }
    poll board_back || fail "$1: after shrinking back to ${client_w}x${client_h} the board" \
        "is not drawn with its two stones; board:
${board:-}"
}

x11_start_session
start_game "$game"
poll decorated_and_square || fail "the game window did not become square under openbox"
poll measure_board || fail "no grid on screen"
grab && board=$(read_board)
play 10 10
echo "huge window: at the start the game holds $(rss_kb) kB"

huge_request 30000 30000 "$ceiling_kb"
echo "huge window: under openbox, 30000x30000 asked, ${client_w}x${client_h} given," \
    "at most $huge_peak_kb kB held"
shrink_and_see_the_board "under openbox"

# Without a window manager the X server grants the request as it is.
stop_pid "$x_wm_pid"
x_wm_pid=""
huge_request 30000 30000 "$ceiling_kb"
echo "huge window: without a window manager, 30000x30000 asked, ${client_w}x${client_h} given," \
    "at most $huge_peak_kb kB held"
shrink_and_see_the_board "without a window manager"

passed=1
echo "huge window: passed"
