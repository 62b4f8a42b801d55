#!/usr/bin/env bash
# Exit status 4 means the change was not made and will not be: a command that
# waits through a slow save gets its real answer, and one that gave up on a
# stopped app is dropped when the app goes on.
# Usage: ipc_exit_means_not_made.sh path/to/cadro   (CADRO_SAVE_SHIM: the save shim)
cadro=$1
# shellcheck source-path=SCRIPTDIR source=../e2e/app_env.sh
source "$(dirname "$0")/../e2e/app_env.sh"
export CADRO_SAVE_SHIM_FLAG=$work/shim.flag

"$cadro" add-thread Alpha >/dev/null
LD_PRELOAD=$CADRO_SAVE_SHIM start_app

# A save that takes 7 s: the command waits for it and reports success.
printf s >"$CADRO_SAVE_SHIM_FLAG"
exits 0 timeout 60 "$cadro" add-thread Slow || fail "a change during a slow save exited $status: $(cat "$work/last.err")"
listed Slow || fail "the slowly saved change is missing"

# A stopped app: the command gives up with 4 and the app, once it goes on,
# does not make the change behind its back.
kill -STOP "$app"
exits 4 timeout 60 "$cadro" add-thread Dropped || { kill -CONT "$app"; fail "a command to a stopped app exited $status, not 4"; }
kill -CONT "$app"
wait_for 10 answers || fail "the app did not answer once it went on"
sleep 1
! listed Dropped || fail "exit 4, yet the change was made once the app went on"
quit_app
echo "1 passed, 0 failed"
