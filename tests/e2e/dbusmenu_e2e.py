#!/usr/bin/python3
# The exported menu as panels read it. Two clients follow it through a series
# of changes: one that keeps every entry by id and merges what it is sent, as
# GNOME Shell and Plasma do, and libdbusmenu-glib's own client. After each
# change both must show exactly what a fresh GetLayout gives. Bad ids and
# properties get an error at once; a click on an entry that went away does
# nothing.
# Run by dbusmenu_e2e.sh, which gives it an X server, its own folders and a
# private session bus.
# Usage: dbusmenu_e2e.py path/to/cadro WORK_FOLDER
import datetime
import glob
import os
import shutil
import subprocess
import sys
import time

import dbus
import dbus.mainloop.glib
import dbus.service
import gi

gi.require_version("Dbusmenu", "0.4")
from gi.repository import Dbusmenu, GLib  # noqa: E402

CADRO = sys.argv[1]
WORK = sys.argv[2]
SOCKET = f"{WORK}/run/cadro/tray.sock"
IFACE = "com.canonical.dbusmenu"
CLOCK_START = datetime.datetime(2027, 1, 4, 8, 0)
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


def plain(value):
    if isinstance(value, dbus.Array) and value.signature == "y":
        return bytes(value)
    if isinstance(value, (list, dbus.Array)):
        return [plain(v) for v in value]
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (int, dbus.Int32, dbus.UInt32)):
        return int(value)
    return str(value)


# (id, properties, children) as GetLayout gives it now.
def fresh(menu):
    def walk(node):
        entry_id, properties, children = node
        return (int(entry_id), {str(k): plain(v) for k, v in properties.items()},
                [walk(c) for c in children])
    return walk(menu.GetLayout(0, -1, [])[1])


# Keeps every entry it has seen by id and merges whatever it is sent, never
# dropping a property unless told it was removed.
class MergingClient:
    def __init__(self, bus, menu):
        self.menu = menu
        self.properties = {}
        self.children = {}
        self.layout_updates = 0
        bus.add_signal_receiver(self.layout_updated, "LayoutUpdated", IFACE)
        bus.add_signal_receiver(self.properties_updated, "ItemsPropertiesUpdated", IFACE)
        self.fetch()

    def fetch(self):
        def walk(node):
            entry_id, properties, children = node
            self.properties.setdefault(entry_id, {}).update(properties)
            self.children[entry_id] = [c[0] for c in children]
            for child in children:
                walk(child)
        walk(fresh(self.menu))

    def layout_updated(self, revision, parent):
        self.layout_updates += 1
        self.fetch()

    def properties_updated(self, updated, removed):
        for entry_id, properties in updated:
            self.properties.setdefault(int(entry_id), {}).update(
                {str(k): plain(v) for k, v in properties.items()})
        for entry_id, names in removed:
            for name in names:
                self.properties.get(int(entry_id), {}).pop(str(name), None)

    def tree(self, entry_id=0):
        return (entry_id, self.properties[entry_id],
                [self.tree(c) for c in self.children[entry_id]])


# What a panel draws of an entry, with the protocol's defaults filled in
# (a separator is only that).
def drawn(properties):
    if properties.get("type") == "separator":
        return ("separator",)
    return (properties.get("type", "standard"), properties.get("label", ""),
            properties.get("enabled", True), properties.get("toggle-type", ""),
            properties.get("toggle-state", -1) if properties.get("toggle-type") else -1,
            properties.get("children-display", ""))


def drawn_tree(node, root=True):
    entry_id, properties, children = node
    return (entry_id, None if root else drawn(properties),
            [drawn_tree(c, False) for c in children])


def glib_tree(item, root=True):
    def text(name, default):
        value = item.property_get(name)
        return default if value is None else value
    toggle = text("toggle-type", "")
    properties = (text("type", "standard"), text("label", ""), item.property_get_bool("enabled"),
                  toggle, item.property_get_int("toggle-state") if toggle else -1,
                  text("children-display", ""))
    if properties[0] == "separator":
        properties = ("separator",)
    return (item.get_id(), None if root else properties,
            [glib_tree(c, False) for c in item.get_children()])


def find(tree, label):
    entry_id, properties, children = tree
    if properties.get("label") == label:
        return entry_id
    for child in children:
        found = find(child, label)
        if found is not None:
            return found
    return None


def properties(tree, label):
    entry_id, entry, children = tree
    if entry.get("label") == label:
        return entry
    for child in children:
        found = properties(child, label)
        if found is not None:
            return found
    return None


# True when the call is answered with InvalidArgs within two seconds.
def refusal(call, *args):
    began = time.monotonic()
    try:
        call(*args, timeout=3)
        return False
    except dbus.DBusException as e:
        return (e.get_dbus_name() == "org.freedesktop.DBus.Error.InvalidArgs"
                and time.monotonic() - began < 2)


def main():
    os.makedirs(f"{WORK}/config/Cadro", mode=0o700)
    with open(f"{WORK}/config/Cadro/Cadro.conf", "w") as conf:
        conf.write("[General]\nwelcome.shown=true\npanel.notifies=false\n")
    # Outside the build folder, so that Launch at Login can be switched.
    tray = shutil.copy(os.path.join(os.path.dirname(CADRO), "cadro-tray"), f"{WORK}/cadro-tray")

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus)
    cadro("add-thread", "Alpha", "--step", "Draft the intro", "--color", "#8B7CF6")
    cadro("add-thread", "Beta", "--next", "Outline", "--next", "Review")
    cadro("add-thread", "Gamma", "--color", "#FF9F0A")
    began = time.monotonic()
    stamp = CLOCK_START.strftime("@%Y-%m-%d %H:%M:%S") + f" x{CLOCK_RATE}"
    app = subprocess.Popen(["env", f"LD_PRELOAD={LIBFAKETIME}", f"FAKETIME={stamp}", tray],
                           stdout=open(f"{WORK}/app.log", "a"), stderr=subprocess.STDOUT)
    try:
        check(wait_for(lambda: watcher.items and os.path.exists(SOCKET)), "the app did not start")
        run(bus, watcher.items[0], lambda: CLOCK_START + datetime.timedelta(
            seconds=(time.monotonic() - began) * CLOCK_RATE))
        cadro("quit")
        app.wait(10)
    finally:
        app.kill()


