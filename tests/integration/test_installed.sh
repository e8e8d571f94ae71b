#!/bin/bash
# The program as a package installs it, in a folder its user cannot write:
# 1. "tarvik --help" without any display prints the usage and exits 0;
# 2. a forced error (DelayVerif=abc) is logged in $XDG_STATE_HOME/tarvik/err.log,
#    nothing beside the program, and the report sent from the error box
#    carries that log's size;
# 3. the automatic update check finds a newer version on an HTTP server on
#    127.0.0.1, downloads nothing and says so in one box.
# The folder is made read-only (mode 0555). CI runs as root, whom file modes do
# not stop: the program then runs as root without the capabilities that
# override file permissions (setpriv drops them from its bounding set), so the
# modes hold for it as for any user, while it keeps this display and home.
# Run by ctest under services.sh; $1 is the program.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
prog=$1
[[ -x $prog ]] || { fail "no program at $prog"; finish; }

T=$(mktemp -d /tmp/tarvik-installed.XXXXXX)
chmod 755 "$T"
HTTP_PID= pid=
cleanup() {
  [[ -n $pid ]] && kill "$pid" 2>/dev/null
  [[ -n $HTTP_PID ]] && kill "$HTTP_PID" 2>/dev/null
  chmod 755 "$T/bin" 2>/dev/null
  if ((TK_FAILURES == 0)); then rm -rf "$T"; else echo "installed test files kept in $T" >&2; fi
}
trap cleanup EXIT

# ------------------------------------------------------ 1. --help, no display
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u XAUTHORITY "$prog" --help 2>&1)
expect_eq "--help without a display exits" 0 "$?"
check "the usage line" grep -q '^Usage: ' <<<"$out"
check "the usage lists --version" grep -q -- '--version' <<<"$out"
check "the usage says where the settings are" grep -qF "${XDG_CONFIG_HOME:-$HOME/.config}/tarvik/" <<<"$out"
check "the usage says where the log is" grep -q 'err.log' <<<"$out"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prog" --version 2>&1)
expect_eq "--version without a display exits" 0 "$?"
check "--version prints the version" grep -qE '^tarvik [0-9]+\.[0-9]+\.[0-9]+$' <<<"$out"

# ------------------------------------------------ the installed program
B=$T/bin
mkdir -p "$B"
cp "$prog" "$B/tarvik"
chmod 555 "$B"
run=()
if [[ $(id -u) == 0 ]]; then
  run=(setpriv --bounding-set=-dac_override,-dac_read_search --inh-caps=-all --)
fi
check "the program's folder is not writable for it" "${run[@]}" bash -c "! test -w '$B' && ! touch '$B/x' 2>/dev/null"
export XDG_STATE_HOME=$T/state

# An update server with a newer version.
S=$T/server
mkdir -p "$S/tarvik"
echo "9.9.9" >"$S/tarvik/tarvik.ver"
cp "$prog" "$S/tarvik/tarvik.exe"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$S" "$port" >"$T/http.log" 2>&1 &
HTTP_PID=$!
wait_for "nc -z 127.0.0.1 $port" 10 || { fail "HTTP server"; finish; }

mkdir -p "$XDG_CONFIG_HOME/tarvik"
printf '[Settings]\nDelayVerif=abc\nmajAuto=1\nadresseServeur=http://127.0.0.1:%s\n' "$port" \
  >"$XDG_CONFIG_HOME/tarvik/tarvik.ini"
export BROWSER=true
"${run[@]}" "$B/tarvik" >"$T/tarvik.log" 2>&1 &
pid=$!

# ------------------------------------------------ 2. the error and its log
box() { xdotool search --onlyvisible --name '^Tarvik$' 2>/dev/null | head -1; }
answer() { # presses Return in the box $1 and waits for it to go. The key goes
  # through the X server's test extension, as a real key would: a key event
  # sent to the window itself (xdotool key --window) was seen to be taken
  # again by the next box the program opened, which then closed at once.
  local i
  for i in 1 2 3; do
    xdotool windowactivate --sync "$1" 2>/dev/null
    xdotool key Return
    wait_for "! xdotool search --onlyvisible --name '^Tarvik\$' | grep -x '$1' >/dev/null" 5 && return 0
  done
  return 1
}
log=$XDG_STATE_HOME/tarvik/err.log
if wait_for '[[ -n $(box) ]]' 30; then
  pass "the error box is shown"
  screenshot installed-error >/dev/null
  answer "$(box)" # OK: the line is logged, then the report is sent
  wait_for "test -s '$log'" 5
  check "the error is logged in \$XDG_STATE_HOME/tarvik/err.log" grep -q ' frmOption Form_Load 13 ' "$log"
  check "nothing is written beside the program" test -z "$(ls -A "$B" | grep -vx tarvik)"
  check "the state folder is the user's alone" test "$(stat -c %a "$XDG_STATE_HOME/tarvik")" = 700
  if wait_for "grep -q 'POST /tarvik/log.php' '$T/http.log'" 15; then
    rapport=$(grep -m1 'POST /tarvik/log.php' "$T/http.log" |
      python3 -c 'import sys, urllib.parse; print(urllib.parse.unquote(sys.stdin.read()))')
    expect_eq "the report carries the size of that log" "[$(stat -c %s "$log")]" \
      "$(grep -o '_MSG=\[[0-9]*\]' <<<"$rapport" | sed 's/_MSG=//')"
    check "the report carries the logged line" grep -q 'frmOption Form_Load 13' <<<"$rapport"
  else
    fail "no report after OK in the error box"
  fi
else
  fail "no error box"
fi

# ------------------------------------------------ 3. the update check
# The network timer's first tick (30 s after start) runs the automatic check.
if wait_for "grep -q 'GET /tarvik/tarvik.ver' '$T/http.log'" 60 && wait_for '[[ -n $(box) ]]' 20; then
  pass "a box follows the version check"
  screenshot installed-update >/dev/null
  check "no update question window" test -z "$(xdotool search --onlyvisible --name 'Tarvik - Mise' 2>/dev/null)"
  answer "$(box)"
  sleep 1
  check "nothing was downloaded" bash -c "! grep -q 'tarvik.exe' '$T/http.log'"
  check "no replacement beside the program" test ! -e "$B/tarvik_"
  check "no version file left behind" test ! -e "$XDG_STATE_HOME/tarvik/tarvik.ini"
  check "the bar still runs" kill -0 "$pid"
else
  fail "no box after the update check"
  screenshot installed-no-box >/dev/null
  xwininfo -root -tree | grep -i tarvik >&2
  cat "$T/http.log" >&2
fi
stop "$pid"
pid=
finish
