#!/usr/bin/env bash
# The real Tessarin binary as a screen reader meets it: its own D-Bus session and
# accessibility bus (at-spi2-core), its own X server with a window manager, the game with
# accessibility on, and a small reader (a11y_reader.py, pyatspi) that plays from the keyboard
# with real key events and checks what it reads.
#
#   a11y_under_x11.sh <path to tessarin>
#
# Exit 0: all checks passed; 1: a check failed, a tool is missing, or the watchdog fired (the
# message says which). TESSARIN_E2E_TIMEOUT: seconds any one wait may take (default 30);
# TESSARIN_A11Y_WATCHDOG: seconds the whole run may take (default 240).
set -u -o pipefail

game=${1:?usage: a11y_under_x11.sh <path to tessarin>}
limit=${TESSARIN_E2E_TIMEOUT:-30}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=x11_driver.sh
source "$here/x11_driver.sh"
# Debian's own python: pyatspi is installed for it, not for another python3 on PATH.
python=/usr/bin/python3
libexec=/usr/libexec

if [ "${2:-}" != --inside ]; then
    missing=$(
        x11_missing_tools
        for tool in dbus-run-session dbus-send timeout; do
            command -v "$tool" >/dev/null || echo "$tool"
        done
        [ -x "$libexec/at-spi-bus-launcher" ] || echo "$libexec/at-spi-bus-launcher (at-spi2-core)"
        [ -x "$libexec/at-spi2-registryd" ] || echo "$libexec/at-spi2-registryd (at-spi2-core)"
        "$python" -c 'import pyatspi' 2>/dev/null || echo "pyatspi for $python (python3-pyatspi)"
    )
    if [ -n "$missing" ]; then
        echo "FAIL: not installed (scripts/setup-debian.sh installs them):" $missing >&2
        exit 1
    fi
    [ -x "$game" ] || { echo "FAIL: no game binary at $game" >&2; exit 1; }
    watchdog=${TESSARIN_A11Y_WATCHDOG:-240}
    # A bus or a reader that hangs must not hang the test run: the watchdog ends the session.
    timeout --kill-after=10 "$watchdog" dbus-run-session -- bash "${BASH_SOURCE[0]}" "$game" --inside
    status=$?
    if [ "$status" = 124 ] || [ "$status" = 137 ]; then
        echo "FAIL: the watchdog ended the run after ${watchdog}s" >&2
        exit 1
    fi
    exit "$status"
fi

# --- Inside the private D-Bus session ---------------------------------------------------------

e2e_begin a11y
fail() { e2e_fail "$@"; }

x11_start_session
# The accessibility bus of this session: asking for its address starts at-spi-bus-launcher,
# which starts the bus and, on it, the registry. (The session's dbus-daemon says so on stderr.)
bus_address() {
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        2>/dev/null | grep -q 'string "'
}
poll bus_address || fail "the accessibility bus did not come up"
echo "a11y: X server on $DISPLAY, accessibility bus up"

start_game env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$game"
poll decorated_and_square || fail "the window is not square"
is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$win" ]; }
xdotool windowactivate "$win" 2>/dev/null
poll is_active || fail "the game window never became active"

"$python" "$here/a11y_reader.py" "$game_pid" "$limit" || fail "the reader's checks failed"
close_politely
passed=1
