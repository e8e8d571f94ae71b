#!/bin/bash
# The real program with a tray host: the tray icon is there; a right click on the
# bar opens the popup menu; "Options" shows the dialog; "Exit" ends the program,
# stores the options and gives the work area back.
# Run by ctest under services.sh; $1 is the program.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
prog=$1
ini=${XDG_CONFIG_HOME:-$HOME/.config}/tarvik/$(basename "$prog").ini
log=${TARVIK_SERVICES_DIR:-/tmp}/test_menu.log
fresh_settings "$ini"
PID=
cleanup() { [[ -n $PID ]] && stop "$PID"; }
trap cleanup EXIT

expect_eq "work area whole before start" 0 "$(workarea_top)"
"$prog" >>"$log" 2>&1 &
PID=$!
check "the bar docks" wait_for '[[ $(workarea_top) -gt 0 ]]' 30

# The tray host (trayer) embeds our icon in its "panel" window.
tray_icons() { xwininfo -root -tree 2>/dev/null | sed -n '/"panel": ("panel" "trayer")/,$p' | grep -c '("tarvik" "tarvik")'; }
check "one tray icon is there" wait_for '[[ $(tray_icons) -eq 1 ]]' 10

# The menu is a window of the program, not shown before the click and
# transient for another of its windows; windows of other programs, or
# windows coming and going meanwhile, do not count.
visible_ids() { xdotool search --onlyvisible --name '.*' 2>/dev/null | sort -u; }
new_menu() { # prints the id of such a window that is not among $before
  local id
  for id in $(comm -13 <(echo "$before") <(visible_ids)); do
    xprop -id "$id" _NET_WM_PID 2>/dev/null | grep "= $PID\$" >/dev/null || continue
    xprop -id "$id" WM_TRANSIENT_FOR 2>/dev/null | grep 'window id' >/dev/null || continue
    echo "$id"
    return 0
  done
  return 1
}
# A right click on a meter or an icon opens nothing; the top pixel row is the
# background's (the meters and icons start below it), and there it opens the menu.
before=$(visible_ids)
xdotool mousemove 900 8 click 3
sleep 1
check "a right click on a meter icon opens no menu" eval '! new_menu'
xdotool mousemove 700 0 click 3
check "a right click on the bar's background opens a menu" wait_for 'new_menu' 10
menu=$(new_menu)
echo "menu window: ${menu:-none}"
screenshot menu >/dev/null
xdotool key Down Down Return   # "Options"
check "Options shows the dialog" wait_for 'xdotool search --onlyvisible --name "^Tarvik V" >/dev/null' 10
screenshot options >/dev/null

# The window manager may still be busy with the new dialog: a click it swallows is
# given again.
before=$(visible_ids)
for attempt in 1 2 3; do
  xdotool mousemove 700 0 click 3
  wait_for 'new_menu' 3 2>/dev/null && break
done
check "the menu opens again" wait_for 'new_menu' 1
sleep 0.5
xdotool key Up Return          # "Exit", the last item
collect "$PID" 15; PID=
expect_eq "Exit ends the program with status 0" 0 "$COLLECTED"
expect_eq "work area whole after Exit" 0 "$(workarea_top)"
check "Exit stored the options" grep -qi '^DelayVerif=750' "$ini"
check "the start was counted" grep -qi '^nbUse=2' "$ini"
finish
