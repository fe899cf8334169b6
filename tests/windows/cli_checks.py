"""quillon-cli.exe under Wine against the native simulator over TCP: what a
script sees of it (exit codes, JSON, messages, the record file) and what the
device got (the simulator's flash)."""

import hashlib
import json
import os
import pty
import re
import signal
import subprocess
import threading
import time

import device
import serialguard
from checks import Failed, check
from wineprefix import windows_path

SUCCESS = "Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)"
CANCELLED = "Abbruch durch den kundigen Benutzer!  ;-)"
INFO_BLOCK = 32


def text(data):
    return data.decode("utf-8", "replace")


def compare_flash(flash_path, image, sent_sha256=None):
    """The simulator's flash against the image: the same bytes outside the
    information block (where the factory data go), erased flash behind the
    image, and the image part hashing as the record says it was sent."""
    with open(flash_path, "rb") as f:
        flash = f.read()
    check(len(flash) >= len(image), f"the simulator's flash has {len(flash)} bytes, the image {len(image)}")
    burnt = flash[:len(image)]
    if burnt[:-INFO_BLOCK] != image[:-INFO_BLOCK]:
        first = next(i for i, (a, b) in enumerate(zip(burnt, image)) if a != b)
        raise Failed(f"the flash differs from the file at 0x{first:06X}")
    check(flash[len(image):] == b"\xff" * (len(flash) - len(image)), "the flash behind the image is not erased")
    if sent_sha256 is not None:
        check(hashlib.sha256(burnt).hexdigest() == sent_sha256,
              "the flash is not the image the record says was sent")


