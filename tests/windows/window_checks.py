"""The installed quillon.exe under Wine, driven as a user would: keys and
clicks on what the screen shows (there is no accessibility bus under Wine).
Judged by what the user sees: the window's title and its text in colour on
the screen, the simulator's bytes and flash, the settings file, the process's
end and its exit code. Screenshots stay in the run's folder."""

import os
import subprocess
import time

import device
import settingsfile
from checks import Failed, check
from cli_checks import compare_flash
from installer_checks import PROGRAM_FOLDER
from wineprefix import windows_path

# The window's fixed layout: a client area of 470 x 500 between the menu bar
# and a status bar of 19 pixels; the KRV panel starts 312 pixels down the
# client area, its buttons 8 pixels into it, 90 x 25 each.
CLIENT_HEIGHT = 500
STATUS_BAR = 19
KRV_INFO = (8 + 45, 312 + 8 + 12)
UPLOAD = (106 + 45, 312 + 8 + 12)
VERSION_LABEL = (8, 312 + 42, 290, 18)  # x, y, width, height: bold blue text after a readout
FABNR_FIELD = (12 + 3, 108 + 24 + 3, 113 - 6, 21 - 6)  # inside the field's frame
TEXT_PIXELS = 20  # more pixels of a text's colour than a dot has: a text is shown


