#!/usr/bin/env bash
# Commands to a stopped tray app end on their own, even once its listen
# backlog is full (connecting would otherwise block until the app goes on),
# and none of them is carried out when it does go on.
# Usage: ipc_stopped_app.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=../e2e/app_env.sh
source "$(dirname "$0")/../e2e/app_env.sh"

"$cadro" add-thread Alpha >/dev/null
start_app
kill -STOP "$app"
waiters=()
for i in $(seq 70); do
  timeout -s KILL 40 "$cadro" add-thread "Late $i" >/dev/null 2>&1 &
  waiters+=($!)
done
for pid in "${waiters[@]}"; do
  status=0
  wait "$pid" || status=$?
  [ "$status" -eq 4 ] || fail "a command to the stopped app exited $status, not 4 (137: it hung until killed)"
done
kill -CONT "$app"
wait_for 10 answers || fail "the app did not answer once it went on"
sleep 1
! "$cadro" list | grep -q Late || fail "a command that gave up was carried out later"
quit_app
