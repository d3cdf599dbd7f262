#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The game under a tiling window manager (i3) on a portrait screen: i3 keeps the window at its
# tile, taller than wide, whatever the game asks. The whole client area must be painted and
# follow the pointer, the grid must fit the width with every point visible, and a click on the
# top-right point (19,1) must play there.
set -u -o pipefail

x11_screen=696x1080x24
x11_wm=i3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=x11_driver.sh
source "$here/x11_driver.sh"

e2e_begin tiling "${1:-}"
step() { echo "tiling: $*"; }
started=$SECONDS

x11_start_session
start_game "$game"
# i3 tiles the window to the whole portrait screen but its title bar.
tiled() { read_outer; ((client_h > 900 && client_w > 600)); }
poll tiled || fail "the window was not tiled: client ${client_w}x${client_h}"
poll measure_board || fail "no grid sized from the width of the client ${client_w}x${client_h}" \
    "(line 1 from y=${line_top:-?}, ${line_len:-0}px long; cell ${cell:-?} twips)"
read -r last_x _ < <(point_pixel 19 19)
((last_x < client_w - 2)) || fail "column 19 lies at x=$last_x, outside the client ${client_w}px wide"
step "ok tiled ${client_w}x${client_h}: cell $cell twips, column 19 at x=$last_x"

# Nothing black below the grid: the bottom of the client area is painted.
grid_bottom=$((line_top + line_len))
black=$(awk -F'[,:() ]+' -v from=$((grid_bottom + 3)) '
    NR > 1 && $2 >= from && $3 == 0 && $4 == 0 && $5 == 0 { n++ } END { print n + 0 }' "$shot")
((black == 0)) ||
    fail "$black black pixels below the grid (from y=$((grid_bottom + 3)) to $client_h): unpainted"
step "ok the client area is painted down to its bottom"

# The pointer is followed down there too: well below the grid, rows beyond 19.
xdotool mousemove --window "$win" 40 $((client_h - 10))
followed() { [[ "$(title)" =~ ^Tessarin\ \ \([0-9]+,(2[0-9]|[3-9][0-9])\)$ ]]; }
poll followed || fail "pointer at the bottom of the window: title \"$(title)\""
step "ok the title follows the pointer at the bottom: \"$(title)\""

board=$empty_board
play 19 1
step "ok a click on (19,1) put a red stone there"

close_politely
passed=1
step "all checks passed in $((SECONDS - started))s"
