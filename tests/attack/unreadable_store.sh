#!/usr/bin/env bash
# A store file the user cannot read (mode 0000) is never replaced: every
# command says which file and why, exits 3, and leaves the file, its mode and
# its folder as they were; once readable again, everything is there. Reading
# a damaged store says so: no empty "backup" from export, no "Day not started"
# from status, and the damaged file stays as it is for the user.
# Usage: unreadable_store.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=store_env.sh
source "$(dirname "$0")/store_env.sh"

# root reads any file: drop that power so mode 0000 means what it says.
as_user=()
[ "$(id -u)" -ne 0 ] || as_user=(setpriv "--bounding-set=-dac_override,-dac_read_search")

"$cadro" start-day >/dev/null
"$cadro" add-thread "Keep me" >/dev/null
cp "$store" "$work/before.json"
chmod 000 "$store"
for command in "next" "add-thread Other" "status" "export" "list" "tick"; do
  # shellcheck disable=SC2086 # the words are the command line
  run "${as_user[@]}" "$cadro" $command
  [ "$status" -eq 3 ] || fail "$command on an unreadable store exited $status, not 3"
  grep -q "$store" "$work/last.err" && grep -qi "permission" "$work/last.err" ||
    fail "$command: the message names neither the file nor the permission: $(cat "$work/last.err")"
  [ ! -s "$work/last.out" ] || fail "$command printed a store it could not read: $(cat "$work/last.out")"
done
[ "$(stat -c %a "$store")" = 0 ] || fail "the unreadable file was replaced"
[ "$(find "$XDG_DATA_HOME/Cadro" -name 'threads.json.*' | wc -l)" -eq 0 ] ||
  fail "copies were spread beside the file: $(ls "$XDG_DATA_HOME/Cadro")"
chmod 600 "$store"
cmp -s "$store" "$work/before.json" || fail "the file changed while it was unreadable"
"$cadro" list | grep -q "Keep me" || fail "the data did not come back once readable"

# The store, readable again, damaged by hand.
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
