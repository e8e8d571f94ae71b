#!/bin/bash
# Builds the fuzzing harnesses with clang and libFuzzer (build-fuzz/) and runs
# each for the given number of seconds (default 60), starting from its seed
# corpus in fuzz/corpus/<name>. New inputs go to build-fuzz/corpus/<name>, the
# seeds in the repository are left as they are. Prints the runs of each
# harness; stops with an error at the first crash (the input is kept in
# build-fuzz/crashes/).
#   bash scripts/fuzz.sh [seconds] [harness...]
set -euo pipefail
cd "$(dirname "$0")/.."
secondes=${1:-60}
shift || true
harnais=("$@")
((${#harnais[@]})) || harnais=(pop3 reglages maj systeme format wav)

bash scripts/deps.sh test fuzz
lanceur=()
command -v ccache >/dev/null && lanceur=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [[ ! -f build-fuzz/CMakeCache.txt ]]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARVIK_FUZZ=ON "${lanceur[@]}" >/dev/null
fi
cibles=()
for h in "${harnais[@]}"; do cibles+=("fuzz_$h"); done
# One build at a time on a shared machine: the lock is taken when it exists.
verrou=()
command -v flock >/dev/null && verrou=(flock /tmp/tarvik-build.lock)
"${verrou[@]}" cmake --build build-fuzz -j "$(nproc)" --target "${cibles[@]}"

mkdir -p build-fuzz/crashes
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export QT_QPA_PLATFORM=offscreen
echo "harness runs seconds"
for h in "${harnais[@]}"; do
  travail=build-fuzz/corpus/$h
  mkdir -p "$travail"
  journal=build-fuzz/fuzz_$h.log
  if ! build-fuzz/fuzz/fuzz_"$h" -max_total_time="$secondes" -print_final_stats=1 -max_len=16384 \
      -timeout=10 -rss_limit_mb=2048 -artifact_prefix=build-fuzz/crashes/"$h"- \
      "$travail" "fuzz/corpus/$h" >"$journal" 2>&1; then
    tail -40 "$journal" >&2
    echo "$h: crash, see $journal and build-fuzz/crashes/" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$journal" | tail -1)
  echo "$h ${runs:-?} $secondes"
done
