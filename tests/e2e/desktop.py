"""A private desktop for one journey: an X server (Xvfb) on a free display,
a session bus of its own and, through it, the accessibility bus.

Everything started here runs in a process group of its own and is ended by
that group's id when the desktop stops."""

import os
import select
import shutil
import signal
import subprocess
import tempfile
import time


def _read_line(fd, deadline, what):
    """One line the child writes to the pipe fd, before the deadline."""
    data = b""
    while not data.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0:
            raise RuntimeError(f"{what} did not start in time")
        ready, _, _ = select.select([fd], [], [], left)
        if ready:
            chunk = os.read(fd, 256)
            if not chunk:
                raise RuntimeError(f"{what} ended before it said where it listens")
            data += chunk
    return data.decode().strip()


def end_group(process, grace=3.0):
    """Ends a process started with start_new_session, with all it started."""
    if process is None or process.poll() is not None:
        return
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            return
        try:
            process.wait(timeout=grace)
            return
        except subprocess.TimeoutExpired:
            continue


class Desktop:
    """Xvfb + session bus; env() is what a program on this desktop needs."""

    def __init__(self, workdir, size=(1280, 1024)):
        self.workdir = workdir
        self.size = size
        self.display = None
        self.bus_address = None
        self._xvfb = None
        self._bus = None
        self._runtime = None

    def start(self, timeout=15.0):
        deadline = time.monotonic() + timeout
        # The buses' sockets live here; a socket's path may not be long, so
        # not below the build folder.
        runtime = tempfile.mkdtemp(prefix="quillon-e2e-")
        self._runtime = runtime

        read_end, write_end = os.pipe()
        try:
            self._xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{self.size[0]}x{self.size[1]}x24",
                 "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                stderr=open(os.path.join(self.workdir, "xvfb.log"), "wb"), start_new_session=True)
            os.close(write_end)
            write_end = None
            self.display = ":" + _read_line(read_end, deadline, "Xvfb")
        finally:
            if write_end is not None:
                os.close(write_end)
            os.close(read_end)

        read_end, write_end = os.pipe()
        try:
            # Services the bus starts (the accessibility bus launcher) inherit
            # this environment: they must see this display.
            env = dict(self._base_env())
            self._bus = subprocess.Popen(
                ["dbus-daemon", "--session", "--nofork", f"--address=unix:dir={runtime}",
                 f"--print-address={write_end}"],
                pass_fds=(write_end,), env=env, stdout=subprocess.DEVNULL,
                stderr=open(os.path.join(self.workdir, "dbus.log"), "wb"), start_new_session=True)
            os.close(write_end)
            write_end = None
            self.bus_address = _read_line(read_end, deadline, "dbus-daemon")
        finally:
            if write_end is not None:
                os.close(write_end)
            os.close(read_end)
        return self

    def _base_env(self):
        env = {k: v for k, v in os.environ.items()
               if k not in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS")}
        env["DISPLAY"] = self.display
        env["XDG_RUNTIME_DIR"] = self._runtime
        # Qt's file dialog remembers folders here: each journey starts afresh.
        env["XDG_CONFIG_HOME"] = os.path.join(self.workdir, "config")
        return env

    def env(self):
        env = self._base_env()
        env["DBUS_SESSION_BUS_ADDRESS"] = self.bus_address
        return env

    def enter(self):
        """Points this process (the accessibility client) at the desktop."""
        os.environ.update(self.env())

    def stop(self):
        end_group(self._bus)
        end_group(self._xvfb)
        if self._runtime:
            shutil.rmtree(self._runtime, ignore_errors=True)

    def screenshot(self, path, crop=None):
        """The screen (or the rectangle x, y, w, h of it) as a PNG; False
        when no picture could be taken."""
        if not shutil.which("import") or self.display is None:
            return False
        command = ["import", "-display", self.display, "-window", "root"]
        if crop:
            x, y, w, h = crop
            command += ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
        try:
            subprocess.run(command + [path], timeout=20, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except (subprocess.SubprocessError, OSError):
            return False
        return os.path.exists(path)
