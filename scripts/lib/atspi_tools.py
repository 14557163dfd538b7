# atspi_tools.py - what the AT-SPI scripts share: walking the tree, finding a program, polling waits.
import os
import time

import pyatspi
from gi.repository import GLib

# The one limit of every wait, as the shell scripts' (scripts/lib/virtual-display.sh).
WAIT_LIMIT = float(os.environ.get("TOLVEX_WAIT_LIMIT", "60"))


def wait_for(condition, seconds=WAIT_LIMIT):
    """Runs `condition` every 20 ms until it gives a true value, which it returns; None when
    it has not within the time given."""
    deadline = time.monotonic() + seconds
    while True:
        try:
            value = condition()
        except GLib.Error:  # the object went away or is not there yet
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            return None
        time.sleep(0.02)


def the_application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)
