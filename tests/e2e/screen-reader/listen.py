#!/usr/bin/python3
"""Prints on standard error, one line each, the AT-SPI events a screen reader
would speak a switch from (announcements, showing changes, activations and
focus), with the source's role and name, until it is stopped. The first line
says it listens."""
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib

TYPES = ["object:announcement", "object:state-changed:showing", "window:activate",
         "object:state-changed:focused"]


def describe(accessible):
    try:
        return "%s|%s" % (accessible.get_role_name(), accessible.get_name())
    except GLib.Error as error:
        return "defunct|%s" % error.message


def on_event(event):
    data = event.any_data if isinstance(event.any_data, str) else ""
    print("%s|%d|%s|%s" % (event.type, event.detail1, describe(event.source), data),
          file=sys.stderr, flush=True)


Atspi.init()
listener = Atspi.EventListener.new(on_event)
for kind in TYPES:
    listener.register(kind)
print("listening", file=sys.stderr, flush=True)
GLib.MainLoop().run()
sys.exit(0)
