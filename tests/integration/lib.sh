#!/bin/bash
# Helpers for integration test scripts; source it:  . "$(dirname "$0")/lib.sh"
# The scripts run under services.sh (a private X display, sound server, POP3).
# They set pipefail, so a pipeline that looks for a line ends in `grep ... >/dev/null`,
# never `grep -q`: grep -q stops at the first match, and a writer that still has output
# then dies of SIGPIPE, which fails the pipeline although the line was there.

TK_FAILURES=0

# wait_for COMMAND [SECONDS=10]: runs COMMAND (a string, eval'd) until it succeeds.
wait_for() {
  local tries=$(( ${2:-10} * 10 ))
  for ((i = 0; i < tries; i++)); do
    eval "$1" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "timeout after ${2:-10}s: $1" >&2
  return 1
}

# The work area the window manager publishes: "x y width height" of its first rectangle.
workarea() {
  xprop -root _NET_WORKAREA 2>/dev/null | sed -n 's/^_NET_WORKAREA(CARDINAL) = //p' | tr -d ',' | awk '{print $1, $2, $3, $4}'
}

# The top of the work area in pixels (the first rectangle's y); empty without a window manager.
workarea_top() {
  workarea | awk '{print $2}'
}

# The absolute geometry of a window: "x y width height".
window_geometry() {
  [[ -n ${1:-} ]] || return 1 # xwininfo without an id would wait for a click
  xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X:/ {x=$NF} /Absolute upper-left Y:/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {if (w != "") print x, y, w, h}'
}

# The screen's width in pixels.
screen_width() { xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1]; exit}'; }

# bar_window [WIDTH]: the program's visible window WIDTH pixels wide (by default
# $SW, else the screen's width): the bar.
bar_window() {
  local id w=${1:-${SW:-$(screen_width)}}
  for id in $(xdotool search --onlyvisible --classname tarvik 2>/dev/null); do
    [[ $(window_geometry "$id" | awk '{print $3}') == "$w" ]] && { echo "$id"; return 0; }
  done
  return 1
}

# bar: the bar's window id, remembered between calls (in a file: callers run it
# in subshells) and looked up again, with a note, when that window is gone, so
# that a window replaced under the script cannot make every later check read
# nothing. new_bar forgets it, for a program that is starting again.
TK_BAR_FILE=$(mktemp "${TARVIK_SERVICES_DIR:-/tmp}/bar.XXXXXX")
bar() {
  local id old
  old=$(cat "$TK_BAR_FILE" 2>/dev/null)
  if [[ -n $old ]] && xwininfo -id "$old" >/dev/null 2>&1; then echo "$old"; return 0; fi
  id=$(bar_window) || return 1
  [[ -n $old && $id != "$old" ]] && echo "note: the bar's window is now $id (was $old)" >&2
  echo "$id" >"$TK_BAR_FILE"
  echo "$id"
}
new_bar() { : >"$TK_BAR_FILE"; }

# The first visible window whose WM_CLASS or name matches a pattern (xdotool).
find_window() {
  local id
  id=$(xdotool search --onlyvisible --classname "$1" 2>/dev/null | head -1)
  [[ -n $id ]] || id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
  [[ -n $id ]] && echo "$id"
}

# fresh_settings INI: the program's settings with only what every test run needs:
# no automatic update check, and the update and report server on a loopback port
# where nothing listens (nothing may leave the machine). Further lines may be
# appended under [Settings].
fresh_settings() {
  mkdir -p "$(dirname "$1")"
  printf '[Settings]\nmajAuto=0\nadresseServeur=http://127.0.0.1:9\n' >"$1"
}

pass() { echo "PASS: $*"; }

# fail MESSAGE: reports a failed check and lets the script go on; finish reports the total.
fail() {
  echo "FAIL: $*" >&2
  TK_FAILURES=$((TK_FAILURES + 1))
}

# check DESCRIPTION COMMAND...: runs COMMAND, reporting pass or fail.
check() {
  local what=$1; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}

# expect_eq DESCRIPTION EXPECTED ACTUAL
expect_eq() {
  if [[ "$2" == "$3" ]]; then pass "$1 ($3)"; else fail "$1: expected '$2', got '$3'"; fi
}

# screenshot NAME: saves the whole screen as NAME.png in $TARVIK_SCREENSHOTS (or the
# services' log folder) and prints the path.
screenshot() {
  local dir=${TARVIK_SCREENSHOTS:-${TARVIK_SERVICES_DIR:-/tmp}}
  mkdir -p "$dir"
  import -window root "$dir/$1.png" && echo "screenshot: $dir/$1.png"
}

# finish: exit status of the script, 0 when no check failed.
finish() {
  if ((TK_FAILURES > 0)); then
    echo "$TK_FAILURES check(s) failed" >&2
    exit 1
  fi
  echo "all checks passed"
  exit 0
}

# The build directory, from the program's path given to every integration script.
build_dir_of() {
  (cd "$(dirname "$1")" && pwd)
}

# ended PID: the process is gone, or a zombie waiting to be collected.
ended() { [[ ! -e /proc/$1 ]] || [[ $(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) == Z ]]; }

# collect PID [SECONDS=20]: waits at most SECONDS for a child process that was
# asked to end; one that does not is a failure of its own, reported with the
# stacks of its threads and killed, never a hang of the whole script.
# Sets COLLECTED to the exit status (137 when it had to be killed).
collect() {
  COLLECTED=0
  if ! wait_for "ended $1" "${2:-20}"; then
    fail "process $1 did not end within ${2:-20} s"
    for id in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
      echo "  window still shown: $id '$(xdotool getwindowname "$id")' $(window_geometry "$id")" >&2
    done
    command -v gdb >/dev/null && gdb -p "$1" -batch -ex 'thread apply all bt' 2>&1 | grep -v '^\[New LWP' >&2
    kill -KILL "$1" 2>/dev/null
  fi
  wait "$1" 2>/dev/null || COLLECTED=$?
}

# stop PID: SIGTERM, then collect.
stop() {
  kill -TERM "$1" 2>/dev/null
  collect "$1"
}
