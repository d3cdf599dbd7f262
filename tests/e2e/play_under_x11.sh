#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays the real Tessarin binary on its own X server with a window manager, using real pointer
# and keyboard input (XTEST through xdotool) and the window's pixels as the judge.
# TESSARIN_SCREENSHOT_DIR, when set, receives screenshot.png of a game in progress.
set -u -o pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=x11_driver.sh
source "$here/x11_driver.sh"

e2e_begin e2e "${1:-}"

step() { echo "e2e: $*"; }

settings_file() { echo "$XDG_CONFIG_HOME/Tessarin/Tessarin.ini"; }

# Value of a key in section [Info] of the settings file.
setting() {
    awk -F= -v key="$1" '
        /^\[/ { section = $0; next }
        section == "[Info]" && $1 == key { sub(/\r$/, "", $2); print $2; found = 1 }
        END { exit !found }' "$(settings_file)"
}

started=$SECONDS
x11_start_session
step "X server on $DISPLAY with openbox"

# --- First run: nothing stored yet ------------------------------------------------------------

start_game "$game"
step "game window $win (pid $game_pid)"

# (a) Square by its outer size once the window manager has framed it.
poll decorated_and_square ||
    fail "window not square by its outer size: client ${client_w}x${client_h}, frame" \
        "left/right/top/bottom $frame_left/$frame_right/$frame_top/$frame_bottom," \
        "outer ${outer_w}x${outer_h}"
step "ok (a) decorated and square: outer ${outer_w}x${outer_h}, client ${client_w}x${client_h}"

poll measure_board ||
    fail "no grid sized from the client height ${client_h}px on screen (line 1 at" \
        "x=${line_x:-?} from y=${line_top:-?}, ${line_len:-0}px long; cell ${cell:-?} twips)"
step "grid: menu bar ${menu_h}px, drawing area ${canvas_h}px high, cell $cell twips"

# (b) The title follows the pointer.
hover 10 10
hover 3 17
hover 17 4
step "ok (b) title follows the pointer, now \"$(title)\""

# (c) A click on the centre: red there, black on a neighbour, nothing else.
grab || fail "screenshot failed"
board=$(read_board)
[ "$board" = "$empty_board" ] || fail "board not empty before the first move:
$board"
play 10 10
reply=$(first_with B 9,9 10,9 11,9 9,10 11,10 9,11 10,11 11,11 | tr ' ' ,)
(($(count_of "$board" R) == 1 && $(count_of "$board" B) == 1)) && [ -n "$reply" ] ||
    fail "after a click on (10,10) expected one red stone there and one black stone next to it:
$board"
step "ok (c) red stone at (10,10), the computer answered at ($reply)"

# (d) A click on the computer's point is refused: nothing drawn, no reply. The next real move
# is handled after it, so once that move shows, the refused click has been dealt with too.
after_first=$board
hover "${reply%,*}" "${reply#*,}"
xdotool click 1
read -r next_c next_r < <(free_point 8,8 12,12 8,12 12,8) || fail "no free point for the next move"
play "$next_c" "$next_r" "after a click on the computer's stone at ($reply)"
changed=$(paste <(fold -w1 <<<"$after_first") <(fold -w1 <<<"$board") | awk '$1 != $2' | wc -l)
(($(count_of "$board" R) == 2 && $(count_of "$board" B) == 2 && changed == 2)) ||
    fail "a click on the computer's point ($reply) changed the board; before it:
$after_first
after it and a move at ($next_c,$next_r):
$board"
step "ok (d) a click on the computer's stone at ($reply) changed nothing"

# A game in progress for the README.
if [ -n "${TESSARIN_SCREENSHOT_DIR:-}" ]; then
    read -r c r < <(free_point 9,11 11,9 9,9 11,11) && play "$c" "$r"
    read -r c r < <(free_point 12,10 8,10 10,12 10,8) && play "$c" "$r"
    hover 10 10
    frame=$(xwininfo -children -id "$win" | awk '/Parent window id/ {print $4}')
    mkdir -p "$TESSARIN_SCREENSHOT_DIR"
    # The window manager repaints its title bar after the title change; give it a moment.
    sleep 0.3
    "$import_bin" -silent -window "${frame:-$win}" "$TESSARIN_SCREENSHOT_DIR/screenshot.png" ||
        fail "could not save the screenshot"
    step "screenshot saved to $TESSARIN_SCREENSHOT_DIR/screenshot.png"
fi

# (e) Nothing is stored during play without a win; the window manager's close stores both.
[ ! -e "$(settings_file)" ] || fail "settings written before the window closed: $(cat "$(settings_file)")"
close_politely
[ -f "$(settings_file)" ] || fail "closing the window did not write $(settings_file)"
person=$(setting PersonGrade) || fail "no PersonGrade in [Info]: $(cat "$(settings_file)")"
computer=$(setting ComputerGrade) || fail "no ComputerGrade in [Info]: $(cat "$(settings_file)")"
[ "$person" = 0 ] && [ "$computer" = 0 ] ||
    fail "a first run without a win stored PersonGrade=$person ComputerGrade=$computer, not 0 and 0"
step "ok (e) the window manager's close stored PersonGrade=0 and ComputerGrade=0"

# --- Second run: a stored tally of 7 to 3 -----------------------------------------------------

printf '[Info]\nPersonGrade=7\nComputerGrade=3\n' >"$(settings_file)"
start_game "$game"
poll decorated_and_square || fail "second run: the window is not square"

# (f) The Score command (Alt+G) opens a message box titled Tessarin, owned by the board window.
xdotool windowactivate "$win" 2>/dev/null
poll is_active || fail "the game window never became active"
# A key pressed while the focus is still on its way can be lost; ask again every two seconds.
# Once the modal box is up, a repeated Alt+G goes to the box and does nothing.
tries=0
ask_score() {
    find_box && return 0
    ((tries++ % 20 == 0)) && xdotool key alt+g
    return 1
}
poll ask_score || fail "Alt+G (the Score menu item) opened no window titled Tessarin"
owner=$(xprop -id "$box" WM_TRANSIENT_FOR 2>/dev/null | awk '/window id/ {print $NF}')
[ $((${owner:-0})) = $((win)) ] ||
    fail "the score box is not owned by the board window (transient for ${owner:-nothing})"
xdotool windowactivate "$box" 2>/dev/null
xdotool key Return
poll box_gone || fail "Return did not close the score box"
step "ok (f) the Score command opened a message box owned by the board window"

# (g) A tally edited while the game is open (by the player, or by another copy's save) is what
# a close without a win leaves: it adds no wins, so it must not write back the 7:3 it read.
printf '[Info]\nPersonGrade=2\nComputerGrade=9\n' >"$(settings_file)"
close_politely
person=$(setting PersonGrade) || fail "the second close left no PersonGrade"
computer=$(setting ComputerGrade) || fail "the second close left no ComputerGrade"
[ "$person" = 2 ] && [ "$computer" = 9 ] ||
    fail "the tally edited to 2:9 came back as PersonGrade=$person ComputerGrade=$computer"
step "ok (g) a close without a win left the tally edited meanwhile (2:9) as it was"

# (h) Qt's own options reach the toolkit: -reverse mirrors the layout (the menu bar's items
# stand at its right end), -stylesheet starts the window rather than printing the help.
# The leftmost and rightmost dark pixel of the menu bar's middle rows in the last screenshot.
menu_ink() {
    awk -F'[,:() ]+' -v top=$((menu_h / 2 - 3)) -v bottom=$((menu_h / 2 + 3)) '
        NR > 1 && $2 >= top && $2 <= bottom && $4 + $5 + $6 < 300 {
            if (min == "" || $1 < min) min = $1; if ($1 > max) max = $1 }
        END { print min + 0, max + 0 }' "$shot"
}
for option in -reverse "-stylesheet /dev/null"; do
    # shellcheck disable=SC2086 # the option and its value are two words
    start_game "$game" $option
    poll decorated_and_square || fail "tessarin $option: no square window"
    grep -q -i usage "$work/game.log" && fail "tessarin $option printed the help"
    grab || fail "screenshot failed"
    read -r ink_left ink_right < <(menu_ink)
    if [ "$option" = -reverse ]; then
        ((ink_right > client_w - 30 && ink_left > client_w / 4)) ||
            fail "-reverse did not mirror the menu bar: its text from x=$ink_left to $ink_right" \
                "of ${client_w}px"
    else
        ((ink_left < 30 && ink_right < client_w * 3 / 4)) ||
            fail "$option: the menu bar's text from x=$ink_left to $ink_right of ${client_w}px"
    fi
    step "ok (h) tessarin $option started the window, menu text from x=$ink_left to $ink_right"
    close_politely
done

passed=1
step "all checks passed in $((SECONDS - started))s"
