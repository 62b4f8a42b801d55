#!/usr/bin/env bash
# A store on a read-only mount, with no Cadro running: reading works at once,
# and a change exits 3 with the reason, never 4 ("cannot be reached").
# Usage: ipc_read_only_store.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=../e2e/app_env.sh
source "$(dirname "$0")/../e2e/app_env.sh"

"$cadro" add-thread Alpha >/dev/null
"$cadro" start-day >/dev/null
folder=$XDG_DATA_HOME/Cadro
mount --bind "$folder" "$folder" && mounts+=("$folder") && mount -o remount,bind,ro "$folder" ||
  { echo "SKIP: cannot mount read-only here"; exit 0; }

start=$SECONDS
exits 0 "$cadro" status || fail "status on a read-only store exited $status: $(cat "$work/last.err")"
exits 0 "$cadro" list || fail "list on a read-only store exited $status: $(cat "$work/last.err")"
exits 3 "$cadro" add-thread Beta || fail "a change on a read-only store exited $status, not 3: $(cat "$work/last.err")"
grep -qi 'read-only' "$work/last.err" || fail "the reason is not given: $(cat "$work/last.err")"
[ $((SECONDS - start)) -lt 4 ] || fail "the commands waited $((SECONDS - start)) s for nobody"
