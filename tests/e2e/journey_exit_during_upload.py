""""Ende" while the records flow: the exit waits for the upload, which stops
with its cancel message; after OK the process ends with exit code 0 and
the settings file is written once."""

import journey
import steps
from ui import find


def run(j):
    program, writes, tap, firmware = steps.upload_under_way(j)
    ui = program.ui
    main = ui.main_window()
    ui.click(find(find(main, "frame", "Mauspalette"), "push button", "Ende"))

    box, message = ui.message_box(timeout=30)
    if message != steps.CANCELLED:
        ui.fail(f"the upload ended with {message!r}")
    if not program.running():
        ui.fail("the program ended before its last message was read")
    if writes.count() != 0:
        ui.fail("the settings file was written while the upload's message was still open")
    ui.answer(box, "OK")

    code = program.exit_code(timeout=5, after="after the upload stopped")
    if code != 0:
        ui.fail(f"the program ended with exit code {code}")
    steps.check_settings_written(ui, program.settings, writes, file_name=firmware)


if __name__ == "__main__":
    journey.main("exit_during_upload", run)
