#!/bin/bash
# The house style of the C++ sources, kept by clang-format (.clang-format).
#   bash scripts/format.sh          rewrites every source file in that style
#   bash scripts/format.sh --check  changes nothing; fails, naming the places, when a file differs
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || bash scripts/deps.sh format
mapfile -t fichiers < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h')
if [[ ${1:-} == --check ]]; then
  clang-format --dry-run --Werror "${fichiers[@]}"
  echo "clang-format: ${#fichiers[@]} files in the house style"
else
  clang-format -i "${fichiers[@]}"
fi
