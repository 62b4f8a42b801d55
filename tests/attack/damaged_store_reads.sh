#!/usr/bin/env bash
# Reading a damaged store says so: no empty "backup" from export, no "Day not
# started" from status, and the damaged file stays as it is for the user.
# Usage: damaged_store_reads.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=store_env.sh
source "$(dirname "$0")/store_env.sh"

"$cadro" add-thread "Precious" >/dev/null
head -c 40 "$store" >"$work/damaged.json"
cp "$work/damaged.json" "$store"

for command in status list export; do
  run "$cadro" "$command"
  [ "$status" -ne 0 ] || fail "$command of a damaged store exited 0"
  grep -q "damaged" "$work/last.err" || fail "$command did not warn on stderr: $(cat "$work/last.err")"
  ! grep -q "Day not started" "$work/last.out" || fail "$command took the damaged store for an empty one"
done
[ ! -s "$work/last.out" ] || fail "export of a damaged store printed: $(cat "$work/last.out")"
run "$cadro" status
grep -qi "damaged" "$work/last.out" || fail "status does not show the damage: $(cat "$work/last.out")"
cmp -s "$store" "$work/damaged.json" || fail "a read changed the damaged file"

# A change starts afresh and keeps the damaged file beside the new one.
"$cadro" add-thread "Fresh" >/dev/null 2>&1 || fail "a change on a damaged store failed"
cmp -s "$store".corrupt-* "$work/damaged.json" || fail "the damaged file was not kept aside"
run "$cadro" export
[ "$status" -eq 0 ] && grep -q Fresh "$work/last.out" || fail "export after the fresh start failed"
