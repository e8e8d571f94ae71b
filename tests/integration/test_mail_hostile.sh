#!/bin/bash
# A POP3 server that turns hostile: its STAT reply holds a 20-digit count,
# which opens the error box, and it then floods 64 MiB while the box is open.
# The program's memory stays under 100 MB; the next check starts while the
# box is open, and once the box is closed it runs its whole dialogue.
# Run by ctest under services.sh; $1 is the program.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
prog=$1
T=$(mktemp -d /tmp/tarvik-pop3.XXXXXX)
SRV=
PID=
SAMPLER=
cleanup() {
  [[ -n $SAMPLER ]] && kill "$SAMPLER" 2>/dev/null
  [[ -n $PID ]] && stop "$PID"
  [[ -n $SRV ]] && kill "$SRV" 2>/dev/null
  if ((TK_FAILURES == 0)); then rm -rf "$T"; else echo "files kept in $T" >&2; fi
}
trap cleanup EXIT

python3 "$(dirname "$0")/../servers/pop3_hostile.py" "$T" "$T/port" 280 >"$T/server.err" 2>&1 &
SRV=$!
wait_for "test -s '$T/port'" 10 || { fail "POP3 server"; finish; }
port=$(cat "$T/port")

ini=${XDG_CONFIG_HOME:-$HOME/.config}/tarvik/$(basename "$prog").ini
mkdir -p "$(dirname "$ini")"
cat >"$ini" <<INI
[Settings]
mail0=127.0.0.1
mail1=u
mail2=p
mail3=1
mail4=No sound
portPop=$port
Help=0
majAuto=0
adresseServeur=http://127.0.0.1:9
INI
"$prog" >"$T/tarvik.log" 2>&1 &
PID=$!
rss_mb() { awk '/^VmRSS:/ {print int($2 / 1024)}' "/proc/$PID/status" 2>/dev/null; }
log() { cat "$T/pop3.log" 2>/dev/null; }
# The largest resident size seen, sampled all along (a peak can be short).
(
  most=0
  while kill -0 "$PID" 2>/dev/null; do
    r=$(rss_mb)
    if [[ -n $r ]] && ((r > most)); then most=$r; echo "$most" >"$T/rss.max"; fi
    sleep 0.05
  done
) &
SAMPLER=$!
peak() { cat "$T/rss.max" 2>/dev/null || echo 0; }

check "the bar appears" wait_for "find_window tarvik" 20
# The first check starts at the first tick of the mail timer, a minute after start.
check "the first session reaches STAT" wait_for "grep -q 'stat flood in session 1' '$T/pop3.log'" 100
box=
wait_for '[[ -n $(xdotool search --onlyvisible --name "^Tarvik$" 2>/dev/null) ]]' 20 &&
  box=$(xdotool search --onlyvisible --name "^Tarvik$" | head -1)
if [[ -n $box ]]; then pass "the error box is open"; else fail "no error box"; fi
screenshot pop3-error-box >/dev/null
# The box stays open while the server floods: the program takes nothing
# while the reply is handled, so the server is held back.
check "the flood is held back" wait_for "grep -q 'flood held back' '$T/pop3.log'" 60
sleep 3
echo "$(grep -m1 'flood held back' "$T/pop3.log"); largest resident size $(peak) MB"
check "the box is still open" test -n "$(xdotool search --onlyvisible --name '^Tarvik$' 2>/dev/null)"
if (($(peak) > 0 && $(peak) < 100)); then pass "memory stays under 100 MB ($(peak) MB)"; else fail "resident size $(peak) MB"; fi
check "the program still runs" kill -0 "$PID"

# The next check starts while the box is still open (a minute after the
# first); its greeting waits until the box is closed.
check "the next check connects while the box is open" wait_for "grep -q 'session 2 opened' '$T/pop3.log'" 90
check "the box stayed open" test -n "$(xdotool search --onlyvisible --name '^Tarvik$' 2>/dev/null)"
sleep 1
# Cancel closes the box (no report is sent).
if [[ -n $box ]]; then
  xdotool windowactivate --sync "$box" 2>/dev/null
  xdotool key --window "$box" Escape
  check "the box closes" wait_for '[[ -z $(xdotool search --onlyvisible --name "^Tarvik$" 2>/dev/null) ]]' 10
fi
# The first check's reply, handled once the box is closed, leaves the new
# connection alone: that check goes on to the end.
check "the next check runs its whole dialogue" wait_for "grep -q 'stat answered in session 2' '$T/pop3.log'" 30
if (($(peak) < 100)); then pass "memory stayed under 100 MB all along ($(peak) MB)"; else fail "resident size reached $(peak) MB"; fi
check "the program still runs afterwards" kill -0 "$PID"
log | grep -v '^flood [0-9]' | tail -12
finish
