#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what the game needs if anything is missing (no root needed when nothing is), builds
# Tessarin in build-play/ and starts it. The tests' tools are not needed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh --game
cmake -S . -B build-play -DCMAKE_BUILD_TYPE=Release -DTESSARIN_BUILD_TESTS=OFF -DTESSARIN_BUILD_BENCHMARKS=OFF
cmake --build build-play --target tessarin -j"$(nproc)"
exec ./build-play/app/tessarin "$@"
