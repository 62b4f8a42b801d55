# shellcheck shell=bash disable=SC2034 # the sourcing scripts use the variables set here
# Bring-up shared by the real-panel tests (tests/panels) and
# scripts/panel-screenshots: Cadro
# installed from a build into a temporary prefix (the panels find its icons
# there as in a real install), a temporary home, an Xvfb, a private system and
# session bus, the accessibility bus, and the tray app in that session.
# Source it after setting `build` (a complete build folder) and `panel` (a
# short name used for the screenshot folder).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d /tmp/cadro-panel.XXXXXX)
shots=${CADRO_PANEL_SHOTS:-$PWD/build/panel-shots}/$panel
mkdir -p "$shots"
pids=()
step=start
cleanup() {
  local pid
  # Newest first: the app and panels go before their buses and X server.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid=${pids[i]}
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT
# Saves a screenshot named after the step, prints what the panel showed and
# the logs, and fails at once.
fail() {
  echo "FAIL [$panel/$step]: $*" >&2
  shot "fail-$step" || true
  [ -s "$work/seen" ] && { echo "--- the panel showed:" >&2; cat "$work/seen" >&2; }
  for log in "$work"/*.log; do
    cp "$log" "$shots/" 2>/dev/null || true
    [ -s "$log" ] && { echo "--- $(basename "$log") (last lines):" >&2; tail -n 15 "$log" >&2; }
  done
  echo "screenshots: $shots" >&2
  # For looking around in the failed session by hand.
  if [ -n "${PANEL_HOLD:-}" ]; then
    env >"$PANEL_HOLD"
    sleep 900
  fi
  exit 1
}
set -E
trap 'fail "line $LINENO: $BASH_COMMAND"' ERR
shot() { import -display "$DISPLAY" -window root "$shots/$1.png" 2>/dev/null; }

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_STATE_HOME=$work/home/.local/state
export XDG_RUNTIME_DIR=$work/run TMPDIR=$work/tmp TZ=Europe/Berlin LANG=C.UTF-8 LC_ALL=C.UTF-8
unset SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" || fail "cannot install from $build"
cadro=$work/prefix/bin/cadro
tray=$work/prefix/bin/cadro-tray
export XDG_DATA_DIRS=$work/prefix/share:/usr/local/share:/usr/share
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
chmod 700 "$XDG_RUNTIME_DIR"

# Polls a command every 0.2 s for up to $1 seconds.
wait_for() {
  local end=$((SECONDS + $1))
  shift
  while :; do
    "$@" && return 0
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.2
  done
}
bg() { "$@" & pids+=($!); }

# An X server of its own (size as $1, default 1280x800).
start_x() {
  Xvfb -displayfd 5 -nolisten tcp -screen 0 "${1:-1280x800}x24" 5>"$work/display" 2>"$work/xvfb.log" &
  pids+=($!)
  wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
  export DISPLAY=:$(head -n1 "$work/display")
}

# Private system and session buses (desktops abort without a system bus),
# then the accessibility bus so panels and menus can be read as a screen
# reader reads them.
start_buses() {
  local conf=/usr/share/dbus-1
  bg dbus-daemon --config-file=$conf/session.conf --address="unix:path=$work/sysbus.sock" \
    --nofork --nopidfile 2>>"$work/dbus.log"
  bg dbus-daemon --config-file=$conf/session.conf --address="unix:path=$work/bus.sock" \
    --nofork --nopidfile 2>>"$work/dbus.log"
  export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/sysbus.sock
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/bus.sock
  wait_for 10 test -S "$work/bus.sock" || fail "no session bus"
  wait_for 10 test -S "$work/sysbus.sock" || fail "no system bus"
  bg /usr/libexec/at-spi-bus-launcher --launch-immediately 2>>"$work/dbus.log"
  wait_for 10 bus_has org.a11y.Bus || fail "no accessibility bus"
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}
bus_has() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
}

# Starts cadro-tray with its clock at $1 (e.g. "2027-01-04 08:00:00") running
# ten times faster, so that a to-do a minute away comes up in seconds.
# $app_runner (a command) may start it as another user, $app_platform on Wayland.
start_app() {
  local faketime
  faketime=$(ls /usr/lib/*/faketime/libfaketime.so.1 | head -n1)
  mkdir -p "$XDG_CONFIG_HOME/Cadro"
  printf '[General]\nwelcome.shown=true\n' >"$XDG_CONFIG_HOME/Cadro/Cadro.conf"
  # Ten times faster, so that a to-do comes up within seconds; "x1" for the
  # app's own timers at the pace a panel restarts.
  bg ${app_runner:-} env LD_PRELOAD="$faketime" FAKETIME="@$1 ${2:-x10}" \
    QT_QPA_PLATFORM="${app_platform:-xcb}" "$tray" >>"$work/app.log" 2>&1
  app=${pids[-1]}
  app_started=$SECONDS
  app_clock=$(date -d "$1" +%s)
  wait_for 15 answers || fail "the tray app does not answer"
}
answers() { "$cadro" status >/dev/null 2>&1; }
# The app again at real pace: a panel's restart takes seconds of real time,
# which the fast clock would turn into a minute of the app's.
restart_app_at_real_pace() {
  "$cadro" quit >/dev/null 2>&1
  wait_for 10 eval '! kill -0 "$app" 2>/dev/null' || fail "the tray app did not quit"
  start_app "$(date -d "@$((app_clock + (SECONDS - app_started) * 10))" '+%Y-%m-%d %H:%M:%S')" x1
}

