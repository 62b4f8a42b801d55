#!/usr/bin/env bash
# End-to-end test of the tray app under a real X server with a tray host:
# the first start welcomes and later ones do not, the icon docks, Start Day
# is chosen from its menu, `cadro` commands reach the running app, the global
# shortcuts work and a new one recorded in the settings window replaces the
# old.
# Usage: tray_e2e.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=tray_common.sh
source "$(dirname "$0")/tray_common.sh"

# The very first start welcomes; the next one does not.
rm "$XDG_CONFIG_HOME/Cadro/Cadro.conf"
launch_app
wait_window "Welcome to Cadro" >/dev/null || fail "the first start did not welcome"
quit_app
"$cadro" add-thread Alpha >/dev/null
"$cadro" add-thread Beta >/dev/null
launch_app
read -r ix iy < <(tray_icon) || fail "the tray icon did not appear"
sleep 1
xdotool search --onlyvisible --name "^Welcome to Cadro\$" >/dev/null && fail "the second start welcomed again"
# The closed-day menu: its first enabled item is Start Day.
open_tray_menu "$ix" "$iy"
xdotool key Down Return
wait_for 5 shows Alpha || fail "Start Day from the menu did not start the day"

"$cadro" next >/dev/null
shows Beta || fail "cadro next did not reach the running app"

# Global shortcuts: Control-Option-Command-N is Ctrl+Alt+Super+N here.
xdotool key ctrl+alt+super+n
wait_for 5 shows "Cadro: Maintenance" || fail "the Next shortcut did not move on"
xdotool keydown ctrl+alt+super+n; sleep 1; xdotool keyup ctrl+alt+super+n
wait_for 5 shows Alpha || fail "a held shortcut did not move on"
sleep 0.5
shows Alpha || fail "a held shortcut moved on more than once"
"$cadro" next >/dev/null
# While a prompt is up a press is dropped, not queued for later.
xdotool key ctrl+alt+super+i
wait_window "New task for" || fail "no prompt for a typed task"
xdotool key ctrl+alt+super+n
sleep 0.5
xdotool key Escape
sleep 0.8
shows Beta || fail "a shortcut pressed during a prompt was not dropped"

# The maintenance turn opens the settings window; closing it moves on.
xdotool key ctrl+alt+super+n
wait_for 5 shows "Cadro: Maintenance" || fail "the shortcut did not move on to maintenance"
wait_window '^Cadro$' >/dev/null || fail "the maintenance turn did not open the settings window"
xdotool key Escape
wait_for 5 shows Alpha || fail "Escape did not close the settings window"

# Recording a new Next shortcut in the Shortcuts tab: the new combo moves on,
# the old one does nothing. Clicks land at places of the window's layout.
"$cadro" show settings >/dev/null
settings=$(wait_window '^Cadro$') || fail "the settings window did not open"
eval "$(xdotool getwindowgeometry --shell "$settings")"
click_at() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.5; }
click_at 398 63              # the Shortcuts tab
click_at $((WIDTH - 90)) 143 # the keys of Next
xdotool key ctrl+alt+super+b
sleep 0.5
grep -q 'keyCode[^0-9]*11,' "$XDG_CONFIG_HOME/Cadro/Cadro.conf" ||
  fail "the new Next shortcut was not recorded"
xdotool key Escape
sleep 0.5
xdotool key ctrl+alt+super+b
wait_for 5 shows Beta || fail "the recorded shortcut did not move on"
xdotool key ctrl+alt+super+n
sleep 0.8
shows Beta || fail "the old Next shortcut still worked"
quit_app
echo "1 passed, 0 failed"
