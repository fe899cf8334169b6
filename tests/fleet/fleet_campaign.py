#!/usr/bin/python3
"""A firmware campaign over twelve simulated correctors on 127.0.0.1, some
with faults, run by examples/fleet/flash.yml under Ansible and then by the
GNU parallel command of examples/fleet/README.md, each checked against what
every simulator burnt and reported.

    fleet_campaign.py SOURCE-DIR QUILLON-CLI KRVSIM SAMPLE-IMAGE
"""
import hashlib
import json
import os
import re
import subprocess
import sys
import tempfile
import time

FIRMWARE_DATE = 20090301
OLD_DATE = 20080115
# As quillon-cli and the summary write them.
FIRMWARE_DAY = "2009-03-01"
OLD_DAY = "2008-01-15"
STORM = 150
RESTART = ["--restart", "1000"]


class Corrector:
    def __init__(self, name, expected, args=(), profile=None, hostvars=None):
        self.name, self.expected = name, expected
        self.args, self.profile, self.hostvars = list(args), profile, hostvars or {}


FLEET = [
    Corrector("krv01", "updated", hostvars={"quillon_fabnr": "470000000001", "quillon_baujahr": "2009", "quillon_f4": 3}),
    Corrector("krv02", "updated"),
    Corrector("krv03", "updated"),
    Corrector("krv04", "updated", hostvars={"quillon_fabnr": "470000000004"}),
    Corrector("krv05", "updated"),
    Corrector("krv06", "updated"),
    Corrector("krv07", "failed in phase 1", ["--silent"]),
    Corrector("krv08", "switch closed", profile={"calibrationSwitch": False}),
    Corrector("krv09", "updated", ["--nak", "2", "--nak-storm", str(STORM)]),
    Corrector("krv10", "already current", profile={"buildDate": str(FIRMWARE_DATE)}),
    Corrector("krv11", "verify failed", ["--restart-old"]),
    Corrector("krv12", "refused", profile={"buildDate": "20100101"}),
]

# Correctors behind serial ports, modems and shared TCP targets, run by a
# stand-in for quillon-cli that logs when it holds the line: two of them on
# one line (the word after --port or --tcp) must never overlap.
SHARED = {"port1a": ["--port", "/dev/ttyFAKE0", "--dial", "0301111"], "port1b": ["--port", "/dev/ttyFAKE0", "--dial", "0302222"],
          "port1c": ["--port", "/dev/ttyFAKE0"], "port2a": ["--port", "/dev/ttyFAKE1", "--dial", "0303333"],
          "port2b": ["--port", "/dev/ttyFAKE1"], "tcp1a": ["--tcp", "127.0.0.1:9"], "tcp1b": ["--tcp", "127.0.0.1:9"]}
STAND_IN = """#!/bin/sh
# Logs start and end of the run under the record's name, then reports success.
for last; do :; done
name=$(basename "$last" .json)
echo "$name start $(date +%%s.%%N) $*" >> %(log)s
sleep 2
echo "$name end $(date +%%s.%%N)" >> %(log)s
echo '{"schema": 1, "result": "ok", "phase": 5, "durationMs": 2000, "error": null}'
"""

failures = []


def check(condition, text):
    if not condition:
        failures.append(text)
        print("FAIL: " + text, flush=True)


class Simulators:
    """One krvsim per corrector, each writing what it burnt to NAME.flash."""

    def __init__(self, krvsim, folder):
        self.folder, self.procs, self.ports = folder, [], {}
        for c in FLEET:
            args = [krvsim, "--port", "0", "--flash-out", self.flash_path(c)] + RESTART + c.args
            if c.profile is not None:
                profile = os.path.join(folder, c.name + ".profile.json")
                with open(profile, "w") as f:
                    json.dump(c.profile, f)
                args += ["--profile", profile]
            proc = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
            self.procs.append(proc)
            line = proc.stdout.readline()  # "port N", or nothing when it died
            match = re.fullmatch(r"port (\d+)\n", line)
            if not match:
                raise RuntimeError("krvsim for %s printed %r" % (c.name, line))
            self.ports[c.name] = int(match.group(1))

    def flash_path(self, c):
        return os.path.join(self.folder, c.name + ".flash")

    def stop(self):
        for proc in self.procs:
            proc.terminate()
        for proc in self.procs:
            proc.wait(timeout=10)


def load(path):
    with open(path, encoding="utf-8") as f:
        return json.load(f)


