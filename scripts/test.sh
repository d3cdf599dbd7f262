#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds everything and runs every test: once in a normal build
# (build-test/) and once under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/),
# where any report fails the run. The game's own build folder (build-play/) is left alone.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
jobs=$(nproc)

# Runs every test of one build, whatever its label (unit, e2e, and soak: the 100000-event
# soak, which the quick loop `ctest -L unit` leaves out), and shows the figures the robustness
# tests print (soak events survived, settings stores tried), which CTest otherwise keeps to
# itself for passing tests.
run_tests() {
    local build=$1
    ctest --test-dir "$build" --output-on-failure -j"$jobs" \
        --output-junit ctest-results.xml --test-output-size-passed 65536
    grep -h -o -E '(soak (seed|survived)[^<&]*|settings: [^<&]*)' "$build/ctest-results.xml" |
        sed "s|^|$build: |" || true
}

# ON: a missing test library fails the configuration instead of leaving the tests out.
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESSARIN_BUILD_TESTS=ON -DTESSARIN_BUILD_BENCHMARKS=ON
cmake --build build-test -j"$jobs"
run_tests build-test

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTESSARIN_SANITIZE=ON \
    -DTESSARIN_BUILD_TESTS=ON -DTESSARIN_BUILD_BENCHMARKS=OFF
cmake --build build-asan -j"$jobs"
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
run_tests build-asan

# One closing line for both builds (a failing test has already stopped the script above).
attribute() { sed -n "s/.*[[:space:]]$2=\"\([0-9]*\)\".*/\1/p" "$1/ctest-results.xml" | head -n 1; }
sum() { echo $(($(attribute build-test "$1") + $(attribute build-asan "$1"))); }
total=$(sum tests) failures=$(sum failures) skipped=$(sum skipped)
echo "tessarin: $((total - failures - skipped)) passed, $failures failed, $skipped skipped"
