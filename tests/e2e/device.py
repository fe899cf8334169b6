"""The device side of a journey: the simulator (krvsim) on 127.0.0.1 or on a
pseudo-terminal, sample firmware files, and a tap that sees every byte the
program sends over TCP."""

import os
import select
import socket
import subprocess
import threading
import time

from desktop import end_group


class Simulator:
    """krvsim with the given options; .port (TCP) or .pty (serial) once it
    said where it serves."""

    def __init__(self, workdir, *options, pty=False):
        self.port = None
        self.pty = None
        command = [os.environ["KRVSIM"]] + (["--pty"] if pty else ["--port", "0"]) + list(options)
        self._log = _new_log(workdir)
        self._process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=self._log, start_new_session=True)
        line = self._first_line(time.monotonic() + 10)
        kind, _, value = line.partition(" ")
        if kind == "port":
            self.port = int(value)
        elif kind == "pty":
            self.pty = value
        else:
            raise RuntimeError(f"krvsim said {line!r}")

    def _first_line(self, deadline):
        out = self._process.stdout.fileno()
        data = b""
        while b"\n" not in data:
            left = deadline - time.monotonic()
            if left <= 0:
                raise RuntimeError("krvsim did not say where it serves")
            ready, _, _ = select.select([out], [], [], left)
            if ready:
                chunk = os.read(out, 256)
                if not chunk:
                    raise RuntimeError("krvsim ended at start")
                data += chunk
        return data.split(b"\n", 1)[0].decode().strip()

    def stop(self):
        end_group(self._process)
        self._process.stdout.close()
        self._log.close()


def _new_log(workdir):
    """krvsim.log, then krvsim-2.log, ...: each simulator of a journey keeps
    its own log."""
    for n in range(1, 100):
        try:
            return open(os.path.join(workdir, "krvsim.log" if n == 1 else f"krvsim-{n}.log"), "xb")
        except FileExistsError:
            continue
    raise RuntimeError(f"no free simulator log name in {workdir}")


def sample_image(path, size=262144):
    """A firmware file the simulator takes (Intel-HEX when path ends in .hex)."""
    subprocess.run([os.environ["SAMPLE_IMAGE"], path, "--size", str(size)], check=True, timeout=60,
                   stdout=subprocess.DEVNULL)
    return path


class ByteTap:
    """A TCP relay on 127.0.0.1 between the program and the device. It keeps
    what the program sent, and can hold each answer of the device back for
    `delay` seconds, as a slow line would. Without an upstream it only
    listens: a device that hears everything and answers nothing."""

    def __init__(self, upstream_port=None, delay=0.0):
        self.upstream_port = upstream_port
        self.delay = delay
        self._sent = bytearray()
        self._lock = threading.Lock()
        self._stop = threading.Event()
        self._server = socket.create_server(("127.0.0.1", 0))
        self._server.settimeout(0.2)
        self.port = self._server.getsockname()[1]
        self.connections = 0
        self._threads = [threading.Thread(target=self._accept, daemon=True)]
        self._threads[0].start()

    def sent(self):
        with self._lock:
            return bytes(self._sent)

    def records_sent(self):
        """Bytes the program sent after it switched the device to flashing."""
        data = self.sent()
        at = data.find(b"1FLASH")
        return 0 if at < 0 else len(data) - at - len(b"1FLASH")

    def _accept(self):
        while not self._stop.is_set():
            try:
                client, _ = self._server.accept()
            except socket.timeout:
                continue
            except OSError:
                return
            self.connections += 1
            device = None
            if self.upstream_port is not None:
                try:
                    device = socket.create_connection(("127.0.0.1", self.upstream_port), timeout=5)
                except OSError:
                    client.close()
                    continue
            for source, target, record in ((client, device, True), (device, client, False)):
                if source is None:
                    continue
                t = threading.Thread(target=self._relay, args=(source, target, record), daemon=True)
                t.start()
                self._threads.append(t)

    def _relay(self, source, target, record):
        source.settimeout(0.2)
        while not self._stop.is_set():
            try:
                chunk = source.recv(65536)
            except socket.timeout:
                continue
            except OSError:
                break
            if not chunk:
                break
            if record:
                with self._lock:
                    self._sent += chunk
            elif self.delay:
                time.sleep(self.delay)
            if target is not None:
                try:
                    target.sendall(chunk)
                except OSError:
                    break
        # The other direction sees the end too; each direction closes its source.
        if target is not None:
            try:
                target.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
        source.close()

    def stop(self):
        self._stop.set()
        self._server.close()
        for t in self._threads:
            t.join(timeout=2)
