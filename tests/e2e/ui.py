"""What a user sees and does, over the accessibility bus and the X server:
windows, controls found by role and caption, their texts and states; mouse
clicks and keys as real input (xdotool)."""

import re
import subprocess
import time

import closebox


class _LazyAtspi:
    """pyatspi finds the accessibility bus when it is first imported: only
    after the journey's desktop has been entered."""

    def __getattr__(self, name):
        import pyatspi as module
        return getattr(module, name)


pyatspi = _LazyAtspi()


class Failure(AssertionError):
    pass


def _matches(value, expected):
    if expected is None:
        return True
    if isinstance(expected, re.Pattern):
        return expected.search(value or "") is not None
    return value == expected


def showing(acc):
    try:
        return acc.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def enabled(acc):
    return acc.getState().contains(pyatspi.STATE_ENABLED)


def checked(acc):
    return acc.getState().contains(pyatspi.STATE_CHECKED)


def selected(acc):
    return acc.getState().contains(pyatspi.STATE_SELECTED)


def role(acc):
    return acc.getRoleName()


def children(acc):
    try:
        return [c for c in acc if c is not None]
    except Exception:
        return []


def text(acc):
    """What the control shows: its text contents where it has them (edits,
    pages), else its accessible name (labels, buttons)."""
    if role(acc) == "text" or not acc.name:
        try:
            t = acc.queryText()
            return t.getText(0, t.characterCount)
        except NotImplementedError:
            pass
    return acc.name


def find_all(root, role_name=None, name=None, only_showing=True):
    """Every descendant of root with the role and name (text or pattern),
    depth first; hidden subtrees are skipped unless only_showing is False."""
    found = []

    def walk(acc):
        for child in children(acc):
            try:
                if only_showing and not showing(child):
                    continue
                if _matches(role(child), role_name) and _matches(child.name, name):
                    found.append(child)
            except Exception:
                continue  # gone while we looked
            walk(child)

    walk(root)
    return found


def find(root, role_name=None, name=None, only_showing=True):
    hits = find_all(root, role_name, name, only_showing)
    return hits[0] if hits else None


def extents(acc):
    e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


