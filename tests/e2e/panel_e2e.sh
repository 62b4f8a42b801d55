#!/usr/bin/env bash
# Runs panel_e2e.py on the tray tests' X server and tray host, in their
# temporary folders, with a private D-Bus session bus.
# Usage: panel_e2e.sh path/to/cadro
cadro=$1
# shellcheck source-path=SCRIPTDIR source=tray_common.sh
source "$(dirname "$0")/tray_common.sh"
dbus-run-session -- "$(dirname "$0")/panel_e2e.py" "$cadro" "$work"
