"""Hilfe › Auf Update prüfen against an update server that offers a newer
version: download, "Installiere Update" starts the installer and the
program ends at once with exit code 0, without writing its settings."""

import os

import device
import journey
import settingsfile
import steps
import updateserver
from ui import enabled, find


def run(j):
    mark = j.path("installer-ran")
    server = j.keep(updateserver.UpdateServer(mark))
    tap = j.keep(device.ByteTap())
    downloads = j.path("downloads")
    os.makedirs(downloads)
    program, writes = steps.start_on_tcp(j, tap.port, cwd=downloads, ORV_UPDATE_URL=server.url)
    before = settingsfile.text(program.settings)
    ui = program.ui

    ui.menu("h", "u")
    update = ui.window("Orv Web-Update", roles=("dialog",))
    download = find(update, "push button", "Download Update")
    ui.wait("the offer of a newer version", lambda: enabled(download), timeout=20)
    ui.click(download)

    save = ui.wait("the save dialog", lambda: next(
        (w for w in ui.windows() if w.name not in ("Orv Web-Update", ui.main_window().name)), None))
    name_field = find(save, "text", "Dateiname:")
    if steps.text(name_field) != updateserver.INSTALLER:
        ui.fail(f"the save dialog offers {steps.text(name_field)!r}")
    ui.keys("Return", window=save)
    ui.gone(save, "the save dialog")
    install = ui.wait("the install button", lambda: find(update, "push button", "Installiere Update"), timeout=20)
    ui.wait("the installer ready", lambda: enabled(install), timeout=20)
    ui.click(install)

    code = program.exit_code(timeout=3, after="after the installer started")
    if code != 0:
        ui.fail(f"the program ended with exit code {code}")
    ui.wait("the installer's mark", lambda: updateserver.installer_ran(mark), timeout=10)
    if writes.count() != 0 or settingsfile.text(program.settings) != before:
        ui.fail("the settings file was written although the installer ended the program")


if __name__ == "__main__":
    journey.main("installer", run)
