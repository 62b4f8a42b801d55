# shellcheck shell=bash disable=SC2034 # the sourcing scripts use the variables set here
# Shared set-up for the attack scripts that need no tray app: temporary XDG
# folders, a cleanup trap and small helpers. Source it after setting `cadro`.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
export XDG_STATE_HOME=$work/state
export TMPDIR=$work/tmp TZ=Europe/Berlin LANG=en_US.UTF-8
mkdir -p "$XDG_RUNTIME_DIR" "$TMPDIR" && chmod 700 "$XDG_RUNTIME_DIR"
store=$XDG_DATA_HOME/Cadro/threads.json

# Runs a command; sets `status`, keeps its output in $work/last.out and .err.
run() {
  status=0
  "$@" >"$work/last.out" 2>"$work/last.err" || status=$?
}
