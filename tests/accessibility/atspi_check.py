"""Walks the program's accessibility tree on the AT-SPI bus and checks it.

Run by atspi_check.sh inside a virtual display and a private D-Bus session.
"""
import os
import subprocess
import sys
import time

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"
STATE_FOCUSED, STATE_SELECTED, STATE_SHOWING = 12, 23, 25

# Hints of the toolbar buttons, left to right.
TOOLBAR_HINTS = ["Exit", "Print Project List", "Edit selected project", "Delete Selected Project",
                 "Add Project", "Insert Project Prior to selection", "Fix List Format Errors",
                 "Swap Table View"]
# Roles of what a user reaches or reads; each must have a name.
NAMED_ROLES = {"push button", "check box", "radio button", "text", "table", "page tab list",
               "page tab", "panel", "tool bar", "status bar", "menu bar", "menu", "menu item",
               "spin button", "link", "label"}


def state_has(states, bit):
    return bool(states[bit // 32] & (1 << (bit % 32)))


class Node:
    def __init__(self, bus, name, path):
        self.obj = bus.get_object(name, path, introspect=False)
        self.bus, self.busname = bus, name
        self.face = dbus.Interface(self.obj, ACCESSIBLE)
        props = dbus.Interface(self.obj, "org.freedesktop.DBus.Properties")
        self.name = str(props.Get(ACCESSIBLE, "Name"))
        self.role = str(self.face.GetRoleName())
        self.states = [int(s) for s in self.face.GetState()]

    def children(self):
        return [Node(self.bus, str(n), p) for n, p in self.face.GetChildren()]

    def walk(self, depth=0, within=""):
        self.within = within
        yield self, depth
        for child in self.children():
            yield from child.walk(depth + 1, f"{within}/{self.role} {self.name!r}")


def a11y_bus():
    session = dbus.SessionBus()
    address = dbus.Interface(session.get_object("org.a11y.Bus", "/org/a11y/bus"), "org.a11y.Bus").GetAddress()
    return dbus.bus.BusConnection(str(address))


NO_DISPLAY = 3  # the program could not start on the virtual display


def find_app(bus, program, timeout=20):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if program.poll() is not None:
            print("the program ended before it showed its window", file=sys.stderr)
            sys.exit(NO_DISPLAY)
        try:
            desktop = Node(bus, "org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")
            for app in desktop.children():
                if app.name.lower().startswith("quindle") and app.children():
                    return app
        except dbus.DBusException:
            pass
        time.sleep(0.3)
    sys.exit("the program did not appear on the accessibility bus")


def main():
    exe, work = sys.argv[1], sys.argv[2]
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               QT_ACCESSIBILITY="1")
    program = subprocess.Popen([exe], cwd=work, env=env)
    failures = []
    try:
        bus = a11y_bus()
        app = find_app(bus, program)
        time.sleep(1.5)  # the first activation fills the list
        nodes = list(app.walk())
        print(f"{len(nodes)} accessible objects")

        # Empty message labels of the pages are not controls, and the corner
        # the table reports above its row headers is Qt's own; every other
        # object of these roles needs a name, shown or hidden.
        unnamed = [f"{n.role} in {n.within}" for n, d in nodes
                   if n.role in NAMED_ROLES and not n.name.strip() and d > 0 and n.role != "label"
                   and not (n.role == "panel" and n.within.split("/")[-1].startswith("table "))]
        if unnamed:
            failures.append("without a name: " + ", ".join(unnamed))

        names = [n.name for n, _ in nodes]
        for hint in TOOLBAR_HINTS:
            if hint not in names:
                failures.append(f"no toolbar button named {hint!r}")
        for wanted in ["Project list", "Options", "Project Wizard", "Projects in the list: 3",
                       "Apply Changes", "Project Discription"]:
            if wanted not in names:
                failures.append(f"nothing named {wanted!r}")

        # Select the second project from the keyboard, as a user would.
        window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(program.pid)],
                                capture_output=True, text=True, timeout=20).stdout.split()
        if window:
            subprocess.run(["xdotool", "windowfocus", "--sync", window[-1]], timeout=20, check=False)
            subprocess.run(["xdotool", "key", "--window", window[-1], "Home", "Down"], timeout=20, check=False)
        time.sleep(1.0)
        table = next((n for n, _ in app.walk() if n.role == "table"), None)
        selected = [c.name for c in (table.children() if table else [])
                    if state_has(c.states, STATE_SELECTED) and state_has(c.states, STATE_FOCUSED)]
        print("focused and selected in the list:", selected)
        if selected != ["007 Ring Road survey"]:
            failures.append(f"the list's focused selection reads {selected!r}, not the second project")
    finally:
        program.terminate()
        program.wait(timeout=20)

    for failure in failures:
        print("FAIL:", failure)
    print("accessibility check", "failed" if failures else "passed")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
