#!/usr/bin/env bash
# Cadro in xfce4-panel's Status Tray on a dark panel, read from screenshots
# (the tray plugin runs in a helper process that is not on the accessibility
# bus): the tooltip shows a title with markup characters
# literally, the menu stays whole after changes and its Next moves on, the
# icon stands out from the panel, and a panel restart brings the item back
# without any dialog.
# Usage: xfce.sh BUILD_DIR
build=$1 panel=xfce
# shellcheck source-path=SCRIPTDIR source=panel_lib.sh
source "$(dirname "$0")/panel_lib.sh"
# The tray plugin's windows: its place in the panel (at the top) and its
# pop-ups, the menu and the tooltip (below the panel).
item_place() { windows_of wrapper-2.0 | awk '$2 == 0 && $3 > 8 && $3 < 200 { print; exit }' | grep .; }
popup_place() { windows_of wrapper-2.0 | awk '$2 > 0 && $4 > 30' | sort -k4 -n | tail -n1 | grep .; }
item_shown() {
  local place
  place=$(item_place) && shot item && icon_contrast "$shots/item.png" $place | grep -qv ' pixels=0 '
}

start_x
start_buses
start_xfce dark
seed_store
start_app "2027-01-04 08:00:00"

step=item
wait_for 30 item_shown || fail "no Cadro item in the tray"

step=contrast
check_contrast item icon $(item_place)

step=tooltip
markup='Say <b>hi</b> & 100% "quotes"'
for _ in 1 2 3 4 5 6; do status_has "$markup" && break; "$cadro" next >/dev/null; done
status_has "$markup" || fail "the thread \"$markup\" never came up"
tooltip_shows() {
  local x y w h
  read -r x y w h < <(item_place)
  xdotool mousemove 600 400 sleep 1 mousemove $((x + w / 2)) $((y + h / 2)) sleep 2
  read_popup $(popup_place) && shot tooltip && grep -qF "|$markup" "$work/seen"
}
# A tooltip may still show what was there before: hover a few times.
wait_for 20 tooltip_shows || problem "the tooltip does not show \"$markup\" literally"

open_menu() {
  local x y w h
  read -r x y w h < <(item_place)
  for _ in 1 2 3; do
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) sleep 0.2 click 3
    sleep 1
    read_popup $(popup_place) && grep -q "|Quit Cadro|" "$work/seen" && return 0
  done
  fail "the menu did not open"
}
close_menu() { xdotool key Escape; sleep 0.5; }

step=menu
open_menu
shot menu
check_menu 4 "${thread_menu[@]}"
close_menu

step=todo
bring_up_todo
sleep 1
click_moves_on Done 3 "${todo_menu[@]}"
step=next-in-menu
click_moves_on Next 4 "${thread_menu[@]/Parked (1)/Parked (2)}"

step=restart
restart_app_at_real_pace
wait_for 30 item_shown || fail "the item did not show after the app started again"
windows >"$work/windows"
xfce4-panel -r
sleep 2
wait_for 30 item_shown || fail "the item did not come back after the panel restarted"
sleep 2
shot restart
item_shown || problem "the item was gone again a moment after the panel restarted"
no_new_window "$work/windows" "wrapper-2.0|xfce4-panel"
finish
