#!/usr/bin/env bash
# Installs what is missing, builds Tessarin and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build --target tessarin -j"$(nproc)"
exec ./build/app/tessarin "$@"
