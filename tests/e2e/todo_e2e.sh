#!/usr/bin/env bash
# End-to-end test of the to-do sheet in the tray app under a real X server and
# a faked clock: "Add To-Do…" from the tray menu opens the sheet, a weekly
# to-do is added with the keyboard alone, and the command line lists it with
# its schedule; a to-do scheduled as the sheet offers comes up at its time.
# Usage: todo_e2e.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=tray_common.sh
source "$(dirname "$0")/tray_common.sh"

"$cadro" add-thread Alpha >/dev/null
"$cadro" start-day >/dev/null
# A Monday, shortly before 09:00.
LD_PRELOAD=$(echo /usr/lib/*/faketime/libfaketime.so.1) FAKETIME="@2027-01-04 08:59:15" launch_app
read -r ix iy < <(tray_icon) || fail "the tray icon did not appear"

# The thread menu: "Add To-Do…" is the sixth item the keys reach (the lines
# about the current thread cannot be chosen).
add_todo_sheet() {
  open_tray_menu "$ix" "$iy"
  xdotool key --delay 80 Down Down Down Down Down Down Return
  wait_window "Add To-Do" || fail "Add To-Do… did not open the sheet"
  sleep 0.5
}
# Schedule ticked and left as offered: the next whole minute, 09:00.
add_todo_sheet
xdotool type --delay 40 "Call"
xdotool key --delay 80 Tab Tab space Return
wait_for 5 listed Call || fail "the scheduled to-do was not added"

add_todo_sheet

# Title; estimate "5 min"; Schedule on; through the day, month and year of
# "On" and the hour and minute of the time; past "Add time"; Repeats on; past
# the interval and unit to the weekdays, Sunday first in en_US. Monday is on
# already: Sunday goes on too.
xdotool type --delay 40 "Stretch"
xdotool key --delay 80 Tab Down Tab space Tab Tab Tab Tab Tab Tab Tab space Tab Tab Tab space
sleep 0.3
xdotool key Return
wait_for 5 listed Stretch || fail "the to-do was not added"
list=$("$cadro" list --json)
echo "$list" | jq -e '[.todos[] | select(.title == "Stretch")] | length == 1 and .[0].estimatedMinutes == 5
  and (.[0].schedule.label | test("^Sun Mon \u00b7 [0-9]?[0-9]:[0-5][0-9](.?[AP]M)?$"))' >/dev/null ||
  fail "cadro list --json does not show the weekly to-do: $list"
wait_for 70 shows $'\u2610 Call' || fail "the to-do added from the sheet did not come up"
quit_app
echo "1 passed, 0 failed"
