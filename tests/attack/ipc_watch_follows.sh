#!/usr/bin/env bash
# `cadro status --watch` through the tray app keeps following when a newer
# app replaces it (a status bar keeps updating).
# Usage: ipc_watch_follows.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=../e2e/app_env.sh
source "$(dirname "$0")/../e2e/app_env.sh"

"$cadro" add-thread Alpha >/dev/null
"$cadro" add-thread Beta >/dev/null
"$cadro" start-day >/dev/null
start_app
"$cadro" status --watch >"$work/watch.out" 2>&1 &
watcher=$!
pids+=("$watcher")
wait_for 10 test -s "$work/watch.out" || fail "the watch printed nothing"
launch_other_build
wait_for 10 answers || fail "the newer app does not answer"
sleep 1
"$cadro" next >/dev/null
wait_for 10 grep -q Beta "$work/watch.out" || fail "the watch stopped at the takeover: $(cat "$work/watch.out")"
running "$watcher" || fail "the watch ended"
[ "$(cat "$work/watch.out")" = $'Alpha\nBeta' ] || fail "the watch printed: $(cat "$work/watch.out")"
kill "$watcher"
quit_app
