"""Steps several journeys share, each as a technician takes it."""

import os

import device
import settingsfile
from ui import find, find_all, role, text

SUCCESS = "Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)"
CANCELLED = "Abbruch durch den kundigen Benutzer!  ;-)"


def tcp_settings(j, port, name=None):
    """A settings file for the TCP target 127.0.0.1:port, alone in its
    folder so that its writes can be counted."""
    os.makedirs(j.path("settings"), exist_ok=True)
    path = j.path("settings", "quillon.INI")
    settingsfile.write(path, {"Ethernet": 1, "IP": "127.0.0.1", "Port": port}, name=name)
    return path


def start_on_tcp(j, port, name=None, cwd=None, **env):
    """The program started against 127.0.0.1:port; returns it with the
    settings file's write counter, once the main window names the target."""
    settings = tcp_settings(j, port, name)
    writes = j.keep(settingsfile.WriteCounter(settings))
    program = j.start_program(settings, cwd=cwd, **env)
    program.ui.wait("the caption naming the TCP target",
                    lambda: program.ui.main_window().name == f"Quillon - Client 127.0.0.1:{port}", timeout=30)
    return program, writes


def krv_panel(main):
    """The panel of "KRV-Info", "Upload", "Abbruch" (the speed bar has
    buttons of the same captions)."""
    return find(main, "push button", "KRV-Info").parent


def status(main):
    """The two status panels' texts."""
    bar = find(main, "status bar")
    return [label.name for label in find_all(bar, "label")]


def read_device(ui, expected="KRV470 V3.02 a"):
    """KRV-Info, until the KRV panel shows the expected version."""
    main = ui.main_window()
    panel = krv_panel(main)
    ui.click(find(panel, "push button", "KRV-Info"))
    ui.wait(f"the version {expected!r} on the KRV panel", lambda: find(panel, "label", expected), timeout=20)


def open_file(ui, expected_name):
    """Datei › Öffnen, take what the dialog offers (the file of the settings).
    The window then names the file."""
    main = ui.main_window()
    ui.menu("d", "f")
    dialog = ui.window("Öffnen", roles=("dialog",))
    field = ui.wait("the file name field", lambda: find(dialog, "text", "Dateiname:"))
    offered = text(field)
    if offered != os.path.basename(expected_name):
        ui.fail(f"the open dialog offers {offered!r}, not {os.path.basename(expected_name)!r}")
    ui.keys("Return", window=dialog)
    ui.gone(dialog, "the open dialog")
    ui.wait("the file name on the window", lambda: find(main, "label", expected_name))


def upload(ui):
    """Presses "Upload" on the KRV panel."""
    main = ui.main_window()
    ui.click(find(krv_panel(main), "push button", "Upload"))


def final_message(ui, timeout=60):
    """The message box that ends an operation: its text, after OK."""
    box, message = ui.message_box(timeout=timeout)
    ui.answer(box, "OK")
    return message


def exit_by_menu(ui):
    """Datei › Beenden."""
    ui.menu("d", "b")


def leave_by_ende(ui):
    """"Ende" in the speed bar."""
    ui.click(find(find(ui.main_window(), "frame", "Mauspalette"), "push button", "Ende"))


def leave_by_close_box(ui):
    ui.close_box(ui.main_window())


def ends_without_box(ui, program, after, timeout=30):
    """Waits for the process to end on its own and returns its exit code; a
    message box it shows meanwhile fails the journey with its text."""
    def ended_or_box():
        if not program.running():
            return "ended"
        return next((w for w in ui.windows() if role(w) == "alert"), None)

    found = ui.wait(f"the program to end {after}", ended_or_box, timeout=timeout)
    if found != "ended":
        ui.fail(f"the program waits on the box {ui.box_text(found)!r} {after}")
    return program.exit_code(timeout=5, after=after)


def check_settings_written(ui, path, writes, **values):
    """The settings file after the program ended: written once, the comment
    line kept, the given values (section_key=value)."""
    count = writes.count()
    if count != 1:
        ui.fail(f"the settings file was written {count} times, not once")
    content = settingsfile.text(path)
    if settingsfile.COMMENT not in content.splitlines():
        ui.fail(f"the comment line is gone from the settings file:\n{content}")
    found = settingsfile.read(path)
    for name, value in values.items():
        section, key = name.lower().split("_", 1)
        if found.get((section, key)) != str(value):
            ui.fail(f"[{section}] {key} is {found.get((section, key))!r}, not {value!r}:\n{content}")


def upload_under_way(j):
    """A 512 KiB upload started over a tap that holds each answer back a
    little, once records flow: (program, writes, tap, firmware)."""
    sim = j.keep(device.Simulator(j.work))
    tap = j.keep(device.ByteTap(sim.port, delay=0.01))
    firmware = device.sample_image(j.path("firmware.hex"))
    program, writes = start_on_tcp(j, tap.port, name=firmware)
    open_file(program.ui, firmware)
    upload(program.ui)
    program.ui.wait("records on the line", lambda: tap.records_sent() > 20 * 260, timeout=30)
    return program, writes, tap, firmware
