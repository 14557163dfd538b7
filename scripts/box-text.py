#!/usr/bin/python3
# box-text.py - prints the text of the box a running Qt program shows, read over AT-SPI.
# The program must run with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on the accessibility bus of the
# session bus this runs in. Waits up to 10 s for a showing dialog or alert with text; exits 1
# when none comes.
# Usage: box-text.py <pid>
import sys
import time

import pyatspi
from gi.repository import GLib


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def box_text(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or app.get_process_id() != pid:
            continue
        for window in app:
            if window is None or window.getRole() not in (pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT):
                continue
            if not window.getState().contains(pyatspi.STATE_SHOWING):
                continue
            texts = [n.name for n in walk(window)
                     if n.getRole() == pyatspi.ROLE_LABEL and n.name]
            if texts:
                return "\n".join(texts)
    return None


deadline = time.monotonic() + 10
while True:
    try:
        text = box_text(int(sys.argv[1]))
    except GLib.Error:  # the box is not there yet, or went away
        text = None
    if text:
        print(text)
        sys.exit(0)
    if time.monotonic() > deadline:
        sys.exit(1)
    time.sleep(0.05)
