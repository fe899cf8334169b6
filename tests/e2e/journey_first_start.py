"""First start with a serial port that is not there: the start names the
port and why, the interface dialog follows; the technician chooses TCP,
and the window reaches the device."""

import os

import device
import journey
import settingsfile
import steps
from ui import enabled, find

MISSING = "/dev/ttyQUILLON9"


def run(j):
    sim = j.keep(device.Simulator(j.work))
    os.makedirs(j.path("settings"))
    settings = j.path("settings", "quillon.INI")
    settingsfile.write(settings, {"COM": MISSING, "Ethernet": 0})
    program = j.start_program(settings)
    ui = program.ui

    box, message = ui.message_box(timeout=30)
    if not message.startswith(f"Achtung {MISSING} ist nicht verfügbar!!"):
        ui.fail(f"the start says {message!r} about the missing port")
    ui.answer(box, "OK")

    dialog = ui.window("Schnittstelleneinstellungen", roles=("dialog",))
    ui.focus(find(find(dialog, "combo box"), "text"))
    ui.keys("ctrl+a", window=dialog)
    ui.type("TCP/IP Client", window=dialog)
    ui.keys("Tab", window=dialog)
    for field, value in (("IP-Adresse", "127.0.0.1"), ("Port", str(sim.port))):
        edit = ui.wait(f"the field {field!r}", lambda: find(dialog, "text", field))
        ui.focus(edit)
        ui.keys("ctrl+a", window=dialog)
        ui.type(value, window=dialog)
    ok = find(dialog, "push button", "OK")
    ui.wait("OK enabled", lambda: enabled(ok))
    ui.click(ok)
    ui.gone(dialog, "the interface dialog")

    ui.wait("the caption naming the TCP target",
            lambda: ui.main_window().name == f"Quillon - Client 127.0.0.1:{sim.port}", timeout=15)
    steps.read_device(ui)


if __name__ == "__main__":
    journey.main("first_start", run)
