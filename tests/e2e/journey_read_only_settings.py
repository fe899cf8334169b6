"""A settings file without write permission (0444; the journey runs as root,
who could write it all the same): one message at start says it stays as it
is, the exit completes on its own, and the file keeps its text, mode and
owner."""

import os

import device
import journey
import settingsfile
import steps


def run(j):
    sim = j.keep(device.Simulator(j.work))
    settings = steps.tcp_settings(j, sim.port)
    os.chmod(settings, 0o444)
    before = os.stat(settings)
    text = settingsfile.text(settings)
    writes = j.keep(settingsfile.WriteCounter(settings))
    program = j.start_program(settings)
    ui = program.ui

    box, message = ui.message_box(timeout=30)
    expected = (f"Die Einstellungsdatei {settings} ist schreibgeschützt.\n"
                "Geänderte Einstellungen werden beim Beenden nicht gespeichert.")
    if message != expected:
        ui.fail(f"the start-up said {message!r}")
    ui.answer(box, "OK")
    ui.wait("the caption naming the TCP target",
            lambda: ui.main_window().name == f"Quillon - Client 127.0.0.1:{sim.port}", timeout=30)

    steps.exit_by_menu(ui)
    code = steps.ends_without_box(ui, program, "after Datei › Beenden")
    if code != 0:
        ui.fail(f"the program ended with exit code {code}")
    after = os.stat(settings)
    if writes.count() != 0 or settingsfile.text(settings) != text:
        ui.fail(f"the settings file was written:\n{settingsfile.text(settings)}")
    if (after.st_mode, after.st_uid, after.st_gid) != (before.st_mode, before.st_uid, before.st_gid):
        ui.fail(f"the settings file's mode or owner changed: {oct(before.st_mode)} -> {oct(after.st_mode)}")


if __name__ == "__main__":
    journey.main("read_only_settings", run)
