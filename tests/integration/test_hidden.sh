#!/bin/bash
# Hidden mode and the end of the program, under several window managers:
# - openbox: SIGTERM 20 to 80 ms after the pointer touches the hidden bar's strip
#   (the bar slides in, letting events run), ten times: the program ends with
#   status 0 and the work area is whole each time;
# - fluxbox: hidden mode leaves no band reserved, the bar slides up out of sight
#   and comes back when the pointer touches its strip;
# - i3 (when installed), which keeps dock windows where it puts them: hidden
#   mode gives the space back to the other windows (the bar keeps one row) and
#   a touch of the top edge shows the whole bar again.
# Run by ctest under services.sh; $1 is the program.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
prog=$1
[[ -x $prog ]] || { fail "no program at $prog"; finish; }
ini=${XDG_CONFIG_HOME:-$HOME/.config}/tarvik/$(basename "$prog").ini
log=${TARVIK_SERVICES_DIR:-/tmp}/test_hidden.log
PID= WM= XPID=
cleanup() {
  [[ -n $XPID ]] && kill "$XPID" 2>/dev/null
  [[ -n $PID ]] && stop "$PID"
  [[ -n $WM ]] && kill "$WM" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT

SW=$(screen_width)
bar_y() { window_geometry "$(bar)" | awk '{print $2}'; }
bar_h() { window_geometry "$(bar)" | awk '{print $4}'; }
wm_name() {
  local id
  id=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '/window id/ {print $NF}')
  [[ -n $id ]] && xprop -id "$id" _NET_WM_NAME 2>/dev/null | cut -d'"' -f2
}

# Starts the bar in full mode; then its larger size button gives hidden mode.
start_full() {
  fresh_settings "$ini"
  "$prog" >>"$log" 2>&1 &
  PID=$!
  if ! wait_for bar_window 30; then fail "the bar did not appear"; return 1; fi
  new_bar; bar >/dev/null
  wait_for '[[ -n $(bar_h) ]]' 5
  H=$(bar_h)
}
to_hidden() {
  xdotool mousemove $((SW - 20 + 11)) 11
  sleep 0.4
  xdotool click 1
  xdotool mousemove $((SW / 2)) 400
}
start_hidden() {
  start_full || return 1
  wait_for "[[ \$(workarea_top) == $H ]]" 10
  to_hidden
}
hidden_up() { [[ $(bar_y) == $((1 - H)) ]]; }

# ---------------------------------------------------------------- openbox: SIGTERM while sliding in
for run in 1 2 3 4 5 6 7 8 9 10; do
  start_hidden || break
  if ! wait_for hidden_up 10; then fail "run $run: the bar did not slide up (y $(bar_y))"; stop "$PID"; PID=; continue; fi
  ms=$((20 + RANDOM % 61))
  xdotool mousemove $((SW / 2)) 1 mousemove $((SW / 2)) 0
  sleep "$(awk -v m="$ms" 'BEGIN {printf "%.3f", m / 1000}')"
  kill -TERM "$PID"
  collect "$PID"; PID=
  wait_for '[[ $(workarea_top) == 0 ]]' 5
  if [[ $COLLECTED == 0 && $(workarea_top) == 0 ]]; then pass "run $run: SIGTERM $ms ms after the touch ends the program (status 0), work area whole"
  else fail "run $run: SIGTERM $ms ms after the touch: status $COLLECTED, work area top $(workarea_top)"; fi
done

# ---------------------------------------------------------------- fluxbox
replace_wm() { # NAME COMMAND...: the window manager NAME replaces the one running
  local name=$1; shift
  if [[ -n $WM ]]; then
    # A window manager that does not end on SIGTERM must not hold the script for ever.
    kill "$WM" 2>/dev/null
    wait_for "ended $WM" 10 || kill -KILL "$WM" 2>/dev/null
    wait "$WM" 2>/dev/null; WM=
  elif [[ -n ${TARVIK_WM_PID:-} ]]; then
    kill "$TARVIK_WM_PID" 2>/dev/null
    wait_for "ended $TARVIK_WM_PID" 10
  fi
  "$@" >>"$log" 2>&1 &
  WM=$!
  wait_for "[[ \$(wm_name) == $name ]]" 20
}
if command -v fluxbox >/dev/null; then
  mkdir -p "$HOME/.fluxbox"
  echo 'background: none' >"$HOME/.fluxbox/overlay" # no wallpaper setter
  if replace_wm Fluxbox fluxbox; then
    if start_hidden; then
      wait_for '[[ $(workarea_top) == 0 ]]' 10
      expect_eq "fluxbox: no band left reserved in hidden mode" 0 "$(workarea_top)"
      check "fluxbox: the hidden bar slides up, one row left" wait_for hidden_up 10
      xdotool mousemove $((SW / 2)) 1 mousemove $((SW / 2)) 0
      check "fluxbox: the bar comes back at a touch of its strip" wait_for '[[ $(bar_y) == 0 ]]' 10
      expect_eq "fluxbox: still no band while the bar shows" 0 "$(workarea_top)"
      stop "$PID"; PID=
      expect_eq "fluxbox: the program ends with status 0" 0 "$COLLECTED"
    fi
  else
    fail "fluxbox did not take over the display"
  fi
else
  echo "fluxbox not installed: skipped"
fi

# ---------------------------------------------------------------- i3
# i3 keeps docks in its dock area and publishes no work area: the room given
# back shows as a tiled window moving up.
if command -v i3 >/dev/null; then
  conf=${TARVIK_SERVICES_DIR:-/tmp}/i3.conf
  printf '# i3 config file (v4)\nfont pango:DejaVu Sans 8\n' >"$conf"
  if replace_wm i3 i3 -c "$conf"; then
    xmessage -name tktiled "a tiled window" &
    XPID=$!
    tiled_y() { window_geometry "$(xdotool search --onlyvisible --classname tktiled 2>/dev/null | head -1)" | awk '{print $2}'; }
    wait_for '[[ -n $(tiled_y) ]]' 10
    if start_full; then
      wait_for "(( \$(tiled_y) >= $H ))" 10
      # The tiled window can be between two layouts for a moment: read it until it is there.
      plein=
      for _ in $(seq 50); do
        plein=$(tiled_y)
        [[ -n $plein ]] && break
        sleep 0.1
      done
      to_hidden
      if wait_for "[[ \$(tiled_y) == $((plein - H + 1)) ]]" 10; then pass "i3: hidden mode gives the space back, the bar keeps one row"
      else fail "i3: the tiled window is at y $(tiled_y) in hidden mode, $plein in full mode, the bar $H high"; fi
      expect_eq "i3: the hidden bar is one row high" 1 "$(bar_h)"
      xdotool mousemove $((SW / 2)) 1 mousemove $((SW / 2)) 0
      check "i3: a touch of the top edge shows the whole bar" wait_for "[[ \$(bar_h) == $H ]]" 10
      xdotool mousemove $((SW / 2)) 400
      check "i3: the bar goes again when the pointer leaves" wait_for '[[ $(bar_h) == 1 ]]' 10
      stop "$PID"; PID=
      expect_eq "i3: the program ends with status 0" 0 "$COLLECTED"
    fi
  else
    fail "i3 did not take over the display"
  fi
else
  echo "i3 not installed: skipped"
fi
finish
