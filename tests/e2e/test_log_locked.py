#!/usr/bin/env python3
"""A log file that another program holds open for writing (the Hold helper, sharing read
access only): the real Tamber4Setup.exe tries ten times, 100 ms apart, then switches
logging off for the rest of its run, writing nothing more even once the file is free again;
the run itself goes on to its end and its normal exit code."""

import time

import logscenario
import wineharness

# Ten attempts to open the file sleep nine times 100 ms between them; a little margin for
# the clocks. Without the retries the line would fail within milliseconds.
SHORTEST_RETRIES = 0.8


class LockedLog(logscenario.LogTestCase):
    scenario_name = "log-locked"

    def log_file(self):
        return self.scenario.log_dir / logscenario.LOG_NAME

    def hold_log(self):
        """Starts Hold.exe keeping the log open; returns once it holds it."""
        self.scenario.log_dir.mkdir(parents=True, exist_ok=True)
        return self.hold_file("log.hold", self.scenario.windows_path(self.log_file()))

    def release_log(self, holder):
        self.release("log.hold")
        self.assertEqual(holder.wait(30).returncode, 0)

    def finish(self, setup, script, lines):
        """Lets the exe run from its last gate to its end: exit code 0, every line done."""
        self.assertEqual(setup.wait(wineharness.DEFAULT_TIMEOUT).returncode, 0)
        self.assertEqual(self.working_copy_results(script), ["success"] * len(lines))

    def test_locked_from_the_start_no_header_and_no_lines(self):
        holder = self.hold_log()
        lines = ["save", self.gate_line("run.gate"), "save"]
        setup = self.start_script("start.crvdat", lines)
        logscenario.wait_for_file(self.marker("run.gate"), setup)
        # The file is free for the rest of the run: logging stays off all the same.
        self.release_log(holder)
        self.release("run.gate")
        self.finish(setup, "start.crvdat", lines)
        self.assertEqual(self.log_file().read_bytes(), b"")

    def test_locked_during_the_run_nothing_more_is_written(self):
        lines = ["save", self.gate_line("before.gate"), self.gate_line("after.gate"), "save"]
        setup = self.start_script("during.crvdat", lines)
        logscenario.wait_for_file(self.marker("before.gate"), setup)
        before = logscenario.read_log(self.log_file())
        self.assertEqual(before.rows[-1]["Message"], "Launching with CreateProcess "
                         "'C:\\Tamber4Test\\Hold.exe C:\\Tamber4Test\\before.gate'.")
        holder = self.hold_log()
        start = time.monotonic()
        self.release("before.gate")
        logscenario.wait_for_file(self.marker("after.gate"), setup)
        self.assertGreaterEqual(time.monotonic() - start, SHORTEST_RETRIES)
        self.release_log(holder)
        self.release("after.gate")
        self.finish(setup, "during.crvdat", lines)
        self.assertEqual(self.log_file().read_bytes().decode("utf-8"), before.text)


if __name__ == "__main__":
    wineharness.main()
