#!/usr/bin/env bash
# End-to-end test of typing in the settings window against a kill -9: killed
# within the second after the first key, the store file is whole and holds
# every earlier change (the typing may be missing, nothing else); killed
# later, it holds the typing too. Prints how long after the keys the title
# was on disk.
# Usage: typing_e2e.sh path/to/cadro
cadro=$1
accessible=1
# shellcheck source-path=SCRIPTDIR source=app_env.sh
source "$(dirname "$0")/app_env.sh"

# Prints a point in the title field of the thread row named $1 (its first
# line, right of the mark), read over the accessibility bus.
title_field() {
  /usr/bin/python3 - "$app" "$1" <<'PY'
import sys, pyatspi
def find(node):
    for c in filter(None, node):
        if c.getRoleName() == "list item" and c.name == sys.argv[2] and \
                c.getState().contains(pyatspi.STATE_SHOWING):
            e = c.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            sys.exit(print(e.x + e.width // 3, e.y + 18))
        find(c)
[find(a) for a in pyatspi.Registry.getDesktop(0) if a and a.get_process_id() == int(sys.argv[1])]
sys.exit(1)
PY
}
now_ms() { echo $((${EPOCHREALTIME/./} / 1000)); }
# The user's threads in the store file (the built-in one left out).
titles() { jq -r '[.active[].title | select(. != "Cadro")] | join("|")' "$store"; }
open_settings() {
  rm -f "$socket" # left by a kill
  start_app
  "$cadro" show settings >/dev/null
}
# Types $2 at the end of the title $1; notes when the first and last key went.
type_into_title() {
  wait_for 10 title_field "$1" >"$work/at" || fail "no thread row is named $1"
  read -r x y <"$work/at"
  xdotool mousemove "$x" "$y" click 1 sleep 0.3 key End
  first_key=$(now_ms)
  xdotool type --delay 20 "$2"
  last_key=$(now_ms)
}

mkdir -p "$XDG_CONFIG_HOME/Cadro"
printf '[General]\nwelcome.shown=true\n' >"$XDG_CONFIG_HOME/Cadro/Cadro.conf"
"$cadro" add-thread Alpha >/dev/null
"$cadro" brain-dump --set "- a note" >/dev/null

# Killed within the second: the typing may be lost, nothing else.
open_settings
"$cadro" add-thread Beta >/dev/null # written at once
type_into_title Alpha " typed"
title_field "Alpha typed" >/dev/null || echo "the app had not drawn the typing yet"
kill -9 "$app"
killed=$(($(now_ms) - first_key))
wait_app_end "$app"
"$cadro" list --json >/dev/null || fail "the store does not load after kill -9"
first=$(titles) && first=${first%|Beta}
[[ $(titles) == *"|Beta" && $first == Alpha* && " typed" == "${first#Alpha}"* ]] ||
  fail "after kill -9 the threads are '$(titles)'"
[ "$("$cadro" brain-dump)" = "- a note" ] || fail "the brain dump changed"
echo "killed ${killed} ms after the first key: threads $(titles)"

# Killed after a second and more: the typing is on disk.
open_settings
type_into_title Beta " typed"
until [ "$(titles)" = "$first|Beta typed" ]; do
  [ $(($(now_ms) - last_key)) -lt 3000 ] || fail "the typing is not on disk: '$(titles)'"
  sleep 0.02
done
echo "on disk $(($(now_ms) - first_key)) ms after the first key, $(($(now_ms) - last_key)) after the last"
sleep 1
kill -9 "$app"
wait_app_end "$app"
[ "$(titles)" = "$first|Beta typed" ] || fail "after the second kill -9 the threads are '$(titles)'"
echo "1 passed, 0 failed"
