#!/usr/bin/env python3
"""Two processes of the real Tamber4Setup.exe writing one log: the first is held in an
"execute" of the Hold helper while the second runs from start to end; the file has one
header, the second process's lines fall between the first one's, and each process numbers
its Entry values from 0."""

import logscenario
import wineharness
from logscenario import COLUMNS_KEY, HEX_ID

COLUMNS = ["Entry", "ProcessID", "Category", "Message"]


class TwoProcessesLog(logscenario.LogTestCase):
    scenario_name = "log-two-processes"

    def test_one_header_and_both_processes_lines(self):
        scenario = self.scenario
        scenario.import_registry(COLUMNS_KEY, {str(n + 1): c for n, c in enumerate(COLUMNS)})
        first = self.start_script("first.crvdat", ["save", self.gate_line("first.gate"), "save"])
        logscenario.wait_for_file(self.marker("first.gate"), first)
        self.assertEqual(self.run_script("second.crvdat", ["save"]), 0)
        self.assertTrue(first.running())
        self.release("first.gate")
        self.assertEqual(first.wait(wineharness.DEFAULT_TIMEOUT).returncode, 0)

        log = logscenario.read_log(scenario.log_dir / logscenario.LOG_NAME)
        self.assertEqual(log.columns, COLUMNS)
        self.assertEqual(log.text.count("Logging started"), 1)
        self.assertEqual(log.text.count("\t".join(COLUMNS)), 1)
        by_process = {}
        for index, row in enumerate(log.rows):
            self.assertRegex(row["ProcessID"], HEX_ID)
            by_process.setdefault(row["ProcessID"], []).append((index, row))
        self.assertEqual(len(by_process), 2, list(by_process))
        first_id = log.rows[0]["ProcessID"]
        (second_id,) = set(by_process) - {first_id}

        for process_id, script in ((first_id, "first.crvdat"), (second_id, "second.crvdat")):
            rows = [row for _, row in by_process[process_id]]
            self.assertEqual([row["Entry"] for row in rows], [str(n) for n in range(len(rows))])
            self.assertEqual(rows[0]["Message"], "Initializing module (version 4.0.0.0).")
            self.assertIn(script, rows[1]["Message"])
            self.assertEqual(rows[-1]["Message"], "Terminating module, return code 0.")
        # The second process ran whole while the first waited in the middle of its run.
        first_rows = [index for index, _ in by_process[first_id]]
        second_rows = [index for index, _ in by_process[second_id]]
        self.assertEqual(second_rows, list(range(second_rows[0], second_rows[-1] + 1)))
        self.assertTrue(first_rows[0] < second_rows[0] and second_rows[-1] < first_rows[-1])


if __name__ == "__main__":
    wineharness.main()
