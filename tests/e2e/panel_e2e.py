#!/usr/bin/python3
# End-to-end test of Cadro in the panel, with a test-side status notifier
# watcher, notification server and shortcuts portal and a faked clock: where
# the icon docks, what the item and its menu show and do, fired to-dos asking
# for attention and being notified, and global shortcuts without X11.
# Run by panel_e2e.sh, which gives it an X server with a tray, its own folders
# and session bus.
# Usage: panel_e2e.py path/to/cadro WORK_FOLDER
import datetime
import re
import subprocess
import time

import dbus
import dbus.lowlevel
import dbus.service
from gi.repository import GLib

from panel_common import (CONF, TRAY, Watcher, cadro, check, find, fresh, item_and_menu,
                          launch_app, quit_app, run, schedule_todo_soon, session_bus, wait_for)

CLOCK_START = datetime.datetime(2027, 1, 4, 8, 0)
ITEM = "org.kde.StatusNotifierItem"
NOTIFICATIONS = "org.freedesktop.Notifications"
SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"


# Records what it is asked to show; offers actions.
class NotificationServer(dbus.service.Object):
    def __init__(self, bus):
        self.name = dbus.service.BusName(NOTIFICATIONS, bus)
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.shown = []
        self.closed = []

    @dbus.service.method(NOTIFICATIONS, out_signature="as")
    def GetCapabilities(self):
        return ["actions", "body"]

    @dbus.service.method(NOTIFICATIONS, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        self.shown.append({"replaces": int(replaces), "summary": str(summary),
                           "actions": [str(a) for a in actions],
                           "resident": bool(hints.get("resident", False))})
        return len(self.shown)

    @dbus.service.method(NOTIFICATIONS, in_signature="u")
    def CloseNotification(self, id):
        self.closed.append(int(id))

    def summaries(self):
        return [n["summary"] for n in self.shown]

    @dbus.service.signal(NOTIFICATIONS, signature="us")
    def ActionInvoked(self, id, key):
        pass


# The desktop portal's global shortcuts: binds what it is asked to and answers
# on the request object the caller expects.
class Portal(dbus.service.Object):
    SESSION = "/org/freedesktop/portal/desktop/session/1/cadro"

    def __init__(self, bus):
        self.bus = bus
        self.name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
        super().__init__(bus, "/org/freedesktop/portal/desktop")
        self.bound = {}

    def answer(self, sender, options, results):
        path = "/org/freedesktop/portal/desktop/request/{}/{}".format(
            sender[1:].replace(".", "_"), options["handle_token"])

        def respond():
            message = dbus.lowlevel.SignalMessage(path, "org.freedesktop.portal.Request", "Response")
            message.append(dbus.UInt32(0), dbus.Dictionary(results, signature="sv"))
            self.bus.send_message(message)
        GLib.idle_add(respond)
        return dbus.ObjectPath(path)

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return dbus.UInt32(1)

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender):
        return self.answer(sender, options, {"session_handle": dbus.ObjectPath(self.SESSION)})

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o",
                         sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent, options, sender):
        self.bound = {str(id): {str(k): str(v) for k, v in props.items()} for id, props in shortcuts}
        assigned = dbus.Array([(id, {"trigger_description": "Desk+" + id}) for id in self.bound],
                              signature="(sa{sv})")
        return self.answer(sender, options, {"shortcuts": assigned})

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session, shortcut, timestamp, options):
        pass

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Deactivated(self, session, shortcut, timestamp, options):
        pass


# The app's windows as (id, width, height, x, y), from the window tree.
def app_windows():
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    pattern = r'(0x[0-9a-f]+) .*\("cadro-tray" "Cadro"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)'
    return [(id, int(w), int(h), int(x), int(y)) for id, w, h, x, y in re.findall(pattern, tree)]


# True while an icon-sized window of the app sits in the tray (the settings
# window has the same class).
def docked_in_xembed_tray():
    return any(1 < w <= 64 and 1 < h <= 64 for _, w, h, _, _ in app_windows())


def viewable(id):
    return "IsViewable" in subprocess.run(["xwininfo", "-id", id], capture_output=True, text=True).stdout


# The app's mapped windows larger than an icon: {id: (x, y)}.
def shown_windows():
    return {id: (x, y) for id, w, h, x, y in app_windows() if w > 64 and h > 64 and viewable(id)}


# Gives up the watcher's name for `seconds`, as a restarting panel does.
def restart_watcher(watcher, bus, seconds):
    del watcher.name
    wait_for(lambda: False, seconds)
    watcher.name = dbus.service.BusName("org.kde.StatusNotifierWatcher", bus)


