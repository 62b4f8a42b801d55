#!/usr/bin/env bash
# shellcheck disable=SC2016,SC2012,SC1111,SC2034 # quoted for sh and eval (which reads $before); ls of fixed names; OCR's quotes
# Cadro in waybar on a headless sway, as a user of its own (sway will not run
# as root), read from grim screenshots: the README's custom module follows
# `cadro next` and shows a title with markup characters literally, the tray
# icon stands out from the dark bar, a waybar reload brings the item back
# without any window, and the menu waybar draws is whole and its Next moves on.
# Usage: waybar.sh BUILD_DIR
build=$1 panel=waybar
# shellcheck source-path=SCRIPTDIR source=panel_lib.sh
source "$(dirname "$0")/panel_lib.sh"
user=cadro-wb-$$
useradd -m "$user"
# The user's processes go by PID before the user does, whatever the outcome.
drop_user() {
  local pid
  for pid in $(pgrep -u "$user"); do kill "$pid" 2>/dev/null || true; done
  sleep 0.5
  for pid in $(pgrep -u "$user"); do kill -9 "$pid" 2>/dev/null || true; done
  userdel -r "$user" 2>/dev/null || true
}
trap 'drop_user; cleanup' EXIT
chown -R "$user:" "$work"
mkdir -p "$work/bin"
printf '#!/bin/sh\nexec setpriv --reuid=%s --regid=%s --init-groups "$@"\n' "$user" "$user" >"$work/bin/as-user"
printf '#!/bin/sh\nexec %s %s "$@"\n' "$work/bin/as-user" "$cadro" >"$work/bin/cadro"
chmod 755 "$work/bin/as-user" "$work/bin/cadro"
as_user() { "$work/bin/as-user" "$@"; }
cadro=$work/bin/cadro app_runner=$work/bin/as-user app_platform=wayland
export PATH=$work/prefix/bin:$PATH
shot() { as_user grim - >"$shots/$1.png"; }
# The user's session bus admits only the user.
bus_has() {
  as_user dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
}

# waybar with the README's custom module, so that what it documents is what runs.
mkdir -p "$XDG_CONFIG_HOME/waybar" "$XDG_CONFIG_HOME/sway"
{
  echo '{ "position": "top", "height": 30, "modules-left": ["custom/cadro"],'
  echo '  "modules-right": ["tray"], "tray": { "icon-size": 20, "spacing": 8 },'
  sed -n '/^    "custom\/cadro": {/,/^    }/p' README.md
  echo '}'
} >"$XDG_CONFIG_HOME/waybar/config"
grep -q 'cadro status --watch' "$XDG_CONFIG_HOME/waybar/config" || fail "no waybar example in the README"
printf 'output * resolution 1280x800\nbar {\n  swaybar_command waybar\n}\n' >"$XDG_CONFIG_HOME/sway/config"
chown -R "$user:" "$work"

WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  bg "$work/bin/as-user" dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$XDG_RUNTIME_DIR/bus"; exec sway' \
  >>"$work/sway.log" 2>&1
wait_for 20 eval 'ls "$XDG_RUNTIME_DIR"/wayland-? && test -s "$XDG_RUNTIME_DIR/bus"' >/dev/null 2>&1 ||
  fail "sway did not start"
export DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY
DBUS_SESSION_BUS_ADDRESS=$(cat "$XDG_RUNTIME_DIR/bus")
WAYLAND_DISPLAY=$(basename "$(ls "$XDG_RUNTIME_DIR"/wayland-? | head -n1)")
# Clicks through a virtual pointer, sway's only input device here; $3 is the
# button (272 left, 273 right).
vp=$tests_here/vpointer
wayland-scanner client-header "$vp/virtual-pointer.xml" "$work/bin/virtual-pointer-client.h"
wayland-scanner private-code "$vp/virtual-pointer.xml" "$work/bin/virtual-pointer.c"
cc -O1 -I"$work/bin" -o "$work/bin/click" "$vp/click.c" "$work/bin/virtual-pointer.c" -lwayland-client
click_at() { as_user "$work/bin/click" "$1" "$2" 1280 800 "${3:-272}"; }
sway_msg() { as_user swaymsg -s "$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock | head -n1)" "$@"; }
wait_for 20 bus_has org.kde.StatusNotifierWatcher || fail "waybar's tray did not start"

