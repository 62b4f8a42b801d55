#!/usr/bin/env bash
# End-to-end test of starting Cadro while it runs: the same build started
# again brings the running tray app forward (its settings window, read over
# the accessibility bus) and ends; `cadro` alone prints a usage and the status
# and leaves the app be; a demo runs beside the user's app, whose commands
# and data stay its own.
# Usage: launch_e2e.sh path/to/cadro
cadro=$1
accessible=1
# shellcheck source-path=SCRIPTDIR source=tray_common.sh
source "$(dirname "$0")/tray_common.sh"

# True when the app with pid $1 shows a top-level window named as the
# settings window (a plain widget, so its role is not fixed).
settings_shown() {
  /usr/bin/python3 - "$1" <<'PY'
import sys, pyatspi
pid = int(sys.argv[1])
for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.get_process_id() == pid:
        sys.exit(not any(w.name == "Cadro" and w.getState().contains(pyatspi.STATE_SHOWING)
                         for w in app))
sys.exit(1)
PY
}
has_thread() { jq -e --arg t "$2" '[.. | .title? // empty] | index($t) != null' "$1" >/dev/null; }

"$cadro" add-thread Alpha >/dev/null
start_app
user=$app

# `cadro` alone: a usage, then the status from the running app.
timeout 20 "$cadro" >"$work/summary.out" 2>&1 || fail "cadro alone failed: $(cat "$work/summary.out")"
grep -q "^Usage: cadro" "$work/summary.out" || fail "cadro alone printed no usage: $(cat "$work/summary.out")"
[ "$(tail -n1 "$work/summary.out")" = "Status: $("$cadro" status)" ] ||
  fail "cadro alone did not end with the status: $(cat "$work/summary.out")"
sleep 1
running "$user" || fail "cadro alone ended the running app"

# The same build again: the running app shows its settings window.
settings_shown "$user" && fail "the settings window was open before the second start"
launch_app
wait_app_end "$app"
[ "$app_status" -eq 0 ] || fail "the second start exited $app_status"
running "$user" || fail "the second start ended the running app"
wait_for 10 settings_shown "$user" || fail "the running app did not show its settings window"

# A demo beside it: commands and data stay the user's, and the user's app
# outlives the demo.
"$cadro" --demo >>"$work/demo.log" 2>&1 &
demo=$!
pids+=("$demo")
wait_for 10 test -S "$demo_socket" || fail "the demo did not open its socket"
running "$user" || fail "the demo ended the user's app"
"$cadro" add-thread "Important thing" >/dev/null
has_thread "$store" "Important thing" || fail "a command during the demo missed the user's store"
! has_thread "$TMPDIR"/CadroDemo-*/data/threads.json "Important thing" || fail "a command went to the demo"
kill -TERM "$demo"
wait_app_end "$demo"
running "$user" || fail "the user's app ended with the demo"
app=$user
quit_app
echo "1 passed, 0 failed"
