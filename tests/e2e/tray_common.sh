# shellcheck shell=bash
# Shared by the tray end-to-end tests (sourced after setting `cadro`):
# app_env.sh's set-up, a tray host on its X server, the settings of a start
# after the first, and helpers that wait for the tray icon, windows and the
# menu.
# shellcheck source-path=SCRIPTDIR source=app_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/app_env.sh"
trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
  --transparent false --tint 0xdddddd >/dev/null 2>&1 &
pids+=($!)
sleep 0.5
# Not a first start: no welcome window takes the keyboard.
mkdir -p "$XDG_CONFIG_HOME/Cadro"
printf '[General]\nwelcome.shown=true\n' >"$XDG_CONFIG_HOME/Cadro/Cadro.conf"

# The centre of cadro-tray's icon window in the tray, from a line such as
# "... 22x22+0+0  +1001+1" (size, then absolute place); fails while there is
# none or, while docking, it sits off screen or still at the top level (a
# window of the root, five spaces in) where the tray has not yet taken it.
icon_centre() {
  xwininfo -root -tree 2>/dev/null | grep -E '^ {8,}0x.*\("cadro-tray" "Cadro"\)' | grep -v '1x1+' | head -n1 |
    sed -nE 's/.* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+([0-9]+)\+([0-9]+)$/\1 \2 \3 \4/p' |
    awk '{ print $3 + int($1 / 2), $4 + int($2 / 2) } END { exit NR == 0 }'
}
tray_icon() { wait_for 10 icon_centre; }
# Waits up to five seconds for a visible window whose name matches; prints its id.
window_id() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 | grep .; }
wait_window() { wait_for 5 window_id "$1"; }

# Right-clicks the tray icon at "$1 $2" until the menu shows (a busy machine
# may miss a click).
open_tray_menu() {
  for _ in 1 2 3; do
    xdotool mousemove "$1" "$2" click 3
    wait_for 5 menu_shown && break
  done
  sleep 0.3
}
menu_shown() { xdotool search --onlyvisible --class cadro-tray 2>/dev/null | grep -q .; }
# True when `cadro status` prints exactly $1.
shows() { [ "$("$cadro" status 2>/dev/null)" = "$1" ]; }
