# Shared by the panel tests: running the tray app with a faked clock over the
# private session bus, and the part of a panel that items register with.
# The scripts using it take: path/to/cadro WORK_FOLDER
import datetime
import glob
import os
import subprocess
import sys
import time

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


# Starts the tray app with its clock at `started_at`; returns the process and
# a function giving the app's time now.
def launch_app(started_at, platform=(), tray=TRAY):
    began = time.monotonic()
    stamp = started_at.strftime("@%Y-%m-%d %H:%M:%S") + f" x{CLOCK_RATE}"
    # The library rather than the faketime wrapper, whose named semaphores
    # clash with those a killed earlier run left behind.
    app = subprocess.Popen(["env", *platform, f"LD_PRELOAD={LIBFAKETIME}", f"FAKETIME={stamp}", tray],
                           stdout=open(os.path.join(WORK, "app.log"), "a"), stderr=subprocess.STDOUT)
    PROCESSES.append(app)
    # Commands work on the store file when no app runs: wait for its socket.
    check(wait_for(lambda: os.path.exists(SOCKET) and cadro("status") != "", 10),
          "the tray app does not answer")
    return app, lambda: started_at + datetime.timedelta(
        seconds=(time.monotonic() - began) * CLOCK_RATE)


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

