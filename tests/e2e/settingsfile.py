"""The program's settings file as the user finds it on disk: read it back,
and count how often the program wrote it."""

import ctypes
import os
import struct

COMMENT = "; Werkstattrechner 3, bitte nicht ändern"


def write(path, connection, name=None, fw=None):
    """A settings file with a comment line the program must keep.
    connection: the [Connection] keys, e.g. {"Ethernet": 1, "IP": ..., "Port": ...}."""
    lines = [COMMENT]
    if fw is not None:
        lines += ["[Code]", f"FW={fw}"]
    if name is not None:
        lines += ["[File]", "Filter=2", f"Name={name}"]
    lines.append("[Connection]")
    lines += [f"{key}={value}" for key, value in connection.items()]
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


def read(path):
    """{(section, key): value}, names in lower case as the program treats them."""
    values = {}
    section = ""
    with open(path, encoding="utf-8") as f:
        for line in f.read().splitlines():
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1].strip().lower()
            elif "=" in line and not line.startswith(";"):
                key, _, value = line.partition("=")
                values[(section, key.strip().lower())] = value
    return values


def text(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


class WriteCounter:
    """Counts completed writes of one file (closed after writing, or moved
    into place) through inotify on its folder."""

    _IN_CLOSE_WRITE = 0x00000008
    _IN_MOVED_TO = 0x00000080
    _IN_NONBLOCK = 0o4000

    def __init__(self, path):
        self._name = os.path.basename(path).encode()
        self._libc = ctypes.CDLL(None, use_errno=True)
        self._fd = self._libc.inotify_init1(self._IN_NONBLOCK)
        if self._fd < 0:
            raise OSError(ctypes.get_errno(), "inotify_init1")
        folder = os.path.dirname(os.path.abspath(path)).encode()
        if self._libc.inotify_add_watch(self._fd, folder, self._IN_CLOSE_WRITE | self._IN_MOVED_TO) < 0:
            raise OSError(ctypes.get_errno(), "inotify_add_watch")
        self._count = 0

    def count(self):
        while True:
            try:
                data = os.read(self._fd, 65536)
            except BlockingIOError:
                return self._count
            offset = 0
            while offset + 16 <= len(data):
                _, _, _, length = struct.unpack_from("iIII", data, offset)
                name = data[offset + 16:offset + 16 + length].rstrip(b"\0")
                if name == self._name:
                    self._count += 1
                offset += 16 + length

    def stop(self):
        os.close(self._fd)
