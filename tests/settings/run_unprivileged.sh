#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test binary as an ordinary user: root ignores file permissions, so tests of what
# happens when a file cannot be read or written would prove nothing as root. As root it also
# makes what only root can: another user's stale lock in a folder where only a file's owner may
# remove it (TESSARIN_FOREIGN_LOCK_HOME).
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
    exec "$@"
fi
user=$(getent passwd nobody | cut -d: -f3)
group=$(getent group nogroup | cut -d: -f3)
foreign=$(mktemp -d)
trap 'rm -rf "$foreign"' EXIT
chmod 755 "$foreign"
mkdir -m 1777 "$foreign/Tessarin"
# QLockFile's own contents: the process (one that is not running), the program, the machine.
printf '%s\nTessarin\n%s\n' 4194303 "$(hostname)" >"$foreign/Tessarin/Tessarin.lock"
export HOME=/tmp TMPDIR=/tmp TESSARIN_FOREIGN_LOCK_HOME=$foreign
setpriv --reuid="$user" --regid="$group" --clear-groups "$@"
