#!/usr/bin/python3
"""The keypad as assistive technology sees it, through AT-SPI (python3-pyatspi), for the end-to-end tests.

    atspi.py listen OUT   records every event of the program "glyphward" to OUT, one a line:
                          type <TAB> role <TAB> name <TAB> detail1 <TAB> detail2 <TAB> data
                          and prints "ready" once it listens
    atspi.py show         prints what a screen reader finds in the keypad window:
                          "field <TAB> name <TAB> text", "lock <TAB> name <TAB> checked|unchecked" for Shift and
                          Caps, and "order <TAB> names..." of the buttons in the order they are listed
    atspi.py press NAME   runs the Press action of the button named NAME, as switch access does
    atspi.py getall PID   asks the program with process PID for all properties of its root object at once
                          (org.freedesktop.DBus.Properties.GetAll), straight on the accessibility bus
"""

import sys

import pyatspi

APP = "glyphward"


def app():
    desktop = pyatspi.Registry.getDesktop(0)
    for candidate in desktop:
        if candidate is not None and candidate.name == APP:
            return candidate
    sys.exit("atspi.py: no application named " + APP + " on the accessibility bus")


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def listen(path):
    out = open(path, "w", buffering=1, encoding="utf-8")

    def record(event):
        try:
            host = event.host_application
            if host is None or host.name != APP:
                return
            source = event.source
            role = source.getRoleName() if source is not None else ""
            name = source.name if source is not None else ""
        except Exception:  # the source may be gone already
            role = name = "?"
        out.write("\t".join([event.type, role, name, str(event.detail1), str(event.detail2), repr(event.any_data)])
                  + "\n")

    for kind in ("focus:", "object:", "window:", "document:"):
        pyatspi.Registry.registerEventListener(record, kind)
    print("ready", flush=True)
    pyatspi.Registry.start()


def show():
    buttons = []
    for node in walk(app()):
        role = node.getRole()
        if role == pyatspi.ROLE_PASSWORD_TEXT:
            text = node.queryText()
            print("field", node.name, text.getText(0, -1), sep="\t")
        elif role in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX):
            buttons.append(node.name)
            if node.name in ("Shift", "Caps"):
                checked = node.getState().contains(pyatspi.STATE_CHECKED)
                print("lock", node.name, "checked" if checked else "unchecked", sep="\t")
    print("order", *buttons, sep="\t")


def press(name):
    for node in walk(app()):
        if node.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX) and node.name == name:
            action = node.queryAction()
            for i in range(action.nActions):
                if action.getName(i) == "Press":
                    action.doAction(i)
                    return
    sys.exit("atspi.py: no button named " + name + " with a Press action")


def getall(pid):
    from gi.repository import Gio, GLib

    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    address = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None, None, 0, 5000,
                                None).unpack()[0]
    bus = Gio.DBusConnection.new_for_address_sync(
        address,
        Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)

    def daemon(method, args):
        return bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method, args,
                             None, 0, 5000, None).unpack()[0]

    for name in daemon("ListNames", None):
        if name.startswith(":") and daemon("GetConnectionUnixProcessID", GLib.Variant("(s)", (name,))) == pid:
            try:
                bus.call_sync(name, "/org/a11y/atspi/accessible/root", "org.freedesktop.DBus.Properties", "GetAll",
                              GLib.Variant("(s)", ("org.a11y.atspi.Accessible",)), None, 0, 5000, None)
                print("answered")
            except GLib.Error as error:
                print("error:", error.message)
            return
    sys.exit("atspi.py: process %d is not on the accessibility bus" % pid)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "listen":
        listen(sys.argv[2])
    elif len(sys.argv) == 2 and sys.argv[1] == "show":
        show()
    elif len(sys.argv) == 3 and sys.argv[1] == "press":
        press(sys.argv[2])
    elif len(sys.argv) == 3 and sys.argv[1] == "getall":
        getall(int(sys.argv[2]))
    else:
        sys.exit(__doc__)
