#!/usr/bin/env bash
# End-to-end test of the tray app under a real X server with a tray host:
# the icon docks, the menu opens (screenshot), Start Day is chosen from it,
# `cadro` commands reach the running app, the global shortcuts work and a new
# one recorded in the settings window replaces the old, a second start
# replaces the first, and quitting a demo removes its sandbox.
# Usage: tray_e2e.sh path/to/cadro [screenshot-dir]
set -euo pipefail
cadro=$1
shots=${2:-}
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; cat "$work"/*.log >&2 2>/dev/null || true; exit 1; }

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
tray_icon() {
  for _ in $(seq 100); do
    local line
    line=$(xwininfo -root -tree 2>/dev/null | grep '("cadro-tray" "Cadro")' | grep -v '1x1+' | head -n1 || true)
    if [ -n "$line" ]; then
      # "... 22x22+0+0  +1001+1" : size, then absolute position
      local size abs
      size=$(echo "$line" | grep -oE '[0-9]+x[0-9]+\+' | head -n1 | tr -d '+')
      abs=$(echo "$line" | grep -oE '\+[0-9]+\+[0-9]+$')
      local x y w h
      x=$(echo "$abs" | cut -d+ -f2); y=$(echo "$abs" | cut -d+ -f3)
      w=${size%x*}; h=${size#*x}
      echo "$((x + w / 2)) $((y + h / 2))"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Waits up to five seconds for `cadro status` to print the expected text.
wait_status() {
  for _ in $(seq 50); do
    [ "$("$cadro" status 2>/dev/null)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

"$cadro" add-thread Alpha >/dev/null
"$cadro" add-thread Beta >/dev/null

start=$(date +%s%N)
"$cadro" >"$work/first.log" 2>&1 &
first=$!; pids+=($first)
read -r ix iy < <(tray_icon) || fail "the tray icon did not appear"
echo "tray icon shown after $(( ($(date +%s%N) - start) / 1000000 )) ms"

# The closed-day menu: its first enabled item is Start Day.
xdotool mousemove "$ix" "$iy" click 3
for _ in $(seq 50); do
  xdotool search --onlyvisible --class cadro-tray 2>/dev/null | grep -q . && break
  sleep 0.1
done
sleep 0.3
if [ -n "$shots" ]; then import -window root "$shots/tray-menu-closed-day.png"; fi
xdotool key Down Return
wait_status Alpha || fail "Start Day from the menu did not start the day"

"$cadro" status --watch >"$work/watch.out" 2>&1 &
pids+=($!)
sleep 0.5
"$cadro" next >/dev/null
[ "$("$cadro" status)" = "Beta" ] || fail "cadro next did not reach the running app"
for _ in $(seq 50); do [ "$(wc -l <"$work/watch.out")" -ge 2 ] && break; sleep 0.1; done
[ "$(cat "$work/watch.out")" = $'Alpha\nBeta' ] || fail "status --watch did not follow the change"
grep -q '"sessionOpen":true' "$XDG_DATA_HOME/Cadro/threads.json" || fail "the store file was not written"

# Global shortcuts: Control-Option-Command-N is Ctrl+Alt+Super+N here.
xdotool key ctrl+alt+super+n
wait_status "Cadro: Maintenance" || fail "the Next shortcut did not move on"
xdotool keydown ctrl+alt+super+n; sleep 1; xdotool keyup ctrl+alt+super+n
wait_status Alpha || fail "a held shortcut did not move on"
sleep 0.5
[ "$("$cadro" status)" = "Alpha" ] || fail "a held shortcut moved on more than once"
xdotool key Num_Lock
xdotool key ctrl+alt+super+n
wait_status Beta || fail "the shortcut did not work with NumLock on"
xdotool key Num_Lock
# While a prompt is up a press is dropped, not queued for later.
xdotool key ctrl+alt+super+i
for _ in $(seq 50); do
  xdotool search --onlyvisible --name "New task for" 2>/dev/null | grep -q . && break
  sleep 0.1
done
xdotool search --onlyvisible --name "New task for" >/dev/null || fail "no prompt for a typed task"
xdotool key ctrl+alt+super+n
sleep 0.5
xdotool key Escape
sleep 0.8
[ "$("$cadro" status)" = "Beta" ] || fail "a shortcut pressed during a prompt was not dropped"

# Recording a new Next shortcut in the Shortcuts tab: the new combo moves on,
# the old one does nothing. Clicks land at places of the window's layout.
"$cadro" show settings >/dev/null
for _ in $(seq 50); do
  settings=$(xdotool search --onlyvisible --name '^Cadro$' 2>/dev/null | head -n1 || true)
  [ -n "$settings" ] && break
  sleep 0.1
done
[ -n "$settings" ] || fail "the settings window did not open"
eval "$(xdotool getwindowgeometry --shell "$settings")"
click_at() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.5; }
click_at 398 63                     # the Shortcuts tab
click_at $((WIDTH - 90)) 143        # the keys of Next
xdotool key ctrl+alt+super+b
sleep 0.5
if [ -n "$shots" ]; then import -window root "$shots/shortcuts-recorded.png"; fi
grep -q 'keyCode[^0-9]*11,' "$XDG_CONFIG_HOME/Cadro/Cadro.conf" ||
  fail "the new Next shortcut was not recorded"
xdotool key Escape                  # closes the settings window
sleep 0.5
xdotool key ctrl+alt+super+b
wait_status "Cadro: Maintenance" || fail "the recorded shortcut did not move on"
xdotool key ctrl+alt+super+n
sleep 0.8
[ "$("$cadro" status)" = "Cadro: Maintenance" ] || fail "the old Next shortcut still worked"
# The maintenance turn opened the settings window; closing it moves on.
xdotool key Escape
wait_status Alpha || fail "Escape did not close the settings window"

# A second start replaces the first.
"$cadro" >"$work/second.log" 2>&1 &
second=$!; pids+=($second)
for _ in $(seq 50); do kill -0 "$first" 2>/dev/null || break; sleep 0.1; done
kill -0 "$first" 2>/dev/null && fail "the first tray app did not end"
tray_icon >/dev/null || fail "the second tray app has no icon"
wait_status Alpha || fail "the second tray app does not answer commands"
"$cadro" quit || fail "quit failed"
for _ in $(seq 50); do kill -0 "$second" 2>/dev/null || break; sleep 0.1; done
kill -0 "$second" 2>/dev/null && fail "quit did not end the tray app"

# A demo lives in a sandbox that quitting removes.
"$cadro" --demo >"$work/demo.log" 2>&1 &
demo=$!; pids+=($demo)
tray_icon >/dev/null || fail "the demo has no icon"
sandbox=$(ls -d "$TMPDIR"/CadroDemo-* 2>/dev/null | head -n1)
[ -n "$sandbox" ] || fail "no demo sandbox"
wait_status "Website redesign: Write hero copy" || fail "the demo is not seeded"
"$cadro" quit
for _ in $(seq 50); do kill -0 "$demo" 2>/dev/null || break; sleep 0.1; done
[ -d "$sandbox" ] && fail "the demo sandbox was not removed"
[ "$("$cadro" status)" = "Alpha" ] || fail "the demo touched the real store"
echo "1 passed, 0 failed"
