"""A device with a read password: KRV-Info brings the password dialog, the
typed password is taken and the device read."""

import os

import device
import journey
import steps
from ui import enabled, find, text


def run(j):
    profile = os.path.join(os.environ["SRCDIR"], "sim", "profiles", "password.json")
    sim = j.keep(device.Simulator(j.work, "--profile", profile))
    program, _ = steps.start_on_tcp(j, sim.port)
    ui = program.ui
    main = ui.main_window()
    panel = steps.krv_panel(main)
    ui.click(find(panel, "push button", "KRV-Info"))

    dialog = ui.window("Lesepasswort", roles=("dialog",), timeout=20)
    ui.wait("the request for a password", lambda: find(dialog, "label", "Das KRV scheint ein Passwort zu benötigen!"))
    confirm = find(dialog, "push button", "weiter mit diesem Passwort")
    if enabled(confirm):
        ui.fail("the dialog takes an empty password")
    ui.type("geheim", window=dialog)
    ui.wait("the password taken", lambda: enabled(confirm))
    ui.click(confirm)
    ui.gone(dialog, "the password dialog")

    ui.wait("the device's version", lambda: find(panel, "label", "KRV470 V3.02 a"), timeout=20)
    fabnr = find(main, "text", "Fabriknummer eingeben")
    if text(fabnr) != "470000004711":
        ui.fail(f"the factory number reads {text(fabnr)!r}")


if __name__ == "__main__":
    journey.main("password", run)
