#!/bin/bash
# Builds Tarvik in Release and starts the bar. Without a display, runs it on
# a private virtual screen for a few seconds and saves a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ -n "${DISPLAY:-}" ]]; then bash scripts/deps.sh run; else bash scripts/deps.sh run screen; fi
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVIK_TESTS=OFF >/dev/null
cmake --build build-release
if [[ -n "${DISPLAY:-}" ]]; then
  exec ./build-release/tarvik "$@"
fi
out="$PWD/tarvik-screenshot.png"
bash tests/integration/screen.sh "$out" 8 ./build-release/tarvik "$@"
echo "No display here: the bar ran on a private virtual screen. Screenshot: $out"
