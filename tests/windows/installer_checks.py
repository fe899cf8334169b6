"""The installer under Wine, run silently (/S): what it leaves on the machine
(files, Start-menu entry, registry), and its quiet uninstall that takes it
all away again."""

import os
import shlex
import time

from checks import Failed, check

PROGRAM_FOLDER = r"C:\Program Files\Quillon"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon"
START_MENU_LINK = ("ProgramData", "Microsoft", "Windows", "Start Menu", "Programs", "Quillon.lnk")
PROGID = "Quillon.hex"
# Qt finds its plugins in folders beside the program.
SHIPPED = ["quillon.exe", "quillon-cli.exe", "liborvabout.dll",
           "Qt6Core.dll", "Qt6Gui.dll", "Qt6Widgets.dll", "Qt6Network.dll",
           "libstdc++-6.dll", "libgcc_s_seh-1.dll", "libwinpthread-1.dll",
           "platforms/qwindows.dll", "styles/qwindowsvistastyle.dll", "uninstall.exe"]
NOT_SHIPPED = ["Qt6Test.dll"]


class InstallerChecks:
    def __init__(self, prefix, setup, version, help_source):
        self.prefix = prefix
        self.setup = setup
        self.version = version
        self.help_source = help_source
        self.folder = prefix.unix_path(PROGRAM_FOLDER)

    def installed(self):
        return os.path.exists(os.path.join(self.folder, "quillon.exe"))

    def install(self):
        check(os.path.basename(self.setup) == f"Quillon-Setup-{self.version}.exe", f"named {self.setup}")
        check(os.path.exists(self.setup), f"{self.setup} was not built")
        result = self.prefix.run(self.setup, ["/S"], timeout=600)
        check(result.returncode == 0, f"exit code {result.returncode}")
        check(self.installed(), f"no quillon.exe in {self.folder}")
        return f"{os.path.getsize(self.setup) / 1e6:.1f} MB, installed into {PROGRAM_FOLDER}"

    def files(self):
        missing = [name for name in SHIPPED if not os.path.isfile(os.path.join(self.folder, name))]
        check(not missing, f"missing: {missing}")
        extra = [name for name in NOT_SHIPPED if os.path.exists(os.path.join(self.folder, name))]
        check(not extra, f"shipped although not used: {extra}")
        pages = sorted(os.listdir(self.help_source))
        help_folder = os.path.join(self.folder, "help")
        installed = sorted(os.listdir(help_folder)) if os.path.isdir(help_folder) else []
        check(installed == pages, f"help\\ holds {installed}, not the manual's {pages}")
        for page in pages:
            with open(os.path.join(self.help_source, page), "rb") as a, open(os.path.join(help_folder, page), "rb") as b:
                check(a.read() == b.read(), f"help\\{page} differs from the manual")
        return f"{len(SHIPPED)} program files and {len(pages)} manual pages"

    def start_menu(self):
        link = self.prefix.drive_c(*START_MENU_LINK)
        check(os.path.isfile(link), "no Start-menu entry Quillon.lnk")
        with open(link, "rb") as f:
            data = f.read()
        target = (PROGRAM_FOLDER + r"\quillon.exe").encode()
        check(target in data or target.decode().encode("utf-16-le") in data, f"the link does not start {target.decode()}")
        return "Start menu › Quillon starts " + target.decode()

    def uninstall_entry(self):
        values = self.prefix.registry(UNINSTALL_KEY)
        check(values is not None, f"no key {UNINSTALL_KEY}")
        expected = {"DisplayName": "Quillon", "DisplayVersion": self.version, "Publisher": "Orv Software",
                    "UninstallString": f'"{PROGRAM_FOLDER}\\uninstall.exe"',
                    "QuietUninstallString": f'"{PROGRAM_FOLDER}\\uninstall.exe" /S'}
        wrong = {name: values.get(name, (None, None))[1] for name, value in expected.items()
                 if values.get(name, (None, None))[1] != value}
        check(not wrong, f"values not as expected: {wrong}")
        return f"{UNINSTALL_KEY}: " + ", ".join(f"{name}={values[name][1]}" for name in expected)

    def open_with(self):
        progids = self.prefix.registry(r"HKLM\Software\Classes\.hex\OpenWithProgids")
        check(progids is not None and PROGID in progids, f".hex\\OpenWithProgids lacks {PROGID}: {progids}")
        default = (self.prefix.registry(r"HKLM\Software\Classes\.hex") or {}).get("(Default)", (None, ""))[1]
        check(default != PROGID, "the installer made itself the default program for .hex")
        command = (self.prefix.registry(rf"HKLM\Software\Classes\{PROGID}\shell\open\command") or {}).get("(Default)")
        expected = f'"{PROGRAM_FOLDER}\\quillon.exe" "%1"'
        check(command is not None and command[1] == expected, f"{PROGID} opens with {command}")
        types = self.prefix.registry(r"HKLM\Software\Classes\Applications\quillon.exe\SupportedTypes")
        check(types is not None and ".hex" in types, f"Applications\\quillon.exe does not name .hex: {types}")
        return f".hex offers {PROGID} ({expected}), the default program left alone"

    def uninstall(self, timeout=120):
        """The quiet uninstall string as a package manager runs it. The
        uninstaller goes on in a copy of itself, so its end is seen by what
        it removes."""
        values = self.prefix.registry(UNINSTALL_KEY) or {}
        quiet = values.get("QuietUninstallString", (None, ""))[1]
        check(quiet, "no QuietUninstallString")
        program, *args = shlex.split(quiet.replace("\\", "/"))
        result = self.prefix.run(self.prefix.unix_path(program), args, timeout=timeout)
        check(result.returncode == 0, f"exit code {result.returncode}")
        link = self.prefix.drive_c(*START_MENU_LINK)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            left = [what for what, there in (("the program folder", os.path.exists(self.folder)),
                                              ("the Start-menu entry", os.path.exists(link)))
                    if there]
            if not left and self.prefix.registry(UNINSTALL_KEY) is None:
                break
            time.sleep(0.5)
        else:
            raise Failed(f"still there after {timeout} s: {left or ['the uninstall key']}")
        leftovers = [key for key in (rf"HKLM\Software\Classes\{PROGID}", r"HKLM\Software\Classes\Applications\quillon.exe")
                     if self.prefix.registry(key) is not None]
        progids = self.prefix.registry(r"HKLM\Software\Classes\.hex\OpenWithProgids") or {}
        check(not leftovers and PROGID not in progids, f"left in the registry: {leftovers or PROGID}")
        return "program folder, Start-menu entry and registry keys removed"
