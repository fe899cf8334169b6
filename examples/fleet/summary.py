#!/usr/bin/python3
"""The campaign's result: RECORDS/summary.json and a table.

Reads on stdin lines of JSON objects, one per corrector, that map its name
to the result of its quillon-cli run: target, rc (the exit code), attempts,
stdout (the --json result), stderr, delta (its wall time, when measured); a
run that did not start has msg instead. The record is RECORDS/NAME.json. Exit 0 when
every corrector has the new firmware (updated or already current), else 1.

    summary.py RECORDS [--last-retry-uncounted] < runs.json

--last-retry-uncounted: the runs come from an Ansible before 2.16, whose
"attempts" lacks the last run when the retries ran out ("failed" set).
"""
import json
import os
import sys
import tempfile

# The pre-check "Die FW-Versionen sind gleich!": the device runs the file's firmware.
SAME_FIRMWARE = -5
# Nothing was written to the device before these phases ended.
UNTOUCHED_UP_TO_PHASE = 2
# Read at most this much of a record: a real one is a few KiB.
RECORD_LIMIT = 1 << 20
GOOD = ("updated", "already current")


def parse_result(stdout):
    """quillon-cli's --json object, or {} when it printed none."""
    for text in (stdout, stdout.strip().splitlines()[-1] if stdout.strip() else ""):
        try:
            value = json.loads(text)
        except ValueError:
            continue
        if isinstance(value, dict):
            return value
    return {}


def load_record(path):
    try:
        with open(path, encoding="utf-8") as f:
            value = json.loads(f.read(RECORD_LIMIT))
    except (OSError, ValueError):
        return {}
    return value if isinstance(value, dict) else {}


def as_int(value):
    try:
        return int(value)
    except (TypeError, ValueError):
        return None


def iso_date(value):
    """quillon-cli's "YYYY-MM-DD" as it is; the record's yyyymmdd in that form."""
    number = as_int(value)
    if isinstance(value, str) or number is None:
        return value
    return "%04d-%02d-%02d" % (number // 10000, number // 100 % 100, number % 100)


def identity(value):
    if not isinstance(value, dict) or not value.get("version"):
        return None
    return {"version": value.get("version"), "buildDate": iso_date(value.get("buildDate"))}


def phase_of(result, record):
    """quillon-cli's "phase", else the record's "UploadPhase"."""
    return as_int(result["phase"] if "phase" in result else record.get("UploadPhase"))


def classify(rc, result, record):
    verification = result.get("verification") or record.get("verification") or {}
    phase = phase_of(result, record)
    if rc == 0:
        return "updated"
    if rc == 3:
        check = (record.get("preCheck") or {}).get("code")
        return "already current" if as_int(check) == SAME_FIRMWARE else "refused"
    if rc == 2:
        return "refused"
    if rc == 4:
        return "switch closed"
    if rc == 5 or (rc == 1 and verification.get("status") == "no-answer"):
        return "verify failed"
    if rc == 130:
        return "cancelled"
    if rc == 1 and phase is not None:
        return "failed in phase %d" % phase
    return "failed"


def milliseconds(delta):
    """Ansible's "H:MM:SS.ffffff", or seconds as a number (flash-one)."""
    if isinstance(delta, (int, float)):
        return int(delta * 1000)
    try:
        h, m, sec = str(delta).split(":")
        return int((int(h) * 3600 + int(m) * 60 + float(sec)) * 1000)
    except ValueError:
        return None


def corrector(records, name, run, last_retry_uncounted):
    rc = as_int(run.get("rc"))
    result = parse_result(str(run.get("stdout") or ""))
    # Only the record this run wrote: an older one may lie in the folder.
    written = os.path.join(records, name + ".json") if result.get("report") else None
    record = load_record(written) if written else {}
    outcome = classify(rc, result, record)
    device = result.get("device") or {}
    before = identity(device.get("before")) or identity(record.get("deviceBefore"))
    after = identity(device.get("after"))
    phase = phase_of(result, record)
    if after is None and outcome != "updated" and phase is not None and phase <= UNTOUCHED_UP_TO_PHASE:
        after = before
    stderr = str(run.get("stderr") or run.get("msg") or "").strip()
    message = (result.get("error") or {}).get("message") or result.get("message") or (stderr.splitlines()[-1] if stderr else "")
    return {
        "name": name,
        "target": run.get("target"),
        "result": outcome,
        "exitCode": rc,
        "phase": phase,
        "message": message,
        "before": before,
        "after": after,
        "durationMs": as_int(result.get("durationMs", record.get("durationMs"))),
        # The last run as the engine saw it, process start included.
        "runMs": milliseconds(run.get("delta")),
        "attempts": as_int(run.get("attempts", 1 if "rc" in run else 0)) + (1 if last_retry_uncounted and run.get("failed") and "attempts" in run else 0),
        "record": os.path.abspath(written) if written else None,
    }


def firmware_text(value):
    if not value:
        return "-"
    return "%s %s" % (value["version"], value["buildDate"] if value["buildDate"] is not None else "?")


def table(rows):
    head = ("corrector", "target", "result", "before", "after", "duration")
    lines = [head] + [(r["name"], r["target"], r["result"], firmware_text(r["before"]), firmware_text(r["after"]),
                       "-" if r["durationMs"] is None else "%.1f s" % (r["durationMs"] / 1000)) for r in rows]
    widths = [max(len(str(line[i])) for line in lines) for i in range(len(head))]
    return ["  ".join(str(cell).ljust(w) for cell, w in zip(line, widths)).rstrip() for line in lines]


def write_atomically(path, text):
    fd, temp = tempfile.mkstemp(prefix=".summary-", dir=os.path.dirname(path) or ".")
    try:
        with os.fdopen(fd, "w", encoding="utf-8") as f:
            f.write(text)
        os.chmod(temp, 0o644)
        os.replace(temp, path)
    except BaseException:
        os.unlink(temp)
        raise


def runs(text):
    """Name and run of each corrector, in order: flash.yml passes one object, flash-one prints one a line."""
    return [item for line in text.splitlines() if line.strip() for item in json.loads(line).items()]


def main():
    args = sys.argv[1:]
    last_retry_uncounted = "--last-retry-uncounted" in args
    args = [a for a in args if a != "--last-retry-uncounted"]
    if len(args) != 1:
        sys.exit(__doc__)
    rows = [corrector(args[0], name, run, last_retry_uncounted) for name, run in runs(sys.stdin.read())]
    counts = {}
    for r in rows:
        counts[r["result"]] = counts.get(r["result"], 0) + 1
    summary = {"correctors": rows, "counts": counts, "allCurrent": all(r["result"] in GOOD for r in rows)}
    write_atomically(os.path.join(args[0], "summary.json"), json.dumps(summary, indent=2, ensure_ascii=False) + "\n")
    print("\n".join(table(rows)))
    print(", ".join("%s: %d" % item for item in sorted(counts.items())))
    return 0 if summary["allCurrent"] else 1


if __name__ == "__main__":
    sys.exit(main())
