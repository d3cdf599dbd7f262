#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real Tessarin binary as a blind player meets it: its own D-Bus session and accessibility
# bus (at-spi2-core), its own X server with a window manager, the game with accessibility on,
# GNOME's screen reader Orca with default settings speaking through speech-dispatcher's dummy
# module, and a small reader (a11y_reader.py, pyatspi) that plays a game from the keyboard
# with real key events, checking what it reads and, from Orca's debug log, what Orca says.
# A missing tool fails it, as does the watchdog (TESSARIN_A11Y_WATCHDOG: seconds the whole run
# may take, default 120); the scratch folder keeps orca.log.
set -u -o pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=x11_driver.sh
source "$here/x11_driver.sh"
# Debian's own python: pyatspi is installed for it, not for another python3 on PATH.
python=/usr/bin/python3
libexec=/usr/libexec

if [ "${2:-}" != --inside ]; then
    missing_extras() {
        "$python" -c 'import pyatspi' 2>/dev/null || echo "pyatspi for $python (python3-pyatspi)"
        "$python" -c 'import orca.debug' 2>/dev/null || echo "orca for $python (orca)"
    }
    # A reader's check is not one to skip quietly.
    e2e_on_missing=fail
    e2e_begin a11y "${1:-}" dbus-run-session dbus-send timeout "$libexec/at-spi-bus-launcher" \
        "$libexec/at-spi2-registryd" /usr/bin/orca speech-dispatcher \
        /usr/lib/speech-dispatcher-modules/sd_dummy
    # The account lives in the scratch folder before the session bus starts, so that the bus,
    # and every service it starts (the accessibility bus, dconf, speech), finds it there.
    export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
    export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
    mkdir -p "$HOME" "$XDG_CONFIG_HOME/speech-dispatcher" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" \
        "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    # Speech goes to the dummy module, its sound to libao's null driver: nothing is heard.
    echo default_driver=null >"$HOME/.libao"
    printf '%s\n' 'AudioOutputMethod "libao"' 'AddModule "dummy" "sd_dummy" ""' \
        'DefaultModule dummy' >"$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf"
    watchdog=${TESSARIN_A11Y_WATCHDOG:-120}
    # A bus, Orca or a reader that hangs must not hang the test run: the watchdog ends it.
    timeout --kill-after=10 "$watchdog" dbus-run-session -- \
        bash "${BASH_SOURCE[0]}" "$game" --inside "$work"
    status=$?
    if [ "$status" = 124 ] || [ "$status" = 137 ]; then
        echo "FAIL: the watchdog ended the run after ${watchdog}s" >&2
        exit 1
    fi
    [ "$status" = 0 ] && passed=1
    exit "$status"
fi

# --- Inside the private D-Bus session ---------------------------------------------------------

game=$1 work=$3
orca_pid="" speech_pid=""
inside_cleanup() {
    # Orca ends cleanly on TERM (while the game still answers it), and its log, written line
    # by line, keeps every line even if it must be killed.
    stop_pid "$orca_pid"
    stop_pid "$speech_pid"
    x11_cleanup
}
trap inside_cleanup EXIT
trap 'exit 1' INT TERM HUP
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

# Started here, in the foreground, so that it is ours to stop; Orca finds it by its socket.
speech-dispatcher --run-single --timeout 0 --config-dir "$XDG_CONFIG_HOME/speech-dispatcher" \
    >"$work/speech-dispatcher.log" 2>&1 &
speech_pid=$!
speech_up() { [ -S "$XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock" ]; }
poll speech_up || fail "speech-dispatcher did not open its socket: $(tail -n 5 "$work/speech-dispatcher.log")"

# The desktop's mail opener, recorded: the mail link goes to $work/mail.log.
mkdir -p "$work/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\n' "$work/mail.log" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
# With a screen reader listening to keys, Qt 6.4's AT-SPI bridge forwards each key event to it
# and leaks the copy it makes (a QKeyEvent allocated in libQt6Gui, no frame of ours): leak
# checks are off for this one run of a sanitizer build; every other check stays on.
start_game env PATH="$work/bin:$PATH" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" "$game"
poll decorated_and_square || fail "the window is not square"
xdotool windowactivate "$win" 2>/dev/null
poll is_active || fail "the game window never became active"

# Orca as installed, with default settings and its debug log on, on an English desktop (the
# speech server is asked for the desktop's language unless a text tells its own). The log is
# opened line-buffered, as --debug-file does not: the reader follows it while Orca runs.
LANG=en_US.UTF-8 "$python" -c '
import runpy, sys
from orca import debug
debug.debugLevel, debug.eventDebugLevel = debug.LEVEL_ALL, debug.LEVEL_OFF
debug.debugFile = open(sys.argv[1], "w", buffering=1)
sys.argv = ["orca"]
runpy.run_path("/usr/bin/orca", run_name="__main__")' "$work/orca.log" >"$work/orca.out" 2>&1 &
orca_pid=$!

"$python" "$here/a11y_reader.py" "$game_pid" "$limit" "$work/orca.log" "$work/mail.log" ||
    fail "the reader's checks failed (Orca's log: $work/orca.log)"
# Orca's shutdown waits on the applications it listens to: a sanitizer build's can be slow.
stop_pid "$orca_pid" "$limit"
grep -q "ORCA: Shutdown complete" "$work/orca.log" || fail "Orca did not end cleanly on TERM"
orca_pid=""
close_politely
