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

visible_count() { xdotool search --onlyvisible --name '.*' 2>/dev/null | wc -l; }
before=$(visible_count)
xdotool mousemove 900 5 click 3
check "a right click on the bar opens a menu" wait_for '[[ $(visible_count) -gt $before ]]' 10
screenshot menu >/dev/null
xdotool key Down Down Return   # "Options"
check "Options shows the dialog" wait_for 'xdotool search --onlyvisible --name "^Tarvik V" >/dev/null' 10
screenshot options >/dev/null

xdotool mousemove 900 5 click 3
sleep 1
xdotool key Up Return          # "Exit", the last item
collect "$PID" 15; PID=
expect_eq "Exit ends the program with status 0" 0 "$COLLECTED"
expect_eq "work area whole after Exit" 0 "$(workarea_top)"
check "Exit stored the options" grep -qi '^DelayVerif=750' "$ini"
check "the start was counted" grep -qi '^nbUse=2' "$ini"
finish
