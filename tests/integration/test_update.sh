#!/bin/bash
# The whole self-update with real processes: a copy of the program in a
# temporary folder finds a newer build (the same program numbered 9.9.9) on an
# HTTP server on 127.0.0.1. "Oui" is first clicked while the server misbehaves:
# it closes half-way, sends a body without end, redirects to another port, or
# sends a cut program with its length announced. Each time nothing is kept,
# nothing is started, the bar stays and its memory stays bounded. Then the
# server behaves: the old process ends, "tarvik_ -reboot" puts itself in place
# of "tarvik" and starts it, and the new program removes "tarvik_". Then
# "tarvik -reboot" on itself: nine attempts, the "Can't delete" box, and the
# file is still there.
# Run by ctest under services.sh; $1 is the program.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
prog=$1
[[ -x $prog ]] || { fail "no program at $prog"; finish; }

T=$(mktemp -d /tmp/tarvik-update.XXXXXX)
HTTP_PID=
# Every process of this test runs a file inside $T: stop those, by pid.
exe_sous() { # pids whose executable's path matches the pattern $1
  find /proc -maxdepth 2 -path '/proc/[0-9]*/exe' -lname "$1" 2>/dev/null | sed 's#^/proc/\([0-9]*\)/exe$#\1#'
}
nos_processus() { exe_sous "$T/*"; }
pids_de() { exe_sous "$1"; } # the pids running exactly the file $1
cleanup() {
  local p
  for p in $(nos_processus); do kill "$p" 2>/dev/null; done
  [[ -n $HTTP_PID ]] && kill "$HTTP_PID" 2>/dev/null
  sleep 0.5
  for p in $(nos_processus); do kill -9 "$p" 2>/dev/null; done
  if ((TK_FAILURES == 0)); then rm -rf "$T"; else echo "update test files kept in $T" >&2; fi
}
trap cleanup EXIT
export BROWSER=true # the update opens its web page: nothing to show here

# The server: the version file announces 9.9.9; the build served is the
# program numbered 9.9.9 with a few bytes appended, so that the file that
# ends up in place can be told from any other.
nouveau=$(build_dir_of "$prog")/tests/tarvik_autre_version
[[ -x $nouveau ]] || { fail "no 9.9.9 build at $nouveau"; finish; }
S=$T/server
mkdir -p "$S/tarvik"
cp "$nouveau" "$S/tarvik/tarvik.exe"
printf 'served build\n' >>"$S/tarvik/tarvik.exe"
echo "9.9.9" >"$S/tarvik/tarvik.ver"
python3 "$(dirname "$0")/../servers/http_hostile.py" "$S" "$T/ports" 280 >"$T/http.err" 2>&1 &
HTTP_PID=$!
wait_for "test -s '$T/ports'" 10 || { fail "HTTP server"; finish; }
port=$(awk '{print $1}' "$T/ports")
autre=$(awk '{print $2}' "$T/ports")
ln -s "$S/requests.log" "$T/http.log"
touch "$S/requests.log"

# Settings: the update server, automatic checks on.
mkdir -p "$XDG_CONFIG_HOME/tarvik"
printf '[Settings]\nadresseServeur=http://127.0.0.1:%s\nmajAuto=1\n' "$port" >"$XDG_CONFIG_HOME/tarvik/tarvik.ini"

