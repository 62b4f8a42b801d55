#!/usr/bin/env bash
# Files named to `cadro import` and `cadro brain-dump --link` that are no
# ordinary text files: a FIFO, a device, standard input and files too large.
# The tray app must never open what a command names, nor stall or swell;
# every case gets a clear refusal and the app keeps answering.
# Usage: import_special_files.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=../e2e/app_env.sh
source "$(dirname "$0")/../e2e/app_env.sh"
# An app stuck reading cannot handle a polite signal.
trap 'kill -KILL "${app:-}" 2>/dev/null || true; cleanup' EXIT

# Runs a command for at most 15 s; it must end with `want` and say `words`.
refused() {
  local what=$1 want=$2 words=$3
  shift 3
  status=0
  timeout 15 "$@" >"$work/last.out" 2>"$work/last.err" || status=$?
  [ "$status" -eq "$want" ] || fail "$what: exited $status, not $want ($(cat "$work/last.err"))"
  grep -q "$words" "$work/last.err" || fail "$what: no '$words' in: $(cat "$work/last.err")"
  "$cadro" status >/dev/null || fail "$what: the app no longer answers"
  if running "$app"; then
    local rss
    rss=$(ps -o rss= -p "$app")
    [ "$rss" -lt 400000 ] || fail "$what: the app grew to $rss KiB"
  fi
}

# shellcheck disable=SC2119 # the app takes no arguments here
start_app
"$cadro" add-todo Existing >/dev/null
mkfifo "$work/fifo"
refused "a FIFO" 2 "not a regular file" "$cadro" import "$work/fifo"
# Lets a reader stuck on the FIFO go.
timeout 2 sh -c ": <>'$work/fifo'" 2>/dev/null || true
refused "/dev/zero" 2 "not a regular file" "$cadro" import /dev/zero
truncate -s 65M "$work/huge.txt"
refused "a 65 MiB file" 2 "larger than 64 MiB" "$cadro" import "$work/huge.txt"
head -c 9M /dev/zero | tr '\0' 'a' >"$work/huge.md"
refused "a 9 MiB brain dump" 1 "larger than 8 MiB" "$cadro" brain-dump --link "$work/huge.md"
[ "$(stat -c %s "$store")" -lt 100000 ] || fail "the store grew to $(stat -c %s "$store") bytes"

# Standard input is read by the command, with "-".
out=$(printf 'Water plants\nCall Bo\n' | "$cadro" import -) || fail "import - failed"
[ "$out" = "Added 0 threads and 2 to-dos from standard input" ] || fail "import - said: $out"
"$cadro" list | grep -q "Call Bo" || fail "the to-dos from standard input are missing"
head -c 65M /dev/zero | tr '\0' 'a' >"$work/big-stdin"
refused "65 MiB on standard input" 2 "larger than 64 MiB" sh -c "'$cadro' import - <'$work/big-stdin'"

# Without the app the command reads the file itself, with the same checks.
quit_app
refused "a FIFO without the app" 2 "not a regular file" "$cadro" import "$work/fifo"
out=$(printf 'Alone\n' | "$cadro" import -) || fail "import - without the app failed"
"$cadro" list | grep -q "Alone" || fail "import - without the app added nothing"
