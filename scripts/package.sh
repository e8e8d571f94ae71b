#!/bin/bash
# Builds the Debian package from the Release build (build-release/, shared with
# run.sh) and checks it with lintian. Prints the package's path on standard
# output; everything else goes to standard error.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh package >&2
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVIK_TESTS=OFF >/dev/null
cmake --build build-release >&2
rm -f build-release/tarvik_*.deb
(cd build-release && cpack -G DEB >/dev/null)
deb=$(ls build-release/tarvik_*.deb)
# Errors fail the build; warnings and notes are shown.
lintian --fail-on error --tag-display-limit 0 "$deb" >&2
echo "$PWD/$deb"