seed_store
start_app "2027-01-04 08:00:00"
chown -R "$user:" "$XDG_CONFIG_HOME"

# The bar's left (the custom module) as OCR reads it, into $work/seen.
bar_text() { shot bar && "$py" "$tests_here/ocr_menu.py" "$shots/bar.png" 0 0 700 30 >"$work/seen"; }
# Quotes as OCR tends to read them.
plain() { sed "s/[“”″]/\"/g; s/[‘’]/'/g"; }
bar_shows() { bar_text && plain <"$work/seen" | grep -qF "|$(printf '%s' "$1" | plain)|"; }
label() { "$cadro" status --json | jq -r .text; }
# The tray icon, inside the box waybar's default style draws around the tray
# (the only module at the right end: 20 px icons, 10 px padding).
tray_box=(1241 1 38 24)
item_shown() { shot item && icon_contrast "$shots/item.png" "${tray_box[@]}" | grep -qv ' pixels=0 '; }

step=label
for _ in 1 2 3; do
  "$cadro" next >/dev/null
  text=$(label)
  wait_for 10 bar_shows "$text" || problem "the bar does not show \"$text\""
done

step=markup
for _ in 1 2 3 4; do status_has '<b>hi</b>' && break; "$cadro" next >/dev/null; done
text=$(label)
[[ $text == *'Say <b>hi</b> & 100% "quotes"'* ]] || fail "the thread with markup is not up: $text"
wait_for 10 bar_shows "$text" || problem "the bar does not show \"$text\" literally"
cp "$shots/bar.png" "$shots/markup.png"

step=item
wait_for 20 item_shown || fail "no Cadro icon in waybar's tray"
read -r ratio rest < <(icon_contrast "$shots/item.png" "${tray_box[@]}")
cp "$work/contrast.png" "$shots/icon.png"
echo "waybar: icon contrast $ratio:1 ($rest)"
awk -v r="$ratio" 'BEGIN { exit !(r >= 3) }' || problem "the icon's contrast is $ratio:1 ($rest), below 3:1"

step=reload
sway_msg -t get_tree | jq -r '.. | objects | select(.pid?) | "\(.app_id) \(.name)"' | sort >"$work/windows"
for pid in $(pgrep -u "$user" -x waybar); do kill -USR2 "$pid"; done
sleep 2
wait_for 20 item_shown || fail "the item did not come back after waybar reloaded"
wait_for 10 bar_shows "$text" || problem "the label did not come back after waybar reloaded"
shot reload
sway_msg -t get_tree | jq -r '.. | objects | select(.pid?) | "\(.app_id) \(.name)"' | sort >"$work/windows2"
new=$(comm -13 "$work/windows" "$work/windows2")
[ -z "$new" ] || problem "a window appeared: $new"

step=menu
# The menu is what changed on screen after a right click on the icon.
open_menu() {
  local x y w h
  for _ in 1 2 3; do
    shot closed
    click_at 1260 13 273
    sleep 1
    shot menu
    read -r x y w h < <(convert "$shots/closed.png" "$shots/menu.png" -compose difference -composite \
      -threshold 5% -trim -format '%X %Y %w %h\n' info: | tr -d +)
    "$py" "$tests_here/ocr_menu.py" "$shots/menu.png" "$x" "$y" "$w" "$h" >"$work/seen" &&
      grep -q "|Quit Cadro|" "$work/seen" && return 0
  done
  fail "the menu did not open"
}
open_menu
check_menu 4 "${thread_menu[@]}"
before=$("$cadro" status)
click_entry "Next"
wait_for 10 eval '[ "$("$cadro" status)" != "$before" ]' || fail "Next in the menu did not move on"
finish
