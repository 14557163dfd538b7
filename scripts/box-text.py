#!/usr/bin/python3
# box-text.py - prints the text of the box a running Qt program shows, read over AT-SPI.
# The program must run with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on the accessibility bus of the
# session bus this runs in. Waits for a showing dialog or alert with text, as long as every
# wait of the tests (TOLVEX_WAIT_LIMIT, 60 s); exits 1 when none comes.
# Usage: box-text.py <pid>
import os
import sys

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from atspi_tools import wait_for, walk  # noqa: E402


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


text = wait_for(lambda: box_text(int(sys.argv[1])))
if not text:
    sys.exit(1)
print(text)
