#!/usr/bin/python3
# Waits for the top-level window whose title begins with TITLE, prints its
# WM_CLASS (instance and class) and asks it to close, as a window manager's
# close box would (WM_DELETE_WINDOW).
# Usage: closewindow.py TITLE
import sys
import time

from Xlib import X, display, protocol


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


def main():
    title = sys.argv[1]
    screen = display.Display()
    deadline = time.monotonic() + 15
    window = None
    while window is None:
        if time.monotonic() > deadline:
            sys.exit("no window titled %r" % title)
        window = find(screen.screen().root, title)
        time.sleep(0.1)
    instance, klass = window.get_wm_class()
    print(instance, klass)
    close = protocol.event.ClientMessage(
        window=window,
        client_type=screen.intern_atom("WM_PROTOCOLS"),
        data=(32, [screen.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
    window.send_event(close)
    screen.flush()


main()
