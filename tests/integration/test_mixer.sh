#!/bin/bash
# The mixer and sound services against a real PulseAudio server with a null sink:
# volumes and mute set here show in the server and the other way round, without
# the server nothing opens and nothing is printed, and a WAV file plays to its end.
# Run by ctest under services.sh; $1 is the program, the test binaries live beside it.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
tests=$(build_dir_of "$1")/tests/test_linux
[[ -x $tests ]] || { fail "no test binary at $tests"; finish; }

out=$(QT_QPA_PLATFORM=offscreen "$tests" --gtest_filter='MixerLive.*:SoundLive.*' 2>&1)
code=$?
echo "$out"
if ((code != 0)); then fail "mixer and sound tests on the sound server"; fi
if grep -q '^\[  SKIPPED \]' <<<"$out"; then fail "mixer tests skipped although the services run"; fi
finish
