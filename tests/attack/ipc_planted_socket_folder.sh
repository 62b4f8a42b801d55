#!/usr/bin/env bash
# Another user who makes our socket folder first ($TMPDIR/cadro-<uid>, used
# without XDG_RUNTIME_DIR) cannot keep commands from the tray app: it listens
# in a private folder of its own, which commands find through the lock file.
# Usage: ipc_planted_socket_folder.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=../e2e/app_env.sh
source "$(dirname "$0")/../e2e/app_env.sh"

other=cadro-intruder-$$
useradd --no-create-home --shell /usr/sbin/nologin "$other" 2>/dev/null || { echo "SKIP: cannot add a user here"; exit 0; }
trap 'status=$?; userdel -r "$other" 2>/dev/null || userdel "$other" 2>/dev/null || true; cleanup; exit $status' EXIT
unset XDG_RUNTIME_DIR
chmod 755 "$work"
chmod 1777 "$TMPDIR"
runuser -u "$other" -- mkdir -m 700 "$TMPDIR/cadro-$UID"

"$cadro" add-thread Alpha >/dev/null
launch_app
wait_for 10 grep -q "cadro-$UID-" "$XDG_DATA_HOME/Cadro/threads.lock" || fail "the lock file does not tell where the app listens"
exits 0 timeout 20 "$cadro" add-thread Beta || fail "a change through the app exited $status: $(cat "$work/last.err")"
grep -q 'another user' "$work/app.log" || fail "the app did not say what is wrong with the folder"
quit_app
listed Beta || fail "the change is missing"
! compgen -G "$TMPDIR/cadro-$UID-*" >/dev/null || fail "the app left its own folder behind"
