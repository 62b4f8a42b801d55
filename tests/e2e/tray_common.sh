# shellcheck shell=bash
# Shared by the tray end-to-end tests (sourced after setting `cadro`):
# app_env.sh's set-up, a tray host on its X server, and helpers that wait for
# the tray icon, windows and the menu.
# shellcheck source-path=SCRIPTDIR source=app_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/app_env.sh"
trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
  --transparent false --tint 0xdddddd >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

# Waits until the tray holds an icon window of cadro-tray; prints its centre.
# While docking the icon may briefly sit off screen: wait for a real place.
tray_icon() {
  for _ in $(seq 100); do
    local line size abs x y w h
    line=$(xwininfo -root -tree 2>/dev/null | grep '("cadro-tray" "Cadro")' | grep -v '1x1+' | head -n1 || true)
    # "... 22x22+0+0  +1001+1" : size, then absolute position
    abs=$(echo "$line" | grep -oE '\+[0-9]+\+[0-9]+$' || true)
    if [ -n "$abs" ]; then
      size=$(echo "$line" | grep -oE '[0-9]+x[0-9]+\+' | head -n1 | tr -d '+')
      x=$(echo "$abs" | cut -d+ -f2); y=$(echo "$abs" | cut -d+ -f3)
      w=${size%x*}; h=${size#*x}
      echo "$((x + w / 2)) $((y + h / 2))"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Waits up to five seconds for a visible window whose name matches; prints
# its id.
wait_window() {
  local found
  for _ in $(seq 50); do
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    [ -n "$found" ] && echo "$found" && return 0
    sleep 0.1
  done
  return 1
}

# Right-clicks the tray icon at "$1 $2" and waits for the menu.
open_tray_menu() {
  xdotool mousemove "$1" "$2" click 3
  wait_for 5 menu_shown || true
  sleep 0.3
}
menu_shown() { xdotool search --onlyvisible --class cadro-tray 2>/dev/null | grep -q .; }
# True when `cadro status` prints exactly $1.
shows() { [ "$("$cadro" status 2>/dev/null)" = "$1" ]; }
