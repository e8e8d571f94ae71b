#!/bin/bash
# The real program docks its bar on a virtual screen with openbox:
# - full mode: the work area starts below the bar (20 pixels with one drive row),
#   and a maximised window opens below the bar;
# - the larger size button in full mode switches to hidden mode: the work area is
#   whole, the bar slides above the screen's top edge once the pointer leaves it
#   (one pixel row stays) and comes back when the pointer touches that row;
# - the larger button in hidden mode switches to small mode: 21 pixels;
# - the work area is whole again after the program ends;
# - a stored small mode is docked at start;
# - SIGTERM ends the program, also during start-up and with its balloon shown.
# Run by ctest under services.sh; $1 is the program.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
prog=$1
[[ -x $prog ]] || { fail "no program at $prog"; finish; }
ini=${XDG_CONFIG_HOME:-$HOME/.config}/tarvik/$(basename "$prog").ini
log=${TARVIK_SERVICES_DIR:-/tmp}/test_dock.log
PID=
XPID=
cleanup() {
  [[ -n $XPID ]] && kill "$XPID" 2>/dev/null
  [[ -n $PID ]] && stop "$PID"
}
trap cleanup EXIT

SW=$(screen_width)

# A help balloon: another visible window of the program, wider than the tray icon
# and narrower than the screen.
balloon_window() {
  local id w
  for id in $(xdotool search --onlyvisible --classname tarvik 2>/dev/null); do
    w=$(window_geometry "$id" | awk '{print $3}')
    [[ -n $w ]] && ((w > 40 && w < SW)) && return 0
  done
  return 1
}
bar_y() { window_geometry "$(bar)" | awk '{print $2}'; }
bar_h() { window_geometry "$(bar)" | awk '{print $4}'; }

set_mode() {
  mkdir -p "$(dirname "$ini")"
  if [[ -f $ini ]] && grep -qi '^modeBarre=' "$ini"; then
    sed -i "s/^modeBarre=.*/modeBarre=$1/I" "$ini"
  elif [[ -f $ini ]] && grep -q '^\[Settings\]' "$ini"; then
    sed -i "/^\[Settings\]/a modeBarre=$1" "$ini"
  else
    printf '[Settings]\nmodeBarre=%s\n' "$1" >>"$ini"
  fi
}

start_bar() {
  set_mode "$1"
  "$prog" >>"$log" 2>&1 &
  PID=$!
  if ! wait_for bar_window 30; then
    fail "the bar of mode $1 did not appear"
    return 1
  fi
  new_bar
  # The window found may be gone by now (a program that lost its display): that is
  # a failure of this step, not a reason to skip it quietly.
  if ! bar >/dev/null; then
    fail "the bar of mode $1 appeared and was gone at once"
    return 1
  fi
}

stop_bar() {
  stop "$PID"
  PID=
  expect_eq "the program ends on SIGTERM with status 0" 0 "$COLLECTED"
}

# Clicks one of the two size buttons (0 smaller, 1 larger) at the place the bar
# gives them: side by side up to 36 pixels of height, stacked above that.
click_size() {
  local h x y
  h=$(bar_h)
  if ((h <= 36)); then
    if (($1 == 1)); then x=$((SW - 20 + 11)); y=11; else x=$((SW - 33 + 11)); y=12; fi
  else
    x=$((SW - 23 + 11))
    if (($1 == 1)); then y=$((h / 2 + 11)); else y=$((h / 2 - 23 + 11)); fi
  fi
  xdotool mousemove "$x" "$y"
  sleep 0.4
  xdotool click 1
}

expect_eq "work area whole before the program" 0 "$(workarea_top)"