py=/usr/bin/python3
atspi() { "$py" "$here/atspi_tool.py" "$@"; }

# GNOME Shell on X11 with Debian's AppIndicator extension (the watcher and host).
start_gnome() {
  gsettings set org.gnome.shell enabled-extensions "['ubuntu-appindicators@ubuntu.com']"
  gsettings set org.gnome.shell welcome-dialog-last-shown-version '999'
  gsettings set org.gnome.desktop.interface toolkit-accessibility true
  gsettings set org.gnome.desktop.interface enable-animations false
  bg gnome-shell --x11 --display="$DISPLAY" --sm-disable --replace >>"$work/gnome-shell.log" 2>&1
  wait_for 60 bus_has org.kde.StatusNotifierWatcher || fail "GNOME Shell's tray extension did not start"
  # It starts in the overview.
  sleep 1
  xdotool key Escape

}

# xfce4-panel with a preset top panel: a clock and the Status Tray; $1 "dark"
# gives the panel its dark mode.
start_xfce() {
  local conf=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml
  mkdir -p "$conf"
  cat >"$conf/xfce4-panel.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="dark-mode" type="bool" value="$([ "${1:-}" = dark ] && echo true || echo false)"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="icon-size" type="uint" value="16"/>
      <property name="size" type="uint" value="28"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
        <value type="int" value="2"/>
        <value type="int" value="3"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="separator">
      <property name="expand" type="bool" value="true"/>
      <property name="style" type="uint" value="0"/>
    </property>
    <property name="plugin-2" type="string" value="systray">
      <property name="square-icons" type="bool" value="true"/>
    </property>
    <property name="plugin-3" type="string" value="clock"/>
  </property>
</channel>
XML
  bg xfce4-panel --disable-wm-check >>"$work/xfce4-panel.log" 2>&1
  xfce_panel=${pids[-1]}
  wait_for 30 bus_has org.kde.StatusNotifierWatcher || fail "xfce4-panel's Status Tray did not start"
}

# What Plasma's processes expect of a KDE session; before start_buses, so that
# services the bus starts see it too.
plasma_environment() {
  export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5 XDG_SESSION_TYPE=x11
  export QT_QPA_PLATFORM=xcb
}
# KWin and plasmashell with the default Breeze panel; $1 "dark" switches to
# Breeze Dark.
start_plasma() {
  bg kwin_x11 --replace >>"$work/kwin.log" 2>&1
  sleep 3
  [ "${1:-}" = dark ] && lookandfeeltool -a org.kde.breezedark.desktop >>"$work/plasmashell.log" 2>&1
  bg plasmashell --no-respawn >>"$work/plasmashell.log" 2>&1
  wait_for 90 bus_has org.kde.StatusNotifierWatcher || fail "Plasma's system tray did not start"
}

