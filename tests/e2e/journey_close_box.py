"""The main window's close box, after the device was read: the process ends
with exit code 0 and the settings file is written once."""

import device
import journey
import steps


def run(j):
    sim = j.keep(device.Simulator(j.work))
    program, writes = steps.start_on_tcp(j, sim.port)
    ui = program.ui
    steps.read_device(ui)

    ui.close_box(ui.main_window())
    code = program.exit_code(timeout=5, after="after the close box")
    if code != 0:
        ui.fail(f"the program ended with exit code {code}")
    # What the readout filled in is kept for the next start.
    steps.check_settings_written(ui, program.settings, writes, code_fabnr="000012345678", code_baujahr="2007",
                                 connection_ethernet=1, connection_port=sim.port)


if __name__ == "__main__":
    journey.main("close_box", run)
