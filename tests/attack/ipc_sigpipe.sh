#!/usr/bin/env bash
# The tray app survives writing to a stderr whose reader has gone (it writes
# there at start when its socket folder is not safe to use).
# Usage: ipc_sigpipe.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=../e2e/app_env.sh
source "$(dirname "$0")/../e2e/app_env.sh"

unset XDG_RUNTIME_DIR
mkdir -m 755 "$TMPDIR/cadro-$UID"
mkfifo "$work/stderr"
cat "$work/stderr" >/dev/null &
reader=$!
exec 9>"$work/stderr"
kill "$reader"
wait "$reader" 2>/dev/null || true
env --default-signal=INT,TERM,HUP "$tray" >/dev/null 2>&9 &
app=$!
pids+=("$app")
exec 9>&-
sleep 3
running "$app" || { wait "$app" || status=$?; fail "the app ended with status $status once its stderr had no reader"; }
wait_for 10 answers || fail "the app does not answer"
"$cadro" quit >/dev/null
wait_app_end "$app"
[ "$app_status" -eq 0 ] || fail "the app exited $app_status"
