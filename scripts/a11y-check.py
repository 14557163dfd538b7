#!/usr/bin/python3
# a11y-check.py - what a screen reader gets from the running Qt window, read over AT-SPI.
# Starts the program on the display in DISPLAY with the accessibility bus of the session bus
# it runs in (run it under dbus-run-session), drives it with xdotool and prints one line per
# check, as scripts/lib/checks.sh does; exits 1 when a check fails. Every wait polls for what
# it waits for, with a time limit.
# Usage: dbus-run-session -- /usr/bin/python3 scripts/a11y-check.py <program>
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from atspi_tools import WAIT_LIMIT, the_application, wait_for, walk  # noqa: E402

failures = 0


def check(what, expected, actual):
    global failures
    if expected == actual:
        print(f"ok   {what}")
    else:
        print(f"FAIL {what}: expected {expected!r}, got {actual!r}")
        failures += 1


def showing(node):
    states = node.getState()
    return states.contains(pyatspi.STATE_SHOWING) and states.contains(pyatspi.STATE_VISIBLE)


def focused(app):
    for node in walk(app):
        if node.getState().contains(pyatspi.STATE_FOCUSED):
            return node
    return None


def labels_of(node):
    """The texts of the objects `node` is labelled by."""
    texts = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            for i in range(relation.getNTargets()):
                texts.append(relation.getTarget(i).name)
    return texts


def text_of(node):
    try:
        text = node.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, text.characterCount)


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True)


def check_box(what, node, label):
    check(f"{what}: a text box", "text", node.getRoleName() if node else None)
    check(f"{what}: named by its label", label, node.name if node else None)
    check(f"{what}: labelled by its label", [label], labels_of(node) if node else None)


def main():
    program = sys.argv[1]
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    app_process = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
    try:
        app = wait_for(lambda: the_application(app_process.pid))
        if app is None:
            check("the window is on the accessibility bus", "yes", "no")
            return
        # The window is up once its first box has the focus.
        start = wait_for(lambda: focused(app))

        unnamed = [f"{n.getRoleName()}" for n in walk(app)
                   if n.getState().contains(pyatspi.STATE_FOCUSABLE) and showing(n)
                   and not n.name]
        check("every focusable control has a name", [], unnamed)

        # The boxes as a player meets them: the window opens in the previous-draw box, Tab
        # goes on to the last-draw box; the hit marker is the box that shows the verdict.
        check_box("previous-draw box", start, "前期开奖：")
        xdotool("type", "--delay", "20", "456")
        xdotool("key", "Tab")
        last = wait_for(lambda: (lambda f: f if f is not None and f != start else None)(
            focused(app)))
        check_box("last-draw box", last, "上期开奖：")
        xdotool("type", "--delay", "20", "123")
        xdotool("key", "Return")
        wait_for(lambda: focused(app) == last and text_of(last) == "")

        # Typing a kept draw: an event that carries the verdict, on the focused box.
        heard = []

        def listen(event):
            carried = [str(event.any_data or ""), event.source.description or ""]
            if event.source == last and any("中" in c for c in carried):
                heard.append(event.type)

        event_types = ["object:property-change:accessible-description",
                       "object:property-change:accessible-name", "object:announcement"]
        pyatspi.Registry.registerEventListener(listen, *event_types)
        subprocess.Popen(["xdotool", "type", "--delay", "20", "000"])
        loop = GLib.MainLoop()
        deadline = time.monotonic() + WAIT_LIMIT

        def done():
            if heard or time.monotonic() > deadline:
                loop.quit()
                return False
            return True

        GLib.timeout_add(20, done)
        loop.run()
        pyatspi.Registry.deregisterEventListener(listen, *event_types)
        check("a kept draw typed: the focused box tells 中", "yes", "yes" if heard else "no")
        check("the focused box describes the marker", "对奖 中", last.description)

        marker = next((n for n in walk(app) if n.getRoleName() == "text" and n != last
                       and text_of(n) == "中"), None)
        check_box("hit marker", marker, "对奖")
    finally:
        app_process.terminate()
        app_process.wait(timeout=10)


main()
print("a11y-check.py: all checks passed" if failures == 0 else
      f"a11y-check.py: {failures} check(s) failed")
sys.exit(1 if failures else 0)
