#!/bin/bash
# Builds Tarvik with its tests and runs every test (unit, Linux, integration, and
# the replay of the fuzzing seeds), then the unit tests again under the address
# and undefined-behaviour sanitizers (scripts/sanitize.sh, about 5 minutes on 2 cores).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-test -j "$(nproc)"
(cd build-test && ctest --output-on-failure --timeout 600 -j 1)
bash scripts/sanitize.sh
