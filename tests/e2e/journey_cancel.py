"""Abbruch while the records flow: the cancel message, no record after it,
and a window that still works (its commands back, the interface dialog
opens, Datei › Beenden ends it)."""

import time

import journey
import steps
from ui import enabled, find


def run(j):
    program, writes, tap, firmware = steps.upload_under_way(j)
    ui = program.ui
    main = ui.main_window()
    panel = steps.krv_panel(main)
    ui.click(find(panel, "push button", "Abbruch"))
    message = steps.final_message(ui, timeout=30)
    if message != steps.CANCELLED:
        ui.fail(f"the cancel ended with {message!r}")

    # Nothing goes to the device any more.
    after = len(tap.sent())
    time.sleep(1.0)
    if len(tap.sent()) != after:
        ui.fail(f"{len(tap.sent()) - after} bytes went to the device after the cancel message")
    for caption in ("Upload", "KRV-Info"):
        ui.wait(f"{caption!r} enabled again", lambda: enabled(find(panel, "push button", caption)))
    if enabled(find(panel, "push button", "Abbruch")):
        ui.fail("Abbruch is still enabled after the cancel")

    ui.menu("e", "c")
    dialog = ui.window("Schnittstelleneinstellungen", roles=("dialog",))
    ui.click(find(dialog, "push button", "Abbruch"))
    ui.gone(dialog, "the interface dialog")
    ui.wait("the caption naming the TCP target again",
            lambda: ui.main_window().name == f"Quillon - Client 127.0.0.1:{tap.port}")

    steps.exit_by_menu(ui)
    code = program.exit_code(timeout=5, after="after Datei › Beenden")
    if code != 0:
        ui.fail(f"the program ended with exit code {code}")
    steps.check_settings_written(ui, program.settings, writes, file_name=firmware)


if __name__ == "__main__":
    journey.main("cancel", run)
