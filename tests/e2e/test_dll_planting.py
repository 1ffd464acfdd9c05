#!/usr/bin/env python3
"""DLL planting: a setup program runs from a folder anyone can drop files into, so a DLL of a
system name beside Tamber4Setup.exe must never be loaded. PlantedDll.dll, which leaves
"<its path>.loaded" when it is loaded, is copied beside the exe under every name the exe
loads that Windows would look for there first, and Wine is told to prefer such a native DLL
(name=n,b), as Windows does. The exe then runs a script using each DLL it loads at run time
(msi and crypt32 for a package, comctl32 for the progress dialog of a download, psapi for the
log's memory column): no marker may appear, and every LoadLibrary call of the exe's own code
(traced by Wine's relay) must name a file in System32 or a KnownDLL, since older systems
without SetDefaultDllDirectories search the exe's folder for a bare name.

Wine's own builtin DLLs load some DLLs (version, shlwapi, imm32, ...) before any of the
program's code runs, from wherever the overrides say; Windows takes those from System32 as
imports of its KnownDLLs. LoadByName.exe, importing the same system DLLs and doing nothing,
shows that set (WINEDEBUG=+loaddll), and it is not planted. LoadByName.exe loading each
planted name by bare name is the control: there every marker must appear."""

import re
import shutil

import wineharness
import wixlpackage
from test_imports import imported_dlls, private_headers

FOLDER = "C:\\Plant"
CONTROL_FOLDER = "C:\\PlantControl"
PRODUCT = "{A1000001-0000-4000-8000-0000000000B1}"
LOGGING = r"HKEY_CURRENT_USER\Software\Tamber4\Logging"
SCRIPT = ["download|name=Plant|uri=C:\\Plant\\source.bin|file-path=copy.bin",
          "install|package=plant.msi",
          f"uninstall|product={PRODUCT}"]
# Loaded by name in the exe's own code; shfolder only where shell32 lacks SHGetFolderPathW.
LOADED_BY_CODE = {"msi.dll", "crypt32.dll", "comctl32.dll", "psapi.dll", "shfolder.dll"}
# Mapped from System32 whatever the search path: KnownDLLs of every Windows from XP on (and
# msvcrt, imported by them).
KNOWN_DLLS = {"advapi32.dll", "comdlg32.dll", "gdi32.dll", "imagehlp.dll", "kernel32.dll",
              "msvcrt.dll", "ole32.dll", "oleaut32.dll", "rpcrt4.dll", "shell32.dll",
              "user32.dll", "wldap32.dll"}
SYSTEM32 = "c:\\windows\\system32\\"
LOAD_FUNCTIONS = ("LoadLibraryA", "LoadLibraryW", "LoadLibraryExA", "LoadLibraryExW")
LOADED = re.compile(r'^([0-9a-f]+):[0-9a-f]+:trace:loaddll:\w+ Loaded L"([^"]*)" at ([0-9A-F]+)', re.M)
LOAD_CALL = re.compile(r'^([0-9a-f]+):[0-9a-f]+:Call KERNEL32\.LoadLibrary\w*\([0-9a-f]+ L?"([^"]*)"'
                       r'.* ret=([0-9a-f]+)$', re.M)


def traced_loads(trace, exe, image_size):
    """From a WINEDEBUG=+pid,+loaddll,+relay trace: the file names (lower case) of the DLLs
    that the process running `exe` loaded, and the names its own code passed to LoadLibrary."""
    loads = LOADED.findall(trace)
    started = {(pid, int(base, 16)) for pid, path, base in loads
               if path.lower().endswith("\\" + exe.lower())}
    if len(started) != 1:
        raise AssertionError(f"no single process of {exe} in the trace: {trace[-2000:]}")
    (pid, base), = started
    dlls = {path.rsplit("\\", 1)[-1].lower() for p, path, _ in loads if p == pid} - {exe.lower()}
    calls = [name.replace("\\\\", "\\").lower() for p, name, caller in LOAD_CALL.findall(trace)
             if p == pid and base <= int(caller, 16) < base + image_size]
    return dlls, calls


def image_size(exe):
    return int(re.search(r"SizeOfImage\s+([0-9a-fA-F]+)", private_headers(exe)).group(1), 16)


