#!/usr/bin/env bash
# End-to-end test of undo: `cadro undo` and `cadro redo` on their own and
# through the running tray app share one history, which outlives the app; a
# hand edit of the store file is one step; Ctrl+Z in the settings window
# takes the latest change back.
# Usage: undo_e2e.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=tray_common.sh
source "$(dirname "$0")/tray_common.sh"

# Runs a command that must succeed and print exactly $1.
says() {
  local want=$1
  shift
  exits 0 "$@" && [ "$(cat "$work/last.out")" = "$want" ] ||
    fail "$* gave '$(cat "$work/last.out" "$work/last.err")' (exit $status), not '$want'"
}

exits 1 "$cadro" undo || fail "undo with nothing to undo did not exit 1"
grep -qx "cadro: nothing to undo" "$work/last.err" || fail "undo said: $(cat "$work/last.err")"
for command in "add-thread Alpha" "add-thread Beta" "start-day" "add-todo Buy\ milk" \
  "set todo-chance 100" "next"; do
  eval "\"\$cadro\" $command" >/dev/null
done
says 'Finished "Buy milk". Now: Beta' "$cadro" next
says 'Undid "Finished "Buy milk"". Now: to-do "Buy milk"' "$cadro" undo
says 'Redid "Finished "Buy milk"". Now: Beta' "$cadro" redo
exits 1 "$cadro" redo || fail "redo with nothing to redo did not exit 1"
[ -s "$XDG_STATE_HOME/Cadro/undo.json" ] || fail "the history is not in the state folder"
grep -q undo "$store" && fail "the history went into the store file"

# The running app carries on with the history the commands left.
start_app
says 'Undid "Finished "Buy milk"". Now: to-do "Buy milk"' "$cadro" undo
jq -c '.active[0].title = "Edited by hand"' "$store" >"$work/edited.json"
cp "$work/edited.json" "$store"
wait_for 5 listed "Edited by hand" || fail "the app did not take the hand edit"
says 'Undid "outside change". Now: to-do "Buy milk"' "$cadro" undo
listed "Edited by hand" && fail "undo left the hand edit"

# Ctrl+Z where no text field has the focus.
"$cadro" next >/dev/null
shows Beta || fail "next did not finish the to-do"
"$cadro" show settings >/dev/null
wait_window '^Cadro$' >/dev/null || fail "the settings window did not open"
sleep 0.5
xdotool key ctrl+z
wait_for 5 shows "☐ Buy milk" || fail "Ctrl+Z in the settings window did not undo"
xdotool key ctrl+shift+z
wait_for 5 shows Beta || fail "Ctrl+Shift+Z in the settings window did not redo"
quit_app

# After a restart of nothing at all: the app's steps are there for commands.
says 'Undid "Finished "Buy milk"". Now: to-do "Buy milk"' "$cadro" undo
echo "1 passed, 0 failed"
