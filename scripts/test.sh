#!/bin/bash
# Builds Tarvik with its tests, checks the house style (scripts/format.sh) and runs
# every test (unit, Linux, integration, and the replay of the fuzzing seeds), then
# the unit tests again under the address and undefined-behaviour sanitizers
# (scripts/sanitize.sh), then builds the Debian package from the Release build and
# checks it. Fails when any part fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-test -j "$(nproc)"
status=0
bash scripts/format.sh --check || status=1
(cd build-test && ctest --output-on-failure --timeout 600 -j 1 --no-tests=error) || status=1
bash scripts/sanitize.sh || status=1
if deb=$(bash scripts/package.sh | tail -1); then
  bash tests/package/check_package.sh "$deb" build-release || status=1
else
  echo "the Debian package could not be built" >&2
  status=1
fi
exit $status
