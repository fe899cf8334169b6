"""Keeps Wine away from the machine's serial ports.

Wine maps every /dev/ttyS*, /dev/ttyUSB* and /dev/ttyACM* to a COM port by
itself, and a port mapped through HKLM\\Software\\Wine\\Ports only moves them
to the next free numbers (COM1 = a pty makes /dev/ttyS0 COM2); /dev/ttyS0 may
be the console. So the whole run happens in a private mount namespace in
which each of those device files is /dev/null: a program that opens such a
COM port under Wine reaches nothing."""

import glob
import os
import subprocess
import sys

_MARK = "QUILLON_WINE_SERIAL_GUARD"
_PATTERNS = ("/dev/ttyS*", "/dev/ttyUSB*", "/dev/ttyACM*")


def enter(argv):
    """Runs this script again inside a private mount namespace (does not
    return); inside it, returns at once."""
    outer = os.environ.get(_MARK)
    if outer is not None:
        if outer == _namespace():
            sys.exit("windows tests: still in the outer mount namespace; not running Wine")
        return
    command = ["unshare", "--mount", "--propagation", "private"]
    if os.geteuid() != 0:
        command.append("--map-root-user")
    os.environ[_MARK] = _namespace()
    try:
        os.execvp(command[0], command + ["--", sys.executable] + argv)
    except OSError as error:
        sys.exit(f"windows tests: cannot enter a private mount namespace ({error})")


def _namespace():
    return os.readlink("/proc/self/ns/mnt")


def machine_ports():
    return sorted(path for pattern in _PATTERNS for path in glob.glob(pattern))


def cover():
    """Puts /dev/null over every serial device of the machine (only in this
    namespace); returns the covered paths. Exits when one stays uncovered."""
    null = os.stat("/dev/null").st_rdev
    covered = []
    for path in machine_ports():
        subprocess.run(["mount", "--bind", "/dev/null", path], check=True)
        if os.stat(path).st_rdev != null:
            sys.exit(f"windows tests: {path} could not be covered; not running Wine")
        covered.append(path)
    return covered


def is_covered(path):
    try:
        return os.stat(path).st_rdev == os.stat("/dev/null").st_rdev
    except OSError:
        return False
