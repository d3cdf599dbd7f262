#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Replies per second of pbrain-tessarin through its pipes: two brains play 50 whole games
# against each other under the test's manager, which times every command from the moment it
# is written to the moment the reply is read; on boards of 15, 19 and 20 lines.
#   bash bench/measure_brain.sh [build-dir]
set -euo pipefail
build=${1:-build-test}
here=$(cd "$(dirname "$0")" && pwd)
for size in 15 19 20; do
    /usr/bin/python3 "$here/../tests/brain/manager.py" bench "$build/brain/pbrain-tessarin" "$size"
done
