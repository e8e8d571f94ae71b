#!/bin/bash
# What a real X server shows of the picture boxes (the meters): their pixels,
# one for one, tick after tick of a graph moving left under a caption (the
# server moves what it shows where nothing covers the box), with the rows
# copied straight into the window's backing image; one paint per round of
# drawing (a timer's tick included), none for a round that changes no pixel;
# and the same with the changed parts sent straight to the window (the bar's
# way), also across an expose. Run with the images sent over the socket (the
# bar's way) and with images shared with the server.
# Run by ctest under services.sh; $1 is the program, the test binaries live beside it.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
tests=$(build_dir_of "$1")/tests/test_forms
[[ -x $tests ]] || { fail "no test binary at $tests"; finish; }

filtre='Controles.TheWindowShowsAPictureBoxPixelForPixel:Controles.PartsSentStraightToTheServerShowTheBoxPixelForPixel:Controles.EachRoundOfDrawingIsPaintedOnce*:Controles.ARoundThatChangesNoPixelIsNotRepainted:Controles.WhatATickDrawsIsPaintedOnce*'
for partage in without with; do
  if [[ $partage == without ]]; then env=(env QT_XCB_NO_MITSHM=1); else env=(env -u QT_XCB_NO_MITSHM); fi
  out=$("${env[@]}" QT_QPA_PLATFORM=xcb "$tests" --gtest_filter="$filtre" 2>&1)
  code=$?
  echo "$out"
  if ((code != 0)); then fail "picture boxes on the X server ($partage shared images)"; fi
  if ! grep -q '^\[  PASSED  \] 5 tests' <<<"$out"; then fail "the five tests ran ($partage shared images)"; fi
done
finish
