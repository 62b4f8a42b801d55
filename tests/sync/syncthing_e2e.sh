#!/usr/bin/env bash
# Two machines, one synced folder: two Syncthing instances on 127.0.0.1 share
# a folder with Cadro's data in it. Commands run on both machines at once while
# they cannot reach each other; once they can, both must end with every
# change, list the same, and leave no copy of the store unmerged.
# Usage: syncthing_e2e.sh path/to/cadro [--tray]
# Exits 77 (skipped) when Syncthing is not installed.
cadro=$1
with_tray=${2:-}
command -v syncthing >/dev/null || { echo "SKIP: syncthing is not installed"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
# Temporary folders, an X server for the tray apps, their clean-up, and a
# fail that shows the logs.
# shellcheck source-path=SCRIPTDIR source=../e2e/app_env.sh
source "$here/../e2e/app_env.sh"
# On failure: the synced folders as well as the logs.
diagnose() { ls -la "$work"/[ab]/Sync/Cadro 2>/dev/null || true; }
free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
# Runs a command, or cadro, as machine $1.
machine() {
  local m=$1
  shift
  HOME=$work/$m XDG_DATA_HOME=$work/$m/data XDG_CONFIG_HOME=$work/$m/config \
    XDG_STATE_HOME=$work/$m/state XDG_RUNTIME_DIR=$work/$m/run "$@"
}
on() { machine "$1" "$cadro" "${@:2}"; }
rest() { # machine, path: a POST to its REST interface
  python3 -c 'import sys, urllib.request as u
u.urlopen(u.Request(sys.argv[1], method="POST", headers={"X-API-Key": sys.argv[2]}), timeout=10)' \
    "http://127.0.0.1:${gui_port[$1]}$2" "key-$1"
}
wait_for() { # seconds, command... (by the clock: a check may take seconds)
  local until=$(($(date +%s) + $1))
  shift
  until "$@"; do
    [ "$(date +%s)" -lt "$until" ] || return 1
    sleep 0.2
  done
}

declare -A id port gui_port other=([a]=b [b]=a)
for m in a b; do
  mkdir -p "$work/$m/Sync/.stfolder" "$work/$m/run"
  chmod 700 "$work/$m/run"
  syncthing generate --home "$work/$m/st" --no-default-folder --skip-port-probing >/dev/null 2>&1
  id[$m]=$(syncthing serve --home "$work/$m/st" --device-id)
  port[$m]=$(free_port)
  gui_port[$m]=$(free_port)
done
for m in a b; do
  "$here/syncthing_config.py" "$work/$m/st/config.xml" "${port[$m]}" "${gui_port[$m]}" "key-$m" \
    "$work/$m/Sync" "${id[${other[$m]}]}" "${port[${other[$m]}]}"
done

# Machine a keeps its data in the synced folder; b has data of its own and
# joins it once the folder has arrived.
on a add-thread Alpha >/dev/null
on a add-thread Beta >/dev/null
on a start-day >/dev/null
on a move-data "$work/a/Sync/Cadro" >/dev/null
on b add-thread Gamma >/dev/null
for m in a b; do
  STMONITORED=yes syncthing serve --home "$work/$m/st" --no-browser --no-restart --no-upgrade \
    --no-default-folder >"$work/$m-syncthing.log" 2>&1 &
  pids+=($!)
done
wait_for 30 test -f "$work/b/Sync/Cadro/threads.json" || fail "the folder did not reach b"
echo "paired and in step after $SECONDS s"
if on b move-data "$work/b/Sync/Cadro" 2>/dev/null; then fail "b's data replaced a's without --join"; fi
on b move-data "$work/b/Sync/Cadro" --join >/dev/null

titles() { on "$1" list --titles 2>/dev/null | cut -f1 | sort | tr '\n' ' '; }
lists() { titles "$1" | grep -q "$2"; }
wait_for 20 lists a Gamma || fail "b's own thread did not reach a after joining"

if [ "$with_tray" = --tray ]; then
  for m in a b; do
    machine "$m" dbus-run-session -- "$tray" >"$work/$m-tray.log" 2>&1 &
    pids+=($!)
  done
  for m in a b; do wait_for 10 test -S "$work/$m/run/cadro/tray.sock" || fail "no tray app on $m"; done
fi

# Apart: a pauses b, and each machine changes the same data.
for m in a b; do rest "$m" "/rest/system/pause?device=${id[${other[$m]}]}"; done
changers=()
(
  on a add-thread "From a" >/dev/null
  on a edit Alpha --step "step typed on a" >/dev/null
  on a remove Beta >/dev/null
  on a next >/dev/null
) &
changers+=($!)
(
  on b add-thread "From b" >/dev/null
  on b edit Alpha --step "step typed on b" >/dev/null
  on b add-todo "Call from b" >/dev/null
  on b brain-dump --append "thought on b" >/dev/null
) &
changers+=($!)
wait "${changers[@]}"
sleep 1.5 # each machine's watcher has seen its own change
resumed=$SECONDS
for m in a b; do rest "$m" "/rest/system/resume?device=${id[${other[$m]}]}"; done

# Without the tray app the next command takes a copy in: `cadro list` runs on
# both machines until they agree.
unmerged() { find "$work/a/Sync/Cadro" "$work/b/Sync/Cadro" -maxdepth 1 -name 'threads*conflict*' | grep -q .; }
agree() {
  local la lb
  la=$(on a list --json 2>/dev/null | jq -S .) && lb=$(on b list --json 2>/dev/null | jq -S .) &&
    [ "$la" = "$lb" ] && ! unmerged &&
    cmp -s "$work/a/Sync/Cadro/threads.json" "$work/b/Sync/Cadro/threads.json"
}
settle() { agree && sleep 3 && agree; } # still so after the sync tool had its say
wait_for 60 settle || fail "the machines did not agree within a minute"
echo "agreed $((SECONDS - resumed)) s after resuming (3 s of that checking it held)"
echo "conflict copies merged: $(find "$work"/[ab]/Sync/Cadro/merged -type f 2>/dev/null | wc -l)"

# They agree, so a's data is b's too.
got=$(titles a)
for title in Alpha Gamma "From a" "From b" "Call from b"; do
  grep -q "$title" <<<"$got" || fail "\"$title\" was lost: $got"
done
! grep -q Beta <<<"$got" || fail "the thread removed on a came back"
dump=$(on a brain-dump)
grep -q "thought on b" <<<"$dump" || fail "b's brain-dump line was lost"
step=$(on a list --json | jq -r '.active[] | select(.title == "Alpha") | .step')
for side in a b; do
  grep -q "step typed on $side" <<<"$dump$step" || fail "the step typed on $side was lost"
done
if [ "$with_tray" = --tray ]; then
  # A copy in another sync tool's naming, with a thread an older release added
  # (no change stamp): the running app takes it in on its own.
  dropped_at=$SECONDS
  jq '.active = [{"id": "0C0FFEE0-0000-4000-8000-000000000001", "title": "Dropped in"}] + .active' \
    "$work/a/Sync/Cadro/threads.json" >"$work/a/Sync/Cadro/threads (conflicted copy 2026-12-07 101010).json"
  taken() { [ ! -e "$work/a/Sync/Cadro/threads (conflicted copy 2026-12-07 101010).json" ]; }
  wait_for 5 taken || fail "the app on a did not take in a copy within 5 s"
  echo "the app took a copy in $((SECONDS - dropped_at)) s after it appeared"
  lists a "Dropped in" || fail "the thread in the copy was lost"
  wait_for 20 agree || fail "the machines did not agree after the dropped-in copy"
fi
echo "PASS in $SECONDS s"