class Ui:
    """The program of one process as its user meets it."""

    def __init__(self, desktop, pid, artefacts, scale=1):
        self.desktop = desktop
        # Qt reports places in its own pixels: QT_SCALE_FACTOR of them each.
        self.scale = scale
        self.pid = pid
        self.artefacts = artefacts
        self._app = None
        self._shots = 0

    # -- waiting -----------------------------------------------------------

    def wait(self, what, probe, timeout=10.0, interval=0.1):
        """Polls probe() until it gives something true, which is returned;
        after timeout seconds the journey fails with a screenshot."""
        deadline = time.monotonic() + timeout
        while True:
            try:
                value = probe()
            except Exception:  # the tree changes while it is read
                value = None
            if value:
                return value
            if time.monotonic() > deadline:
                self.fail(f"waited {timeout:.0f} s for {what}")
            time.sleep(interval)

    def fail(self, message):
        shot = self.screenshot("failure")
        raise Failure(message + (f" (screen: {shot})" if shot else "") + "\n" + self.describe())

    def screenshot(self, label):
        self._shots += 1
        path = f"{self.artefacts}/{self._shots:02d}-{label}.png"
        return path if self.desktop.screenshot(path) else None

    def describe(self):
        """The windows and their visible texts, for failure reports."""
        if self._app is None:
            return "(the program never showed up on the accessibility bus)"
        lines = []
        for window in self.windows():
            lines.append(f"[{role(window)}] {window.name!r}")
            for acc in find_all(window):
                if acc.name and role(acc) in ("label", "push button", "check box", "text", "alert"):
                    lines.append(f"    {role(acc)}: {text(acc)!r}")
        return "\n".join(lines)

    # -- windows -----------------------------------------------------------

    def app(self):
        if self._app is None:
            def lookup():
                for a in pyatspi.Registry.getDesktop(0):
                    if a is not None and a.get_process_id() == self.pid:
                        return a
                return None
            self._app = self.wait("the program on the accessibility bus", lookup, timeout=30)
        return self._app

    def windows(self):
        try:
            return [w for w in children(self.app()) if showing(w)]
        except Exception:
            return []

    def window(self, title, roles=("frame", "dialog", "alert", "window"), timeout=10.0):
        return self.wait(f"a window {title!r}", lambda: next(
            (w for w in self.windows() if role(w) in roles and _matches(w.name, title)), None), timeout)

    def gone(self, acc, what, timeout=10.0):
        self.wait(f"{what} to close", lambda: not showing(acc), timeout)

    def main_window(self, timeout=20.0):
        return self.window(re.compile(r"^Quillon"), roles=("frame",), timeout=timeout)

    def message_box(self, timeout=10.0):
        """The next message box (Qt shows them as alerts); returns (window,
        its text)."""
        box = self.wait("a message box", lambda: next((w for w in self.windows() if role(w) == "alert"), None),
                        timeout)
        return box, self.box_text(box)

    @staticmethod
    def box_text(box):
        return "\n".join(l.name for l in find_all(box, "label") if l.name)

    def answer(self, box, button):
        """Presses a button of a box (by caption) and waits for the box to go."""
        caption = re.compile(f"^&?{re.escape(button)}$")
        self.click(self.wait(f"the button {button!r}", lambda: find(box, "push button", caption)))
        self.gone(box, f"the box with {button!r}")

    # -- input -------------------------------------------------------------

    def _xdotool(self, *args, check=True):
        done = subprocess.run(["xdotool", *args], env=self.desktop.env(), check=check, timeout=20,
                              stdout=subprocess.PIPE, text=True)
        return done.stdout if done.returncode == 0 else ""

    def place(self, acc):
        """Where a control is on the screen, in the screen's pixels."""
        return tuple(round(v * self.scale) for v in extents(acc))

    def _x_window(self, window):
        """The X window of a window of ours, found by its place on the screen."""
        place = self.place(window)
        for wid in self._xdotool("search", "--onlyvisible", "--pid", str(self.pid), check=False).split():
            geometry = dict(line.split("=", 1) for line in
                            self._xdotool("getwindowgeometry", "--shell", wid, check=False).split())
            if tuple(int(geometry.get(k, -1)) for k in ("X", "Y", "WIDTH", "HEIGHT")) == place:
                return wid
        return None

    def activate(self, window=None):
        """Gives a window the keyboard, as a click on its title would; there
        is no window manager to do it. Default: the newest dialog, else the
        main window."""
        if window is None:
            shown = self.windows()
            dialogs = [w for w in shown if role(w) in ("dialog", "alert")]
            window = (dialogs or shown or [None])[-1]
            if window is None:
                self.fail("no window to type into")
        if window.getState().contains(pyatspi.STATE_ACTIVE):
            return window
        wid = self.wait(f"the X window of {window.name!r}", lambda: self._x_window(window), timeout=5)
        self._xdotool("windowfocus", wid)
        self.wait(f"{window.name!r} to become active", lambda: window.getState().contains(pyatspi.STATE_ACTIVE),
                  timeout=5)
        return window

    def click(self, acc, button=1):
        """A mouse click in the middle of the control, then the mouse leaves
        for the screen's corner (its hint would cover the status line)."""
        x, y, w, h = self.place(acc)
        self._xdotool("mousemove", "--sync", str(x + w // 2), str(y + h // 2), "click", str(button))
        self._xdotool("mousemove", "--sync", "1", "1")

    def close_box(self, window):
        """Clicks the window's close box."""
        wid = self.wait(f"the X window of {window.name!r}", lambda: self._x_window(window), timeout=5)
        closebox.close(self.desktop.display, int(wid))

    def keys(self, *keys, window=None, popup=False):
        """Keys as xdotool names them ("alt+d", "F1", "Return") into the
        window (default: see activate), or into an open popup (a menu, a
        list), which holds the keyboard while it is open."""
        if not popup:
            self.activate(window)
        self._xdotool("key", "--delay", "60", *keys)

    def type(self, text, window=None):
        self.activate(window)
        self._xdotool("type", "--delay", "20", text)

    def focus(self, acc):
        """The keyboard focus on a control, as Tab would put it there."""
        window = acc
        while role(window.parent) != "application":
            window = window.parent
        self.activate(window)
        acc.queryComponent().grabFocus()
        self.wait("the focus", lambda: acc.getState().contains(pyatspi.STATE_FOCUSED), timeout=5)

    def menu(self, access_key, item_key):
        """A menu command by its access keys, as Alt+D, B for Datei › Beenden."""
        main = self.main_window()
        self.keys(f"alt+{access_key}", window=main)
        self.wait("the menu to open", lambda: find(main, "popup menu"), timeout=5)
        self.keys(item_key, popup=True)