# ---------------------------------------------------------------- the update
A=$T/app
mkdir -p "$A"
cp "$prog" "$A/tarvik"
"$A/tarvik" >"$T/old.log" 2>&1 &
old=$!
# The network timer's first tick (30 s) runs the automatic check. (The same
# window also shows briefly at start, during the clean-up.)
wait_for "grep -q 'GET [0-9]* /tarvik/tarvik.ver' '$T/http.log'" 60
if wait_for 'find_window "Tarvik - Mise"' 10; then
  pass "the update window asks the question"
  win=$(find_window "Tarvik - Mise")
  sleep 0.5
  screenshot update-question >/dev/null
  # "Oui": btnAction(0) is at 96,152 (80 x 25 pixels) in the window.
  oui() { xdotool mousemove --window "$win" 136 164 click 1; }
  demandes() { grep -c "GET $port /tarvik/tarvik.exe" "$S/requests.log"; }
  seul() { [[ $(find "$A" -mindepth 1 | wc -l) -eq 1 && -f $A/tarvik ]]; }
  rss_mb() { awk '/^VmRSS:/ {print int($2 / 1024)}' "/proc/$old/status" 2>/dev/null; }
  for mode in half endless elsewhere cut; do
    echo "$mode" >"$S/mode"
    avant=$(demandes)
    oui
    if ! wait_for '(( $(demandes) > avant ))' 15; then
      oui # the previous answer was still running
      wait_for '(( $(demandes) > avant ))' 15
    fi
    # The attempt is over once the folder holds the old program alone for a while.
    most=0 replaced=
    for _ in $(seq 600); do
      r=$(rss_mb); [[ -n $r ]] && ((r > most)) && most=$r
      for p in $(pids_de "$A/tarvik_"); do # the --version check runs it too, never with -reboot
        tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | grep -- '-reboot' >/dev/null && replaced=1
      done
      if seul; then
        sleep 1
        seul && break
      fi
      sleep 0.2
    done
    check "$mode: nothing kept beside the program" seul
    check "$mode: the old program is untouched" cmp -s "$A/tarvik" "$prog"
    check "$mode: the old process still runs" kill -0 "$old"
    check "$mode: the bar is still docked" test "$(workarea_top)" -gt 0
    check "$mode: the update window still asks" find_window "Tarvik - Mise"
    if [[ -z $replaced ]]; then pass "$mode: nothing was started"; else fail "$mode: the replacement was started"; fi
    if ((most > 0 && most < 100)); then pass "$mode: memory stayed under 100 MB (${most} MB)"; else fail "$mode: resident size ${most} MB"; fi
    screenshot "update-failed-$mode" >/dev/null
  done
  check "the redirect to another port was not followed" test -z "$(grep "GET $autre " "$S/requests.log")"
  grep -a 'endless body stopped' "$S/requests.log"

  echo whole >"$S/mode"
  oui
  if wait_for "! kill -0 $old" 20; then pass "the old process ended"; else fail "the old process still runs"; fi
  check "the download arrived" grep -q 'GET [0-9]* /tarvik/tarvik.exe' "$T/http.log"
  if wait_for '[[ -n $(pids_de "$A/tarvik_") ]]' 10; then
    pass "tarvik_ -reboot runs"
    rep=$(pids_de "$A/tarvik_" | head -1)
    expect_eq "the replacement's argument" "-reboot" "$(tr '\0' ' ' <"/proc/$rep/cmdline" | awk '{print $2}')"
  else
    fail "no replacement process"
  fi
  if wait_for '[[ -n $(pids_de "$A/tarvik") ]]' 30; then pass "the new program runs"; else fail "no new program"; fi
  wait_for "[[ ! -e '$A/tarvik_' ]]" 10
  check "the new program removed tarvik_" test ! -e "$A/tarvik_"
  check "tarvik is the served build" cmp -s "$A/tarvik" "$S/tarvik/tarvik.exe"
  check "tarvik is executable" test -x "$A/tarvik"
  check "no temporary copy left" test -z "$(find "$A" -name '.*' -type f)"
  expect_eq "the new program's version" "$("$S/tarvik/tarvik.exe" --version)" "$("$A/tarvik" --version)"
  new=$(pids_de "$A/tarvik" | head -1)
  if wait_for '[[ $(workarea_top) -gt 0 ]]' 15; then pass "the new bar is docked"; else fail "no bar after the update"; fi
  screenshot update-restarted >/dev/null
  [[ -n $new ]] && kill "$new" 2>/dev/null
  [[ -n $new ]] && wait_for "! kill -0 $new" 10
else
  fail "no update window"
  cat "$T/http.log" >&2
fi

# ------------------------------------------- "-reboot" on the running file
B=$T/seul
mkdir -p "$B"
cp "$prog" "$B/tarvik"
start=$SECONDS
"$B/tarvik" -reboot >"$T/reboot.log" 2>&1 &
self=$!
if wait_for '[[ -n $(xdotool search --onlyvisible --name "^tarvik$" 2>/dev/null) ]]' 30; then
  took=$((SECONDS - start))
  if ((took >= 13)); then pass "the box comes after the nine attempts (${took}s)"; else fail "box after ${took}s only"; fi
  screenshot update-cant-delete >/dev/null
  box=$(xdotool search --onlyvisible --name "^tarvik$" | head -1)
  xdotool windowactivate --sync "$box" 2>/dev/null
  xdotool key Return
  wait_for "! kill -0 $self" 3 2>/dev/null || xdotool key --window "$box" Return
  if wait_for "! kill -0 $self" 10; then pass "the program ends after the box"; else fail "still running after the box"; fi
else
  fail "no \"Can't delete\" box"
fi
check "the running file is still there" cmp -s "$B/tarvik" "$prog"
check "nothing was started from it" test -z "$(pids_de "$B/tarvik")"

finish
