#!/usr/bin/env python3
"""The real Tamber4Setup.exe on a system older than Vista: Wine's per-program version
override makes it see Windows XP SP3 (5.1.2600). Wine's user is an administrator, so an
elevated section without "force" is run in place by the one process, "if-elevated" is not
heeded, and the Windows Update commands and a Vista-only service start are skipped as
succeeded. The log carries the process id so that a second process would show."""

import shutil

import logscenario
import wineharness
from logscenario import COLUMNS_KEY

FOLDER = logscenario.EXE_FOLDER
TOOL = FOLDER + "\\ExitWith.exe"
SCRIPT = "prevista.crvdat"
VERSION_KEY = "HKCU\\Software\\Wine\\AppDefaults\\" + wineharness.SETUP_EXE
COLUMNS = ["ProcessID", "Severity", "Category", "Message"]

LINES = [
    "requires-elevation|title=Setup|message=Rights needed.",
    f"execute|program={TOOL}|arg1=0|wait=yes",
    # From Vista on, an elevated process would skip this line with a Warning.
    f"execute|program={TOOL}|arg1=0|wait=yes|if-elevated=no",
    "windows-update-pause",
    # Were it run, the missing service would fail the line and flag the run for abort.
    "start-windows-service|name=NoSuchTamberService|abort-on-failure=yes|if-os-vista=yes",
    "windows-update-resume",
    "end-elevation",
]
EXPECTED = [
    "requires-elevation|message=Rights needed.|result=success|title=Setup",
    f"execute|arg1=0|program={TOOL}|result=success|wait=yes",
    f"execute|arg1=0|if-elevated=no|program={TOOL}|result=success|wait=yes",
    "windows-update-pause|result=success",
    "start-windows-service|abort-on-failure=yes|if-os-vista=yes|name=NoSuchTamberService"
    "|result=success",
    "windows-update-resume|result=success",
    "end-elevation|result=success",
]
SKIPPED = [
    "'windows-update-pause' command specified, OS is not Vista, skipping command.",
    "'start-windows-service' command specified the 'if-os-vista' parameter set to 'yes', "
    "OS is not Vista or higher, skipping command.",
    "'windows-update-resume' command specified, OS is not Vista, skipping command.",
]


class PreVista(logscenario.LogTestCase):
    scenario_name = "prevista"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        scenario = cls.scenario
        shutil.copy2(scenario.helper("ExitWith"), scenario.unix_path(TOOL))
        scenario.reg_add(VERSION_KEY, "Version", "winxp")
        scenario.import_registry(COLUMNS_KEY, {str(n + 1): c for n, c in enumerate(COLUMNS)})

    def test_section_runs_in_place_and_vista_commands_are_skipped(self):
        self.assertEqual(self.run_script(SCRIPT, LINES), 0)

        working_copies = self.scenario.working_copy_dir
        self.assertEqual(sorted(p.name for p in working_copies.iterdir()), [SCRIPT])
        text = wineharness.read_utf16(working_copies / SCRIPT)
        self.assertEqual(text, "".join(line + "\r\n" for line in EXPECTED))

        log = logscenario.read_log(self.scenario.log_dir / logscenario.LOG_NAME)
        self.assertEqual(log.columns, COLUMNS)
        # One process did everything: no elevated instance was started.
        self.assertEqual(len({row["ProcessID"] for row in log.rows}), 1)
        lines = [(row["Severity"], row["Category"], row["Message"]) for row in log.rows]
        messages = [line[2] for line in lines]
        self.assertIn(("Info", "Run", "OS is not Vista or above."), lines)
        self.assertIn(("Info", "Run", "OS is not Vista or higher and user is an administrator, "
                       "ignoring elevated section. (Use force=yes to force elevation)"), lines)
        self.assertEqual([m for m in messages if "skipping command." in m], SKIPPED)
        launches = [m for m in messages if m.startswith("Launching with CreateProcess")]
        self.assertEqual(len(launches), 2, messages)
        self.assertTrue(all(TOOL in m for m in launches), launches)
        self.assertEqual(messages.count("Process returned exit code 0."), 2)
        self.assertNotIn("Elevated section: execute commands will be processed in an elevated "
                         "instance of Tamber4Setup.exe.", messages)
        # Neither the Vista-only rights warning nor an if-elevated skip, nor any other trouble.
        self.assertEqual([line for line in lines if line[0] in ("Warning", "Error")], [])
        self.assertEqual(lines[-1], ("Info", "Module", "Terminating module, return code 0."))


if __name__ == "__main__":
    wineharness.main()