class DllPlanting(wineharness.ScenarioTestCase):
    scenario_name = "dll-planting"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        scenario = cls.scenario
        scenario.install_setup(FOLDER)
        wixlpackage.build_package(scenario.unix_path(FOLDER + "\\plant.msi"), product=PRODUCT,
                                  upgrade="{A1A1A1A1-0000-4000-8000-00000000000B}",
                                  version="1.0.0", name="Plant Test", folder="PlantTest",
                                  component="{C0C0C0C0-0000-4000-8000-0000000000B1}")
        scenario.put_file(scenario.unix_path(FOLDER + "\\source.bin"), b"planted" * 20000)
        scenario.put_utf16_file(scenario.unix_path(FOLDER + "\\plant.crvdat"),
                                "".join(line + "\r\n" for line in SCRIPT))
        scenario.import_registry(LOGGING, {"Enabled": 1})
        scenario.import_registry(LOGGING + r"\TAMBER4SETUP.EXE\Columns",
                                 {"1": "Message", "2": "MemUsage"})
        # Relay only the loading functions: the trace stays small and the program fast.
        scenario.reg_add(r"HKCU\Software\Wine\Debug", "RelayInclude",
                         ";".join("kernel32." + name for name in LOAD_FUNCTIONS))
        control = scenario.unix_path(CONTROL_FOLDER)
        control.mkdir()
        shutil.copy2(scenario.helper("LoadByName"), control / "LoadByName.exe")

    def run_traced(self, folder, exe, *args, planted=()):
        """Runs `exe` from `folder` with the planted names preferred as native DLLs; returns
        (exit code, the DLLs it loaded, the names its code passed to LoadLibrary)."""
        overrides = "mscoree,mshtml="
        if planted:
            overrides += ";" + ",".join(name[:-4] for name in sorted(planted)) + "=n,b"
        self.scenario.extra_env = {"WINEDEBUG": "+pid,+loaddll,+relay",
                                   "WINEDLLOVERRIDES": overrides}
        program = self.scenario.unix_path(f"{folder}\\{exe}")
        try:
            result = self.scenario.run(program, *args)
        finally:
            self.scenario.extra_env = {}
        trace = result.stderr.decode("utf-8", "replace")
        return (result.returncode, *traced_loads(trace, exe, image_size(program)))

    def run_script(self, planted=()):
        """Runs the script with a fresh working copy; returns the DLLs the exe loaded and the
        names its code passed to LoadLibrary."""
        shutil.rmtree(self.scenario.working_copy_dir, ignore_errors=True)
        code, dlls, calls = self.run_traced(FOLDER, wineharness.SETUP_EXE,
                                            FOLDER + "\\plant.crvdat", planted=planted)
        copy = wineharness.read_utf16(self.scenario.working_copy_dir / "plant.crvdat")
        self.assertEqual((code, copy.count("|result=success")), (0, len(SCRIPT)), copy)
        return dlls, calls

    def plant(self, folder, names):
        """PlantedDll.dll under each name in `folder`; returns the marker paths."""
        markers = {}
        for name in names:
            copy = self.scenario.unix_path(f"{folder}\\{name}")
            shutil.copy2(wineharness.windows_build_file(f"{wineharness.HELPERS}/PlantedDll.dll"),
                         copy)
            markers[name] = copy.with_name(name + ".loaded")
        return markers

    def test_no_planted_dll_is_loaded(self):
        setup_imports = set(imported_dlls(private_headers(self.scenario.setup_exe)))
        control_imports = set(imported_dlls(private_headers(
            self.scenario.unix_path(CONTROL_FOLDER + "\\LoadByName.exe"))))
        # A static import outside the KnownDLLs is looked for beside the exe before anything
        # of ours runs; the control must import the same so that its start-up set is fair.
        self.assertLessEqual(setup_imports, KNOWN_DLLS)
        self.assertEqual(control_imports, setup_imports, "LoadByName.exe must import the same")

        code, wine_start_up, _ = self.run_traced(CONTROL_FOLDER, "LoadByName.exe")
        self.assertEqual(code, 0)
        run_time = self.run_script()[0] - wine_start_up
        # The script reaches every library the code loads by name (shfolder only on old
        # systems).
        self.assertLessEqual(LOADED_BY_CODE - {"shfolder.dll"}, run_time)
        planted = (run_time | LOADED_BY_CODE | setup_imports) - wine_start_up - KNOWN_DLLS
        print(f"Wine loads at start: {sorted(wine_start_up)}\nplanted: {sorted(planted)}")

        # The control: loaded by bare name, every planted copy is taken.
        markers = self.plant(CONTROL_FOLDER, planted)
        code, _, calls = self.run_traced(CONTROL_FOLDER, "LoadByName.exe", *sorted(planted),
                                         planted=planted)
        self.assertEqual((code, sorted(n for n, m in markers.items() if not m.exists())), (0, []))
        self.assertEqual(sorted(calls), sorted(planted))  # the relay trace sees bare names

        markers = self.plant(FOLDER, planted)
        dlls, calls = self.run_script(planted)
        self.assertEqual(sorted(n for n, m in markers.items() if m.exists()), [])
        self.assertLessEqual(LOADED_BY_CODE - {"shfolder.dll"}, dlls)
        self.assertEqual([name for name in calls
                          if not name.startswith(SYSTEM32) and name not in KNOWN_DLLS], [])
        self.assertLessEqual({SYSTEM32 + name for name in ("msi.dll", "comctl32.dll", "psapi.dll")},
                             set(calls))


if __name__ == "__main__":
    wixlpackage.skip_unless_wixl()
    wineharness.main()