def check_campaign(how, sims, records, firmware, retries):
    """summary.json and every record against the simulators."""
    summary = load(os.path.join(records, "summary.json"))
    rows = {r["name"]: r for r in summary["correctors"]}
    check(sorted(set(rows) - set(SHARED)) == [c.name for c in FLEET], "%s: summary lists %s" % (how, sorted(rows)))
    check(summary["allCurrent"] is False, "%s: summary says all current" % how)
    with open(firmware, "rb") as f:
        image = f.read()
    for c in FLEET:
        row = rows.get(c.name)
        if row is None:
            continue
        where = "%s %s" % (how, c.name)
        check(row["result"] == c.expected, "%s: result %r, expected %r (%s)" % (where, row["result"], c.expected, row["message"]))
        check(row["target"] == "127.0.0.1:%d" % sims.ports[c.name], "%s: target %r" % (where, row["target"]))
        record_path = os.path.join(records, c.name + ".json")
        check(row["record"] == os.path.abspath(record_path), "%s: record %r" % (where, row["record"]))
        if not os.path.exists(record_path):
            check(False, "%s: no record" % where)
            continue
        record = load(record_path)
        check(record["link"] == {"kind": "tcp", "host": "127.0.0.1", "port": sims.ports[c.name]}, "%s: link %r" % (where, record["link"]))
        check(record["durationMs"] == row["durationMs"], "%s: duration %r, record %r" % (where, row["durationMs"], record["durationMs"]))
        burnt = os.path.exists(sims.flash_path(c))
        if c.expected in ("updated", "verify failed"):
            # The device holds the image as sent: the file with the factory data in its information block.
            check(burnt, "%s: the simulator burnt nothing" % where)
            if burnt:
                with open(sims.flash_path(c), "rb") as f:
                    flash = f.read()[:len(image)]
                check(hashlib.sha256(flash).hexdigest() == record["imageSent"]["sha256"], "%s: flash is not the image sent" % where)
                check(flash[:-32] == image[:-32], "%s: flash differs from the file outside its information block" % where)
            check(row["before"] == {"version": "KRV470 V3.02 a", "buildDate": OLD_DAY}, "%s: before %r" % (where, row["before"]))
        else:
            check(not burnt, "%s: the simulator was flashed" % where)
        if c.expected == "updated":
            check(record["result"] == "ok" and record["verification"]["status"] == "verified", "%s: record %s/%s" % (where, record["result"], record["verification"]))
            check(row["after"] == {"version": "KRV470", "buildDate": FIRMWARE_DAY}, "%s: after %r" % (where, row["after"]))
            check(row["attempts"] == 1, "%s: %r attempts" % (where, row["attempts"]))
        if "quillon_fabnr" in c.hostvars:
            check(record["factoryData"]["fabNr"] == c.hostvars["quillon_fabnr"], "%s: factory number %r" % (where, record["factoryData"]["fabNr"]))
        if "quillon_f4" in c.hostvars:
            check(record["factoryData"]["f4"] == c.hostvars["quillon_f4"], "%s: F4 %r" % (where, record["factoryData"]["f4"]))
        if c.name == "krv09":
            check(record["counters"]["repeats"] == STORM, "%s: %r repeats" % (where, record["counters"]["repeats"]))
        if c.expected == "failed in phase 1":
            # Retried, and every run found nothing to talk to.
            check(row["attempts"] == retries + 1, "%s: %r attempts, expected %d" % (where, row["attempts"], retries + 1))
            check(record["deviceBefore"] is None and row["before"] is None, "%s: a device was read" % where)
        if c.expected in ("switch closed", "already current", "refused"):
            # Nothing was sent: the device runs what it ran.
            check(row["attempts"] == 1, "%s: retried (%r attempts)" % (where, row["attempts"]))
            check(row["after"] == row["before"] and row["before"] is not None, "%s: before %r, after %r" % (where, row["before"], row["after"]))
            check(record["imageSent"] is None or record["imageSent"]["sent"] is False, "%s: image sent" % where)
        if c.expected == "verify failed":
            check(row["after"] == {"version": "KRV470 V3.02 a", "buildDate": OLD_DAY}, "%s: after %r" % (where, row["after"]))
            check(row["attempts"] == 1, "%s: retried (%r attempts)" % (where, row["attempts"]))
    # A corrector's runs follow one another, a second apart, each about as
    # long as its last one.
    # Ansible's raw task does not time its runs: then quillon-cli's own figure.
    single = {name: r["runMs"] or r["durationMs"] or 0 for name, r in rows.items()}
    return max(single.values()), max(
        single[name] * (r["attempts"] or 1) + 1000 * ((r["attempts"] or 1) - 1) for name, r in rows.items())


