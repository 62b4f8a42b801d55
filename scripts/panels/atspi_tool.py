#!/usr/bin/python3
# Reads a panel the way a screen reader does, over AT-SPI.
#   atspi_tool.py tree APP            every node: depth, role, name, states, extents
#   atspi_tool.py menu APP            the showing menu's entries: role|name|enabled|x,y,w,h
#   atspi_tool.py find APP ROLE TEXT  extents "x y w h" of the first showing node with that
#                                     role whose name contains TEXT (role "*": any)
#   atspi_tool.py icon APP TEXT       extents of the icon in the item named TEXT
#   atspi_tool.py texts APP           the names and texts of every showing node, one a line
# APP is a part of the application's name ("gnome-shell", "xfce4-panel", "plasmashell").
import sys

import pyatspi

MENU_ROLES = {"menu item", "check menu item", "radio menu item", "separator", "menu"}


def app_named(part):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and part in (app.name or ""):
            return app
    sys.exit(f"no application named {part!r} on the accessibility bus")


def walk(node, depth=0, limit=40):
    if node is None or depth > limit:
        return
    yield depth, node
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(min(count, 500)):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1, limit)


def states(node):
    try:
        return node.getState()
    except Exception:
        return None


def showing(node):
    s = states(node)
    return s is not None and s.contains(pyatspi.STATE_SHOWING) and s.contains(pyatspi.STATE_VISIBLE)


def extents(node):
    try:
        e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return e.x, e.y, e.width, e.height
    except Exception:
        return None


def role(node):
    try:
        return node.getRoleName()
    except Exception:
        return "?"


def text_of(node):
    try:
        t = node.queryText()
        return t.getText(0, t.characterCount)
    except Exception:
        return ""


def spoken(node):
    # What a screen reader says for a node: its name, else its text, else the
    # texts of the labels inside it (GNOME Shell's menu entries are unnamed).
    own = (node.name or text_of(node)).strip()
    if own:
        return own
    parts = []
    for depth, child in walk(node):
        if depth > 0 and role(child) == "label" and showing(child):
            parts.append((child.name or text_of(child)).strip())
    return " ".join(p for p in parts if p)


def main():
    command, app = sys.argv[1], app_named(sys.argv[2])
    if command == "tree":
        for depth, node in walk(app):
            s = states(node)
            flags = ",".join(pyatspi.stateToString(x) for x in s.getStates()) if s else ""
            print("  " * depth + f"{role(node)} {node.name!r} text={text_of(node)!r} [{flags}] {extents(node)}")
    elif command == "menu":
        for _, node in walk(app):
            if role(node) in MENU_ROLES and showing(node) and role(node) != "menu":
                enabled = states(node).contains(pyatspi.STATE_ENABLED) or \
                    states(node).contains(pyatspi.STATE_SENSITIVE)
                x, y, w, h = extents(node) or (0, 0, 0, 0)
                label = spoken(node)
                # GNOME Shell draws separators as thin items without text.
                kind = "separator" if not label and 0 < h <= 8 else role(node)
                print(f"{kind}|{label}|{'enabled' if enabled else 'disabled'}|{x},{y},{w},{h}")
    elif command == "find":
        want_role, want = sys.argv[3], sys.argv[4]
        for _, node in walk(app):
            if (want_role == "*" or role(node) == want_role) and showing(node) and \
                    want in ((node.name or "") + "\n" + text_of(node)):
                e = extents(node)
                if e and e[2] > 0 and e[3] > 0:
                    print(*e)
                    return
        sys.exit(1)
    elif command == "icon":
        # The icon of an item: the first small square inside the node named TEXT.
        want = sys.argv[3]
        for _, node in walk(app):
            if node.name == want and showing(node):
                for depth, child in walk(node):
                    e = extents(child)
                    if depth > 0 and e and 8 <= e[2] == e[3] <= 48 and showing(child):
                        print(*e)
                        return
        sys.exit(1)
    elif command == "texts":
        for _, node in walk(app):
            if showing(node):
                for t in {node.name or "", text_of(node)}:
                    if t.strip():
                        print(f"{role(node)}|{t}")
    else:
        sys.exit(f"unknown command {command}")


main()
