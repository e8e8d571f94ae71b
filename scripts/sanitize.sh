#!/bin/bash
# Builds the unit tests with AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan/) and runs them, with the replay of the fuzzing seeds. Any
# finding fails the run. The integration tests are left to scripts/test.sh.
#   bash scripts/sanitize.sh
set -euo pipefail
cd "$(dirname "$0")/.."
lanceur=()
command -v ccache >/dev/null && lanceur=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [[ ! -f build-asan/CMakeCache.txt ]]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVIK_SANITIZE=ON "${lanceur[@]}" >/dev/null
fi
verrou=()
command -v flock >/dev/null && verrou=(flock /tmp/tarvik-build.lock)
"${verrou[@]}" cmake --build build-asan -j "$(nproc)"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
cd build-asan
ctest --output-on-failure --timeout 600 -j 1 -E '^integration\.'
