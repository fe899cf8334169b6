"""A TCP port in the settings file that is no number: the start says so
once, and the modem panel, of no use over TCP, is locked all the same."""

import time

import journey
import steps
from ui import enabled, find


def run(j):
    program = j.start_program(steps.tcp_settings(j, "80x0"))
    ui = program.ui
    box, message = ui.message_box(timeout=30)
    if "'80x0'" not in message:
        ui.fail(f"the start says {message!r} about the port '80x0'")
    ui.answer(box, "OK")

    # Two ticks of the one-second timer: no second message.
    time.sleep(2.5)
    again = [w.name for w in ui.windows() if w != ui.main_window()]
    if again:
        ui.fail(f"after the first message came {again!r}")
    main = ui.main_window()
    for hint in ("Rufnummer der Zentrale", "Initialisierung für Modem"):
        if enabled(find(main, "text", hint)):
            ui.fail(f"the modem field {hint!r} is open in TCP mode")


if __name__ == "__main__":
    journey.main("bad_port", run)
