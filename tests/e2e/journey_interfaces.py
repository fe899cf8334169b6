"""TCP → serial (a pseudo-terminal) → TCP through Einstellungen ›
Schnittstelle: the caption names each link, and KRV-Info reaches the
device behind it (a KRV470 on TCP, a KRV465 on the serial line)."""

import os

import device
import journey
import steps
from ui import enabled, find


def choose_interface(ui, name):
    """Einstellungen › Schnittstelle, the interface typed in, OK."""
    ui.menu("e", "c")
    dialog = ui.window("Schnittstelleneinstellungen", roles=("dialog",))
    # The interface list is the dialog's first list; it is named by its text.
    field = ui.wait("the interface field", lambda: find(find(dialog, "combo box"), "text"))
    ui.focus(field)
    ui.keys("ctrl+a", window=dialog)
    ui.type(name, window=dialog)
    ui.keys("Tab", window=dialog)  # a typed name is taken when the field is left
    ok = find(dialog, "push button", "OK")
    ui.wait("OK enabled for the chosen interface", lambda: enabled(ok))
    ui.click(ok)
    ui.gone(dialog, "the interface dialog")


def run(j):
    profile = os.path.join(os.environ["SRCDIR"], "sim", "profiles", "krv465.json")
    tcp = j.keep(device.Simulator(j.work))
    serial = j.keep(device.Simulator(j.work, "--profile", profile, pty=True))
    program, _ = steps.start_on_tcp(j, tcp.port)
    ui = program.ui
    steps.read_device(ui)

    choose_interface(ui, serial.pty)
    ui.wait("the caption naming the serial line",
            lambda: ui.main_window().name == f"Quillon - {serial.pty} 9600 8 1 even")
    steps.read_device(ui, "KRV465 V1.10 a")

    choose_interface(ui, "TCP/IP Client")
    ui.wait("the caption naming the TCP target again",
            lambda: ui.main_window().name == f"Quillon - Client 127.0.0.1:{tcp.port}")
    steps.read_device(ui)


if __name__ == "__main__":
    journey.main("interfaces", run)
