#!/usr/bin/python3
"""Pointer and keys for the end-to-end tests under GNOME's compositor (mutter), sent through its remote-desktop
API on the session bus: input that mutter itself sees, unlike XTEST on Xwayland, so that a drag can cross from
an X window to a Wayland one.

Reads one command a line on standard input and answers each with "ok" (or "error: ...") on standard output:
    move X Y      pointer to X Y on the screen
    down | up     left button
    key KEYSYM    press and release a key (a keysym number, e.g. 65293 for Return)
"""

import sys
import time

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

BUS_NAME = "org.gnome.Mutter.RemoteDesktop"
LEFT_BUTTON = 272  # BTN_LEFT


def proxy(path, interface):
    return Gio.DBusProxy.new_for_bus_sync(Gio.BusType.SESSION, Gio.DBusProxyFlags.NONE, None, BUS_NAME, path,
                                          interface, None)


def main():
    desktop = proxy("/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop")
    session_path = desktop.call_sync("CreateSession", None, Gio.DBusCallFlags.NONE, 5000, None).unpack()[0]
    session = proxy(session_path, "org.gnome.Mutter.RemoteDesktop.Session")
    session.call_sync("Start", None, Gio.DBusCallFlags.NONE, 5000, None)
    # Events sent right after Start were sometimes dropped.
    time.sleep(0.4)

    def call(method, signature, *args):
        session.call_sync(method, GLib.Variant(signature, args), Gio.DBusCallFlags.NONE, 5000, None)

    # Relative motion is exact (no acceleration) and clamps at the screen's edges: a long way up and left
    # puts the pointer at 0 0, from where positions are known.
    call("NotifyPointerMotionRelative", "(dd)", -100000.0, -100000.0)
    x = y = 0
    print("ok", flush=True)
    for line in sys.stdin:
        words = line.split()
        try:
            if words[0] == "move":
                nx, ny = int(words[1]), int(words[2])
                call("NotifyPointerMotionRelative", "(dd)", float(nx - x), float(ny - y))
                x, y = nx, ny
            elif words[0] in ("down", "up"):
                call("NotifyPointerButton", "(ib)", LEFT_BUTTON, words[0] == "down")
            elif words[0] == "key":
                call("NotifyKeyboardKeysym", "(ub)", int(words[1]), True)
                call("NotifyKeyboardKeysym", "(ub)", int(words[1]), False)
            else:
                raise ValueError("unknown command " + words[0])
            print("ok", flush=True)
        except (GLib.Error, ValueError, IndexError) as error:
            print("error:", error, flush=True)
    session.call_sync("Stop", None, Gio.DBusCallFlags.NONE, 5000, None)


if __name__ == "__main__":
    main()