class WindowChecks:
    def __init__(self, prefix, screen, work):
        self.prefix = prefix
        self.screen = screen
        self.work = work
        self.program = None
        self.window = None
        self.sim = None
        self.tap = None
        self.update = None

    def start(self):
        """The installed program with a settings file for the simulator's
        TCP port and the firmware file on its command line."""
        self.flash_out = os.path.join(self.work, "window-flash.bin")
        self.sim = device.Simulator(self.work, "--flash-out", self.flash_out)
        self.tap = device.ByteTap(self.sim.port)
        self.hex = device.sample_image(os.path.join(self.work, "window-firmware.hex"), size=524288)
        with open(device.sample_image(os.path.join(self.work, "window-firmware.bin"), size=524288), "rb") as f:
            self.image = f.read()
        self.settings = os.path.join(self.work, "quillon.INI")
        settingsfile.write(self.settings, {"Ethernet": 1, "IP": "127.0.0.1", "Port": self.tap.port})
        self.screen.park_pointer()
        self._log = open(os.path.join(self.work, "quillon.log"), "ab")
        # Wine 8 does not draw the text of line edits through Qt's default
        # Windows font engine (a plain QLineEdit shows empty); FreeType draws
        # what a Windows user sees. Wine hands QT_* variables to Windows
        # programs only when given as WINEQT_*.
        env = dict(self.prefix.env, ORV_UPDATE_URL="http://127.0.0.1:9",
                   WINEQT_QPA_PLATFORM="windows:fontengine=freetype")
        self.program = subprocess.Popen(
            ["wine", self.prefix.unix_path(PROGRAM_FOLDER + r"\quillon.exe"), "--settings",
             windows_path(self.settings), windows_path(self.hex)],
            env=env, cwd=self.work, stdin=subprocess.DEVNULL, stdout=self._log, stderr=subprocess.STDOUT,
            start_new_session=True)
        title = f"Quillon - Client 127.0.0.1:{self.tap.port}"
        self.window = self.screen.wait_window(title.replace(".", r"\."), "main window", timeout=120)
        x, y, width, height = self.screen.geometry(self.window)
        check(width >= 470 and height >= CLIENT_HEIGHT + STATUS_BAR, f"the window is {width} x {height}")
        self.screen.wait_drawn(self.window, "the main window")
        shot = self.screen.screenshot("main-window")
        return f"titled {title!r}, {width} x {height} at {x},{y}; {shot}"

    def _client_top(self):
        """Where the client area starts in the window, below the menu bar."""
        _, _, _, height = self.screen.geometry(self.window)
        return height - STATUS_BAR - CLIENT_HEIGHT

    def _click(self, point):
        x, y = point
        self.screen.click(self.window, x, self._client_top() + y)
        self.screen.park_pointer()

    def _wait_for(self, what, condition, timeout=60):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if condition():
                return
            time.sleep(0.2)
        raise Failed(f"{what}: not within {timeout} s")

    def _pixels(self, rect):
        x, y, width, height = rect
        return self.screen.pixels(self.window, (x, self._client_top() + y, width, height))

    def _blue_text_in_version_label(self):
        """Pixels of the version label that are clearly blue (the label's
        colour): the label shows a text."""
        return sum(1 for r, g, b in self._pixels(VERSION_LABEL) if b > 150 and r < 90 and g < 90)

    def _text_in_fabnr_field(self):
        """Pixels darker than the field's frame inside it: the field shows
        the factory number (grey: it is not to be edited)."""
        return sum(1 for r, g, b in self._pixels(FABNR_FIELD) if max(r, g, b) < 170)

    def readout(self):
        """KRV-Info: the device is asked for its identity; the version
        appears in blue on the KRV panel and the factory number in its field."""
        # Before a readout the label holds a dot only.
        check(self._blue_text_in_version_label() <= TEXT_PIXELS and self._text_in_fabnr_field() <= TEXT_PIXELS,
              "the version or the factory number is shown before any readout")
        self._click(KRV_INFO)
        self._wait_for("the device asked for its version and factory number",
                       lambda: b"B004" in self.tap.sent() and b"B142" in self.tap.sent())
        self._wait_for("the version shown on the KRV panel", lambda: self._blue_text_in_version_label() > TEXT_PIXELS)
        self._wait_for("the factory number shown", lambda: self._text_in_fabnr_field() > TEXT_PIXELS)
        shot = self.screen.screenshot("after-readout")
        check(b"1FLASH" not in self.tap.sent(), "KRV-Info started an upload")
        return f"the device was read; {shot}"

    def upload(self):
        """Upload: the file from the command line goes into the simulator's
        flash; the final message box is answered with Return."""
        self._click(UPLOAD)
        self._wait_for("the device programmed", lambda: os.path.exists(self.flash_out), timeout=300)
        box = self._wait_message_box()
        shot = self.screen.screenshot("upload-end")
        self.screen.keys(box, "Return")
        self.screen.wait_gone(box, "the final message box")
        compare_flash(self.flash_out, self.image)
        return f"{len(self.image)} bytes burnt as the file's image, the final box answered; {shot}"

    def _wait_message_box(self, timeout=120):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            others = [w for w in self.screen.visible() if w != self.window and self.screen.title(w)]
            if others:
                return others[-1]
            time.sleep(0.2)
        raise Failed(f"no message box within {timeout} s; shown: {self.screen.titles()}")

    def interface_dialog(self):
        """Einstellungen › Schnittstelle shows the dialog; Escape leaves it
        and the program stays on TCP."""
        self.screen.keys(self.window, "alt+e", "c")
        dialog = self.screen.wait_window("Schnittstelleneinstellungen", "interface dialog")
        self.screen.wait_drawn(dialog, "the interface dialog")
        shot = self.screen.screenshot("interface-dialog")
        self.screen.keys(dialog, "Escape")
        self.screen.wait_gone(dialog, "the interface dialog")
        check(self.screen.title(self.window) == f"Quillon - Client 127.0.0.1:{self.tap.port}",
              f"the title is now {self.screen.title(self.window)!r}")
        return shot

    def beenden(self, setup):
        """Datei › Beenden, while the installer of an update is started, as
        the web update does right before the program ends: the process ends
        with exit code 0 and writes its settings, keeping the comment line
        and the TCP target."""
        program = self.prefix.unix_path(PROGRAM_FOLDER + r"\quillon.exe")
        self.installed_before = os.stat(program).st_ctime_ns
        self.update = self.prefix.start(setup, ["/S"])
        self.screen.keys(self.window, "alt+d", "b")
        try:
            code = self.program.wait(timeout=60)
        except subprocess.TimeoutExpired:
            raise Failed(f"still running 60 s after Datei › Beenden; shown: {self.screen.titles()}")
        check(code == 0, f"exit code {code}")
        content = settingsfile.text(self.settings)
        check(settingsfile.COMMENT in content.splitlines(), f"the comment line is gone:\n{content}")
        values = settingsfile.read(self.settings)
        check(values.get(("connection", "port")) == str(self.tap.port) and values.get(("connection", "ethernet")) == "1",
              f"the TCP target was not kept:\n{content}")
        # The same file, whichever separator the program writes.
        kept = (values.get(("file", "name")) or "").replace("/", "\\").lower()
        check(kept == windows_path(self.hex).lower(), f"the last file is not kept:\n{content}")
        return "exit code 0, settings written"

    def update_installed(self):
        """The installer started before Beenden has replaced the program."""
        try:
            code = self.update.wait(timeout=300)
        except subprocess.TimeoutExpired:
            raise Failed("the installer still runs 300 s after the program ended")
        check(code == 0, f"the installer's exit code {code}")
        changed = os.stat(self.prefix.unix_path(PROGRAM_FOLDER + r"\quillon.exe")).st_ctime_ns
        check(changed != self.installed_before, "quillon.exe was not replaced")
        return "installed over the ended program"

    def stop(self):
        for process in (self.program, self.update):
            if process is not None and process.poll() is None:
                process.kill()
                process.wait()
        if self.program is not None:
            self._log.close()
        for thing in (self.tap, self.sim):
            if thing is not None:
                thing.stop()
