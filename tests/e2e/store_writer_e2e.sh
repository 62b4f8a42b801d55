#!/usr/bin/env bash
# End-to-end test of who writes the store while the tray app runs: commands
# that cannot find its socket, commands during a start and a takeover, edits
# of the file by hand, a stopped app, and bad input through the app.
# Usage: store_writer_e2e.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=app_env.sh
source "$(dirname "$0")/app_env.sh"

"$cadro" add-thread Alpha >/dev/null
"$cadro" add-thread Beta >/dev/null

# A shell whose XDG_RUNTIME_DIR is unset or another folder (cron, ssh) reaches
# the app through the lock file, or fails with 4: a change reported as done
# is never written behind the app's back and then lost.
start_app
# Bad input through the app is bad input too.
for title in $'bad \xff utf8' $'two\nlines'; do
  exits 2 "$cadro" add-thread "$title" || fail "add-thread $(printf %q "$title") through the app exited $status, not 2"
done
# Every command the help lists reaches the app through its socket: an option
# none of them takes is bad input there, never an unknown command.
for command in $("$cadro" --help | sed -n '/^Commands:/,/^$/p' | grep -E '^  [a-z]' | awk '{print $1}'); do
  [ "$command" = help ] && continue  # answered before anything is sent
  exits 2 "$cadro" "$command" --no-such-option && ! grep -q "unknown command" "$work/last.err" ||
    fail "$command did not reach the app: $status $(cat "$work/last.err")"
done
answers || fail "the tray app did not survive every command's bad input"
mkdir -m 700 "$work/elsewhere"
reported_done=()
for i in $(seq 20); do
  runtime=(-u XDG_RUNTIME_DIR)
  [ $((i % 2)) -eq 0 ] || runtime=(XDG_RUNTIME_DIR="$work/elsewhere")
  exits 0 env "${runtime[@]}" "$cadro" add-thread "Outside $i" && reported_done+=("Outside $i")
  [ "$status" -eq 0 ] || [ "$status" -eq 4 ] ||
    fail "a command without the app's socket exited $status: $(cat "$work/last.err")"
done
echo "${#reported_done[@]} of 20 commands without the app's socket reached it"
"$cadro" add-thread "Through the app" >/dev/null
for title in "${reported_done[@]}"; do listed "$title" || fail "\"$title\" was reported done but is lost"; done

# Commands started together with an app, or with a second app taking over
# from the first, are all applied and kept.
racing_commands() {
  local delay racers=()
  for delay in 0 0.05 0.2; do
    (sleep "$delay"; "$cadro" add-thread "$1 +$delay" >/dev/null 2>"$work/race-$delay.err" ||
      echo "\"$1 +$delay\" exited $?: $(cat "$work/race-$delay.err")" >>"$work/race.out") &
    racers+=($!)
  done
  wait "${racers[@]}"
  [ ! -s "$work/race.out" ] || fail "a command during $1 failed: $(cat "$work/race.out")"
  wait_for 10 answers || fail "no app answers after $1"
  for delay in 0 0.05 0.2; do listed "$1 +$delay" || fail "\"$1 +$delay\" was lost"; done
}
for round in 1 2 3; do
  old=$app
  launch_other_build
  racing_commands "takeover $round"
  wait_for 10 gone "$old" || fail "the replaced app did not end"
done
quit_app
for round in 1 2 3; do
  launch_app
  racing_commands "start $round"
  quit_app
done
for round in 1 2 3; do
  listed "takeover $round +0.05" && listed "start $round +0.05" || fail "round $round lost a change after quitting"
done

# A hand edit, in place or by replacing the file, shows up at once and
# survives the app's next save; a damaged one is set aside.
start_app
retitle() { jq --arg from "$1" --arg to "$2" 'walk(if type == "object" and .title? == $from then .title = $to else . end)' "$store"; }
# cp writes the file in place; mv renames a new file over it.
for edit in "Alpha cp" "Beta mv"; do
  read -r thread save <<<"$edit"
  retitle "$thread" "$thread by $save" >"$work/edited.json"
  "$save" "$work/edited.json" "$store"
  wait_for 2 listed "$thread by $save" || fail "an edit saved by $save did not show up in cadro list"
  "$cadro" add-thread "After $save" >/dev/null
  listed "$thread by $save" || fail "the app's next save undid an edit saved by $save"
done
echo '{"threads": [' >"$store"
wait_for 2 compgen -G "$store.corrupt-*" >/dev/null || fail "a damaged hand edit was not kept aside"
listed "Beta by mv" && listed "After mv" || fail "a damaged hand edit cost the app its state"

# A stopped app makes a command give up with 4 within 8 s, not hang.
kill -STOP "$app"
exits 4 timeout 8 "$cadro" status || true
kill -CONT "$app"
[ $status -eq 4 ] || fail "cadro status against a stopped app exited $status (124: still waiting after 8 s): $(cat "$work/last.err")"
[ "$(wc -l <"$work/last.err")" -eq 1 ] || fail "not a one-line message: $(cat "$work/last.err")"
quit_app
echo "1 passed, 0 failed"
