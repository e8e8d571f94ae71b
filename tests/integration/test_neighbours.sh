#!/bin/bash
# The bar follows the desktop that changes under it, in one run of the program:
# - the tray host starts 5 s after the bar: the tray icon appears in it;
# - another program's dock window with a 30-pixel top reservation starts after
#   the bar: the bar moves below it, and back to the top when it ends;
# - the sound server is killed and started again under the bar: the volume
#   widget shows the server's volume again, and a click on its track sets the
#   server's volume.
# Run by ctest under services.sh; $1 is the program.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
prog=$1
[[ -x $prog ]] || { fail "no program at $prog"; finish; }
ini=${XDG_CONFIG_HOME:-$HOME/.config}/tarvik/$(basename "$prog").ini
log=${TARVIK_SERVICES_DIR:-/tmp}/test_neighbours.log
PID= TRAY= DOCK= PULSE=
cleanup() {
  [[ -n $DOCK ]] && kill "$DOCK" 2>/dev/null
  [[ -n $PID ]] && stop "$PID"
  [[ -n $TRAY ]] && kill "$TRAY" 2>/dev/null
  [[ -n $PULSE ]] && kill "$PULSE" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT

SW=$(screen_width)
bar_y() { window_geometry "$(bar)" | awk '{print $2}'; }
tray_shown() { xwininfo -root -tree 2>/dev/null | grep '"panel"' >/dev/null; }
# Our icons inside the tray host's window (its subtree, by indentation).
tray_icons() {
  xwininfo -root -tree 2>/dev/null | awk '
    /"panel": \("panel" "trayer"\)/ { ind = match($0, /[^ ]/); dans = 1; next }
    dans { if (match($0, /[^ ]/) <= ind) dans = 0; else if (/\("tarvik" "tarvik"\)/) n++ }
    END { print n + 0 }'
}
# Seconds since a start mark, to one decimal.
mark() { MARK=$(date +%s.%N); }
since() { awk -v a="$MARK" -v b="$(date +%s.%N)" 'BEGIN {printf "%.1f", b - a}'; }

# ---------------------------------------------------------------- the bar before its tray host
[[ -n ${TARVIK_TRAY_PID:-} ]] && kill "$TARVIK_TRAY_PID" 2>/dev/null
check "the services' tray host is gone" wait_for '! tray_shown' 10
fresh_settings "$ini"
"$prog" >>"$log" 2>&1 &
PID=$!
if ! wait_for bar_window 30; then fail "the bar did not appear"; finish; fi
new_bar; bar >/dev/null
wait_for '[[ $(workarea_top) -gt 0 ]]' 10
H=$(workarea_top)
expect_eq "the bar docks at the top" 0 "$(bar_y)"

sleep 5 # the tray host comes 5 s after the bar, as a panel started late at log-in
trayer --edge bottom --align right --widthtype request --height 24 >>"$log" 2>&1 &
TRAY=$!
mark
if wait_for '[[ $(tray_icons) -eq 1 ]]' 15; then pass "the tray icon shows in a tray host started after the bar ($(since) s)"
else fail "no tray icon in the tray host started after the bar"; fi

# ---------------------------------------------------------------- a panel started after the bar
/usr/bin/python3 "$(dirname "$0")/dock_window.py" 30 >>"$log" 2>&1 &
DOCK=$!
mark
if wait_for '[[ $(bar_y) == 30 ]]' 10; then pass "the bar moved below the other dock ($(since) s)"
else fail "the bar stayed at y $(bar_y) under a 30-pixel dock"; fi
wait_for "[[ \$(workarea_top) == $((30 + H)) ]]" 5
expect_eq "the work area starts below both bars" $((30 + H)) "$(workarea_top)"
screenshot neighbours-below-dock >/dev/null
kill "$DOCK"; wait "$DOCK" 2>/dev/null; DOCK=
mark
if wait_for '[[ $(bar_y) == 0 ]]' 10; then pass "the bar went back to the top when the dock ended ($(since) s)"
else fail "the bar stayed at y $(bar_y) after the dock ended"; fi
wait_for "[[ \$(workarea_top) == $H ]]" 5
expect_eq "the work area starts below the bar alone" "$H" "$(workarea_top)"

# ---------------------------------------------------------------- the sound server restarts
# The volume knob's place on its track, in percent: the track's top edge is the
# only run of colour #0A0B0E on the bar and the knob's grip lines the only #5A606C;
# the knob travels 94 pixels (105 - 11), the grip starting 3 pixels into it.
knob_percent() {
  import -window root -crop "${SW}x${H}+0+0" -depth 8 txt:- 2>/dev/null | awk -F'[,: ]+' '
    /#0A0B0E/ { if (t == "" || $1 < t) t = $1 }
    /#5A606C/ { if (k == "" || $1 < k) k = $1 }
    END { if (t != "" && k != "") printf "%.0f", (k - 3 - t) / 94 * 100 }'
}
track_left() {
  import -window root -crop "${SW}x${H}+0+0" -depth 8 txt:- 2>/dev/null | awk -F'[,: ]+' '
    /#0A0B0E/ { if (t == "" || $1 < t) { t = $1; y = $2 } } END { print t, y }'
}
near() { local p; p=$(knob_percent); [[ -n $p ]] && (( p >= $1 - 2 && p <= $1 + 2 )); }
pactl set-sink-volume @DEFAULT_SINK@ 30%
check "the widget shows the server's 30 %" wait_for 'near 30' 10
kill "${TARVIK_PULSE_PID:-0}" 2>/dev/null
wait_for '! pactl info' 10
pulseaudio --daemonize=no --system=false --exit-idle-time=-1 -n --disallow-exit \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$XDG_RUNTIME_DIR/pulse/native" \
  -L "module-null-sink sink_name=nullsink" --log-target=file:"${TARVIK_SERVICES_DIR:-/tmp}/pulse2.log" >>"$log" 2>&1 &
PULSE=$!
check "the sound server is back" wait_for 'pactl info' 15
pactl set-default-sink nullsink
pactl set-sink-volume @DEFAULT_SINK@ 55%
mark
if wait_for 'near 55' 15; then pass "the widget shows 55 % after the server's restart ($(since) s)"
else fail "the widget shows $(knob_percent) % after the server's restart, the server 55 %"; fi
screenshot neighbours-volume >/dev/null
read -r tx ty <<<"$(track_left)"
if [[ -n $tx ]]; then
  # A click 30 pixels into the track: the knob is centred there, (30 x 15 - 82.5) / 1410 = 26 %.
  xdotool mousemove $((tx + 30)) $((ty + 2)) click 1
  server() { pactl get-sink-volume @DEFAULT_SINK@ | grep -o '[0-9]*%' | head -1 | tr -d %; }
  if wait_for '(( $(server) >= 25 && $(server) <= 27 ))' 10; then pass "a click on the track set the server's volume ($(server) %)"
  else fail "the server's volume is $(server) % after a click for 26 %"; fi
else
  fail "no volume track found on the bar"
fi

stop "$PID"; PID=
expect_eq "the program ends on SIGTERM with status 0" 0 "$COLLECTED"
finish
