#!/usr/bin/env bash
# A change the tray app keeps because the disk is full survives a newer start
# of the app: the older one stays until it has saved it, and the newer one
# says why it cannot start. An app that must end (a signal) with such a change
# writes it where there is room and says where.
# Usage: ipc_takeover_keeps_change.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=../e2e/app_env.sh
source "$(dirname "$0")/../e2e/app_env.sh"

small=$work/small
mkdir "$small"
mount -t tmpfs -o size=256k tmpfs "$small" 2>/dev/null || { echo "SKIP: cannot mount a tmpfs here"; exit 0; }
mounts+=("$small")
export XDG_DATA_HOME=$small/data HOME=$work/home
mkdir "$HOME"
"$cadro" add-thread Alpha >/dev/null
start_app
older=$app
head -c 4M /dev/zero >"$small/filler" 2>/dev/null || true
exits 3 "$cadro" add-thread Kept || fail "a change on a full disk exited $status, not 3"
grep -q 'keeps it' "$work/last.err" || fail "the app did not say it keeps the change: $(cat "$work/last.err")"

launch_other_build
newer=$app
wait_for 20 grep -q 'keeps changes it cannot save' "$work/app.log" || ! running "$older" || true
running "$older" || fail "the older app ended and dropped the change it kept"
grep -q 'keeps changes it cannot save' "$work/app.log" || fail "the newer app did not say why it cannot start"
kill -KILL "$newer" 2>/dev/null || true  # it shows its reason in a dialog
wait_app_end "$newer"

rm "$small/filler"
wait_for 20 grep -q Kept "$XDG_DATA_HOME/Cadro/threads.json" || fail "the kept change was never saved"
head -c 4M /dev/zero >"$small/filler" 2>/dev/null || true
exits 3 "$cadro" add-thread Rescued || fail "a second change on a full disk exited $status, not 3"
kill -TERM "$older"
wait_app_end "$older"
grep -q 'kept in .*home/threads.unsaved-' "$work/app.log" || fail "the app did not say where the change went"
grep -q Rescued "$HOME"/threads.unsaved-*.json || fail "the change the app kept was dropped when it ended"
rm "$small/filler"
listed Kept || fail "the kept change is gone"
