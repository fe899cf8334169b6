"""A Wine prefix of the run's own: created afresh, Windows programs run in
it, its registry read, a COM port mapped to a pseudo-terminal."""

import os
import re
import shutil
import subprocess
import time

from checks import Failed

# "    name    REG_SZ    data" in the output of reg query
_VALUE_LINE = re.compile(r"^    (.+?)    (REG_\w+)(?:    (.*))?$")


def windows_path(path):
    """The Unix path as a Windows program names it (Z: is the Unix root)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class WinePrefix:
    def __init__(self, path, display):
        self.path = path
        self.env = dict(os.environ, WINEPREFIX=path, WINEDEBUG="-all", DISPLAY=display,
                        # No installers of Mono or Gecko popping up in a fresh prefix.
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        for name in ("WAYLAND_DISPLAY", "WINEQT_QPA_PLATFORM", "WINEQT_PLUGIN_PATH", "WINEPATH"):
            self.env.pop(name, None)

    def create(self, log):
        """A fresh prefix (about 10 s)."""
        self.stop()
        shutil.rmtree(self.path, ignore_errors=True)
        subprocess.run(["wineboot", "-i"], env=self.env, stdout=log, stderr=log, check=True, timeout=600)
        subprocess.run(["wineserver", "-w"], env=self.env, check=True, timeout=600)

    def drive_c(self, *parts):
        return os.path.join(self.path, "drive_c", *parts)

    def unix_path(self, windows):
        """C:\\... inside the prefix, Z:\\... on the Unix side."""
        drive, rest = windows[0].lower(), windows[2:].replace("\\", "/").lstrip("/")
        if drive == "z":
            return "/" + rest
        return os.path.join(self.path, "dosdevices", drive + ":", rest)

    def start(self, program, args=(), **popen):
        """The Windows program as a process; its pid is the Wine process."""
        popen.setdefault("stdin", subprocess.DEVNULL)
        return subprocess.Popen(["wine", program, *args], env=self.env, **popen)

    def run(self, program, args=(), timeout=600, **popen):
        popen.setdefault("stdin", subprocess.DEVNULL)
        return subprocess.run(["wine", program, *args], env=self.env, capture_output=True, timeout=timeout, **popen)

    def registry(self, key):
        """{value name: (type, data)} of one registry key, None when it is missing."""
        result = self.run("reg", ["query", key], timeout=120)
        if result.returncode != 0:
            return None
        values = {}
        for line in result.stdout.decode("utf-8", "replace").splitlines():
            found = _VALUE_LINE.match(line.rstrip("\r"))
            if found:
                values[found.group(1)] = (found.group(2), found.group(3) or "")
        return values

    def map_com(self, number, device, timeout=60):
        """COMnumber = device (a pty) through HKLM\\Software\\Wine\\Ports; the
        prefix's processes end so that the port map is laid anew. Fails
        unless dosdevices/comN then points at the device."""
        name = f"COM{number}"
        result = self.run("reg", ["add", r"HKLM\Software\Wine\Ports", "/v", name, "/d", device, "/f"], timeout=120)
        if result.returncode != 0:
            raise Failed(f"reg add {name}: {result.stderr.decode(errors='replace')}")
        self.stop()
        # The next start lays the port map.
        self.run("reg", ["query", r"HKLM\HARDWARE\DEVICEMAP\SERIALCOMM"], timeout=120)
        link = os.path.join(self.path, "dosdevices", name.lower())
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if os.path.islink(link) and os.readlink(link) == device:
                return
            time.sleep(0.2)
        target = os.readlink(link) if os.path.islink(link) else "nothing"
        raise Failed(f"{name} points at {target}, not at {device}")

    def stop(self):
        """Ends every process of the prefix."""
        if os.path.isdir(self.path):
            subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=120)
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=120)
