#!/usr/bin/env bash
# End-to-end test of the screenshot tour: `cadro-tray --demo --capture DIR`
# photographs its ten windows under Xvfb and quits. Every picture is a PNG
# with round transparent corners, drawn at the screen's pixel ratio (twice
# the size at scale 2, on the offscreen platform); the last scene has the
# cycle on maintenance; a folder that cannot be made, or a newer app that
# ends the tour early, gives an error.
# Usage: capture_e2e.sh path/to/cadro (cadro-tray beside it)
cadro=$1
# shellcheck source-path=SCRIPTDIR source=app_env.sh
source "$(dirname "$0")/app_env.sh"

# Runs the tour into $1 with its own runtime and settings folders (extra
# environment in the remaining arguments); sets `app`.
tour() {
  local folder=$1 name
  name=$(basename "$folder")
  shift
  mkdir -p "$work/$name-run" "$work/$name-tmp" && chmod 700 "$work/$name-run"
  env XDG_RUNTIME_DIR="$work/$name-run" XDG_CONFIG_HOME="$work/$name-config" \
    TMPDIR="$work/$name-tmp" "$@" "$tray" --demo --capture "$folder" >"$work/$name.log" 2>&1 &
  app=$!
  pids+=("$app")
}
# True while the demo's store has the hygiene thread up and no to-do.
on_maintenance() {
  jq -e '.currentID as $up | .currentTodoID == null and any(.active[]; .id == $up and .isHygiene)' \
    "$work"/xvfb-tmp/CadroDemo-*/data/threads.json >/dev/null 2>&1
}

tour "$work/xvfb"
maintenance=no
while running "$app"; do
  on_maintenance && maintenance=yes
  sleep 0.05
done
wait_app_end "$app" 60
[ "$app_status" -eq 0 ] || fail "the tour ended with status $app_status"
[ "$maintenance" = yes ] || fail "the cycle never reached the maintenance thread"

tour "$work/double" QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2
double=$app
: >"$work/blocked"
tour "$work/blocked/unmade" QT_QPA_PLATFORM=offscreen  # "blocked" is a file
blocked=$app
# A tray app started during a tour ends it: that tour has not written everything.
tour "$work/stopped" QT_QPA_PLATFORM=offscreen
wait_for 10 test -S "$work/stopped-run/cadro/demo.sock" || fail "the tour did not open its socket"
env XDG_RUNTIME_DIR="$work/stopped-run" XDG_CONFIG_HOME="$work/stopped-config" \
  TMPDIR="$work/stopped-tmp" QT_QPA_PLATFORM=offscreen "$tray" --demo-empty >>"$work/newer.log" 2>&1 &
pids+=($!)
wait_app_end "$app" 60
[ "$app_status" -ne 0 ] || fail "a tour ended by a newer app was reported as success"
wait_app_end "$double" 60
[ "$app_status" -eq 0 ] || fail "the tour at scale 2 ended with status $app_status"
wait_app_end "$blocked" 60
[ "$app_status" -ne 0 ] || fail "a folder that cannot be made was reported as success"
grep -q "blocked/unmade" "$work/unmade.log" || fail "the folder that cannot be made was not named"

# Per picture: width, height, colours, alpha of the four corners and of the middle.
measure() {
  convert "$1" -format '%w %h %k %[fx:p{0,0}.a+p{w-1,0}.a+p{0,h-1}.a+p{w-1,h-1}.a] %[fx:p{w/2,h/2}.a]\n' info:
}
pictures=$(ls "$work/xvfb")
[ "$(echo "$pictures" | grep -c '^shot-.*\.png$')" -eq 10 ] || fail "not ten pictures: $pictures"
[ "$pictures" = "$(ls "$work/double")" ] || fail "the two runs wrote different files"
for shot in $pictures; do
  read -r w h colours corners middle < <(measure "$work/xvfb/$shot")
  [ "$corners" = 0 ] && [ "$middle" = 1 ] || fail "$shot: corners not cut round ($corners, $middle)"
  [ "$colours" -gt 8 ] || fail "$shot: hardly any content ($colours colours)"
  read -r w2 h2 _ < <(measure "$work/double/$shot")
  [ "$w2 $h2" = "$((2 * w)) $((2 * h))" ] || fail "$shot: ${w2}x$h2 at scale 2, ${w}x$h at 1"
  # Halved, the sharp picture is the plain one but for the edges of letters.
  difference=$( (convert "$work/double/$shot" -resize 50% png:- |
    compare -metric RMSE - "$work/xvfb/$shot" null: 2>&1 || true) | grep -oE '[0-9.]+\)' | tr -d ')')
  awk -v d="$difference" 'BEGIN { exit !(d < 0.1) }' || fail "$shot: scale 2 shows other pixels ($difference)"
done
echo "1 passed, 0 failed"