def logged_runs(log):
    """Start, end and arguments of each run the stand-in logged."""
    runs = {}
    with open(log) as f:
        for line in f:
            name, what, when = line.split()[:3]
            runs.setdefault(name, {})[what] = float(when)
            if what == "start":
                runs[name]["args"] = line.split()[3:]
    return runs


def overlap(a, b):
    return a["start"] < b["end"] and b["start"] < a["end"]


def check_turns(how, runs, lines):
    """Runs on one line took turns; different lines ran side by side."""
    names = [n for n in sorted(lines) if "start" in runs.get(n, {}) and "end" in runs.get(n, {})]
    check(names == sorted(lines), "%s: runs logged for %s" % (how, sorted(runs)))
    together = False
    for i, a in enumerate(names):
        for b in names[i + 1:]:
            if lines[a] == lines[b]:
                check(not overlap(runs[a], runs[b]), "%s: %s and %s used %s at once" % (how, a, b, lines[a]))
            else:
                together = together or overlap(runs[a], runs[b])
    check(together or len(set(lines.values())) < 2, "%s: different lines never ran side by side" % how)


def check_port_turns(rows, log):
    """The shared lines' correctors ran with their links and took turns."""
    runs = logged_runs(log)
    for name, link in SHARED.items():
        args = runs.get(name, {}).get("args", [])
        check(args[:len(link)] == link and ("--dial" in args) == ("--dial" in link), "ports: %s ran with %s" % (name, args))
        check(rows.get(name, {}).get("result") == "updated", "ports: %s %r" % (name, rows.get(name)))
        check(rows.get(name, {}).get("target") == " ".join(link[1::2]), "ports: %s target %r" % (name, rows.get(name)))
    check_turns("ports", runs, {name: link[1] for name, link in SHARED.items()})


def check_flash_one_turns(source, env, folder):
    """flash-one: two runs on one TCP target take turns, another target runs beside them."""
    stand_in, log = os.path.join(folder, "stand-in"), os.path.join(folder, "turns.log")
    with open(stand_in, "w") as f:
        f.write(STAND_IN % {"log": log})
    os.chmod(stand_in, 0o755)
    lines = {"one": "127.0.0.1:9", "two": "127.0.0.1:9", "other": "127.0.0.1:7"}
    runs_env = dict(env, QUILLON_CLI=stand_in, QUILLON_LOCK_DIR=folder)
    runs = [subprocess.Popen([os.path.join(source, "examples", "fleet", "flash-one"), "fw.bin", folder, name, target],
                             env=runs_env, stdout=subprocess.DEVNULL) for name, target in lines.items()]
    for proc in runs:
        check(proc.wait(timeout=60) == 0, "flash-one: exit %r" % proc.returncode)
    check_turns("flash-one", logged_runs(log), lines)


def readme_parallel_command(source):
    """The GNU parallel campaign exactly as examples/fleet/README.md shows it."""
    with open(os.path.join(source, "examples", "fleet", "README.md"), encoding="utf-8") as f:
        text = f.read()
    match = re.search(r"<!-- parallel-campaign -->\s*```sh\n(.*?)```", text, re.S)
    if not match:
        raise RuntimeError("README.md has no parallel-campaign block")
    return match.group(1)


def run(how, argv, env, cwd, sims, records, firmware, retries, shell=False):
    started = time.monotonic()
    proc = subprocess.run(argv, env=env, cwd=cwd, shell=shell, capture_output=True, text=True, timeout=240)
    elapsed = time.monotonic() - started
    print("---- %s exit %d after %.1f s\n%s%s" % (how, proc.returncode, elapsed, proc.stdout[-6000:], proc.stderr[-3000:]), flush=True)
    check(proc.returncode != 0, "%s: ended with 0 although correctors were not updated" % how)
    longest_run, longest_corrector = check_campaign(how, sims, records, firmware, retries)
    joblog = os.path.join(records, "joblog")
    if os.path.exists(joblog):
        # GNU parallel's own measure of each corrector, its runs together.
        with open(joblog) as f:
            longest_corrector = 1000 * max(float(line.split("\t")[3]) for line in list(f)[1:])
    print("%s: campaign %.1f s, longest single run %.1f s, longest corrector (its runs together) about %.1f s"
          % (how, elapsed, longest_run / 1000, longest_corrector / 1000), flush=True)
    return elapsed, longest_run / 1000, longest_corrector / 1000