class CliChecks:
    def __init__(self, prefix, cli, native_cli, work):
        self.prefix = prefix
        self.cli = cli
        self.native_cli = native_cli
        self.work = work
        self.hex = device.sample_image(os.path.join(work, "firmware.hex"), size=524288)
        self.bin = device.sample_image(os.path.join(work, "firmware.bin"), size=524288)
        with open(self.bin, "rb") as f:
            self.image = f.read()

    def _simulator(self, *options):
        return device.Simulator(self.work, *options)

    def _run(self, args, timeout=300):
        result = self.prefix.run(self.cli, args, timeout=timeout)
        return result.returncode, text(result.stdout), text(result.stderr)

    def _json(self, out, err):
        try:
            return json.loads(out)
        except ValueError:
            raise Failed(f"no JSON on stdout:\n{out}\n{err}")

    def info(self):
        """The device as the native program reads it from the same simulator."""
        sim = self._simulator()
        try:
            args = ["--tcp", f"127.0.0.1:{sim.port}", "--json", "info"]
            code, out, err = self._run(args)
            native = subprocess.run([self.native_cli, *args], capture_output=True, timeout=300)
        finally:
            sim.stop()
        check(code == 0, f"exit code {code}:\n{err}")
        o = self._json(out, err)
        check(o.get("model") == "KRV470" and o.get("version") == "KRV470 V3.02 a",
              f"read {o.get('version')!r} (model {o.get('model')})")
        expected = self._json(text(native.stdout), text(native.stderr))
        differing = sorted(k for k in set(o) | set(expected) if o.get(k) != expected.get(k))
        check(not differing, f"read otherwise than the native program: {differing}")
        return f"{o['version']}, Fabriknummer {o['factoryNumber']}, as the native program reads it"

    def flash(self):
        flash_out = os.path.join(self.work, "flash-plain.bin")
        sim = self._simulator("--flash-out", flash_out)
        try:
            code, out, err = self._run(["--tcp", f"127.0.0.1:{sim.port}", "flash", windows_path(self.hex)])
        finally:
            sim.stop()
        check(code == 0, f"exit code {code}:\n{out}\n{err}")
        check(SUCCESS in out + err, f"no success message:\n{out}\n{err}")
        check(os.path.exists(flash_out), "the simulator burnt nothing")
        compare_flash(flash_out, self.image)
        return f"{len(self.image)} bytes of Intel-HEX burnt as the file's image"

    def verify_and_report(self):
        """flash --verify --report: the device read back after its restart,
        the record file as JSON, the flash as the record says."""
        flash_out = os.path.join(self.work, "flash-verified.bin")
        record = os.path.join(self.work, "record.json")
        sim = self._simulator("--restart", "600", "--flash-out", flash_out)
        try:
            code, out, err = self._run(["--tcp", f"127.0.0.1:{sim.port}", "--json", "flash", windows_path(self.bin),
                                        "--verify", "--report", windows_path(record)])
        finally:
            sim.stop()
        check(code == 0, f"exit code {code}:\n{out}\n{err}")
        o = self._json(out, err)
        verification = o.get("verification", {})
        check(o.get("result") == "ok" and verification.get("status") == "verified",
              f"result {o.get('result')!r}, verification {verification}")
        check(os.path.exists(record), "no record file")
        with open(record, "rb") as f:
            try:
                r = json.loads(f.read())
            except ValueError as error:
                raise Failed(f"the record is no JSON: {error}")
        check(r.get("result") == "ok", f"the record says {r.get('result')!r}")
        sent = r.get("imageSent") or {}
        check(sent.get("size") == len(self.image), f"the record's image size {sent.get('size')}")
        compare_flash(flash_out, self.image, sent.get("sha256"))
        return verification.get("text", "")

    def ports(self):
        """COM1 on a pty of this run; ports lists it as free. Which serial
        devices it opened is read from strace: only COM1's pty and the
        machine's ports covered by /dev/null may be among them."""
        master, slave = pty.openpty()
        try:
            path = os.ttyname(slave)
            self.prefix.map_com(1, path)
            trace = os.path.join(self.work, "ports.strace")
            result = subprocess.run(["strace", "-f", "-qq", "-e", "trace=open,openat", "-o", trace,
                                     "wine", self.cli, "--json", "ports"],
                                    env=self.prefix.env, capture_output=True, timeout=300)
        finally:
            os.close(slave)
            os.close(master)
        out, err = text(result.stdout), text(result.stderr)
        check(result.returncode == 0, f"exit code {result.returncode}:\n{out}\n{err}")
        listed = self._json(out, err).get("ports", [])
        com1 = [p for p in listed if p.get("com") == "COM1"]
        check(com1, f"COM1 is not listed: {listed}")
        check(com1[0].get("state") == "free", f"COM1 is {com1[0].get('state')!r}")
        opened = serial_devices_opened(trace, os.path.join(self.prefix.path, "dosdevices"))
        strange = [f"{port} = {device}" for port, device in opened
                   if device != path and not serialguard.is_covered(device)]
        check(not strange, f"ports opened {strange}")
        listing = ", ".join(f"{p.get('com') or p.get('path')} {p.get('state')}" for p in listed)
        seen = ", ".join(f"{port} = {device}" + (" (covered by /dev/null)" if device != path else "")
                         for port, device in opened)
        return f"listed: {listing}; opened: {seen or 'no COM port'}"

    def ctrl_c(self):
        """Ctrl-C while the device does not answer a data record: exit code
        130, the cancel message and the device's state."""
        sim = self._simulator("--silent-from", "4")
        try:
            process = self.prefix.start(self.cli, ["--tcp", f"127.0.0.1:{sim.port}", "--json", "flash",
                                                   windows_path(self.bin)],
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True)
            err = _Collector(process.stderr)
            out = _Collector(process.stdout)
            try:
                if not err.wait_for("Wdh: 0 Adr: 1 Dat: 2", timeout=120):
                    raise Failed(f"the records did not start:\n{err.text()}")
                # Wine turns SIGINT into CTRL_C_EVENT for a console program.
                os.kill(process.pid, signal.SIGINT)
                try:
                    code = process.wait(timeout=30)
                except subprocess.TimeoutExpired:
                    raise Failed(f"still running 30 s after Ctrl-C:\n{err.text()}")
            finally:
                if process.poll() is None:
                    process.kill()
                    process.wait()
            out.join()
            err.join()
        finally:
            sim.stop()
        messages = err.text()
        check(code == 130, f"exit code {code}:\n{messages}")
        check(CANCELLED in messages, f"no cancel message:\n{messages}")
        state = [line for line in messages.splitlines() if line.startswith("Zustand: ")]
        check(state and state[0].startswith("Zustand: Das KRV ist im FLASH-Update-Modus"),
              f"no state line naming the flash-update mode:\n{messages}")
        check(self._json(out.text(), messages).get("result") == "cancelled", f"JSON: {out.text()}")
        return state[0][:90] + "..."


def serial_devices_opened(trace, dosdevices):
    """(COMn, device file) of every COM port the traced processes opened:
    Wine opens a port through its link in the prefix's dosdevices."""
    opened = []
    pattern = re.compile(r'open(?:at)?\([^"]*"' + re.escape(dosdevices) + r'/(com\d+)".*\) = \d+$')
    with open(trace, encoding="utf-8", errors="replace") as f:
        for line in f:
            found = pattern.search(line.strip())
            if found:
                port = found.group(1).upper()
                entry = (port, os.path.realpath(os.path.join(dosdevices, found.group(1))))
                if entry not in opened:
                    opened.append(entry)
    return opened


class _Collector:
    """Reads a pipe to its end in a thread; its text so far on request."""

    def __init__(self, pipe):
        self._data = b""
        self._lock = threading.Lock()
        self._thread = threading.Thread(target=self._read, args=(pipe,), daemon=True)
        self._thread.start()

    def _read(self, pipe):
        for chunk in iter(lambda: pipe.read1(4096), b""):
            with self._lock:
                self._data += chunk

    def text(self):
        with self._lock:
            return text(self._data)

    def wait_for(self, needle, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if needle in self.text():
                return True
            if not self._thread.is_alive():
                return needle in self.text()
            time.sleep(0.1)
        return False

    def join(self):
        self._thread.join(timeout=30)
