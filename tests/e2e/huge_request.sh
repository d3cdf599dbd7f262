# SPDX-License-Identifier: GPL-3.0-or-later
# A huge window size request with a watchdog on the game's resident memory. Sourced (bash)
# after x11_driver.sh, by the end-to-end test and by bench/measure_window.sh.

# Resident memory of the game now, in kB (empty once it has gone).
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$game_pid/status" 2>/dev/null; }

# Whether the grid is drawn at the window's present size: measure_board's test (line 1 as long
# as the client height says), reading only the strip of the grab where line 1 lies, since the
# whole of a screen-sized grab is slow to read. Needs menu_h from an earlier measure_board.
grid_fits_client() {
    local png="$work/strip.png" shot="$work/strip.txt" line_x line_top line_len
    "$import_bin" -silent -window "$win" "$png" 2>>"$work/import.log" &&
        pixel_listing "$png" -crop 32x+0+0 >"$shot" 2>>"$work/import.log" ||
        return 1
    read -r line_x line_top line_len < <(find_first_line)
    local expected
    expected=$(awk -v h="$((client_h - menu_h))" \
        'BEGIN { printf "%d", int(h * 15 / 19 + 0.5) * 18 / 15 }')
    ((line_len >= expected - 2 && line_len <= expected + 3))
}

# huge_request <width> <height> <ceiling kB>: asks the X server to make the game's window that
# large, as xdotool does for a script or a window manager's resize, and waits until the window
# has grown but is no larger than the screen, with the board drawn at its new size. Reading
# the game's memory at every look, it fails as soon as the game holds more than the ceiling
# (a leak shows in seconds at these sizes), and when the wait runs out. Leaves the most seen
# in huge_peak_kb.
huge_request() {
    local request_w=$1 request_h=$2 ceiling=$3 screen_w screen_h
    read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }')
    huge_peak_kb=$(rss_kb)
    read_outer
    local before_w=$client_w before_h=$client_h
    xdotool windowsize "$win" "$request_w" "$request_h" ||
        fail "xdotool could not ask for a ${request_w}x${request_h} window"
    within_screen_and_drawn() {
        local now
        now=$(rss_kb)
        [ -n "$now" ] || return 1
        ((now > huge_peak_kb)) && huge_peak_kb=$now
        ((now <= ceiling)) ||
            fail "after a ${request_w}x${request_h} request the game holds $now kB (ceiling $ceiling kB)"
        read_outer
        # Grown, so the request has been seen; and only a window the screen can show is
        # grabbed: a grab of a huge one would be huge.
        ((client_w > before_w || client_h > before_h)) &&
            ((client_w <= screen_w && client_h <= screen_h)) && grid_fits_client
    }
    poll within_screen_and_drawn ||
        fail "after a ${request_w}x${request_h} request the window did not come back within" \
            "the ${screen_w}x${screen_h} screen with its board drawn (client ${client_w}x${client_h}," \
            "most memory seen $huge_peak_kb kB)"
}
