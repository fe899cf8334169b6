"""A HEX file with a wrong checksum in line 5: the window says so where the
file is shown and in the status line; Upload refuses the empty image and
sends nothing."""

import device
import journey
import steps
from ui import find

REFUSED = "Upload nicht möglich: Das Image (0 Bytes) hat keinen Informationsblock oder keine Kennung!"


def corrupt(path, line_number):
    """Flips the checksum of one line of an Intel-HEX file."""
    with open(path) as f:
        lines = f.read().splitlines()
    line = lines[line_number - 1]
    checksum = (int(line[-2:], 16) + 1) % 256
    lines[line_number - 1] = line[:-2] + f"{checksum:02X}"
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def run(j):
    # A device that hears everything and answers nothing.
    tap = j.keep(device.ByteTap())
    firmware = device.sample_image(j.path("corrupt.hex"))
    corrupt(firmware, 5)
    program, _ = steps.start_on_tcp(j, tap.port, name=firmware)
    ui = program.ui
    main = ui.main_window()
    ui.wait("the connection to the device", lambda: tap.connections > 0, timeout=15)

    steps.open_file(ui, firmware)
    ui.wait("the conversion's failure beside the file", lambda: find(main, "label", "Fehler!!!!"))
    ui.wait("the reason in the status line",
            lambda: "Prüfsummenfehler in Zeile 5" in steps.status(main))

    steps.upload(ui)
    message = steps.final_message(ui)
    if message != REFUSED:
        ui.fail(f"Upload of the failed file says {message!r}")
    if tap.sent():
        ui.fail(f"the device was sent {tap.sent()[:40]!r}")


if __name__ == "__main__":
    journey.main("corrupt_hex", run)
