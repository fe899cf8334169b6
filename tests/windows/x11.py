"""The program's windows on the run's X server, as a user meets them:
found by their title, keys and clicks through XTEST (xdotool), screenshots
of the whole screen (import)."""

import os
import re
import subprocess
import time

from checks import Failed


class Screen:
    def __init__(self, display, folder):
        self.env = dict(os.environ, DISPLAY=display)
        self.folder = folder

    def _xdotool(self, *args, check=True):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True,
                                timeout=60)
        if check and result.returncode != 0:
            raise Failed(f"xdotool {' '.join(map(str, args))}: {result.stderr.strip() or result.returncode}")
        return result.stdout

    def windows(self, title):
        """Visible windows whose whole title matches the (extended POSIX)
        regular expression."""
        found = self._xdotool("search", "--onlyvisible", "--name", f"^({title})$", check=False)
        return [int(w) for w in found.split()]

    def wait_window(self, title, what, timeout=60):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.windows(title)
            if found:
                return found[-1]
            time.sleep(0.2)
        raise Failed(f"no {what} (a window titled {title!r}) within {timeout} s; shown: {self.titles()}")

    def wait_gone(self, window, what, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if window not in self.visible():
                return
            time.sleep(0.2)
        raise Failed(f"{what} is still shown after {timeout} s")

    def visible(self):
        found = self._xdotool("search", "--onlyvisible", "--name", ".*", check=False)
        return [int(w) for w in found.split()]

    def title(self, window):
        return self._xdotool("getwindowname", window, check=False).strip()

    def titles(self):
        return [t for t in (self.title(w) for w in self.visible()) if t]

    def geometry(self, window):
        """(x, y, width, height) of the window on the screen."""
        shell = self._xdotool("getwindowgeometry", "--shell", window)
        values = dict(re.findall(r"^(\w+)=(\d+)$", shell, re.M))
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def keys(self, window, *keys):
        """Keys to the window, given the keyboard focus first (there is no
        window manager to activate it)."""
        self._xdotool("windowfocus", "--sync", window)
        self._xdotool("key", "--clearmodifiers", "--delay", "100", *keys)

    def click(self, window, x, y):
        """A left click at x, y inside the window."""
        self._xdotool("mousemove", "--window", window, "--sync", x, y)
        self._xdotool("click", "1")

    def park_pointer(self):
        """The pointer off every window: a control under it would show its hint."""
        self._xdotool("mousemove", "--sync", 1, 1)

    def _rect_on_screen(self, window, rect):
        wx, wy, width, height = self.geometry(window)
        x, y, w, h = rect if rect else (0, 0, width, height)
        return f"{w}x{h}+{wx + x}+{wy + y}"

    def pixels(self, window, rect=None):
        """(r, g, b) of each pixel of the rectangle (x, y, w, h) of the window
        (all of it without rect), as the screen shows them."""
        result = subprocess.run(["import", "-window", "root", "-crop", self._rect_on_screen(window, rect), "+repage",
                                 "-depth", "8", "txt:-"], env=self.env, capture_output=True, text=True, timeout=60)
        colours = []
        for line in result.stdout.splitlines():
            found = re.search(r"#([0-9A-Fa-f]{6})\b", line)
            if found:
                value = int(found.group(1), 16)
                colours.append((value >> 16, (value >> 8) & 255, value & 255))
        return colours

    def colour_count(self, window):
        result = subprocess.run(["import", "-window", "root", "-crop", self._rect_on_screen(window, None), "+repage",
                                 "-format", "%k", "info:"], env=self.env, capture_output=True, text=True, timeout=60)
        return int(result.stdout.strip() or 0)

    def wait_drawn(self, window, what, timeout=60):
        """Until the window shows more than a plain area (text, frames)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.colour_count(window) > 16:
                return
            time.sleep(0.2)
        raise Failed(f"{what} is not drawn within {timeout} s")

    def screenshot(self, name):
        """The whole screen as NAME.png in the run's folder; its path."""
        path = os.path.join(self.folder, name + ".png")
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path
