#!/usr/bin/env python3
"""The harness itself, on a scenario prefix: registry values seeded and read back (ASCII
through reg add, any text through regedit), the folders a scenario reads match what Windows
programs in the prefix see, the template's headless set-up, and exit codes of programs."""

import unittest

import regfile
import wineharness
from regfile import ExpandSz

TAMBER4_KEY = r"HKEY_CURRENT_USER\Software\Tamber4"


class Harness(wineharness.ScenarioTestCase):
    scenario_name = "harness"

    def test_registry_round_trip(self):
        key = TAMBER4_KEY + r"\Logging\TAMBER4SETUP.EXE"
        self.scenario.reg_add(key, "Enabled", 1)
        self.scenario.reg_add(key, "LogFilePath", r"C:\logs\setup.log")
        values = {
            "UserInterfaceLanguage": "Espa\u00f1ol \u201cES\u201d \\ fin",
            "Folder": ExpandSz("%TEMP%\\Tamber Log Files\u2026"),
            "Mask": 0xFFFFFFF0,
            "Blob": b"\x00\x01\xfe",
            "": "default value",
        }
        self.scenario.import_registry(TAMBER4_KEY, values)
        exported = self.scenario.export_registry(TAMBER4_KEY)
        self.assertEqual(exported[TAMBER4_KEY], values)
        self.assertEqual(exported[key], {"Enabled": 1, "LogFilePath": r"C:\logs\setup.log"})
        self.assertIsNone(self.scenario.registry_values(TAMBER4_KEY + r"\Missing"))

    def test_reg_add_refuses_text_it_would_mangle(self):
        with self.assertRaises(wineharness.HarnessError):
            self.scenario.reg_add(TAMBER4_KEY, "Name", "Instalaci\u00f3n")

    def test_template_is_headless_and_keeps_out_of_the_home_folder(self):
        drivers = self.scenario.registry_values(r"HKEY_CURRENT_USER\Software\Wine\Drivers")
        self.assertEqual(drivers, {"Graphics": "null"})
        for name in ("Desktop", "Documents", "Downloads", "Music", "Pictures", "Videos"):
            folder = self.scenario.profile_dir / name
            self.assertTrue(folder.is_dir() and not folder.is_symlink(), folder)

    def test_folders_match_what_windows_programs_see(self):
        environment = self.scenario.registry_values(r"HKEY_CURRENT_USER\Environment")
        self.assertEqual(self.scenario.unix_path(_text(environment["TEMP"])),
                         self.scenario.temp_dir)
        shell = self.scenario.registry_values(
            r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders")
        self.assertEqual(self.scenario.unix_path(shell["Local AppData"]),
                         self.scenario.local_app_data_dir)
        self.assertEqual(self.scenario.unix_path(shell["Personal"]), self.scenario.documents_dir)

    def test_exe_placed_in_the_prefix_runs_and_gives_its_exit_code(self):
        exe = self.scenario.install_setup()
        self.assertEqual(self.scenario.windows_path(exe), "C:\\Tamber4Test\\Tamber4Setup.exe")
        self.assertTrue(exe.is_file())
        # ShowBox refuses a call without texts with 255; MsgDump without arguments with 2.
        self.assertEqual(self.scenario.run(self.scenario.helper("ShowBox")).returncode, 255)
        self.assertEqual(self.scenario.run(self.scenario.helper("MsgDump")).returncode, 2)

    def test_reads_utf16_and_utf8_files(self):
        text = "download|uri=a.msi|name=Instalaci\u00f3n\r\n"
        path = self.scenario.put_utf16_file(self.scenario.drive_c / "s.crvdat", text)
        self.assertEqual(path.read_bytes()[:2], b"\xff\xfe")
        self.assertEqual(wineharness.read_utf16(path), text)
        log = self.scenario.put_file(self.scenario.log_dir / "TAMBER4SETUP.log",
                                     "Entr\u00e9e\r\n".encode("utf-8"))
        self.assertEqual(wineharness.read_utf8(log), "Entr\u00e9e\r\n")


def _text(value):
    return value.text if isinstance(value, ExpandSz) else value


class RegFiles(unittest.TestCase):
    """The .reg reader and writer on their own, including what Wine's regedit writes."""

    def test_parses_continued_hex_lines_and_escapes(self):
        text = ("\ufeffWindows Registry Editor Version 5.00\r\n\r\n"
                "[HKEY_CURRENT_USER\\Software\\Tamber4]\r\n"
                "\"Quote\"=\"say \\\"hi\\\" C:\\\\x\"\r\n"
                "\"Expand\"=hex(2):25,00,54,00,\\\r\n  45,00,4d,00,50,00,25,00,00,00\r\n"
                "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                "\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                "@=dword:0000002a\r\n")
        self.assertEqual(regfile.parse_reg_file(text), {
            "HKEY_CURRENT_USER\\Software\\Tamber4": {
                "Quote": 'say "hi" C:\\x', "Expand": ExpandSz("%TEMP%"),
                "Multi": ["a", "b"], "Big": 1, "": 42}})

    def test_written_file_reads_back(self):
        values = {"A": "x\"y\\z", "B": ExpandSz("%SystemRoot%"), "C": 7, "D": b"\x10",
                  "E": "two\r\nlines"}
        key = "HKEY_CURRENT_USER\\K"
        parsed = regfile.parse_reg_file(regfile.reg_file_text(key, values))
        self.assertEqual(parsed, {key: values})


if __name__ == "__main__":
    wineharness.main()
