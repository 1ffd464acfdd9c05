#!/usr/bin/env python3
"""The log of the real Tamber4Setup.exe without any registry configuration: it goes to
"Tamber Log Files" in the temporary folder as TAMBER4SETUP.log, starts with the header
block and the default column names, and every line carries the DateTime, ThreadID,
Severity, Category and Message fields in their exact forms; the registry is left alone, and
the next run starts the file afresh."""

import logscenario
import wineharness
from logscenario import DATE_TIME, HEX_ID

CLEF = "\U0001D11E"  # outside the 16-bit range: a surrogate pair in the exe's text
SCRIPT = [
    f"# Instalaci\u00f3n {CLEF}",
    "frobnicate\tnow|a=1",
    "execute|program=gone.exe",
    "save",
]


class DefaultLog(logscenario.LogTestCase):
    scenario_name = "log-default"

    def run_and_read(self, name, lines):
        """Runs a script; returns (exit code, log, UTC second before, UTC second after)."""
        before = logscenario.utc_now_text()
        code = self.run_script(name, lines)
        after = logscenario.utc_now_text()
        self.assertFalse(self.documents_log_dir().exists())
        return code, logscenario.read_log(self.scenario.log_dir / logscenario.LOG_NAME), \
            before, after

    def test_default_log_in_the_temporary_folder(self):
        code, log, before, after = self.run_and_read("default.crvdat", SCRIPT)
        self.assertEqual(code, 0)
        self.assertTrue(log.text.startswith(
            f"\r\nLogging started: {log.started}\r\n\r\n"
            "DateTime\tThreadID\tSeverity\tCategory\tMessage\r\n"), log.text[:120])
        self.assertRegex(log.started, DATE_TIME)
        self.assertTrue(before <= log.started <= after, (before, log.started, after))

        times = [row["DateTime"] for row in log.rows]
        for stamp in times:
            self.assertRegex(stamp, DATE_TIME)
        self.assertEqual(times, sorted(times))
        self.assertTrue(log.started <= times[0] and times[-1] <= after, (times, after))
        # One thread writes every line of the single-threaded exe.
        threads = {row["ThreadID"] for row in log.rows}
        self.assertEqual(len(threads), 1, threads)
        self.assertRegex(threads.pop(), HEX_ID)

        lines = [(row["Severity"], row["Category"], row["Message"]) for row in log.rows]
        self.assertEqual(lines[0], ("Info", "Module", "Initializing module (version 4.0.0.0)."))
        self.assertEqual(lines[-1], ("Info", "Module", "Terminating module, return code 0."))
        self.assertEqual({line[0] for line in lines}, {"Error", "Warning", "Info"})
        self.assertIn(("Error", "RunCommandExecute",
                       "'C:\\Tamber4Test\\gone.exe' does not exist, flagging for abort."), lines)
        # A TAB in a message becomes a space; text outside ASCII arrives as UTF-8, a
        # surrogate pair as one four-byte sequence.
        self.assertIn(("Warning", "Run", "Unhandled command: 'frobnicate now|a=1'."), lines)
        # (read_log decodes strictly: a pair written as two three-byte halves fails there.)
        self.assertIn(f"Instalaci\u00f3n {CLEF}", log.text)
        # Without configuration the log library writes nothing into the registry.
        self.assertEqual(self.scenario.export_registry(r"HKEY_CURRENT_USER\Software\Tamber4"),
                         {})

    def test_the_next_run_starts_the_file_afresh(self):
        self.assertEqual(self.run_and_read("first.crvdat", ["save"])[0], 0)
        # A program that cannot be started fails the run: the closing line gives its code.
        self.scenario.put_file(self.exe_folder_file("broken.exe"), b"not a program")
        code, log, _, _ = self.run_and_read(
            "second.crvdat", [f"execute|program={logscenario.EXE_FOLDER}\\broken.exe"])
        self.assertEqual(code, 2)
        self.assertEqual(log.text.count("Logging started"), 1)
        self.assertNotIn("first.crvdat", log.text)
        self.assertIn("second.crvdat", log.text)
        self.assertEqual(log.rows[-1]["Message"], "Terminating module, return code 2.")


if __name__ == "__main__":
    wineharness.main()