def main():
    source, cli, krvsim, sample_image = sys.argv[1:5]
    retries = 2  # the default of flash.yml and flash-one
    work = tempfile.mkdtemp(prefix="fleet-")
    firmware = os.path.join(work, "fw.bin")
    subprocess.run([sample_image, firmware, "--size", "262144", "--date", str(FIRMWARE_DATE)], check=True)
    env = dict(os.environ)
    # The campaign runs quillon-cli from PATH, as on a service host.
    env["PATH"] = os.path.dirname(cli) + os.pathsep + env["PATH"]
    env["ANSIBLE_FORKS"] = str(len(FLEET) + len(SHARED))
    env["ANSIBLE_LOCAL_TEMP"] = os.path.join(work, "ansible-tmp")
    env["ANSIBLE_HOME"] = os.path.join(work, "ansible-home")
    env["ANSIBLE_NOCOLOR"] = "1"
    env["QUILLON_RETRIES"] = str(retries)
    env["QUILLON_RETRY_DELAY"] = "1"
    timings = []

    # Ansible.
    folder = os.path.join(work, "ansible")
    os.makedirs(folder)
    sims = Simulators(krvsim, folder)
    try:
        inventory = os.path.join(folder, "inventory.ini")
        with open(inventory, "w") as f:
            f.write("[correctors]\n")
            for c in FLEET:
                f.write("%s quillon_tcp=127.0.0.1:%d %s\n" % (c.name, sims.ports[c.name],
                                                            " ".join("%s=%s" % kv for kv in c.hostvars.items())))
            stand_in, log = os.path.join(folder, "stand-in"), os.path.join(folder, "ports.log")
            with open(stand_in, "w") as g:
                g.write(STAND_IN % {"log": log})
            os.chmod(stand_in, 0o755)
            f.write("\n[ports]\n")
            for name, link in SHARED.items():
                variables = dict(zip(link[0::2], link[1::2]))
                f.write("%s %s\n" % (name, " ".join("quillon_%s=%s" % (option[2:], value) for option, value in variables.items())))
            f.write("\n[ports:vars]\nquillon_cli=%s\nquillon_lock_dir=%s\n" % (stand_in, folder))
            f.write("\n[all:vars]\nquillon_retries=%d\nquillon_retry_delay=1\n" % retries)
        records = os.path.join(folder, "records")
        timings.append(run("ansible", ["ansible-playbook", "-i", inventory, "examples/fleet/flash.yml",
                                       "-e", "firmware=" + firmware, "-e", "records=" + records],
                           env, source, sims, records, firmware, retries))
        check_port_turns({r["name"]: r for r in load(os.path.join(records, "summary.json"))["correctors"]}, log)
    finally:
        sims.stop()

    # GNU parallel, from the README, in a folder with targets.txt.
    folder = os.path.join(work, "parallel")
    os.makedirs(folder)
    sims = Simulators(krvsim, folder)
    try:
        with open(os.path.join(folder, "targets.txt"), "w") as f:
            for c in FLEET:
                extra = "".join(" --%s %s" % (k.replace("quillon_", ""), v) for k, v in c.hostvars.items())
                f.write("%s 127.0.0.1:%d%s\n" % (c.name, sims.ports[c.name], extra))
        os.symlink(firmware, os.path.join(folder, "fw.bin"))
        penv = dict(env, FLEET=os.path.join(source, "examples", "fleet"))
        timings.append(run("parallel", readme_parallel_command(source), penv, folder, sims,
                           os.path.join(folder, "records"), firmware, retries, shell=True))
    finally:
        sims.stop()

    folder = os.path.join(work, "flash-one")
    os.makedirs(folder)
    check_flash_one_turns(source, env, folder)

    for how, (elapsed, longest_run, longest_corrector) in zip(("ansible", "parallel"), timings):
        # Side by side, not one after the other: the campaign takes about as
        # long as its slowest corrector, whose runs follow one another.
        check(elapsed <= 1.5 * longest_corrector, "%s: campaign %.1f s > 1.5 x %.1f s" % (how, elapsed, longest_corrector))
    if failures:
        print("%d checks failed; files in %s" % (len(failures), work))
        return 1
    subprocess.run(["rm", "-rf", work])
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
