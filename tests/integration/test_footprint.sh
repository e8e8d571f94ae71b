#!/bin/bash
# What the running bar keeps in memory that it does not use: once started with
# fresh settings and docked,
# - it holds no generated code (an anonymous executable mapping: a regular
#   expression compiled to machine code, for instance);
# - it has not loaded the TLS library or Qt's TLS back end (no secure mail
#   connection was asked for).
# Run by ctest under services.sh; $1 is the program.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
prog=$1
[[ -x $prog ]] || { fail "no program at $prog"; finish; }
ini=${XDG_CONFIG_HOME:-$HOME/.config}/tarvik/$(basename "$prog").ini
log=${TARVIK_SERVICES_DIR:-/tmp}/test_footprint.log
PID=
cleanup() { [[ -n $PID ]] && stop "$PID"; }
trap cleanup EXIT

SW=$(screen_width)
strut() { xprop -id "$1" _NET_WM_STRUT_PARTIAL 2>/dev/null | sed -n 's/.* = //p'; }

fresh_settings "$ini"
"$prog" >>"$log" 2>&1 &
PID=$!
if ! wait_for bar_window 30; then
  fail "no bar as wide as the screen appeared"
  finish
fi
BAR=$(bar_window)
wait_for "[[ -n \$(strut $BAR) ]]" 10

maps=$(cat "/proc/$PID/maps")
# Anonymous mappings have no path; the kernel's own ([vdso] ...) are named.
generated=$(awk '$2 ~ /x/ && $6 == ""' <<<"$maps")
expect_eq "no anonymous executable mapping" "" "$generated"
tls=$(awk '$6 ~ /libssl|opensslbackend|\/tls\//' <<<"$maps" | awk '{print $6}' | sort -u)
expect_eq "neither the TLS library nor Qt's TLS back end is loaded" "" "$tls"

stop "$PID"; PID=
expect_eq "the program ends on SIGTERM with status 0" 0 "$COLLECTED"
finish
