"""One journey of a technician through the real program: its own desktop,
devices and settings file, the program as a separate process, and what is
left behind (logs, screenshots) in a folder of its own."""

import os
import shutil
import signal
import subprocess
import sys
import time
import traceback

from desktop import Desktop, end_group
from ui import Failure, Ui


class Program:
    """The running quillon: its process, its windows, its settings file."""

    def __init__(self, journey, settings, cwd, env):
        self.settings = settings
        self._log = open(os.path.join(journey.work, "quillon.log"), "ab")
        self.process = subprocess.Popen([os.environ["QUILLON"], "--settings", settings], cwd=cwd, env=env,
                                        stdin=subprocess.DEVNULL, stdout=self._log, stderr=subprocess.STDOUT,
                                        start_new_session=True)
        self.ui = Ui(journey.desktop, self.process.pid, journey.work, float(env.get("QT_SCALE_FACTOR", 1)))

    def running(self):
        return self.process.poll() is None

    def exit_code(self, timeout, after=""):
        """The exit code once the process has ended, at most timeout seconds
        from now; a process still there fails the journey."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.ui.fail(f"the program still runs {timeout:.0f} s {after}".rstrip())

    def stop(self):
        end_group(self.process)
        self._log.close()


class Journey:
    def __init__(self, name, screen=(1280, 1024)):
        self.name = name
        self.work = os.path.join(os.environ.get("E2E_WORKDIR", "/tmp/quillon-e2e"), name)
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        self.desktop = Desktop(self.work, screen)
        self._stoppables = []
        self.program = None

    def path(self, *parts):
        return os.path.join(self.work, *parts)

    def keep(self, thing):
        """Something with stop() that ends with the journey."""
        self._stoppables.append(thing)
        return thing

    def start_program(self, settings, cwd=None, **extra_env):
        env = self.desktop.env()
        env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        env["QT_QPA_PLATFORM"] = "xcb"
        # The update check asks only the journey's own server (or nobody).
        env["ORV_UPDATE_URL"] = "http://127.0.0.1:9"
        env.update(extra_env)
        # The pointer rests in a corner, off the window: a control under it
        # would put its hint into the status line.
        subprocess.run(["xdotool", "mousemove", "1", "1"], env=env, check=True, timeout=20)
        self.program = self.keep(Program(self, settings, cwd or self.work, env))
        return self.program

    def __enter__(self):
        # A test runner ends a journey that overran with SIGTERM: what it
        # started runs in sessions of their own and must be ended here.
        signal.signal(signal.SIGTERM, _terminated)
        self.desktop.start()
        self.desktop.enter()
        return self

    def __exit__(self, kind, value, tb):
        if kind is not None and self.program is not None:
            self.program.ui.screenshot("end")
        for thing in reversed(self._stoppables):
            try:
                thing.stop()
            except Exception:
                traceback.print_exc()
        self.desktop.stop()
        return False


def _terminated(signum, frame):
    raise SystemExit(f"ended by signal {signum}")


def main(name, journey, **options):
    """Runs journey(j) and reports like a test: exit code 0 on success."""
    start = time.monotonic()
    try:
        with Journey(name, **options) as j:
            journey(j)
    except Failure as failure:
        print(f"FAIL {name}: {failure}")
        print(f"     left behind in {os.environ.get('E2E_WORKDIR', '/tmp/quillon-e2e')}/{name}")
        sys.exit(1)
    except Exception:
        traceback.print_exc()
        sys.exit(1)
    print(f"PASS {name} ({time.monotonic() - start:.1f} s)")
