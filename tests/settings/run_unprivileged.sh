#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test binary as an ordinary user: root ignores file permissions, so tests of what
# happens when a file cannot be read or written would prove nothing as root.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
    exec "$@"
fi
user=$(getent passwd nobody | cut -d: -f3)
group=$(getent group nogroup | cut -d: -f3)
export HOME=/tmp TMPDIR=/tmp
exec setpriv --reuid="$user" --regid="$group" --clear-groups "$@"
