#!/usr/bin/python3
# The exported menu as panels read it. libdbusmenu-glib's own client follows
# it through a day's changes, keeping entries by id and merging what it is
# sent; after each change it must hold exactly what a fresh GetLayout gives,
# every property included (GNOME Shell and Plasma, which merge the same way,
# are driven in tests/panels). Bad ids and properties get an error at once; a
# click on an entry that went away does nothing.
# Run by dbusmenu_e2e.sh, which gives it an X server, its own folders and a
# private session bus.
# Usage: dbusmenu_e2e.py path/to/cadro WORK_FOLDER
import datetime
import shutil
import time

import dbus
import gi

from panel_common import (TRAY, WORK, Watcher, cadro, check, entry, fresh, item_and_menu,
                          launch_app, quit_app, run, schedule_todo_soon, session_bus, wait_for)

gi.require_version("Dbusmenu", "0.4")
from gi.repository import Dbusmenu  # noqa: E402

NOTHING = dbus.String("", variant_level=1)
# The protocol's defaults, which libdbusmenu-glib keeps by leaving them out.
DEFAULTS = {"enabled": True, "visible": True, "type": "standard", "label": "", "icon-name": "",
            "toggle-type": "", "toggle-state": -1, "children-display": "",
            "disposition": "normal", "accessible-desc": ""}


# A tree as fresh() gives it, without the properties that hold their default.
def meant(tree):
    entry_id, properties, children = tree
    return (entry_id, {k: v for k, v in properties.items() if DEFAULTS.get(k, ()) != v},
            [meant(c) for c in children])


# (id, properties, children) as libdbusmenu-glib holds it, in fresh()'s terms.
def glib_tree(item):
    def value(variant):
        return bytes(variant.unpack()) if variant.get_type_string() == "ay" else variant.unpack()
    return (item.get_id(), {n: value(item.property_get_variant(n)) for n in item.properties_list()},
            [glib_tree(c) for c in item.get_children()])


# True when the call is answered with InvalidArgs within two seconds.
def refused(call, *args):
    began = time.monotonic()
    try:
        call(*args, timeout=3)
        return False
    except dbus.DBusException as e:
        return e.get_dbus_name() == "org.freedesktop.DBus.Error.InvalidArgs" and time.monotonic() - began < 2


