#!/usr/bin/env bash
# End-to-end test of the store's and the socket's safety: a full file system, socket folders another user could reach, and an
# orderly quit on signals.
# Usage: store_safety_e2e.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=app_env.sh
source "$(dirname "$0")/app_env.sh"

# On a full file system a change fails with 3, the last good file stays
# byte for byte, and the next change after space is freed is saved.
full_disk() {
  local -x XDG_DATA_HOME=$small/$1
  local store=$XDG_DATA_HOME/Cadro/threads.json
  "$cadro" add-thread Alpha >/dev/null
  [ "$1" = direct ] || start_app
  cp "$store" "$work/last-good.json"
  head -c 4M /dev/zero >"$small/filler" 2>/dev/null || true
  exits 3 "$cadro" add-thread Overflow || fail "$1: a change on a full disk exited $status, not 3"
  [ "$(wc -l <"$work/last.err")" -eq 1 ] && grep -q '^cadro: ' "$work/last.err" ||
    fail "$1: no one-line reason: $(cat "$work/last.err")"
  cmp -s "$store" "$work/last-good.json" || fail "$1: a failed save changed the last good file"
  rm "$small/filler"
  "$cadro" add-thread Roomy >/dev/null || fail "$1: a change failed once there was room again"
  [ "$1" = direct ] || quit_app
  listed Roomy || fail "$1: the change after the full disk was not saved"
}
small=$work/small
mkdir "$small"
if mount -t tmpfs -o size=256k tmpfs "$small" 2>/dev/null; then
  mounts+=("$small")
  full_disk direct
  full_disk app
else
  echo "SKIP: full file system (cannot mount a tmpfs here)"
fi

# A socket folder others can enter, here one of mode 755 under TMPDIR (what
# makes a folder unsafe is checked in the unit tests), is never used: an
# intruder listening in it gets no connection, a command without the app works
# directly, one with the store locked gives up with 4, and the app listens in
# a folder of its own instead, where commands find it.
folder=$TMPDIR/cadro-$UID
mkdir -m 755 "$folder"
unset XDG_RUNTIME_DIR
python3 -c '
import socket, sys
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1])
s.listen()
while True:
    s.accept()[0].close()
    open(sys.argv[2], "a").write("connected\n")
' "$folder/tray.sock" "$work/intruder.out" &
pids+=($!)
wait_for 5 test -S "$folder/tray.sock" || fail "the intruder could not listen"
intruder_socket=$(stat -c %i "$folder/tray.sock")
"$cadro" add-thread Direct >/dev/null 2>&1 || fail "a command without the app failed"
listed Direct || fail "the direct change is missing"
exec 8>>"$XDG_DATA_HOME/Cadro/threads.lock"
flock 8
exits 4 timeout 20 "$cadro" add-thread "Locked out" || true
exec 8>&-
[ $status -eq 4 ] || fail "with the store locked, a command exited $status, not 4"
launch_app
store_held_or_gone() { ! flock -n "$XDG_DATA_HOME/Cadro/threads.lock" true || gone "$app"; }
wait_for 10 store_held_or_gone || fail "the app neither took the store nor ended"
exits 0 timeout 20 "$cadro" status || fail "with the app in a folder of its own, cadro status exited $status"
[ "$(stat -c %i "$folder/tray.sock")" = "$intruder_socket" ] || fail "the app took over the socket"
[ ! -e "$work/intruder.out" ] || fail "the intruder got a connection"
kill -TERM "$app" 2>/dev/null || true
wait_app_end "$app"
export XDG_RUNTIME_DIR=$work/run

# SIGTERM, SIGINT and SIGHUP quit in order: status 0, no socket left behind.
for signal in TERM INT HUP; do
  start_app
  kill -s "$signal" "$app"
  wait_app_end "$app"
  [ "$app_status" -eq 0 ] || fail "SIG$signal: the app exited $app_status"
  [ ! -e "$socket" ] || fail "SIG$signal: the socket was left behind"
done
echo "1 passed, 0 failed"
