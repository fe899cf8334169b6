"""The close box, or "Ende", while KRV-Info tries to wake a device that does
not answer: the readout stops at once, no box about the device keeps the
program waiting, and the process ends on its own with exit code 0, its
settings written once."""

import device
import journey
import steps
from ui import find

WAYS = (("the close box", steps.leave_by_close_box), ('"Ende"', steps.leave_by_ende))


def wake_ups(tap):
    return tap.sent().count(b"Q")


def run(j):
    for way, leave in WAYS:
        # Hears everything, answers nothing: the wake-up would try four times.
        tap = j.keep(device.ByteTap())
        program, writes = steps.start_on_tcp(j, tap.port)
        ui = program.ui
        ui.click(find(steps.krv_panel(ui.main_window()), "push button", "KRV-Info"))
        ui.wait("the wake-up on the line", lambda: wake_ups(tap) > 0, timeout=10)

        tries = wake_ups(tap)
        leave(ui)
        after = f"after {way} during KRV-Info"
        code = steps.ends_without_box(ui, program, after)
        if code != 0:
            ui.fail(f"the program ended with exit code {code} {after}")
        # A try may have begun while the request was on its way; more mean
        # the exit waited for the readout to give up by itself.
        if wake_ups(tap) > tries + 1:
            ui.fail(f"the wake-up went on for {wake_ups(tap)} tries {after}")
        steps.check_settings_written(ui, program.settings, writes, connection_ethernet=1, connection_port=tap.port)


if __name__ == "__main__":
    journey.main("exit_during_readout", run)
