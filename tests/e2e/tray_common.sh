# Shared by the tray end-to-end tests (sourced): temporary XDG folders, an X
# server with a tray host, clean-up on exit, and helpers that wait for the
# tray icon and for windows. Expects $shots (may be empty).
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  if [ -n "$shots" ]; then import -window root "$shots/failure.png" || true; fi
  cat "$work"/*.log >&2 2>/dev/null || true
  exit 1
}

export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
export TMPDIR=$work/tmp TZ=Europe/Berlin LANG=en_US.UTF-8
mkdir -p "$XDG_RUNTIME_DIR" "$TMPDIR" && chmod 700 "$XDG_RUNTIME_DIR"

Xvfb -displayfd 5 -nolisten tcp -screen 0 1024x768x24 5>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$work/display")
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
  for _ in $(seq 50); do
    xdotool search --onlyvisible --class cadro-tray 2>/dev/null | grep -q . && break
    sleep 0.1
  done
  sleep 0.3
}
