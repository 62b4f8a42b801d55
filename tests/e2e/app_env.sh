# shellcheck shell=bash disable=SC2034 # the sourcing scripts use the variables set here
# Shared set-up for the end-to-end scripts that run the tray app: temporary
# XDG folders, an Xvfb of their own, a cleanup trap and helpers to start, wait
# for and stop the app. Source it after setting `cadro`, and `accessible=1`
# to read windows over the accessibility bus: the script then runs again on a
# session bus of its own, with that bus started on it.
[ -z "${accessible:-}" ] || [ -n "${CADRO_OWN_BUS:-}" ] || CADRO_OWN_BUS=1 exec dbus-run-session -- "$0" "$@"
# shellcheck source-path=SCRIPTDIR source=../attack/store_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../attack/store_env.sh"
pids=()
mounts=()
cleanup() {
  for pid in "${pids[@]}"; do kill -CONT "$pid" 2>/dev/null || true; kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
# A script may define `diagnose` to print more of what went wrong.
fail() {
  echo "FAIL: $*" >&2
  tail -n 20 "$work"/*.log >&2 2>/dev/null || true
  ! declare -F diagnose >/dev/null || diagnose >&2
  exit 1
}
set -E
trap 'fail "line $LINENO: $BASH_COMMAND"' ERR

socket=$XDG_RUNTIME_DIR/cadro/tray.sock
demo_socket=$XDG_RUNTIME_DIR/cadro/demo.sock
tray=${tray:-$(dirname "$cadro")/cadro-tray}

Xvfb -displayfd 5 -nolisten tcp -screen 0 1024x768x24 5>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=:$(head -n1 "$work/display")
export DISPLAY
if [ -n "${accessible:-}" ]; then
  /usr/libexec/at-spi-bus-launcher --launch-immediately &
  pids+=($!)
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
fi

# Polls a condition every 0.05 s for up to $1 seconds.
wait_for() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 20))); do "$@" && return 0; sleep 0.05; done
  return 1
}
running() { kill -0 "$1" 2>/dev/null; }
gone() { ! running "$1"; }
answers() { "$cadro" status >/dev/null 2>&1 || [ $? -eq 1 ]; }

# Starts the tray app (extra arguments go to it) with default signal handling,
# which a background job of a script would otherwise lack for SIGINT; sets
# `app` to its pid without waiting for it. The same build started again only
# brings the running one forward.
launch_app() {
  app_binary=${binary:-$tray}
  env --default-signal=INT,TERM,HUP "$app_binary" "$@" >>"$work/app.log" 2>&1 &
  app=$!
  pids+=("$app")
}
# Starts another build than the last one started, which replaces it the way a
# newer version does: the tray app copied to a place of its own counts as one.
launch_other_build() {
  local copy=$work/other-build/cadro-tray
  [ -x "$copy" ] || { mkdir -p "${copy%/*}" && cp "$tray" "$copy"; }
  [ "${app_binary:-$tray}" = "$copy" ] && copy=$tray
  binary=$copy launch_app "$@"
}
# Starts the tray app and waits until it answers on its socket.
start_app() {
  launch_app "$@"
  wait_for 10 test -S "$socket" || fail "the tray app did not open its socket"
  wait_for 5 answers || fail "the tray app does not answer"
}
# Waits up to $2 (10) seconds for the app $1 to end and sets `app_status` to
# its exit status.
wait_app_end() {
  wait_for "${2:-10}" gone "$1" || fail "the tray app (pid $1) did not end"
  app_status=0
  wait "$1" 2>/dev/null || app_status=$?
}
quit_app() {
  "$cadro" quit >/dev/null || fail "cadro quit failed"
  wait_app_end "$app"
}
# Runs a command as `run` does; true when it exits $1.
exits() {
  local want=$1
  shift
  run "$@"
  [ "$status" -eq "$want" ]
}
# True when the JSON file $1 (the store's, or a listing) has the title $2.
has_title() { jq -e --arg t "$2" '[.. | .title? // empty] | index($t) != null' "$1" >/dev/null; }
# True when `cadro list --json` (through the app when one runs) has a title.
listed() { "$cadro" list --json | has_title /dev/stdin "$1"; }
