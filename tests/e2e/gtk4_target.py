#!/usr/bin/python3
"""A GTK 4 password entry as a drop target for the end-to-end tests (python3-gi, GTK 4).

    gtk4_target.py TITLE

A window of one GtkPasswordEntry; whenever its text changes, the whole text is printed on a line of its own
on standard output.
"""

import sys

import gi

gi.require_version("Gtk", "4.0")
from gi.repository import Gtk  # noqa: E402


def main():
    app = Gtk.Application(application_id=None)

    def activate(application):
        window = Gtk.ApplicationWindow(application=application, title=sys.argv[1])
        window.set_default_size(320, 80)
        entry = Gtk.PasswordEntry()
        entry.connect("changed", lambda *_: print(entry.get_text(), flush=True))
        window.set_child(entry)
        window.present()

    app.connect("activate", activate)
    app.run([])


if __name__ == "__main__":
    main()
