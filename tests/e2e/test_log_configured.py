#!/usr/bin/env python3
"""The log of the real Tamber4Setup.exe configured in the registry: the base key enables
logging (which puts the log in Documents), the program key TAMBER4SETUP.EXE gets its
missing settings written back (a value of the wrong type replaced), and the Columns key
chooses Entry, Severity, Category, Message, ProcessName and MemUsage, matched whatever
their case and expanded from REG_EXPAND_SZ."""

import re

import logscenario
import wineharness
from logscenario import BASE_KEY, COLUMNS_KEY, PROGRAM_KEY
from regfile import ExpandSz

COLUMN_VALUES = {"1": "entry", "2": "Severity", "3": "CATEGORY", "4": "Message",
                 "5": "ProcessName", "6": ExpandSz("%TAMBER4_LOG_COLUMN%")}
COLUMNS = ["Entry", "Severity", "Category", "Message", "ProcessName", "MemUsage"]
WRITTEN_BACK = {"Enabled": 1, "SeverityError": 1, "SeverityWarning": 1, "SeverityInfo": 1,
                "SeverityDebug": 0, "TraceDebug": 1, "TraceRelease": 0}


class ConfiguredLog(logscenario.LogTestCase):
    scenario_name = "log-configured"
    scenario_env = {"TAMBER4_LOG_COLUMN": "MemUsage"}

    def test_columns_settings_and_documents_folder(self):
        scenario = self.scenario
        scenario.import_registry(COLUMNS_KEY, COLUMN_VALUES)
        scenario.import_registry(BASE_KEY, {"Enabled": 1})
        # A setting of the wrong type counts as missing: Debug stays off and a DWORD
        # replaces it.
        scenario.import_registry(PROGRAM_KEY, {"SeverityDebug": "1"})

        self.assertEqual(self.run_script("configured.crvdat", ["save"]), 0)

        self.assertEqual(scenario.export_registry(BASE_KEY), {
            BASE_KEY: {"Enabled": 1}, PROGRAM_KEY: WRITTEN_BACK, COLUMNS_KEY: COLUMN_VALUES})
        self.assertFalse(scenario.log_dir.exists())
        log = logscenario.read_log(self.documents_log_dir() / logscenario.LOG_NAME)
        self.assertEqual(log.columns, COLUMNS)

        self.assertEqual([row["Entry"] for row in log.rows],
                         [str(n) for n in range(len(log.rows))])
        self.assertEqual({row["ProcessName"] for row in log.rows}, {"TAMBER4SETUP.EXE"})
        for row in log.rows:
            self.assertRegex(row["MemUsage"], r"^[1-9]\d*K$")
        # A program under Wine takes megabytes, not bytes mistaken for KiB or the reverse.
        kib = [int(row["MemUsage"][:-1]) for row in log.rows]
        self.assertTrue(1024 <= min(kib) and max(kib) < 1024 * 1024, kib)

        lines = [(row["Severity"], row["Category"], row["Message"]) for row in log.rows]
        self.assertEqual(lines[0], ("Info", "Module", "Initializing module (version 4.0.0.0)."))
        self.assertEqual(lines[-1], ("Info", "Module", "Terminating module, return code 0."))
        self.assertNotIn("Debug", {line[0] for line in lines})
        folder = next(line[2] for line in lines if line[1] == "SetLoggingPath")
        path = re.fullmatch(r"Logging is enabled, logging folder file path set to '(.*)'", folder)
        self.assertIsNotNone(path, folder)
        self.assertEqual(scenario.unix_path(path.group(1)), self.documents_log_dir())


if __name__ == "__main__":
    wineharness.main()
