#!/usr/bin/env bash
# Cadro in GNOME Shell's top bar (AppIndicator extension), read over AT-SPI:
# the label follows Next, the extension's menu stays whole after changes and
# its Next moves on, the icon stands out from the dark bar, a to-do that comes
# up shows Cadro's own attention icon, and turning the extension off and on
# (what a screen lock does) brings the item back without any dialog.
# Usage: gnome.sh BUILD_DIR
build=$1 panel=gnome
# shellcheck source-path=SCRIPTDIR source=panel_lib.sh
source "$(dirname "$0")/panel_lib.sh"
shell=gnome-shell

start_x
start_buses
start_gnome
# The extension takes a few seconds after its watcher appears before it can
# show items: an item registered earlier often never shows, or twice.
sleep 6
seed_store
start_app "2027-01-04 08:00:00"

# The label is the status line; its text is where the item sits.
label_shows() { atspi texts $shell >"$work/seen" && grep -qxF "label|$("$cadro" status)" "$work/seen"; }
item_place() { atspi find $shell label "$("$cadro" status)"; }
step=label
wait_for 30 label_shows || { fail "no label \"$("$cadro" status)\" in the top bar"; }
shot label
# One item for the app, whatever it shows.
items=$(grep -cxE "menu\|(Cadro|$(literal "$("$cadro" status)"))" "$work/seen" || true)
[ "$items" -eq 1 ] || problem "$items Cadro items in the top bar, not 1"
"$cadro" next >/dev/null
wait_for 10 label_shows || fail "the label did not follow Next to \"$("$cadro" status)\""

# The icon with a margin of the bar around it.
icon_box() {
  local x y w h
  read -r x y w h < <(atspi icon $shell "$("$cadro" status)")
  echo $((x - 3)) $((y - 3)) $((w + 6)) $((h + 6))
}
step=contrast
shot contrast
read -r ratio rest < <(icon_contrast "$shots/contrast.png" $(icon_box))
cp "$work/contrast.png" "$shots/icon.png"
echo "gnome: icon contrast $ratio:1 ($rest)"
awk -v r="$ratio" 'BEGIN { exit !(r >= 3) }' || problem "the icon's contrast is $ratio:1 ($rest), below 3:1"

# Opens the extension's menu (right click on the item) and reads it.
open_menu() {
  local x y w h
  read -r x y w h < <(item_place)
  for _ in 1 2 3; do
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) sleep 0.2 click 3
    wait_for 5 menu_shows $shell "Quit Cadro" && return 0
  done
  fail "the menu did not open"
}
close_menu() { xdotool key Escape; sleep 0.5; }

step=menu
open_menu
shot menu
check_menu 4 "${thread_menu[@]}"
close_menu

# Changes: a thread parked, Next, a to-do coming up.
step=todo
"$cadro" park >/dev/null
"$cadro" next >/dev/null
todo_soon "Call the bank"
wait_for 20 status_has "Call the bank" || fail "the to-do did not come up: $("$cadro" status)"
wait_for 10 label_shows || fail "the label did not follow the to-do"
sleep 1
shot attention
read -r ratio rest < <(icon_contrast "$shots/attention.png" $(icon_box))
cp "$work/contrast.png" "$shots/attention-icon.png"
echo "gnome: attention icon $ratio:1 ($rest)"
# Cadro's waves fill most of the icon's height; the extension's placeholder
# is a row of three small dots.
size=${rest##*size=}
[ "${size#*x}" -ge 8 ] || problem "the attention icon is not Cadro's (only ${size} px of it stands out: $rest)"

step=todo-menu
open_menu
shot todo-menu
check_menu 3 "${todo_menu[@]}"
before=$("$cadro" status)
click_entry "Done"
wait_for 10 eval '[ "$("$cadro" status)" != "$before" ]' || fail "Done in the menu did not move on"

step=next-in-menu
open_menu
shot next-menu
check_menu 4 "${thread_menu[@]/Parked (1)/Parked (2)}"
before=$("$cadro" status)
click_entry "Next"
wait_for 10 eval '[ "$("$cadro" status)" != "$before" ]' || fail "Next in the menu did not move on"
wait_for 10 label_shows || fail "the label did not follow Next in the menu"

# The extension off and on again: the item comes back, and no window opens.
step=restart
restart_app_at_real_pace
wait_for 30 label_shows || fail "the item did not show after the app started again"
windows >"$work/windows"
gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell \
  -m org.gnome.Shell.Extensions.DisableExtension ubuntu-appindicators@ubuntu.com >/dev/null
wait_for 10 eval '! label_shows' || fail "the item stayed with the extension off"
sleep 2
gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell \
  -m org.gnome.Shell.Extensions.EnableExtension ubuntu-appindicators@ubuntu.com >/dev/null
wait_for 20 label_shows || fail "the item did not come back after the extension restarted"
sleep 2
shot restart
label_shows || problem "the item was gone again a moment after the extension restarted"
no_new_window "$work/windows"
finish
