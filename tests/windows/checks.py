"""The checks of one run: each one printed when it ends, a summary at the end."""

import time
import traceback


class Failed(Exception):
    """A check found something wrong; the text says what."""


def check(condition, message):
    if not condition:
        raise Failed(message)


class Checks:
    def __init__(self):
        self._results = []

    def run(self, name, body, *args):
        """Runs body(*args); what it returns (a short text) is printed with
        PASS. Returns whether it passed."""
        start = time.monotonic()
        try:
            detail = body(*args)
        except Failed as failure:
            return self._report(False, name, str(failure), start)
        except Exception:
            return self._report(False, name, traceback.format_exc().rstrip(), start)
        return self._report(True, name, detail or "", start)

    def skip(self, name, reason):
        """A check that could not run counts as failed."""
        self._report(False, name, f"not run: {reason}", time.monotonic())

    def _report(self, passed, name, detail, start):
        self._results.append((name, passed))
        line = f"{'PASS' if passed else 'FAIL'} {name} ({time.monotonic() - start:.1f} s)"
        if detail:
            line += "\n     " + detail.replace("\n", "\n     ")
        print(line, flush=True)
        return passed

    def summary(self):
        """Prints the count of passed and failed checks; True when all passed."""
        failed = [name for name, passed in self._results if not passed]
        print(f"\n{len(self._results) - len(failed)} of {len(self._results)} checks passed", flush=True)
        for name in failed:
            print(f"  failed: {name}")
        return bool(self._results) and not failed
