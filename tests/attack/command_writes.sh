#!/usr/bin/env bash
# What one command does to the store file without the tray app: a change
# writes once, and `tick` shows to-dos due together one after the other as the
# app does.
# Usage: command_writes.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=store_env.sh
source "$(dirname "$0")/store_env.sh"

faketime_lib=
for lib in /usr/lib/*/faketime/libfaketime.so.1 /usr/lib/faketime/libfaketime.so.1; do
  [ -e "$lib" ] && faketime_lib=$lib && break
done
[ -n "$faketime_lib" ] || fail "libfaketime is missing"
# A sanitizer build wants its runtime first; the preloaded clock comes first.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0
# Runs cadro at a given local time (the clock runs on from there).
at() {
  local when=$1
  shift
  LD_PRELOAD=$faketime_lib FAKETIME="@2027-01-04 $when" "$cadro" "$@"
}
# How often the command renamed something onto the store file.
writes_of() {
  strace -f -qq -e trace=rename,renameat,renameat2 -o "$work/trace" "$@" >/dev/null 2>&1 || true
  grep -c "\"$store\"" "$work/trace" || true
}

at 08:00:00 start-day >/dev/null
at 08:00:00 add-thread Alpha >/dev/null
at 08:00:00 add-thread Beta >/dev/null
at 08:00:00 set todo-chance 0 >/dev/null
# Snooze everything, so that nothing is current.
for _ in 1 2 3 4; do at 08:00:00 snooze 15 >/dev/null 2>&1 || break; done

# The snoozes have run out: one Next, one write, even with snoozes to wake
# first.
count=$(LD_PRELOAD=$faketime_lib FAKETIME="@2027-01-04 08:30:00" writes_of "$cadro" next)
[ "$count" -eq 1 ] || fail "one Next wrote the file $count times"

# Two to-dos due at 09:00: tick shows the first; once it is done, the next
# tick shows the second.
at 08:30:00 add-todo First --at 09:00 >/dev/null
at 08:30:00 add-todo Second --at 09:00 >/dev/null
at 09:00:10 tick >/dev/null
at 09:00:12 status | grep -q First || fail "tick did not show the first to-do: $(at 09:00:12 status)"
at 09:00:20 next >/dev/null
at 09:00:40 tick >/dev/null
at 09:00:42 status | grep -q Second || fail "the second to-do due at 09:00 never came up: $(at 09:00:42 status)"
