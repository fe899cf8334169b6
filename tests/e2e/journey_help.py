"""F1 on "Upload": the manual opens at the upload topic, beside the main
window, which started centred on the screen."""

import device
import journey
import steps
from ui import extents, find, find_all, selected, text


def overlap(a, b):
    ax, ay, aw, ah = a
    bx, by, bw, bh = b
    return ax < bx + bw and bx < ax + aw and ay < by + bh and by < ay + ah


def run(j):
    tap = j.keep(device.ByteTap())
    firmware = device.sample_image(j.path("firmware.hex"))
    program, _ = steps.start_on_tcp(j, tap.port, name=firmware)
    ui = program.ui
    main = ui.main_window()
    steps.open_file(ui, firmware)  # "Upload" takes the focus only with a file loaded

    ui.focus(find(steps.krv_panel(main), "push button", "Upload"))
    ui.keys("F1", window=main)
    help_window = ui.window("Quillon - Hilfe", roles=("filler", "frame", "window"))
    ui.wait("the upload topic", lambda: any("Firmware übertragen (Upload)\nUpload (Knopf im KRV-Bereich" in text(page)
                                            for page in find_all(help_window, "label", "")))
    topics = find(help_window, "list")
    marked = [item.name for item in find_all(topics, "list item") if selected(item)]
    if marked != ["Firmware übertragen (Upload)"]:
        ui.fail(f"the topic list marks {marked!r}")
    x, y, w, h = extents(main)
    if abs(2 * x + w - 2560) > 2 or abs(2 * y + h - 1440) > 2:
        ui.fail(f"the main window {extents(main)} is not centred on the screen of 2560 x 1440")
    if overlap(extents(help_window), extents(main)):
        ui.fail(f"the manual {extents(help_window)} covers the main window {extents(main)}")


if __name__ == "__main__":
    # Room beside the main window for the manual.
    journey.main("help", run, screen=(2560, 1440))
