#!/usr/bin/env bash
# A command is carried out once even when the tray app dies after saving it
# but before answering: the command sends it again (same id) to whoever holds
# the store next, which answers from the store's memory of it. A command that
# waits through a slow save gets its real answer, not "not made" (exit 4).
# Usage: ipc_resend_once.sh path/to/cadro   (CADRO_SAVE_SHIM: the save shim)
cadro=$1
# shellcheck source-path=SCRIPTDIR source=../e2e/app_env.sh
source "$(dirname "$0")/../e2e/app_env.sh"
export CADRO_SAVE_SHIM_FLAG=$work/shim.flag
count() { "$cadro" list --json | jq --arg t "$1" '[.. | .title? // empty | select(. == $t)] | length'; }
die_after_next_save() { printf d >"$CADRO_SAVE_SHIM_FLAG"; }
# The killed app leaves its socket behind: wait for the new one's.
start_shimmed_app() { rm -f "$socket"; LD_PRELOAD=$CADRO_SAVE_SHIM start_app; }

"$cadro" add-thread Alpha >/dev/null
"$cadro" add-thread Beta >/dev/null
"$cadro" start-day >/dev/null
for round in 1 2 3; do
  start_shimmed_app
  die_after_next_save
  exits 0 "$cadro" add-todo "Buy milk $round" || fail "round $round: add exited $status: $(cat "$work/last.err")"
  wait_app_end "$app"
  [ "$(count "Buy milk $round")" -eq 1 ] || fail "round $round: the to-do was added $(count "Buy milk $round") times"
done

start_shimmed_app
# A save that takes 7 s: the command waits for it and reports success.
printf s >"$CADRO_SAVE_SHIM_FLAG"
exits 0 timeout 60 "$cadro" add-thread Slow || fail "a change during a slow save exited $status: $(cat "$work/last.err")"
listed Slow || fail "the slowly saved change is missing"

# A snooze whose answer was lost is not refused as a second snooze.
die_after_next_save
current=$("$cadro" status)
exits 0 "$cadro" snooze "$current" || fail "snooze exited $status: $(cat "$work/last.err")"
wait_app_end "$app"
"$cadro" list --json | jq -e --arg t "$current" '.snoozed | map(.title) | index($t) != null' >/dev/null ||
  fail "the thread was not snoozed"