def run(bus, service, clock):
    item = dbus.Interface(bus.get_object(service, "/StatusNotifierItem"),
                          "org.freedesktop.DBus.Properties")
    path = str(item.Get("org.kde.StatusNotifierItem", "Menu"))
    menu = dbus.Interface(bus.get_object(service, path), IFACE)
    cadro("start-day")
    merging = MergingClient(bus, menu)
    glib = Dbusmenu.Client.new(service, path)

    def settled(what):
        ok = wait_for(lambda: merging.tree() == fresh(menu) and glib.get_root() is not None
                      and glib_tree(glib.get_root()) == drawn_tree(fresh(menu)), 10)
        now = fresh(menu)
        check(merging.tree() == now, f"after {what} the merging client shows\n{merging.tree()}\n"
              f"but the menu is\n{now}")
        check(ok, f"after {what} libdbusmenu-glib shows\n{glib_tree(glib.get_root())}\n"
              f"but the menu is\n{drawn_tree(now)}")
        return now

    def change(what, act, landed, layout=None):
        before = fresh(menu)
        updates = merging.layout_updates
        act()
        check(wait_for(lambda: landed(fresh(menu)), 30), f"{what} did not reach the menu")
        now = settled(what)
        if layout is not None:
            check((merging.layout_updates > updates) == layout,
                  f"{what}: LayoutUpdated {'missing' if layout else 'sent'} "
                  f"for a change of {'layout' if layout else 'properties only'}")
        return before, now

    def click(label):
        menu.Event(find(fresh(menu), label), "clicked", dbus.String("", variant_level=1), 0)

    login = properties(settled("start of day"), "Launch at Login")
    check(drawn(login)[2:5] == (True, "checkmark", 0), f"Launch at Login off is drawn as {login}")

    change("a colour taken away", lambda: cadro("edit", "Alpha", "--color", "none"),
           lambda t: "icon-data" not in properties(t, "Alpha"), layout=False)
    status = cadro("status")
    change("next", lambda: cadro("next"), lambda t: cadro("status") != status)
    current = cadro("status").split(":")[0]
    change("a new step", lambda: cadro("edit", current, "--step", "Polish"),
           lambda t: find(t, "   \u21b3 Polish") is not None, layout=False)
    change("Launch at Login on", lambda: click("Launch at Login"),
           lambda t: properties(t, "Launch at Login").get("toggle-state") == 1, layout=False)
    change("parking", lambda: cadro("park"), lambda t: find(t, "Parked (1)") is not None)
    change("snoozing", lambda: click("In 1 Hour"), lambda t: find(t, "Snoozed (1)") is not None)

    # A scheduled to-do comes up: the to-do menu.
    at = (clock() + datetime.timedelta(seconds=20)).replace(second=0) + datetime.timedelta(minutes=1)
    before, _ = change("a to-do coming up",
                       lambda: cadro("add-todo", "Stretch", "--on", at.strftime("%Y-%m-%d"),
                                     "--at", at.strftime("%H:%M")),
                       lambda t: find(t, "Stretch") is not None)

    # The old ids of entries that went away act on nothing, not on whatever
    # took their place.
    status = cadro("status")
    shown = str(fresh(menu))
    for label in ["Next", "Park Current Thread", current]:  # the last in Parked
        stale = find(before, label)
        check(f"({stale}, " not in shown, f"the id of {label} now stands for another entry")
        check(refusal(menu.Event, stale, "clicked", dbus.String("", variant_level=1), 0),
              f"a click on the old id of {label} was not refused")
    wait_for(lambda: False, 1)
    check(cadro("status") == status, "a click on an old id changed something")

    change("done", lambda: cadro("done"), lambda t: find(t, "Stretch") is None)
    change("unparking", lambda: cadro("unpark", current), lambda t: find(t, "Parked (1)") is None)
    change("Launch at Login off", lambda: click("Launch at Login"),
           lambda t: properties(t, "Launch at Login").get("toggle-state") == 0, layout=False)

    # Every call answers at once; bad ids and properties are refused.
    tree = fresh(menu)
    quit_id = find(tree, "Quit Cadro")
    nothing = dbus.String("", variant_level=1)
    for name, args in [("GetProperty", (99999, "label")),
                       ("GetProperty", (quit_id, "no-such-property")),
                       ("GetGroupProperties", ([99999], [])),
                       ("GetLayout", (99999, -1, [])),
                       ("Event", (99999, "clicked", nothing, 0)),
                       ("EventGroup", ([(99999, "clicked", nothing, 0)],)),
                       ("AboutToShow", (99999,))]:
        check(refusal(getattr(menu, name), *args), f"{name}{args} was not refused at once")
    check(str(menu.GetProperty(quit_id, "label")) == "Quit Cadro", "GetProperty misses a label")
    entries = menu.GetGroupProperties([quit_id, 99999], ["label"])
    check([(int(i), dict(p)) for i, p in entries] == [(quit_id, {"label": "Quit Cadro"})],
          f"GetGroupProperties gave {entries}")
    updates, errors = menu.AboutToShowGroup([0, 99999])
    check(list(errors) == [99999], f"AboutToShowGroup's id errors: {errors}")
    print("1 passed, 0 failed")


main()