def main():
    bus = session_bus("[General]\nwelcome.shown=true\n")

    # Answers without starting, and without a display.
    for flag, expected in [("--help", "Usage: cadro-tray"), ("--version", "cadro-tray ")]:
        done = subprocess.run(["env", "-u", "DISPLAY", TRAY, flag], capture_output=True, text=True)
        check(done.returncode == 0 and done.stdout.startswith(expected), f"{flag}: {done}")
    done = subprocess.run([TRAY, "--bogus"], capture_output=True, text=True, timeout=20)
    check(done.returncode == 2 and "--bogus" in done.stderr, f"an unknown option: {done}")

    # A scheduled to-do comes up on its minute, whatever second the app
    # started at (the clock runs at its real pace here).
    app, clock = launch_app(CLOCK_START - datetime.timedelta(seconds=13), rate=1)
    cadro("start-day")
    cadro("add-todo", "On the minute", "--on", CLOCK_START.strftime("%Y-%m-%d"), "--at",
          CLOCK_START.strftime("%H:%M"))
    check(wait_for(lambda: "On the minute" in cadro("status"), 30), "the scheduled to-do never came")
    late = (clock() - CLOCK_START).total_seconds()
    check(-0.5 < late <= 2, f"the to-do came {late:.1f} s after its minute")
    cadro("next")
    quit_app(app)

    notifications = NotificationServer(bus)
    cadro("add-thread", "Alpha", "--color", "#8B7CF6")
    cadro("add-thread", "Beta")
    app, clock = launch_app(CLOCK_START)
    cadro("start-day")

    # No watcher yet: the XEmbed tray holds the icon. A watcher that comes
    # later gets the item, and the XEmbed icon goes: one place at a time.
    check(wait_for(docked_in_xembed_tray), "no watcher: the icon did not dock in the XEmbed tray")
    watcher = Watcher(bus)
    check(wait_for(lambda: watcher.items), "the item did not register with a later watcher")
    check(wait_for(lambda: not docked_in_xembed_tray()), "the XEmbed icon stayed beside the item")

    props, menu = item_and_menu(bus, watcher.items[0])
    get = lambda name: props.Get(ITEM, name)  # noqa: E731
    # The title, label and tooltip as text are read in the real panels.
    check(get("AttentionIconPixmap"), "no attention icon")

    # A click the host reports at (0, 0), or far from the pointer (MATE's
    # (0, 25)), opens the menu where the pointer is.
    for x, y in [(0, 0), (0, 25)]:
        subprocess.run(["xdotool", "mousemove", "500", "150"])
        before = shown_windows()
        popups = lambda: [p for id, p in shown_windows().items() if id not in before]  # noqa: E731
        props.Activate(x, y, dbus_interface=ITEM)
        check(wait_for(popups), f"Activate({x}, {y}) opened no menu")
        place = popups()[0]
        check(abs(place[0] - 500) < 80 and abs(place[1] - 150) < 80,
              f"Activate({x}, {y}) opened the menu at {place}, not at the pointer")
        subprocess.run(["xdotool", "key", "Escape"])
        check(wait_for(lambda: not popups()), "the menu stayed open")

    # The exported menu: the status menu with its submenu, dots and shortcuts.
    menu.AboutToShow(0)
    tree = fresh(menu)
    for lacking, present in [
            ("Next with its shortcut", lambda p: p.get("label") == "Next"
             and p.get("shortcut") == [["Control", "Alt", "Super", "N"]]),
            ("Snooze Current submenu", lambda p: p.get("children-display") == "submenu"
             and p.get("label") == "Snooze Current"),
            ("colour dot", lambda p: "icon-data" in p),
            ("disabled information line", lambda p: not p.get("enabled", True))]:
        check(find(tree, present), f"the menu has no {lacking}")

    # A scheduled to-do fires: attention until the menu is opened, one
    # notification with its actions, replacing the one before.
    schedule_todo_soon("Stretch", clock)
    check(wait_for(lambda: get("Status") == "NeedsAttention", 60), "a fired to-do asks no attention")
    check(wait_for(lambda: len(notifications.shown) == 1), "no notification for the fired to-do")
    shown = notifications.shown[0]
    check(shown["summary"] == "Stretch" and "done" in shown["actions"]
          and "snooze" in shown["actions"] and shown["resident"], f"the notification is wrong: {shown}")
    menu.AboutToShow(0)
    check(wait_for(lambda: get("Status") == "Active"), "the attention stayed after the menu opened")
    notifications.ActionInvoked(1, "done")
    check(wait_for(lambda: "Stretch" not in cadro("status")), "Done on the notification did nothing")
    check(wait_for(lambda: notifications.closed == [1]), "the handled notification stayed")

    cadro("set", "default-snooze", "1")
    schedule_todo_soon("Water", clock)
    check(wait_for(lambda: len(notifications.shown) == 2, 60), "no notification for the second to-do")
    check(notifications.shown[1]["replaces"] == 1, "the second notification did not replace the first")
    check(wait_for(lambda: "Water" in cadro("status")), "the second to-do is not up")
    notifications.ActionInvoked(2, "snooze")
    check(wait_for(lambda: "Water" not in cadro("status")), "Snooze on the notification did nothing")
    time.sleep(1)
    check(len(notifications.shown) == 2, "more than one notification per fired to-do")

    # Whatever comes back from a snooze is told, with only actions that work,
    # and its notification goes once it is handled anywhere.
    # Water was snoozed for the default minute, not 15.
    check(wait_for(lambda: len(notifications.shown) == 3, 30) and notifications.shown[2]["summary"] == "Water"
          and notifications.shown[2]["actions"] == ["done", "Done", "snooze", "Snooze 1 min"],
          f"a to-do back from a snooze is not told: {notifications.shown[2:]}")
    cadro("done", "Water")
    check(wait_for(lambda: 3 in notifications.closed), "done on the command line left the notification")
    cadro("snooze", "Beta", "1")
    check(wait_for(lambda: len(notifications.shown) == 4, 30)
          and notifications.shown[3]["actions"] == ["snooze", "Snooze 1 min"],
          f"a thread back from a snooze: {notifications.shown[3:]}")
    cadro("park", "Beta")
    check(wait_for(lambda: 4 in notifications.closed), "parking the thread left its notification")

    # Notifications off: a fired to-do still asks for attention, silently.
    quit_app(app)
    with open(CONF, "a") as conf:
        conf.write("panel.notifies=false\n")
    registered = len(watcher.items)
    app, clock = launch_app(CLOCK_START + datetime.timedelta(hours=2))
    check(wait_for(lambda: len(watcher.items) > registered), "the restarted app did not register")
    props, _ = item_and_menu(bus, watcher.items[-1])
    schedule_todo_soon("Quiet", clock)
    check(wait_for(lambda: get("Status") == "NeedsAttention", 60), "the quiet to-do did not fire")
    time.sleep(1)
    check(len(notifications.shown) == 4, "a notification came though they are off")
    quit_app(app)

    # Neither X11 nor a portal: the app says once how to bind the commands, in
    # a notification. No XEmbed tray either: a panel that restarts is waited
    # for quietly, one that stays away is told of once.
    offscreen = ["QT_QPA_PLATFORM=offscreen"]
    app, clock = launch_app(CLOCK_START, offscreen)
    check(wait_for(lambda: "notices.shortcutsUnavailable=true" in open(CONF).read()),
          "no notice that global shortcuts are unavailable")
    check(wait_for(lambda: "Global shortcuts are not available" in notifications.summaries()),
          "the shortcuts notice is not a notification")
    registered = len(watcher.items)
    restart_watcher(watcher, bus, 0.3)
    check(wait_for(lambda: len(watcher.items) > registered), "the item did not rejoin the watcher")
    time.sleep(2)  # well past the grace time at the app's pace
    check("No system tray found" not in notifications.summaries(), "a restarting panel was taken for none")
    restart_watcher(watcher, bus, 3)
    check(notifications.summaries().count("No system tray found") == 1,
          f"a panel gone for good is told of once: {notifications.summaries()}")
    quit_app(app)

    # A portal: the four commands are bound with their combos; its press moves on.
    portal = Portal(bus)
    app, clock = launch_app(CLOCK_START, offscreen)
    check(wait_for(lambda: len(portal.bound) == 4), f"the portal bound {portal.bound}")
    check(portal.bound["next"]["preferred_trigger"] == "CTRL+ALT+LOGO+n",
          f"Next's preferred trigger: {portal.bound['next']}")
    before = cadro("status")
    portal.Activated(Portal.SESSION, "next", 0, {})
    portal.Deactivated(Portal.SESSION, "next", 0, {})
    check(wait_for(lambda: cadro("status") != before), "the portal's shortcut did not move on")
    cadro("quit")
    print("1 passed, 0 failed")


run(main)
