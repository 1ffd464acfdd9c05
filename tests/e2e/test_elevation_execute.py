#!/usr/bin/env python3
"""Elevated sections and the "execute" command with the real Tamber4Setup.exe under Wine:
a section's commands run in a second real process that writes its own working copy and
logs into the same file, and "execute" runs ExitWith.exe, a helper that ends with the code
it is given, with the exit-code parameters, "if-exists" and "wait"."""

import re
import shutil

import spinescenario
import wineharness

parse_line = spinescenario.parse_line

FOLDER = "C:\\Tamber4Test"
TOOL = FOLDER + "\\ExitWith.exe"
RUN_ONCE = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"
TITLE = "Tamber 4 Setup"
RESTART_QUESTION = ("Setup is complete. You must restart your computer for the changes to take "
                    "effect. Restart now?")


class ElevationAndExecute(wineharness.ScenarioTestCase):
    scenario_name = "elevation-execute"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.scenario.install_setup(FOLDER)
        shutil.copy2(cls.scenario.helper("ExitWith"), cls.scenario.unix_path(TOOL))

    def run_script(self, name, lines):
        """Writes the script `name` beside the exe, runs it; returns (exit code, results of
        the working copy's lines)."""
        scenario = self.scenario
        scenario.put_utf16_file(scenario.unix_path(FOLDER + "\\" + name),
                                "".join(line + "\r\n" for line in lines))
        completed = scenario.run_setup(FOLDER + "\\" + name)
        return completed.returncode, self.results(name)

    def results(self, name):
        path = self.scenario.working_copy_dir / name
        if not path.exists():
            return None
        text = wineharness.read_utf16(path)
        return [parse_line(line).get("result", "") for line in text.split("\r\n") if line]

    def log_text(self):
        return (self.scenario.log_dir / "TAMBER4SETUP.log").read_text(encoding="utf-8")

    def exit_codes_logged(self):
        return [int(code) for code in re.findall(r"Process returned exit code (\d+)\.", self.log_text())]

    def test_a_section_runs_in_a_second_process(self):
        code, results = self.run_script("section.crvdat", [
            "requires-elevation|title=Setup|message=Rights needed.",
            f"execute|program={TOOL}|arg1=0|wait=yes",
            f"execute|program={TOOL}|arg1=0|wait=yes",
            "end-elevation",
            f"execute|program={TOOL}|arg1=0|wait=yes"])
        self.assertEqual(code, 0)
        self.assertEqual(results, ["success"] * 5)
        # The elevated instance's own copy: it ran the section and stopped at its end.
        self.assertEqual(self.results("sectionSpawned1.crvdat"), ["", "success", "success", "", ""])
        log = self.log_text()
        self.assertIn("Running elevated.", log)
        self.assertIn("Elevated process returned exit code 0 (success).", log)
        self.assertIn('/elevated "C:\\users\\', log.replace("C:\\Users\\", "C:\\users\\"))
        # Both processes wrote into the one file: two different thread ids end a run.
        ends = re.findall(r"\t(0x[0-9A-F]+)\tInfo\tModule\tTerminating module", log)
        self.assertEqual(len(set(ends)), 2, ends)

    def test_a_marked_closer_ends_its_section_without_an_instance(self):
        # The closer was marked by an earlier run: the section still ends there, so the
        # "execute" after it runs in this process and no elevated instance is started.
        code, results = self.run_script("closer.crvdat", [
            "requires-elevation",
            "zzz|in=1",
            "end-elevation|result=success",
            f"execute|program={TOOL}|arg1=0|wait=yes"])
        self.assertEqual(code, 0)
        self.assertEqual(results, ["", "success", "success", "success"])
        self.assertIsNone(self.results("closerSpawned1.crvdat"))

    def test_a_reboot_inside_a_section_restarts_through_this_processs_copy(self):
        # The elevated instance stops before the reboot and leaves it to this process: the
        # RunOnce entry names this process's working copy, and after the restart the rest of
        # the section runs in a new instance, every program once.
        scenario = self.scenario
        lines = ["requires-elevation",
                 f"execute|program={TOOL}|arg1=41|wait=yes",
                 "reboot|force=yes",
                 f"execute|program={TOOL}|arg1=42|wait=yes",
                 "end-elevation",
                 f"execute|program={TOOL}|arg1=43|wait=yes"]
        scenario.put_utf16_file(scenario.unix_path(FOLDER + "\\reboot.crvdat"),
                                "".join(line + "\r\n" for line in lines))
        answer = scenario.answer_box(TITLE, RESTART_QUESTION, "no")
        completed = scenario.run_setup(FOLDER + "\\reboot.crvdat")
        self.assertEqual(answer().code, 0)
        self.assertEqual(completed.returncode, 0)
        self.assertEqual(self.results("reboot.crvdat"), ["", "success", "success", "", "", ""])
        self.assertEqual(self.results("rebootSpawned1.crvdat"), ["", "success", "", "", "", ""])
        self.assertEqual(self.exit_codes_logged(), [41])
        working_copy = scenario.windows_path(scenario.working_copy_dir / "reboot.crvdat")
        completed = scenario.run_wine_tool("reg", "query", RUN_ONCE, "/v", "Tamber4Setup")
        found = re.search(r'REG_SZ\s+"([^"]+)" "([^"]+)"', completed.stdout.decode("utf-8", "replace"))
        self.assertIsNotNone(found, completed.stdout)
        self.assertEqual(found.group(2).lower(), working_copy.lower())

        # The next logon runs the RunOnce command line (Wine never runs RunOnce itself).
        scenario.run_wine_tool("reg", "delete", RUN_ONCE, "/v", "Tamber4Setup", "/f")
        resumed = scenario.run_wine_tool(found.group(1), found.group(2))
        self.assertEqual(resumed.returncode, 0)
        self.assertEqual(self.results("reboot.crvdat"), ["success"] * 6)
        self.assertEqual(self.exit_codes_logged(), [42, 43])  # each run starts a new log

    def test_exit_codes_restart_and_abort_requests(self):
        code, results = self.run_script("codes.crvdat", [
            f"execute|program={TOOL}|arg1=3010|reboot-on-exit-code=3010|abort-on-exit-code-not=0",
            f"execute|program={TOOL}|arg1=1|abort-on-exit-code-not=0",
            f"execute|program={TOOL}|arg1=7|wait=yes"])
        self.assertEqual(code, 0)  # no "abort" or "reboot" line acts on the requests
        self.assertEqual(results, ["success", "failure", "failure"])
        log = self.log_text()
        self.assertIn("Reboot required, flagging for reboot when convenient.", log)
        self.assertIn("Exit code must be 0 to succeed. Flagging for abort.", log)
        self.assertIn("Process returned exit code 7.", log)

    def test_missing_programs(self):
        code, results = self.run_script("missing.crvdat", [
            "execute|program=gone.exe|if-exists=yes",
            f"execute|program={TOOL}|arg1=0|wait=yes",
            "execute|program=gone.exe"])
        self.assertEqual(code, 0)
        # The skipped line keeps the result preset before it ran.
        self.assertEqual(results, ["failure", "success", "failure"])
        log = self.log_text()
        self.assertIn("'C:\\Tamber4Test\\gone.exe' does not exist, 'if-exists' flag set to 'yes', "
                      "skipping execution.", log)
        self.assertIn("'C:\\Tamber4Test\\gone.exe' does not exist, flagging for abort.", log)

    def test_a_program_that_cannot_start_fails_the_run(self):
        self.scenario.put_file(self.scenario.unix_path(FOLDER + "\\broken.exe"), b"not a program")
        code, results = self.run_script("broken.crvdat", [
            f"execute|program={FOLDER}\\broken.exe",
            f"execute|program={TOOL}|arg1=0"])
        self.assertEqual(code, 2)
        self.assertEqual(results, ["", ""])  # the failing line is written back unchanged
        self.assertIn("Failed to create the process. CreateProcess set last error", self.log_text())


if __name__ == "__main__":
    wineharness.main()
