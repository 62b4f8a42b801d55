#!/usr/bin/env bash
# Runs dbusmenu_e2e.py on its own X server, in temporary folders, with a
# private D-Bus session bus.
# Usage: dbusmenu_e2e.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=app_env.sh
source "$(dirname "$0")/app_env.sh"
dbus-run-session -- "$(dirname "$0")/dbusmenu_e2e.py" "$cadro" "$work"
