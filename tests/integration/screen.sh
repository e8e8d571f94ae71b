#!/bin/bash
# Runs a program on a private virtual screen (Xvfb + openbox + a tray host),
# waits, saves a screenshot and stops what it started.
#   screen.sh OUT.png SECONDS program [args...]
set -euo pipefail
out=$1; secs=$2; shift 2
PIDS=()
cleanup() { for ((i=${#PIDS[@]}-1; i>=0; i--)); do kill "${PIDS[i]}" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "${tmp:-}"; }
trap cleanup EXIT
wait_for() { for _ in $(seq 100); do eval "$1" >/dev/null 2>&1 && return 0; sleep 0.1; done; echo "timeout: $1" >&2; return 1; }
tmp=$(mktemp -d /tmp/tarvik-screen.XXXXXX)
mkdir -m 700 "$tmp/run"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$tmp/run}
exec 3> "$tmp/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 & PIDS+=($!)
exec 3>&-
wait_for "test -s '$tmp/display'"
export DISPLAY=:$(head -1 "$tmp/display")
wait_for xdpyinfo
openbox --sm-disable >/dev/null 2>&1 & PIDS+=($!)
wait_for "xprop -root _NET_SUPPORTING_WM_CHECK | grep 'window id' >/dev/null"
if command -v trayer >/dev/null; then
  trayer --edge bottom --align right --widthtype request --height 24 >/dev/null 2>&1 & PIDS+=($!)
fi
"$@" & PIDS+=($!)
sleep "$secs"
import -window root "$out"
