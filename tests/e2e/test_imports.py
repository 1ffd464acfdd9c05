#!/usr/bin/env python3
"""Tamber4Setup.exe and the helper programs import only DLLs that Windows itself ships (no
C++ runtime, no libgcc, no winpthread), and the bootstrapper is a GUI program. Read with
the cross toolchain's objdump; needs the Windows build, not Wine."""

import re
import subprocess
import unittest

import wineharness

OBJDUMP = "x86_64-w64-mingw32-objdump"

# DLLs present on every supported Windows, from XP SP3 on.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "gdi32.dll",
    "kernel32.dll", "msi.dll", "msvcrt.dll", "ntdll.dll", "ole32.dll", "oleaut32.dll",
    "psapi.dll", "rpcrt4.dll", "secur32.dll", "setupapi.dll", "shell32.dll", "shlwapi.dll",
    "user32.dll", "userenv.dll", "version.dll", "winhttp.dll", "wininet.dll", "wintrust.dll",
    "ws2_32.dll",
}


def private_headers(exe):
    """objdump -p of a file; a missing objdump or a file it cannot read fails the test."""
    result = subprocess.run([OBJDUMP, "-p", str(exe)], capture_output=True, text=True)
    if result.returncode != 0:
        raise AssertionError(f"{OBJDUMP} -p {exe} failed: {result.stderr}")
    return result.stdout


def imported_dlls(headers):
    return [name.lower() for name in re.findall(r"DLL Name:\s*(\S+)", headers)]


class Imports(unittest.TestCase):
    def check_only_system_dlls(self, relative):
        headers = private_headers(wineharness.windows_build_file(relative))
        dlls = imported_dlls(headers)
        self.assertIn("kernel32.dll", dlls, f"no import table read from {relative}")
        self.assertEqual(sorted(set(dlls) - SYSTEM_DLLS), [],
                         f"{relative} imports DLLs that Windows does not ship")
        return headers

    def test_setup_imports_only_system_dlls_and_is_a_gui_program(self):
        headers = self.check_only_system_dlls("Tamber4Setup.exe")
        self.assertRegex(headers, r"Subsystem\s+00000002\s")

    def test_setup_imports_neither_comctl32_nor_version(self):
        # Neither is a KnownDLL: an import would let a planted copy beside the exe load.
        dlls = imported_dlls(private_headers(wineharness.windows_build_file("Tamber4Setup.exe")))
        self.assertNotIn("comctl32.dll", dlls)
        self.assertNotIn("version.dll", dlls)

    def test_helpers_import_only_system_dlls(self):
        for helper in ("BoxAnswer", "MsgDump", "ShowBox"):
            with self.subTest(helper=helper):
                self.check_only_system_dlls(f"{wineharness.HELPERS}/{helper}.exe")


if __name__ == "__main__":
    wineharness.main(needs_wine=False)
