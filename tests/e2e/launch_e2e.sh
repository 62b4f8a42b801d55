#!/usr/bin/env bash
# End-to-end test of starting Cadro while it runs: the same build started
# again brings the running tray app forward (its settings window, read over
# the accessibility bus) and ends; `cadro` alone prints a usage and the status
# and leaves the app be; demos run beside the user's app, whose commands and
# data stay its own, and go with their sandboxes.
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

# Demos beside it, each in a sandbox of its own: CADRO_DEMO=1 sends commands
# to the demo, other commands and all data stay the user's; a newer demo
# replaces the older, whose sandbox goes, and quitting removes the newer's;
# the user's app outlives them.
"$cadro" --demo >>"$work/demo.log" 2>&1 &
demo=$!
pids+=("$demo")
demo_shows() { [ "$(CADRO_DEMO=1 "$cadro" status 2>/dev/null)" = "$1" ]; }
wait_for 10 demo_shows "Website redesign: Write hero copy" || fail "the demo is not seeded"
running "$user" || fail "the demo ended the user's app"
"$cadro" add-thread "Important thing" >/dev/null
has_title "$store" "Important thing" || fail "a command during the demo missed the user's store"
! has_title "$TMPDIR"/CadroDemo-*/data/threads.json "Important thing" || fail "a command went to the demo"
user_list=$("$cadro" list --json)
launch_app --demo
wait_app_end "$demo"
[ "$(compgen -G "$TMPDIR/CadroDemo-*" | wc -l)" -eq 1 ] || fail "a replaced demo kept its sandbox"
wait_for 10 test -S "$demo_socket" || fail "the newer demo did not open its socket"
CADRO_DEMO=1 "$cadro" quit >/dev/null || fail "cadro quit did not reach the demo"
wait_app_end "$app"
! compgen -G "$TMPDIR/CadroDemo-*" >/dev/null || fail "quitting the demo left its sandbox"
running "$user" || fail "the user's app ended with the demos"
[ "$("$cadro" list --json)" = "$user_list" ] || fail "the demos touched the user's store"
app=$user
quit_app
echo "1 passed, 0 failed"
