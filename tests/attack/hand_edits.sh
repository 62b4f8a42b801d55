#!/usr/bin/env bash
# Edits of the store file by hand while commands keep saving it: every edit
# must survive, in the file or in a copy kept beside it. Editors save two
# ways: a new file renamed over the old one, and a rewrite in place.
# Usage: hand_edits.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=store_env.sh
source "$(dirname "$0")/store_env.sh"

rounds=100
"$cadro" start-day >/dev/null
for t in Alpha Beta Gamma; do "$cadro" add-thread "$t" >/dev/null; done

# Each edit appends its own mark to the brain dump of the version it read.
editor() {
  python3 - "$store" "$1" "$2" "$rounds" <<'PY'
import json, os, random, sys, time
store, style, tag, rounds = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
for n in range(rounds):
    time.sleep(random.uniform(0, 0.03))
    with open(store, "r" if style == "rename" else "r+") as f:
        data = json.load(f)
        data["brainDump"] += "<%s %d>" % (tag, n)
        if style == "rename":
            with open(store + ".edit~", "w") as new:
                json.dump(data, new)
            os.rename(store + ".edit~", store)
        else:
            f.seek(0)
            f.truncate()
            json.dump(data, f)
PY
}

race() {
  local style=$1
  editor "$style" "$style" &
  local edits=$!
  for _ in $(seq $rounds); do
    "$cadro" next >/dev/null 2>>"$work/next.err" || fail "$style: cadro next failed: $(tail -n 3 "$work/next.err")"
    kill -0 "$edits" 2>/dev/null || break
  done
  wait "$edits" || fail "$style: the editor failed"
  local lost=0 n everything
  everything=$(cat "$store" "$store".conflict-* "$store".corrupt-* 2>/dev/null || true)
  for n in $(seq 0 $((rounds - 1))); do
    [[ $everything == *"<$style $n>"* ]] || lost=$((lost + 1))
  done
  [ "$lost" -eq 0 ] || fail "$style: $lost of $rounds hand edits were lost"
}
race rename
race in-place

# Whatever was kept aside was reported where the command's user sees it.
if ls "$store".conflict-* >/dev/null 2>&1; then
  grep -q "kept beside it as $store.conflict-" "$work/next.err" || fail "a kept edit was not reported"
fi
# The live file is still the store, and the commands still work on it.
"$cadro" status >/dev/null || fail "the store no longer reads after the race"
