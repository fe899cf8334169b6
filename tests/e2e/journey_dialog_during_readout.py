"""Einstellungen › Schnittstelle while KRV-Info waits for the device: the
dialog stays shut (the port must not be closed under the conversation) and
opens once the readout has ended."""

import time

import device
import journey
import steps
from ui import find


def interface_dialog_shown(ui):
    return any(w.name == "Schnittstelleneinstellungen" for w in ui.windows())


def run(j):
    # A device that hears everything and answers nothing: the readout tries
    # to wake it for about twelve seconds.
    tap = j.keep(device.ByteTap())
    program, _ = steps.start_on_tcp(j, tap.port)
    ui = program.ui
    main = ui.main_window()
    caption = main.name
    ui.click(find(steps.krv_panel(main), "push button", "KRV-Info"))
    ui.wait("the wake-up on the line", lambda: b"Q" in tap.sent(), timeout=10)

    ui.menu("e", "c")
    time.sleep(1.5)
    if interface_dialog_shown(ui):
        ui.fail("the interface dialog opened while the readout waited for the device")
    if ui.main_window().name != caption:
        ui.fail(f"the caption changed to {ui.main_window().name!r}")

    message = steps.final_message(ui, timeout=30)
    if message != "KRV reagiert falsch oder nicht!":
        ui.fail(f"the readout ended with {message!r}")
    ui.menu("e", "c")
    dialog = ui.window("Schnittstelleneinstellungen", roles=("dialog",))
    ui.click(find(dialog, "push button", "Abbruch"))
    ui.gone(dialog, "the interface dialog")


if __name__ == "__main__":
    journey.main("dialog_during_readout", run)
