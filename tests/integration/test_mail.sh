#!/bin/bash
# The mailbox check against the POP3 server of the test services (dovecot on
# 127.0.0.1, user u, password p, two messages, port in $TARVIK_POP3_PORT):
# 1. the check with the real socket service: "2" with the mailbox size in the
#    tool tip, then "!" after a wrong password (gtest MailLive);
# 2. the real program with the account in its settings: screenshots of the bar
#    after its first check and of the memory meter's balloon.
# Run by ctest under services.sh; $1 is the program, the test binaries live beside it.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
prog=$1
tests=$(build_dir_of "$prog")/tests/test_mail
[[ -x $tests ]] || { fail "no test binary at $tests"; finish; }
if [[ -z ${TARVIK_POP3_PORT:-} ]]; then
  echo "SKIP: no POP3 server in the test services (they need root)"
  exit 0
fi

out=$(QT_QPA_PLATFORM=offscreen "$tests" --gtest_filter='MailLive.*' 2>&1)
code=$?
echo "$out"
if ((code != 0)); then fail "mail check against the POP3 server"; fi
if grep -q '^\[  SKIPPED \]' <<<"$out"; then fail "mail test skipped although the server runs"; fi

# The program, with the account and a check every minute. The help switch is
# off: then only the mailbox and the memory meter open balloons.
ini=${XDG_CONFIG_HOME:-$HOME/.config}/tarvik/$(basename "$prog").ini
mkdir -p "$(dirname "$ini")"
cat >"$ini" <<INI
[Settings]
mail0=127.0.0.1
mail1=u
mail2=p
mail3=1
mail4=No sound
portPop=$TARVIK_POP3_PORT
Help=0
majAuto=0
adresseServeur=http://127.0.0.1:9
INI
log=${TARVIK_SERVICES_DIR:-/tmp}/dovecot/dovecot.log
sessions() { grep -c 'pop3(u).*Disconnected' "$log" 2>/dev/null; }
before=$(sessions)
QT_QPA_PLATFORM=xcb "$prog" >"${TARVIK_SERVICES_DIR:-/tmp}/tarvik-mail.log" 2>&1 &
pid=$!
stop_program() { stop "$pid"; }
trap stop_program EXIT

if ! wait_for "find_window tarvik" 15; then
  fail "the bar did not appear"
  finish
fi
# The bar reserves its strip: the work area starts below it.
wait_for '(( $(workarea_top) > 0 ))' 10
bar_h=$(workarea_top)
echo "bar height $bar_h"

# The first check runs at the first tick of the mail timer, a minute after start.
if wait_for '(( $(sessions) > before ))' 90; then
  pass "the program logged in and out of the mailbox"
else
  fail "no completed POP3 session from the program"
fi
sleep 1
screenshot mail_count

# Balloon of the memory meter: sweep the mouse along the meters' row until a
# pale-yellow balloon taller than the mailbox's (40 pixels) opens below the bar
# at a third of the screen width.
yellow_at() { # x y: true when the screen pixel there is the balloon's colour
  [[ $(import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | tail -1) == *"#FFFF80"* ]]
}
left=$(( $(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1]}') / 3 ))
found=
for ((x = 1275; x >= 0; x -= 6)); do
  xdotool mousemove "$x" 10
  sleep 0.15
  if yellow_at $((left + 20)) $((bar_h + 60)); then found=$x; break; fi
done
if [[ -n $found ]]; then
  pass "memory balloon opened at x=$found"
  screenshot memory_balloon
  sleep 3.5
  if yellow_at $((left + 20)) $((bar_h + 60)); then fail "the balloon stayed after 3 s"; else pass "the balloon closed"; fi
else
  fail "no memory balloon along the bar"
  screenshot memory_balloon_missing
fi
finish
