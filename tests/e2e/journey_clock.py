"""KRV-Info ticks the device's options; then the clock buttons of the
options panel (they rely on the readout's wake-up): "Systemzeit" reads the
device clock, "Uhr stellen" sets it to the PC's time, which a second read
shows."""

import datetime
import os

import device
import journey
import steps
from ui import checked, enabled, find


def shown_time(ui, label, other_than):
    return ui.wait("a new time on the clock label", lambda: label.name if label.name != other_than else None,
                   timeout=10)


def run(j):
    profile = os.path.join(os.environ["SRCDIR"], "sim", "profiles", "krv470.json")
    sim = j.keep(device.Simulator(j.work, "--profile", profile))
    tap = j.keep(device.ByteTap(sim.port))
    program, _ = steps.start_on_tcp(j, tap.port)
    ui = program.ui
    main = ui.main_window()
    steps.read_device(ui)
    # The readout ticks the options the device reports.
    for option in ("PTB-Zeit", "Vernetzt", "DSfG", "4 Analogeingänge"):
        box = find(main, "check box", option)
        if box is None or not checked(box):
            ui.fail(f"the option {option!r} is not ticked after KRV-Info")
    read = find(main, "push button", "Systemzeit")
    clock_panel = read.parent
    label = find(clock_panel, "label")

    ui.click(read)
    before = shown_time(ui, label, "...")
    if before != "24.12.2007 18:30:00":
        ui.fail(f"the device clock reads {before!r}")

    ui.click(find(clock_panel, "push button", "Uhr stellen"))
    now = datetime.datetime.now()
    set_to = shown_time(ui, label, before)
    shown = datetime.datetime.strptime(set_to, "%d.%m.%Y %H:%M:%S")
    if abs((shown - now).total_seconds()) > 5:
        ui.fail(f"the clock was set to {set_to!r}, the PC's time is {now:%d.%m.%Y %H:%M:%S}")

    # The device keeps the time it was given (the simulated clock stands):
    # a second read shows it again.
    ui.click(read)
    ui.wait("a second read on the line", lambda: tap.sent().count(b"B218") == 2)
    ui.wait("the read to end", lambda: enabled(read))
    if label.name != set_to:
        ui.fail(f"the clock reads {label.name!r} after it was set to {set_to!r}")


if __name__ == "__main__":
    journey.main("clock", run)
