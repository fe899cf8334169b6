#!/usr/bin/python3
"""Screenshots of the main window (read device, loaded file), the open F4
list, the interface dialog in both layouts and the end of an upload, at
QT_SCALE_FACTOR 1 and 2, for a person to check that no text is cut.

Usage: tests/e2e/screenshots.py OUTDIR [BUILD-DIR]   (BUILD-DIR: ./build)"""

import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # nothing written into the source folder

import device  # noqa: E402
import journey  # noqa: E402
import steps  # noqa: E402
from ui import find  # noqa: E402


def union(*rects):
    left = min(r[0] for r in rects)
    top = min(r[1] for r in rects)
    right = max(r[0] + r[2] for r in rects)
    bottom = max(r[1] + r[3] for r in rects)
    return left, top, right - left, bottom - top


def shoot(j, out, name, rect):
    path = os.path.join(out, name)
    if not j.desktop.screenshot(path, crop=rect):
        raise RuntimeError(f"no screenshot {path}")
    print(path)


def take(j, out, scale):
    sim = j.keep(device.Simulator(j.work))
    line = j.keep(device.Simulator(j.work, pty=True))
    firmware = device.sample_image(j.path("firmware.hex"), size=524288)
    program, _ = steps.start_on_tcp(j, sim.port, name=firmware, QT_SCALE_FACTOR=str(scale))
    ui = program.ui
    main = ui.main_window()
    steps.read_device(ui)
    steps.open_file(ui, firmware)
    shoot(j, out, f"main-scale{scale}.png", ui.place(main))

    f4 = find(main, "combo box")
    ui.click(f4)
    popup = ui.wait("the open F4 list", lambda: find(f4, "list"))
    shoot(j, out, f"f4-list-scale{scale}.png", union(ui.place(main), ui.place(popup)))
    ui.keys("Escape", popup=True)
    ui.wait("the F4 list to close", lambda: not find(f4, "list"))

    ui.menu("e", "c")
    dialog = ui.window("Schnittstelleneinstellungen", roles=("dialog",))
    shoot(j, out, f"dialog-tcp-scale{scale}.png", ui.place(dialog))
    field = find(find(dialog, "combo box"), "text")
    ui.focus(field)
    ui.keys("ctrl+a", window=dialog)
    ui.type(line.pty, window=dialog)
    ui.keys("Tab", window=dialog)
    ui.wait("the serial layout", lambda: find(dialog, "label", "Empfangspuffer"))
    shoot(j, out, f"dialog-serial-scale{scale}.png", ui.place(dialog))
    ui.click(find(dialog, "push button", "Abbruch"))
    ui.gone(dialog, "the interface dialog")

    steps.upload(ui)
    box, message = ui.message_box(timeout=90)
    shoot(j, out, f"upload-done-scale{scale}.png", union(ui.place(main), ui.place(box)))
    if message != steps.SUCCESS:
        ui.fail(f"the upload ended with {message!r}")
    ui.answer(box, "OK")
    ui.close_box(main)
    program.exit_code(timeout=5)


def main():
    # The accessibility client binds to one desktop per process: each scale
    # runs in a process of its own (this script, with the scale last).
    if len(sys.argv) == 4:
        with journey.Journey(f"scale{sys.argv[3]}", screen=(2560, 1600)) as j:
            take(j, sys.argv[1], int(sys.argv[3]))
        return
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    out = os.path.abspath(sys.argv[1])
    build = os.path.abspath(sys.argv[2] if len(sys.argv) == 3 else os.path.join(HERE, "..", "..", "build"))
    os.makedirs(out, exist_ok=True)
    os.environ.setdefault("QUILLON", os.path.join(build, "mainwindow", "quillon"))
    os.environ.setdefault("KRVSIM", os.path.join(build, "sim", "krvsim"))
    os.environ.setdefault("SAMPLE_IMAGE", os.path.join(build, "sim", "sample-image"))
    os.environ.setdefault("E2E_WORKDIR", os.path.join(out, "work"))
    for scale in (1, 2):
        child = subprocess.Popen([sys.executable, os.path.abspath(__file__), out, build, str(scale)])
        try:
            code = child.wait(timeout=300)
        except subprocess.TimeoutExpired:
            child.terminate()  # it ends what it started
            code = child.wait(timeout=30)
        if code != 0:
            sys.exit(f"screenshots at scale {scale} failed")


if __name__ == "__main__":
    main()
