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
# The label is the status, or its start and "…" where it is longer than the
# label may be.
label_shows() {
  local status line shown
  status=$("$cadro" status)
  atspi texts $shell >"$work/seen" || return 1
  while IFS= read -r line; do
    [[ $line == label\|* ]] || continue
    shown=${line#label|}
    [[ $shown == "$status" ]] && return 0
    [[ $shown == *… && -n ${shown%…} && $status == "${shown%…}"* ]] && return 0
  done <"$work/seen"
  return 1
}
item_place() { atspi find $shell label "$("$cadro" status)"; }
step=label
wait_for 30 label_shows || { fail "no label \"$("$cadro" status)\" in the top bar"; }
shot label
# One item for the app, whatever it shows.
items=$(grep -cxE "menu\|(Cadro|$(literal "$("$cadro" status)"))" "$work/seen" || true)
[ "$items" -eq 1 ] || problem "$items Cadro items in the top bar, not 1"
"$cadro" next >/dev/null
wait_for 10 label_shows || fail "the label did not follow Next to \"$("$cadro" status)\""

# The icon with a margin of the bar around it. The item's name follows its
# label a moment later (the extension reads the title on its own signal).
icon_in() { atspi icon $shell "$1" >"$work/icon"; }
icon_box() {
  local x y w h status
  status=$("$cadro" status)
  wait_for 10 icon_in "$status" || fail "no item named \"$status\" in the top bar"
  read -r x y w h <"$work/icon"
  echo $((x - 3)) $((y - 3)) $((w + 6)) $((h + 6))
}
step=contrast
shot contrast
check_contrast contrast icon $(icon_box)

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
bring_up_todo
wait_for 10 label_shows || fail "the label did not follow the to-do"
sleep 1
shot attention
check_contrast attention "attention icon" $(icon_box)
# Cadro's waves fill most of the icon's height; the extension's placeholder
# is a row of three small dots.
size=${rest##*size=}
[ "${size#*x}" -ge 8 ] || problem "the attention icon is not Cadro's (only ${size} px of it stands out: $rest)"

step=todo-menu
click_moves_on Done 3 "${todo_menu[@]}"
step=next-in-menu
click_moves_on Next 4 "${thread_menu[@]/Parked (1)/Parked (2)}"
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
