#!/bin/bash
# The bar's dock window on a real X server with openbox: the shell service reserves
# the strip (the work area shrinks), gives it back, places the bar below another
# program's bar and below the window manager's own top margin (also when docking
# again), and slides the window above the screen's top edge.
# Run by ctest under services.sh; $1 is the program, the test binaries live beside it.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
tests=$(build_dir_of "$1")/tests/test_linux
[[ -x $tests ]] || { fail "no test binary at $tests"; finish; }

expect_eq "work area whole before" 0 "$(workarea_top)"
out=$(QT_QPA_PLATFORM=xcb "$tests" --gtest_filter='ShellLive.*' 2>&1)
code=$?
echo "$out"
if ((code != 0)); then fail "shell tests on the X server"; fi
if grep -q '^\[  SKIPPED \]' <<<"$out"; then fail "shell tests skipped although the services run"; fi
wait_for '[[ $(workarea_top) == 0 ]]' 5
expect_eq "work area whole after" 0 "$(workarea_top)"
finish
