#!/usr/bin/env python3
"""System coordination with the real Tamber4Setup.exe under Wine: "wait" for real processes
of Linger.exe (a helper that runs for a set time, or until it is ended) by name, with and
without a life-span; "set-event" waking EventWaiter.exe, a helper that plays the waiting
program; "start-windows-service" on a service the test disabled through the Service Control
Manager (with ServiceConfig.exe, since Wine's sc.exe cannot change a configuration); and
Windows Update paused and resumed, or missing."""

import re
import shutil
import time

import spinescenario
import wineharness

parse_line = spinescenario.parse_line

FOLDER = "C:\\Tamber4Test"
AU_CLASS = r"HKEY_LOCAL_MACHINE\Software\Classes\CLSID\{BFE18E9C-6D87-4450-B37C-E02F0B373803}"


class ScriptScenario(wineharness.ScenarioTestCase):
    """Runs scripts beside the exe and reads their working copies and the log."""

    helpers = ("Linger", "EventWaiter", "ServiceConfig", "ExitWith")

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.scenario.install_setup(FOLDER)
        for helper in cls.helpers:
            shutil.copy2(cls.scenario.helper(helper), cls.scenario.unix_path(f"{FOLDER}\\{helper}.exe"))

    def setUp(self):
        shutil.rmtree(self.scenario.log_dir, ignore_errors=True)

    def run_script(self, name, lines):
        """Runs the script `name`; returns (exit code, results of its working copy's lines)."""
        scenario = self.scenario
        scenario.put_utf16_file(scenario.unix_path(f"{FOLDER}\\{name}"),
                                "".join(line + "\r\n" for line in lines))
        completed = scenario.run_setup(f"{FOLDER}\\{name}")
        path = scenario.working_copy_dir / name
        text = wineharness.read_utf16(path) if path.exists() else ""
        return completed.returncode, [parse_line(l).get("result", "") for l in text.split("\r\n") if l]

    def messages(self, category):
        """The (severity, message) pairs of `category` in the log, in order."""
        text = wineharness.read_utf8(self.scenario.log_dir / "TAMBER4SETUP.log")
        pairs = []
        for line in text.split("\r\n"):
            fields = line.split("\t")
            if len(fields) == 5 and fields[3] == category:
                pairs.append((fields[2], fields[4]))
        return pairs

    def helper_path(self, name):
        return self.scenario.unix_path(f"{FOLDER}\\{name}.exe")

    def wait_for_file(self, path, timeout=60, whole_line=False):
        """Waits until `path` exists and, with `whole_line`, holds a whole line (a helper
        creates the file before it writes it)."""
        deadline = time.monotonic() + timeout
        while not (path.exists() and (not whole_line or path.read_bytes().endswith(b"\n"))):
            if time.monotonic() > deadline:
                self.fail(f"{path} did not appear within {timeout} s")
            time.sleep(0.05)

    def start_linger(self, tag, how_long):
        """Starts Linger.exe running for `how_long` ("forever" or milliseconds); returns it
        once it runs."""
        ready = self.scenario.drive_c / f"linger-{tag}.ready"
        ready.unlink(missing_ok=True)
        process = self.scenario.start(self.helper_path("Linger"), self.scenario.windows_path(ready),
                                      how_long)
        self.wait_for_file(ready)
        return process


