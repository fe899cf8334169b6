#!/usr/bin/python3
# Waits for the top-level window whose title begins with TITLE, prints its
# WM_CLASS (instance and class) and asks it to close, as a window manager's
# close box would (WM_DELETE_WINDOW). A request sent while the window is
# still being mapped can go unseen (a user would click again), so it is
# repeated every 2 s while the window stays viewable, for up to 10 s.
# Usage: closewindow.py TITLE
import sys
import time

from Xlib import X, display, error, protocol


def find(window, title):
    name = window.get_wm_name()
    if isinstance(name, bytes):
        name = name.decode("utf-8", "replace")
    if name and name.startswith(title):
        return window
    for child in window.query_tree().children:
        found = find(child, title)
        if found:
            return found
    return None


def viewable(window):
    try:
        return window.get_attributes().map_state == X.IsViewable
    except error.BadWindow:
        return False


def main():
    title = sys.argv[1]
    screen = display.Display()
    deadline = time.monotonic() + 15
    window = None
    while window is None or not viewable(window):
        if time.monotonic() > deadline:
            sys.exit("no viewable window titled %r" % title)
        window = find(screen.screen().root, title)
        time.sleep(0.1)
    instance, klass = window.get_wm_class()
    print(instance, klass, flush=True)
    close = protocol.event.ClientMessage(
        window=window,
        client_type=screen.intern_atom("WM_PROTOCOLS"),
        data=(32, [screen.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
    for _ in range(5):
        window.send_event(close)
        screen.flush()
        for _ in range(20):
            time.sleep(0.1)
            if not viewable(window):
                return


main()
