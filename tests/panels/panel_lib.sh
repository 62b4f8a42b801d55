# shellcheck shell=bash disable=SC2034 # the sourcing scripts use the variables set here
# What the real-panel tests share beyond the bring-up: a seeded store, reading
# and checking the panel's menu (over AT-SPI or from screenshots), clicking
# its entries, and faults that let the rest of a run go on.
# shellcheck source=../../scripts/panels/bringup.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/panels/bringup.sh"
tests_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# A fault that leaves the rest worth checking: reported with a screenshot
# and what the panel showed, and the test fails at its end (finish).
problems=0
problem() {
  echo "FAIL [$panel/$step]: $*" >&2
  shot "fail-$step" || true
  [ -s "$work/seen" ] && sed 's/^/    /' "$work/seen" >&2
  problems=$((problems + 1))
}
finish() {
  for log in "$work"/*.log; do cp "$log" "$shots/" 2>/dev/null || true; done
  [ "$problems" -eq 0 ] || { echo "$panel: $problems problems; screenshots: $shots" >&2; exit 1; }
  echo "$panel: passed"
}
status_has() { "$cadro" status 2>/dev/null | grep -qF -- "$1"; }
# Threads with markup in a title, one parked, and a to-do at the app's next
# whole minute at least 20 s (2 s real) away, so it comes up during the test.
seed_store() {
  "$cadro" start-day >/dev/null
  "$cadro" add-thread "Write report" --step "Outline" >/dev/null
  "$cadro" add-thread 'Say <b>hi</b> & 100% "quotes"' --step "Draft" >/dev/null
  "$cadro" add-thread "Plan trip" >/dev/null
  "$cadro" add-thread "Old idea" >/dev/null
  "$cadro" park "Old idea" >/dev/null
}
todo_soon() {
  local at=$((app_clock + (SECONDS - app_started) * 10 + 30))
  at=$((at - at % 60 + 60))
  "$cadro" add-todo "$1" --on "$(date -d "@$at" +%F)" --at "$(date -d "@$at" +%H:%M)" >/dev/null
}
# Contrast of the icon in the screen area "X Y W H" against the panel under it.
icon_contrast() { "$py" "$tests_here/contrast.py" "$work/contrast.png" "$@"; }
# The panel's menu as a screen reader reads it, saved in $work/seen, one entry
# a line: role|label|enabled|x,y,w,h. $1 is the panel's application name.
read_menu() { atspi menu "$1" >"$work/seen" 2>&1; }
menu_shows() { read_menu "$1" && grep -q "|$2" "$work/seen"; }
# Checks the menu just read: every entry but the separators has a label, there
# are exactly $1 separators, and each further argument begins the label of an
# enabled entry.
check_menu() {
  local separators=$1 label found
  shift
  found=$(grep -c '^separator|' "$work/seen" || true)
  [ "$found" -eq "$separators" ] || problem "the menu has $found separators, not $separators"
  ! grep -v '^separator|' "$work/seen" | grep -q '^[^|]*||' || problem "a menu entry has no label"
  for label in "$@"; do
    grep -qE "^[a-z ]*menu item\|$checkbox$(literal "$label")(  \(.*\))?\|enabled\|" "$work/seen" ||
      problem "the menu has no enabled entry \"$label\""
  done
}
# What a check box before a label reads as from a screenshot ("[] ", "_ | ").
checkbox='([^|a-z]{1,4} )?'
thread_menu=("Next" "Next with New Task" "Next with Typed Task…" "Edit Current Step…" "Add Thread…"
  "Add To-Do…" "Park Current Thread" "Snooze Current" "Parked (1)" "Open Brain Dump…" "End Day"
  "Launch at Login" "Settings…" "Quit Cadro")
todo_menu=("Done" "Snooze Current" "Open Brain Dump…" "End Day" "Launch at Login" "Settings…"
  "Quit Cadro")
# $1 as an extended regular expression matching itself.
literal() { printf '%s' "$1" | sed 's/[][\.*^$+?(){}|/]/\\&/g'; }
# Clicks the centre of the entry of the menu just read whose label begins with $1.
click_entry() {
  local x y w h
  IFS=, read -r x y w h < <(grep -m1 -E "^[a-z ]*menu item\|$checkbox$(literal "$1")(  \(.*\))?\|" "$work/seen" | cut -d'|' -f4)
  [ -n "${h:-}" ] || fail "no entry \"$1\" to click"
  click_at $((x + w / 2)) $((y + h / 2))
}
click_at() { xdotool mousemove "$1" "$2" sleep 0.3 click 1; }
# Ids of the visible top-level windows, one a line.
windows() { xdotool search --onlyvisible --name '.*' 2>/dev/null | sort; }
# Fails when a window shows up that was not in the list $1, other than the
# panel's own (its X classes matching the pattern $2).
no_new_window() {
  local id class
  for id in $(comm -13 "$1" <(windows)); do
    class=$(xprop -id "$id" WM_CLASS 2>/dev/null)
    # The desktop's own unnamed helper windows come and go.
    [[ $class == *'"'* ]] || continue
    [ -n "${2:-}" ] && [[ $class =~ $2 ]] && continue
    problem "a window appeared: \"$(xdotool getwindowname "$id" 2>/dev/null)\" ($class)"
  done
}
# "X Y W H" of each visible window of the X class $1, one a line.
windows_of() {
  local id
  for id in $(xdotool search --onlyvisible --classname "$1" 2>/dev/null); do
    xwininfo -id "$id" 2>/dev/null | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
      /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }'
  done
}
# Reads the menu or tooltip in the screen area "X Y W H" from a screenshot
# into $work/seen, for pop-ups that are not on the accessibility bus.
read_popup() {
  import -display "$DISPLAY" -window root "$work/popup.png" 2>/dev/null &&
    "$py" "$tests_here/ocr_menu.py" "$work/popup.png" "$@" >"$work/seen"
}
# Checks that the icon in the area "X Y W H" (after $1 $2) of the screenshot
# $1 stands out at least 3:1 from the panel; $2 names it. Leaves the details
# in `rest`.
check_contrast() {
  local shot=$1 what=$2 ratio
  shift 2
  read -r ratio rest < <(icon_contrast "$shots/$shot.png" "$@")
  cp "$work/contrast.png" "$shots/icon-$shot.png"
  echo "$panel: $what contrast $ratio:1 ($rest)"
  awk -v r="$ratio" 'BEGIN { exit !(r >= 3) }' || problem "the $what's contrast is $ratio:1 ($rest), below 3:1"
}
# Parks the current thread, moves on and waits until a to-do comes up.
bring_up_todo() {
  "$cadro" park >/dev/null
  "$cadro" next >/dev/null
  todo_soon "Call the bank"
  wait_for 20 status_has "Call the bank" || fail "the to-do did not come up: $("$cadro" status)"
}
# Opens the menu (the panel script's open_menu), checks it as check_menu does
# with the arguments after $1, and clicks the entry $1, which must move on.
click_moves_on() {
  local entry=$1 before
  shift
  open_menu
  shot "$step"
  check_menu "$@"
  before=$("$cadro" status)
  click_entry "$entry"
  wait_for 10 eval '[ "$("$cadro" status)" != "$before" ]' || problem "$entry in the menu did not move on"
}