class Processes(ScriptScenario):
    scenario_name = "processes"

    def test_wait_by_name_for_a_program_that_ends_by_itself(self):
        linger = self.start_linger("ends", "1500")
        code, results = self.run_script("ends.crvdat", ["wait|process-name=LINGER.exe"])
        self.assertEqual((code, results), (0, ["success"]))
        self.assertEqual(linger.wait(30).returncode, 0)  # ended by itself
        log = self.messages("RunCommandWait")
        found = re.fullmatch(r"Process ID for 'LINGER.exe' is (\d+) \(0x([0-9a-f]+)\)\.", log[0][1])
        self.assertTrue(found, log)
        pid = int(found.group(1))
        self.assertEqual(pid, int(found.group(2), 16))
        self.assertEqual(log[1:], [
            ("Info", f"Waiting forever for process with ID {pid} (0x{pid:x}) to shut down"),
            ("Info", "Termination pending.")])

    def test_a_life_span_ends_a_program_that_does_not_end(self):
        linger = self.start_linger("forever", "forever")
        code, results = self.run_script("forever.crvdat", ["wait|process-name=Linger.exe|life-span=1"])
        self.assertEqual((code, results), (0, ["success"]))
        # Ended, long before its five minutes. (Wine's launcher reports 0 for a process that
        # another one terminated, so the exit code 1 cannot be read here.)
        linger.wait(30)
        log = [message for _, message in self.messages("RunCommandWait")]
        pid = int(re.search(r"is (\d+) ", log[0]).group(1))
        self.assertEqual(log[1:], [
            f"Waiting 1000 milliseconds for process with ID {pid} (0x{pid:x}) to shut down.",
            f"Process with ID {pid} (0x{pid:x}) didn't exit in 1 seconds; terminating, checking "
            "for another process by the same name."])

    def test_two_instances_are_waited_for_in_turn(self):
        # Long enough to outlast the start of the setup on a busy machine.
        first = self.start_linger("first", "5000")
        second = self.start_linger("second", "7500")
        code, results = self.run_script("two.crvdat", ["wait|process-name=linger.exe"])
        self.assertEqual((code, results), (0, ["success"]))
        self.assertEqual((first.wait(30).returncode, second.wait(30).returncode), (0, 0))
        log = [message for _, message in self.messages("RunCommandWait")]
        pids = [int(m.group(1)) for m in map(re.compile(r"Process ID for 'linger.exe' is (\d+) ").match, log) if m]
        self.assertEqual(len(set(pids)), 2, log)
        self.assertIn("Termination pending.", log)
        self.assertEqual(log[-1], "Termination pending, waiting 1000 milliseconds and checking again.")

    def test_set_event_wakes_the_waiting_program_with_a_new_guid(self):
        report = self.scenario.drive_c / "waiter.txt"
        waiter = self.scenario.start(self.helper_path("EventWaiter"), "Ready",
                                     self.scenario.windows_path(report), "60000")
        ready = report.with_name("waiter.txt.ready")
        self.wait_for_file(ready, whole_line=True)
        waiting = ready.read_text().strip().removeprefix("waiting=")
        code, results = self.run_script("event.crvdat", ["set-event|name=Ready", "set-event|name=Nobody"])
        self.assertEqual((code, results), (0, ["success", "success"]))
        self.assertEqual(waiter.wait(30).returncode, 0)
        seen = dict(line.split("=", 1) for line in report.read_text().split())
        self.assertEqual(seen["waited"], waiting)
        self.assertRegex(seen["now"], r"^\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\}$")
        self.assertNotEqual(seen["now"], waiting)
        self.assertEqual(seen["head"], "T4WS")  # the waiting side's own bytes are untouched
        self.assertEqual(self.messages("RunCommandSetEvent"), [
            ("Info", "Configuring cross-process event 'Ready'."),
            ("Info", "Event set."),
            ("Info", "Configuring cross-process event 'Nobody'."),
            ("Info", "An event named 'Nobody' does not exist.")])

    def test_start_windows_service_enables_a_disabled_service(self):
        config = self.helper_path("ServiceConfig")
        self.assertEqual(self.scenario.run(config, "BITS", "disable").returncode, 4)
        code, results = self.run_script("service.crvdat", [
            "start-windows-service|name=BITS|abort-on-failure=yes",
            "start-windows-service|name=BITS",
            "start-windows-service|name=NoSuchTamberService|abort-on-failure=yes",
            "abort"])
        self.assertEqual(code, 2)  # the failed line's abort request, acted on by "abort"
        self.assertEqual(results, ["success", "success", "failure", "success"])
        self.assertEqual(self.scenario.run(config, "BITS", "query").returncode, 3)
        self.assertEqual(self.messages("StartWindowsService"), [
            ("Info", "Querying the configuration of the 'BITS' Windows Service ..."),
            ("Warning", "The 'BITS' service is disabled (SERVICE_DISABLED), setting to enabled "
                        "(SERVICE_DEMAND_START)."),
            ("Info", "Querying the configuration of the 'BITS' Windows Service ..."),
            ("Info", "Service 'BITS' configuration is 3."),
            ("Info", "Querying the configuration of the 'NoSuchTamberService' Windows Service ..."),
            ("Error", "Failed to open the service 'NoSuchTamberService'. Get last error returns 0x424.")])

    def test_windows_update_is_paused_and_resumed_unless_a_restart_is_flagged(self):
        tool = f"{FOLDER}\\ExitWith.exe"
        code, results = self.run_script("updates.crvdat", [
            "windows-update-resume",
            "windows-update-pause",
            "windows-update-resume",
            f"execute|program={tool}|arg1=3010|reboot-on-exit-code=3010",
            "windows-update-resume"])
        self.assertEqual((code, results), (0, ["success"] * 5))
        self.assertEqual(self.messages("Pause"), [
            ("Info", "Creating Automatic Updates object."),
            ("Info", "Calling Pause on Automatic Updates object.")])
        self.assertEqual(self.messages("Resume"), [
            ("Error", "Resume called before Pause, Automatic Updates object not created, not resuming.")])
        self.assertEqual(self.messages("RunCommandWindowsUpdateResume"), [
            ("Info", "System restart not flagged, resuming Windows Update's Automatic Updates.")] * 2 + [
            ("Info", "System restart flagged, not resuming Windows Update's Automatic Updates system "
                     "(it will resume automatically after the restart.)")])


class WindowsUpdateMissing(ScriptScenario):
    """A prefix whose Automatic Updates class is not registered."""
    scenario_name = "windows-update-missing"
    helpers = ()

    def test_a_pause_without_the_object_ends_the_run_in_order(self):
        result = self.scenario.run_wine_tool("reg", "delete", AU_CLASS, "/f")
        self.assertEqual(result.returncode, 0, result.stderr)
        code, results = self.run_script("missing.crvdat", [
            "# before", "windows-update-pause", "# after"])
        self.assertEqual(code, 2)
        self.assertEqual(results, ["success", "", ""])  # written; the pause line runs again next time
        self.assertEqual(self.messages("Pause"), [("Info", "Creating Automatic Updates object.")])
        issued = [m for s, m in self.messages("IssueError")]
        self.assertTrue(issued and issued[0].startswith("Issuing exception 0x80040154"), issued)


if __name__ == "__main__":
    wineharness.main()
