#!/bin/bash
# screen: 3200x1300
# The bar on the primary monitor of a desktop of two monitors declared on one
# screen of 3200 x 1300: L 1920x1080 at +0+0 and the primary R 1280x1024 at
# +1920+256. The bar lies on R, across its width, and its reservation counts
# from the desktop's top (256 + the bar's height) over R's columns only. When
# R moves, the bar follows it.
# Run by ctest under services.sh (the line above asks it for the screen size); $1 is the program.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
prog=$1
[[ -x $prog ]] || { fail "no program at $prog"; finish; }
ini=${XDG_CONFIG_HOME:-$HOME/.config}/tarvik/$(basename "$prog").ini
log=${TARVIK_SERVICES_DIR:-/tmp}/test_monitors.log
PID=
cleanup() { [[ -n $PID ]] && stop "$PID"; }
trap cleanup EXIT

# The window manager stays connected, so the server keeps the monitors.
xrandr --setmonitor L 1920/508x1080/286+0+0 screen
xrandr --setmonitor '*R' 1280/338x1024/270+1920+256 none
xrandr --listmonitors

# The bar is R's width, 1280 pixels.
SW=1280
strut() { xprop -id "$(bar)" _NET_WM_STRUT_PARTIAL 2>/dev/null | sed -n 's/.* = //p' | tr -d ' '; }
bar_place() { window_geometry "$(bar)" | awk '{print $1, $2}'; }

fresh_settings "$ini"
"$prog" >>"$log" 2>&1 &
PID=$!
if ! wait_for bar_window 30; then
  fail "no bar 1280 pixels wide appeared"
  for id in $(xdotool search --onlyvisible --classname tarvik 2>/dev/null); do echo "window $id: $(window_geometry "$id")"; done
  finish
fi
bar >/dev/null
wait_for '[[ -n $(strut) ]]' 20
read -r x y w h <<<"$(window_geometry "$(bar)")"
expect_eq "the bar lies at R's top left corner" "1920 256" "$x $y"
expect_eq "the reservation: R's top plus the bar, over R's columns" "0,0,$((256 + h)),0,0,0,0,0,1920,3199,0,0" "$(strut)"
screenshot monitors >/dev/null
if ((TK_FAILURES)); then
  for id in $(xdotool search --classname tarvik 2>/dev/null); do echo "window $id: $(window_geometry "$id")" >&2; done
  tail -20 "$log" >&2
fi

# R moves up by 156 pixels, in one request (the server changes the monitor in
# place): the bar follows it.
xrandr --delmonitor R --setmonitor '*R' 1280/338x1024/270+1920+100 none
if wait_for '[[ $(bar_place) == "1920 100" ]]' 20; then pass "the bar followed R to its new place"
else fail "the bar is at $(window_geometry "$(bar)") after R moved to +1920+100"; fi
wait_for "[[ \$(strut) == 0,0,$((100 + h)),0,0,0,0,0,1920,3199,0,0 ]]" 20
expect_eq "the reservation followed R" "0,0,$((100 + h)),0,0,0,0,0,1920,3199,0,0" "$(strut)"

# R goes away and comes back as a new monitor, L the primary in between.
xrandr --delmonitor R
xrandr --setmonitor '*R' 1280/338x1024/270+1920+256 none
if wait_for '[[ $(bar_place) == "1920 256" ]]' 20; then pass "the bar is on R again"
else fail "the bar is at $(window_geometry "$(bar)") after R came back at +1920+256"; fi

stop "$PID"; PID=
expect_eq "the program ends on SIGTERM with status 0" 0 "$COLLECTED"
finish
