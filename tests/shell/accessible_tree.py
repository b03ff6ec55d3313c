"""Walks one window of the running program as a screen reader sees it, over the AT-SPI bus, and
prints every fault: a window that is not a frame, dialog or alert, a control without a role or a
name, children out of their visual order (left to right, top to bottom), two controls with one
access key, and any of the expected lines (as the tree prints them: role, name, spoken states)
missing from the tree. With --marked, the program runs in the pseudo-translation: every name,
description (a tooltip) and window title of the program's own, menus included, must be marked
"⟦…⟧"; numbers, dates, paths and names that are never translated may stand outside the marks.

    python3 accessible_tree.py [--marked] "WINDOW TITLE" ["push button: 'OK' default" ...]

Exit status 0 when the window was found without faults, 1 otherwise; the tree is printed with
the faults.
"""
import re
import sys
import time

import pyatspi

WINDOW_ROLES = {"frame", "dialog", "alert"}
# Containers and parts of other controls, which a screen reader passes over without a name.
UNNAMED_ROLES = {"filler", "menu bar", "scroll bar", "separator", "viewport"}
# States a screen reader speaks with a control's role and name.
SPOKEN_STATES = {pyatspi.STATE_IS_DEFAULT: "default", pyatspi.STATE_EDITABLE: "editable",
                 pyatspi.STATE_READ_ONLY: "read only"}
# Pixels by which two controls' tops may differ and still stand on one line.
SAME_LINE = 10
# A pseudo-translated text, innermost first where one holds another.
MARKED = re.compile(r"⟦[^⟦⟧]*⟧")
# Names that stay as they are in every language: the product's, and each language's own name.
NEVER_TRANSLATED = {"Merivane", "Zarn Generator", "English", "Français", "Español"}


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def place(node):
    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return extents.x, extents.y


def find_window(title):
    for _ in range(50):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None:
                continue
            for window in app:
                if window is not None and window.name == title and showing(window):
                    return window
        time.sleep(0.1)
    return None


def access_key(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return ""
    return action.getKeyBinding(0).lower() if action.nActions else ""


def walk(node, depth, tree, faults, keys):
    role = node.getRoleName()
    name = node.name or ""
    states = [said for state, said in SPOKEN_STATES.items() if node.getState().contains(state)]
    tree.append(f"{'  ' * depth}{' '.join([f'{role}: {name!r}'] + states)}")
    key = access_key(node)
    if key and key in keys:
        faults.append(f"{keys[key]!r} and {name!r} share {key}")
    keys.setdefault(key, name)
    if not role or role in ("unknown", "invalid"):
        faults.append(f"no role: {name!r}")
    elif not name.strip() and role not in UNNAMED_ROLES:
        faults.append(f"{role} without a name")
    children = [child for child in node if child is not None and showing(child)]
    places = [place(child) for child in children]
    for before, after, (x0, y0), (x1, y1) in zip(children, children[1:], places, places[1:]):
        if y1 < y0 - SAME_LINE or (abs(y1 - y0) <= SAME_LINE and x1 < x0):
            faults.append(f"{after.name!r} listed after {before.name!r} but stands before it")
    # A menu bar's menus are walked where they open.
    if role == "menu bar":
        return
    for child in children:
        walk(child, depth + 1, tree, faults, keys)


def unmarked(text):
    rest = text
    while MARKED.search(rest):
        rest = MARKED.sub(" ", rest)
    for name in NEVER_TRANSLATED:
        rest = rest.replace(name, " ")
    # Numbers, dates, quarter labels ("4Q06") and paths are never translated.
    words = [word for word in rest.split() if not re.search(r"[0-9/]", word)]
    return any(re.search(r"[^\W\d_]", word) for word in words)


def unmarked_texts(node, faults):
    for text in (node.name or "", node.description or ""):
        if unmarked(text):
            faults.append(f"not from the catalogue: {node.getRoleName()} {text!r}")
    # A menu's items are read whether or not it is open.
    inside_menus = node.getRoleName() in ("menu bar", "menu", "popup menu", "menu item")
    for child in node:
        if child is not None and (inside_menus or showing(child)):
            unmarked_texts(child, faults)


def main():
    marked = sys.argv[1] == "--marked"
    if marked:
        del sys.argv[1]
    title = sys.argv[1]
    window = find_window(title)
    if window is None:
        seen = [f"{w.getRoleName()} {w.name!r}" for app in pyatspi.Registry.getDesktop(0)
                if app is not None for w in app if w is not None]
        print(f"no window {title!r} on the accessibility bus, only {seen}")
        return 1
    tree, faults = [], []
    if window.getRoleName() not in WINDOW_ROLES:
        faults.append(f"window role {window.getRoleName()!r}")
    walk(window, 0, tree, faults, {})
    if marked:
        unmarked_texts(window, faults)
    said = {line.strip() for line in tree}
    faults += [f"no {line}" for line in sys.argv[2:] if line not in said]
    if faults:
        print("\n".join(faults + ["--"] + tree))
        return 1
    return 0


sys.exit(main())
