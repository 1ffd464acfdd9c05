#!/usr/bin/env python3
"""validate-folder-permissions with the real Tamber4Setup.exe under Wine. Wine invents a
folder's ACL from its Unix mode and keeps no write, and has no takeown.exe: the scenario puts
TakeOwn.exe, a stand-in of ours, into system32 as takeown.exe; it records its command line and
ends with the code the test chooses. What Wine reports for a folder decides which branches
run there; the logic of every branch is covered on the simulated machine."""

import os
import shutil
import subprocess

import wineharness

FOLDER = "C:\\Tamber4Test"
SYSTEM32 = "C:\\windows\\system32"
NOBODY = 65534


def results_of(text):
    return [dict(f.partition("=")[::2] for f in line.split("|")[1:]).get("result", "")
            for line in text.split("\r\n") if line]


class FolderPermissions(wineharness.ScenarioTestCase):
    scenario_name = "folder-permissions"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.scenario.install_setup(FOLDER)
        cls.scenario.unix_path(FOLDER + "\\Product\\bin").mkdir(parents=True, exist_ok=True)

    def setUp(self):
        for path in (self.scenario.log_dir / "TAMBER4SETUP.log",
                     self.scenario.unix_path(SYSTEM32 + "\\takeown-record.txt")):
            if path.exists():
                path.unlink()

    def put_takeown(self, exit_code):
        scenario = self.scenario
        shutil.copy2(scenario.helper("TakeOwn"), scenario.unix_path(SYSTEM32 + "\\takeown.exe"))
        scenario.put_file(scenario.unix_path(SYSTEM32 + "\\takeown-exit.txt"), str(exit_code).encode())

    def takeown_runs(self):
        record = self.scenario.unix_path(SYSTEM32 + "\\takeown-record.txt")
        return record.read_text(encoding="utf-8").splitlines() if record.exists() else []

    def run_script(self, name, lines):
        scenario = self.scenario
        scenario.put_utf16_file(scenario.unix_path(FOLDER + "\\" + name),
                                "".join(line + "\r\n" for line in lines))
        code = scenario.run_setup(FOLDER + "\\" + name).returncode
        copy = scenario.working_copy_dir / name
        results = results_of(wineharness.read_utf16(copy)) if copy.exists() else None
        log = (scenario.log_dir / "TAMBER4SETUP.log").read_text(encoding="utf-8")
        return code, results, log

    def test_missing_parameter_and_missing_folders_succeed_without_a_check(self):
        code, results, log = self.run_script("missing.crvdat", [
            "validate-folder-permissions",
            "validate-folder-permissions|folder=C:\\Nowhere",
            f"validate-folder-permissions|folder={FOLDER}\\{self.scenario_name}.txt"])
        self.assertEqual(code, 0)
        self.assertEqual(results, ["success"] * 3)
        self.assertIn("\tError\tRunCommandValidateFolderPermissions\t'folder' parameter must be specified.", log)
        self.assertIn("\tError\tRunCommandValidateFolderPermissions\tDirecotry "
                      "'C:\\Tamber4Test\\C:\\Nowhere' not found.", log)
        self.assertNotIn("Unhandled command", log)
        self.assertNotIn("VerifyUserPermissions", log)

    def folder_owned_by_nobody(self, name):
        """A folder of the Unix user nobody, which Wine reports as owned by ANONYMOUS LOGON."""
        path = self.scenario.unix_path(FOLDER + "\\" + name)
        path.mkdir(parents=True, exist_ok=True)
        if os.geteuid() == 0:
            os.chown(path, NOBODY, NOBODY)
        elif subprocess.run(["sudo", "-n", "chown", f"{NOBODY}:{NOBODY}", str(path)],
                            stdin=subprocess.DEVNULL, capture_output=True).returncode != 0:
            # The test command runs as root or with sudo (it installs packages): only a
            # developer's plain account gets here.
            self.skipTest("giving a folder another Unix owner needs root or sudo")
        return FOLDER + "\\" + name

    def test_a_folder_of_the_user_gets_its_dacl_written_and_no_takeown(self):
        self.put_takeown(0)
        code, results, log = self.run_script("own.crvdat", [
            f"validate-folder-permissions|folder={FOLDER}\\Product\\|target=bin"])
        self.assertEqual((code, results), (0, ["success"]))
        # Wine's invented DACL has no entry for Administrators: the repair is written (and
        # not kept); SYSTEM has full access that propagates.
        self.assertIn("\tInfo\tVerifyUserPermissions\tPermissions for 'BUILTIN\\Administrators': bad", log)
        self.assertIn("\tInfo\tVerifyUserPermissions\tPermissions for 'NT AUTHORITY\\SYSTEM': good", log)
        self.assertIn("\tInfo\tResetUserPermissions\tNew DACL successfully set on 'C:\\Tamber4Test\\Product\\'.", log)
        # The target is a folder, not a file: the ownership counts as good.
        self.assertIn("\tError\tVerifyOwner\tTarget 'C:\\Tamber4Test\\Product\\bin' not found.", log)
        self.assertIn("\tInfo\tRunCommandValidateFolderPermissions\tInstall Directory ownership is good.", log)
        self.assertEqual(self.takeown_runs(), [])
        self.assertNotIn("ExecuteElevated", log)

    def test_takeown_that_succeeds_takes_the_folder_without_its_trailing_backslash(self):
        folder = self.folder_owned_by_nobody("Nobody0")
        self.put_takeown(0)
        code, results, log = self.run_script("take.crvdat", [
            f"validate-folder-permissions|folder={folder}\\"])
        self.assertEqual((code, results), (0, ["success"]))
        self.assertIn("\tError\tVerifyOwner\tFile and Process Domain name and/or Account names don't match.", log)
        self.assertIn("\tInfo\tTakeOwnership\t'takeown.exe' returned exit code 0.", log)
        self.assertEqual(self.takeown_runs(), [f'takeown.exe /F "{folder}" /R'])
        self.assertNotIn("ExecuteElevated", log)

    def test_takeown_that_fails_twice_fails_the_line_through_the_elevated_instance(self):
        folder = self.folder_owned_by_nobody("Nobody1")
        self.put_takeown(1)
        code, results, log = self.run_script("refused.crvdat", [
            f"validate-folder-permissions|folder={folder}", "# next"])
        self.assertEqual(code, 2)
        self.assertEqual(results, ["failure", "success"])
        self.assertEqual(self.takeown_runs(), [f'takeown.exe /F "{folder}" /R'] * 2)
        self.assertIn("\tWarning\tRunCommandValidateFolderPermissions\tFailed to take ownership, "
                      "spawing an elevated instance to try again.", log)
        self.assertIn("\tError\tRunCommandValidateFolderPermissions\tFailed to set ownership to user "
                      f"account. Ownership of '{folder}' and its children should be changed manually.", log)
        self.assertIn("\tError\tRun\tFailed to fix folder permissions, exiting elevated instance.", log)
        self.assertIn("\tInfo\tSpawnElevatedInstance\tElevated process returned exit code 2 (fail), aborting.", log)
        # The elevated instance stopped at the line and left it as it was.
        spawned = self.scenario.working_copy_dir / "refusedSpawned1.crvdat"
        self.assertEqual(results_of(wineharness.read_utf16(spawned)), ["", ""])


if __name__ == "__main__":
    wineharness.main()
