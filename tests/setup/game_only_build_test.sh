#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A machine with only the game's packages: with the test and benchmark libraries hidden from
# CMake, a plain configuration still sets up the game and leaves the tests and benchmarks out;
# asking for the tests there fails loudly instead.
#
#   game_only_build_test.sh <source folder>
set -euo pipefail
source_dir=${1:?usage: game_only_build_test.sh <source folder>}
work=$(mktemp -d "${TMPDIR:-/tmp}/tessarin-game-only.XXXXXX")
trap 'rm -rf "$work"' EXIT
hide=(-DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON)

cmake -S "$source_dir" -B "$work/plain" "${hide[@]}" >"$work/plain.log" 2>&1 ||
    { cat "$work/plain.log"; echo "FAIL: a plain configuration without the test libraries failed"; exit 1; }
targets=$(cmake --build "$work/plain" --target help)
grep -q '\btessarin\b' <<<"$targets" || { echo "FAIL: no tessarin target"; exit 1; }
if grep -qE '\b(board_window_tests|engine_bench)\b' <<<"$targets"; then
    echo "FAIL: tests or benchmarks set up without their libraries"; exit 1
fi
echo "ok: without the test libraries, the game alone is set up"

if cmake -S "$source_dir" -B "$work/insist" "${hide[@]}" -DTESSARIN_BUILD_TESTS=ON >"$work/insist.log" 2>&1; then
    echo "FAIL: TESSARIN_BUILD_TESTS=ON configured without GoogleTest"; exit 1
fi
echo "ok: TESSARIN_BUILD_TESTS=ON without GoogleTest fails the configuration"