# ---------------------------------------------------------------- full mode
if start_bar 2; then
  h=$(bar_h)
  # N drive rows: N x 270 + 30 twips, that is N x 18 + 2 pixels (20 for one row).
  if (( h >= 20 && (h - 2) % 18 == 0 )); then pass "full bar height ($h pixels, $(( (h - 2) / 18 )) drive row(s))"
  else fail "full bar height $h is not N x 18 + 2"; fi
  wait_for "[[ \$(workarea_top) == $h ]]" 10
  expect_eq "full mode: work area starts below the bar" "$h" "$(workarea_top)"
  expect_eq "full mode: bar at the top edge" 0 "$(bar_y)"
  screenshot dock-full >/dev/null

  # A maximised window opens below the bar.
  mkdir -p "$XDG_CONFIG_HOME/openbox"
  sed 's|<applications>|<applications><application class="Xmessage"><maximized>yes</maximized></application>|' \
    /etc/xdg/openbox/rc.xml >"$XDG_CONFIG_HOME/openbox/rc.xml"
  openbox --reconfigure
  sleep 0.5
  xmessage -name tkmax "maximised window" &
  XPID=$!
  if wait_for 'xdotool search --onlyvisible --classname tkmax' 10; then
    win=$(xdotool search --onlyvisible --classname tkmax | head -1)
    wait_for "[[ \$(window_geometry $win | awk '{print \$4}') -gt 400 ]]" 5
    read -r _ wy _ wh <<<"$(window_geometry "$win")"
    if ((wy >= h && wh > 400)); then pass "maximised window below the bar (y $wy, height $wh)"
    else fail "maximised window at y $wy height $wh, bar $h high"; fi
  else
    fail "no maximised window appeared"
  fi
  kill "$XPID" 2>/dev/null; wait "$XPID" 2>/dev/null; XPID=

  # ------------------------------------------------------------ hidden mode
  click_size 1
  wait_for '[[ $(workarea_top) == 0 ]]' 10
  expect_eq "hidden mode: work area whole" 0 "$(workarea_top)"
  xdotool mousemove 640 400
  if wait_for "[[ \$(bar_y) == $((1 - h)) ]]" 10; then pass "hidden bar slid up, one row left ($((1 - h)))"
  else fail "hidden bar at y $(bar_y), expected $((1 - h))"; fi
  xdotool mousemove 640 1; sleep 0.1; xdotool mousemove 640 0
  if wait_for '[[ $(bar_y) == 0 ]]' 10; then pass "hidden bar slid back in when the pointer touched it"
  else fail "hidden bar did not come back (y $(bar_y))"; fi
  expect_eq "hidden mode: work area still whole while the bar shows" 0 "$(workarea_top)"

  # ------------------------------------------------------------ small mode
  click_size 1
  wait_for '[[ $(workarea_top) == 21 ]]' 10
  expect_eq "small mode after hidden: 21 pixels" 21 "$(workarea_top)"
  expect_eq "small bar height" 21 "$(bar_h)"
  xdotool mousemove 640 400
  sleep 1
  screenshot dock-small >/dev/null
  expect_eq "small bar stays docked when the pointer leaves" 0 "$(bar_y)"

  # The program ends on SIGTERM with its other windows on screen: a help balloon
  # (the pointer over a size button) and the tray icon.
  xdotool mousemove $((SW - 20 + 11)) 11; sleep 0.2; xdotool mousemove $((SW - 20 + 12)) 11
  check "a help balloon shows over the size button" wait_for balloon_window 10
  stop_bar
  wait_for '[[ $(workarea_top) == 0 ]]' 10
  expect_eq "work area whole after the program ended" 0 "$(workarea_top)"
fi

# ---------------------------------------------------------------- stored small mode
if start_bar 1; then
  wait_for '[[ $(workarea_top) == 21 ]]' 10
  expect_eq "stored small mode: work area starts at 21" 21 "$(workarea_top)"
  stop_bar
  wait_for '[[ $(workarea_top) == 0 ]]' 10
  expect_eq "work area whole after the second run" 0 "$(workarea_top)"
fi

# ---------------------------------------------------------------- SIGTERM during start-up
# The start-up animation runs pending events; a termination asked then ends the
# program once start-up is over, and the bar does not come back.
set_mode 2
"$prog" >>"$log" 2>&1 &
PID=$!
if wait_for 'xdotool search --onlyvisible --classname tarvik' 30; then
  stop "$PID"; PID=
  expect_eq "SIGTERM during start-up ends the program with status 0" 0 "$COLLECTED"
  wait_for '[[ $(workarea_top) == 0 ]]' 10
  expect_eq "work area whole after a SIGTERM during start-up" 0 "$(workarea_top)"
else
  fail "no window of the third run appeared"
fi

finish