def main():
    bus = session_bus("[General]\nwelcome.shown=true\npanel.notifies=false\n")
    watcher = Watcher(bus)
    cadro("add-thread", "Alpha", "--step", "Draft the intro", "--color", "#8B7CF6")
    cadro("add-thread", "Beta", "--next", "Outline", "--next", "Review")
    cadro("add-thread", "Gamma", "--color", "#FF9F0A")
    # Outside the build folder, so that Launch at Login can be switched.
    app, clock = launch_app(datetime.datetime(2027, 1, 4, 8, 0),
                            tray=shutil.copy(TRAY, f"{WORK}/cadro-tray"))
    check(wait_for(lambda: watcher.items), "the item did not register")
    _, menu = item_and_menu(bus, watcher.items[0])
    cadro("start-day")
    glib = Dbusmenu.Client.new(watcher.items[0], menu.object_path)
    layouts = []
    bus.add_signal_receiver(lambda *_: layouts.append(1), "LayoutUpdated", "com.canonical.dbusmenu")

    def held():
        return glib.get_root() and glib_tree(glib.get_root())

    def settled(what):
        ok = wait_for(lambda: held() == meant(fresh(menu)))
        check(ok, f"after {what} libdbusmenu-glib shows\n{held()}\nbut the menu is\n{meant(fresh(menu))}")
        return fresh(menu)

    # `layout`: whether the tree changed, or only properties.
    def change(what, act, landed, layout=None):
        before, updates = fresh(menu), len(layouts)
        act()
        check(wait_for(lambda: landed(fresh(menu)), 30), f"{what} did not reach the menu")
        settled(what)
        check(layout is None or (len(layouts) > updates) == layout,
              f"{what}: LayoutUpdated {'missing' if layout else 'sent'}")
        return before

    def click(label):
        menu.Event(entry(fresh(menu), label)[0], "clicked", NOTHING, 0)

    def login_state(tree):
        return entry(tree, "Launch at Login")[1].get("toggle-state")

    _, login = entry(settled("start of day"), "Launch at Login")
    check((login.get("enabled", True), login.get("toggle-type"), login.get("toggle-state")) ==
          (True, "checkmark", 0), f"Launch at Login off is {login}")
    change("a colour taken away", lambda: cadro("edit", "Alpha", "--color", "none"),
           lambda t: "icon-data" not in entry(t, "Alpha")[1], layout=False)
    status = cadro("status")
    change("next", lambda: cadro("next"), lambda t: cadro("status") != status)
    current = cadro("status").split(":")[0]
    change("a new step", lambda: cadro("edit", current, "--step", "Polish"),
           lambda t: entry(t, "   \u21b3 Polish"), layout=False)
    change("Launch at Login on", lambda: click("Launch at Login"),
           lambda t: login_state(t) == 1, layout=False)
    change("parking", lambda: cadro("park"), lambda t: entry(t, "Parked (1)"))
    change("snoozing", lambda: click("In 1 Hour"), lambda t: entry(t, "Snoozed (1)"))
    before = change("a to-do coming up", lambda: schedule_todo_soon("Stretch", clock),
                    lambda t: entry(t, "Stretch"))

    # The old ids of entries that went away act on nothing, not on whatever
    # took their place.
    status, shown = cadro("status"), str(fresh(menu))
    for label in ["Next", "Park Current Thread", current]:  # the last in Parked
        stale = entry(before, label)[0]
        check(f"({stale}, " not in shown, f"the id of {label} now stands for another entry")
        check(refused(menu.Event, stale, "clicked", NOTHING, 0),
              f"a click on the old id of {label} was not refused")
    wait_for(lambda: False, 1)
    check(cadro("status") == status, "a click on an old id changed something")

    change("done", lambda: cadro("done"), lambda t: not entry(t, "Stretch"))
    change("unparking", lambda: cadro("unpark", current), lambda t: not entry(t, "Parked (1)"))
    change("Launch at Login off", lambda: click("Launch at Login"),
           lambda t: login_state(t) == 0, layout=False)
    # Undo names the latest change and takes it back; its entry keeps its id.
    undo = f"Undo Unpark \"{current}\""
    undo_id = entry(fresh(menu), undo)[0]
    change("undo", lambda: click(undo), lambda t: entry(t, "Parked (1)"))
    check(entry(fresh(menu), "Undo Finished \"Stretch\"")[0] == undo_id,
          f"the undo entry changed its id: {fresh(menu)}")

    # Every call answers at once; bad ids and properties are refused.
    quit_id = entry(fresh(menu), "Quit Cadro")[0]
    for name, args in [("GetProperty", (99999, "label")),
                       ("GetProperty", (quit_id, "no-such-property")),
                       ("GetGroupProperties", ([99999], [])),
                       ("GetLayout", (99999, -1, [])),
                       ("EventGroup", ([(99999, "clicked", NOTHING, 0)],)),
                       ("AboutToShow", (99999,))]:
        check(refused(getattr(menu, name), *args), f"{name}{args} was not refused at once")
    check(menu.GetProperty(quit_id, "label") == "Quit Cadro", "GetProperty misses a label")
    got = menu.GetGroupProperties([quit_id, 99999], ["label"])
    check([(i, dict(p)) for i, p in got] == [(quit_id, {"label": "Quit Cadro"})],
          f"GetGroupProperties gave {got}")
    check(list(menu.AboutToShowGroup([0, 99999])[1]) == [99999], "AboutToShowGroup's id errors")
    quit_app(app)
    print("1 passed, 0 failed")


run(main)
