"""Start, KRV-Info, open a 512 KiB HEX file, Upload, the final message,
Datei › Beenden: the process ends with exit code 0 and the settings file is
written once, keeping the line the technician put there. The file dialog's
history stays in the program's own folder, not among every Qt program's."""

import os

import device
import journey
import steps
from ui import find


def run(j):
    sim = j.keep(device.Simulator(j.work))
    firmware = device.sample_image(j.path("firmware.hex"), size=524288)
    program, writes = steps.start_on_tcp(j, sim.port, name=firmware)
    ui = program.ui

    steps.read_device(ui)
    main = ui.main_window()
    steps.open_file(ui, firmware)
    ui.wait("the size of the converted image", lambda: find(main, "label", "Bytes: 524288, 256-Byteblöcke: 2048"))

    steps.upload(ui)
    message = steps.final_message(ui, timeout=90)
    if message != steps.SUCCESS:
        ui.fail(f"the upload ended with {message!r}")
    if writes.count() != 0:
        ui.fail("the settings file was written before the exit")

    steps.exit_by_menu(ui)
    code = program.exit_code(timeout=5, after="after Datei › Beenden")
    if code != 0:
        ui.fail(f"the program ended with exit code {code}")
    steps.check_settings_written(ui, program.settings, writes, file_name=firmware,
                                 connection_ethernet=1, connection_ip="127.0.0.1", connection_port=sim.port)
    config = j.desktop.env()["XDG_CONFIG_HOME"]
    if os.path.exists(os.path.join(config, "QtProject.conf")):
        ui.fail(f"the program wrote QtProject.conf into {config}")
    if not os.path.exists(os.path.join(config, "quillon", "QtProject.conf")):
        ui.fail("the file dialog's history is not in the program's own folder")


if __name__ == "__main__":
    journey.main("upload", run)
