#!/usr/bin/env bash
# What `cadro import` takes must pass the checks the commands that add
# threads and to-dos apply: no blank titles, no control characters; the
# refusal names the line or record and changes nothing. An export saved with
# a byte-order mark is still read as an export.
# Usage: import_validation.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=../e2e/app_env.sh
source "$(dirname "$0")/../e2e/app_env.sh"

from=$work/from
XDG_DATA_HOME=$from "$cadro" add-thread Website --step hero >/dev/null
XDG_DATA_HOME=$from "$cadro" add-todo Meds >/dev/null
XDG_DATA_HOME=$from "$cadro" export >"$work/export.json"

printf 'Fine\nRed \033[31malert\n' >"$work/todo-escape.txt"
sed 's/"title":"Website"/"title":"   "/' "$work/export.json" >"$work/blank-title.json"
sed 's/"step":"hero"/"step":"a\\u001bb"/' "$work/export.json" >"$work/escape-step.json"
"$cadro" add-todo Existing >/dev/null
# Each row: a file and what its refusal must say.
while IFS='|' read -r name words; do
  before=$(cat "$store")
  exits 2 "$cadro" import "$work/$name" || fail "$name: exited $status, not 2"
  grep -q -- "$words" "$work/last.err" || fail "$name: no '$words' in: $(cat "$work/last.err")"
  [ "$(cat "$store")" = "$before" ] || fail "$name: the store changed"
done <<'ROWS'
todo-escape.txt|line 2: the title contains a line break, tab or other control character
blank-title.json|: the title is blank
escape-step.json|: the step contains a line break
ROWS

# A byte-order mark before an export.
printf '\357\273\277' | cat - "$work/export.json" >"$work/bom.json"
"$cadro" import "$work/bom.json" --dry-run | grep -q 'thread "Website"' || fail "the thread was not read"
out=$("$cadro" import "$work/bom.json") || fail "the export with a byte-order mark was refused"
[ "${out%% from*}" = "Added 1 thread and 1 to-do" ] || fail "the export with a byte-order mark gave: $out"
echo "PASS"
