#!/usr/bin/env bash
# Cadro in KDE Plasma's system tray, light (Breeze) and then dark (Breeze
# Dark), read from screenshots (plasmashell is not on the accessibility bus
# here): one item for the app, its icon stands out from both panels, the
# tooltip shows a title with markup characters literally, and the menu Plasma
# draws stays whole after changes and its Next moves on. (Plasma sometimes
# shows the item twice; the GNOME test counts items, here the tray's other
# icons move too much to tell.)
# Usage: plasma.sh BUILD_DIR
build=$1 panel=plasma
# shellcheck source-path=SCRIPTDIR source=panel_lib.sh
source "$(dirname "$0")/panel_lib.sh"

start_x
plasma_environment
start_buses
start_plasma
seed_store
# The panel (at the bottom) without the app, to find what the app adds.
sleep 5
shot before
start_app "2027-01-04 08:00:00"

# "X Y W H" of what changed in the tray since the app started: new items
# appear left of the others, which stay put.
tray_x=850
added() {
  shot item
  convert "$shots/before.png" "$shots/item.png" -crop "$((1280 - tray_x))x44+$tray_x+756" +repage \
    -compose difference -composite -colorspace gray -threshold 20% -trim \
    -format '%[fx:page.x] %[fx:page.y] %w %h' info: 2>/dev/null |
    awk -v x0=$tray_x '$3 > 4 { print $1 + x0, $2 + 756, $3, $4 }' | grep .
}
step=item
wait_for 30 added || fail "no Cadro item in the tray"
sleep 3
read -r ix iy iw ih < <(added)
# The leftmost new square is the app's icon (the others may have moved).
icon="$((ix - 3)) $((iy - 3)) $((ih + 6)) $((ih + 6))"
centre="$((ix + ih / 2)) $((iy + ih / 2))"

step=contrast-light
shot light
check_contrast light "icon on the light panel" $icon

# Pop-ups of the shell, tallest first: the menu, the tooltip, or a notification's.
popup_places() { windows_of plasmashell | awk '$2 > 0 && $2 < 756 && $3 < 800' | sort -k4 -n -r; }
popup_place() { popup_places | head -n1 | grep .; }
step=tooltip
markup='Say <b>hi</b> & 100% "quotes"'
for _ in 1 2 3 4 5 6; do status_has "$markup" && break; "$cadro" next >/dev/null; done
status_has "$markup" || fail "the thread \"$markup\" never came up"
tooltip_shows() {
  xdotool mousemove 600 400 sleep 1 mousemove $centre sleep 2
  read_popup $(popup_place) && shot tooltip && grep -qF "|$markup" "$work/seen"
}
wait_for 20 tooltip_shows || problem "the tooltip does not show \"$markup\" literally"

open_menu() {
  for _ in 1 2 3; do
    xdotool key Escape mousemove $centre sleep 0.3 click 3
    sleep 1.5
    while read -r place; do
      read_popup $place && grep -q "|Quit Cadro|" "$work/seen" && return 0
    done < <(popup_places)
  done
  fail "the menu did not open"
}
step=menu
open_menu
shot menu
check_menu 4 "${thread_menu[@]}"
xdotool key Escape

step=todo
bring_up_todo
sleep 1
click_moves_on Done 3 "${todo_menu[@]}"
step=next-in-menu
click_moves_on Next 4 "${thread_menu[@]/Parked (1)/Parked (2)}"

step=contrast-dark
lookandfeeltool -a org.kde.breezedark.desktop >>"$work/plasmashell.log" 2>&1
sleep 6
shot dark
check_contrast dark "icon on the dark panel" $icon
finish
