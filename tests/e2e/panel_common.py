# Shared by the panel tests: running the tray app with a faked clock over the
# private session bus, the part of a panel that items register with, and
# reading the menu the item exports.
# The scripts using it take: path/to/cadro WORK_FOLDER
import datetime
import glob
import os
import subprocess
import sys
import time

import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

CADRO = sys.argv[1]
TRAY = os.path.join(os.path.dirname(CADRO), "cadro-tray")
WORK = sys.argv[2]
SOCKET = f"{WORK}/run/cadro/tray.sock"
CONF = f"{WORK}/config/Cadro/Cadro.conf"
PROCESSES = []
# The app's clock runs this many times faster, timers too.
CLOCK_RATE = 10
LIBFAKETIME = glob.glob("/usr/lib/*/faketime/libfaketime.so.1")[0]


def check(condition, message):
    if not condition:
        print("FAIL:", message, file=sys.stderr)
        log = os.path.join(WORK, "app.log")
        if os.path.exists(log):
            sys.stderr.write(open(log).read()[-3000:])
        sys.exit(1)


def wait_for(condition, seconds=10):
    # Runs the bus's events until `condition()` holds.
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.pending():
            context.iteration(False)
        if condition():
            return True
        time.sleep(0.05)
    return False


# Writes the app's settings and joins the private session bus.
def session_bus(settings):
    os.makedirs(os.path.dirname(CONF), mode=0o700, exist_ok=True)
    with open(CONF, "w") as conf:
        conf.write(settings)
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    return dbus.SessionBus()


def cadro(*args):
    return subprocess.run([CADRO, *args], capture_output=True, text=True, timeout=20).stdout.strip()


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        self.name = dbus.service.BusName("org.kde.StatusNotifierWatcher", bus)
        super().__init__(bus, "/StatusNotifierWatcher")
        self.items = []

    @dbus.service.method("org.kde.StatusNotifierWatcher", in_signature="s")
    def RegisterStatusNotifierItem(self, service):
        self.items.append(str(service))


# The item's properties and its exported menu.
def item_and_menu(bus, service):
    item = dbus.Interface(bus.get_object(service, "/StatusNotifierItem"), "org.freedesktop.DBus.Properties")
    menu_path = str(item.Get("org.kde.StatusNotifierItem", "Menu"))
    return item, dbus.Interface(bus.get_object(service, menu_path), "com.canonical.dbusmenu")


def plain(value):
    if isinstance(value, dbus.Array):
        return bytes(value) if value.signature == "y" else [plain(v) for v in value]
    if isinstance(value, dbus.Boolean):
        return bool(value)
    return int(value) if isinstance(value, int) else str(value)


# (id, properties, children) of the whole menu as GetLayout gives it now.
def fresh(menu):
    def walk(node):
        entry_id, properties, children = node
        return (int(entry_id), {str(k): plain(v) for k, v in properties.items()},
                [walk(c) for c in children])
    return walk(menu.GetLayout(0, -1, [])[1])


# (id, properties) of the first entry, depth first, whose properties pass `test`.
def find(tree, test):
    entry_id, properties, children = tree
    if test(properties):
        return entry_id, properties
    return next(filter(None, (find(c, test) for c in children)), None)


def entry(tree, label):
    return find(tree, lambda p: p.get("label") == label)


# Starts the tray app with its clock at `started_at`, running `rate` times
# faster; returns the process and a function giving the app's time now.
def launch_app(started_at, platform=(), tray=TRAY, rate=CLOCK_RATE):
    began = time.monotonic()
    stamp = started_at.strftime("@%Y-%m-%d %H:%M:%S") + (f" x{rate}" if rate != 1 else "")
    # The library rather than the faketime wrapper, whose named semaphores
    # clash with those a killed earlier run left behind.
    app = subprocess.Popen(["env", *platform, f"LD_PRELOAD={LIBFAKETIME}", f"FAKETIME={stamp}", tray],
                           stdout=open(os.path.join(WORK, "app.log"), "a"), stderr=subprocess.STDOUT)
    PROCESSES.append(app)
    # Commands work on the store file when no app runs: wait for its socket.
    check(wait_for(lambda: os.path.exists(SOCKET) and cadro("status") != "", 10),
          "the tray app does not answer")
    return app, lambda: started_at + datetime.timedelta(
        seconds=(time.monotonic() - began) * rate)


def quit_app(app):
    cadro("quit")
    app.wait(10)
    check(wait_for(lambda: not os.path.exists(SOCKET), 5),
          "the socket stayed after quitting")


# A to-do at the app's next whole minute that is at least 20 s away.
def schedule_todo_soon(title, clock):
    at = clock() + datetime.timedelta(seconds=20)
    at = at.replace(second=0) + datetime.timedelta(minutes=1)
    cadro("add-todo", title, "--on", at.strftime("%Y-%m-%d"), "--at", at.strftime("%H:%M"))



# Runs the test, ending every process it started however it ends.
def run(main):
    try:
        main()
    finally:
        for process in reversed(PROCESSES):
            process.kill()
