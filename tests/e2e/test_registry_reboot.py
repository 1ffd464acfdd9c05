#!/usr/bin/env python3
"""Registry, file and restart commands with the real Tamber4Setup.exe under Wine: nested
if-registry-check blocks on values seeded with `reg add`, the install folder read from the
registry and used by copy-file, values written and read back with `reg query`, and a
"reboot" line that registers the program in RunOnce, asks the restart question at exit and
resumes the script when the RunOnce command line is run (Wine never runs RunOnce itself)."""

import re
import shutil

import spinescenario
import wineharness

PRODUCT_KEY = "HKLM\\Software\\Tamber4Test"
MARKS = "Software\\Tamber4Test\\Marks"
RUN_ONCE = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"
TITLE = "Tamber 4 Setup"
RESTART_QUESTION = ("Setup is complete. You must restart your computer for the changes to take "
                    "effect. Restart now?")


def mark(name):
    """A line that leaves a trace: a DWORD named `name` under HKCU\\<MARKS>."""
    return f"write-registry-dword|registry-path={MARKS}|registry-value-name={name}|registry-value-data=1"


def check(rest):
    return f"if-registry-check|registry-path={PRODUCT_KEY}|{rest}"


def result_of(line):
    found = re.search(r"(?:^|\|)result=([^|]*)", line)
    return found.group(1) if found else ""


class RegistryTestCase(spinescenario.SpineTestCase):
    """Scripts beside the exe, values read with `reg query`."""

    def run_script(self, name, lines):
        self.put_script(name, lines)
        return self.scenario.run_setup(name).returncode

    def put_script(self, name, lines):
        self.scenario.put_utf16_file(self.beside_exe(name), "".join(l + "\r\n" for l in lines))

    def results(self, name):
        return [result_of(line) for line in self.working_copy_lines(name)]

    def reg_query(self, key):
        """{name: (type, data)} of `key` as `reg query` prints them; None when it is missing."""
        completed = self.scenario.run_wine_tool("reg", "query", key)
        if completed.returncode != 0:
            return None
        values = {}
        for line in completed.stdout.decode("utf-8", "replace").splitlines():
            found = re.match(r"^    (.*?)    (REG_\w+)    ?(.*)$", line.rstrip("\r"))
            if found:
                values[found.group(1)] = (found.group(2), found.group(3))
        return values

    def marks(self):
        return sorted((self.reg_query("HKCU\\" + MARKS) or {}).keys())

    def tearDown(self):
        self.scenario.run_wine_tool("reg", "delete", "HKCU\\" + MARKS, "/f")


class RegistryCommands(RegistryTestCase):
    scenario_name = "registry-commands"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.scenario.reg_add(PRODUCT_KEY, "Build", 120)
        cls.scenario.reg_add(PRODUCT_KEY, "Version", "4.2.1")
        cls.scenario.reg_add(PRODUCT_KEY, "Edition", "ABC")
        cls.scenario.reg_add(PRODUCT_KEY, "InstallDir", "C:\\TamberInstall")

    def test_nested_blocks_run_or_skip_by_number_version_and_text(self):
        code = self.run_script("blocks.crvdat", [
            check("registry-value-name=Build|registry-value-data=100|compare-as-number=yes|"
                  "registry-value-data-is=greater-than"),
            mark("outer"),
            check("registry-value-name=Version|registry-value-data=4.10|compare-as-version=yes|"
                  "registry-value-data-is=greater-than-or-equal"),
            mark("older"),
            check("registry-value-name=Build"),
            mark("nested-in-skipped"),
            "end-if",
            "end-if",
            check("registry-value-name=Edition|registry-value-data=abc|registry-value-data-is=less-than"),
            mark("upper-case-first"),
            "end-if",
            "end-if",
            check("registry-value-name=Gone|registry-value-data=1|registry-value-data-is=equal-to"),
            mark("missing-equal"),
            "end-if",
            check("registry-value-name=Gone|registry-value-data=1|registry-value-data-is=less-than"),
            mark("missing-less"),
            "end-if",
            mark("after")])
        self.assertEqual(code, 0)
        self.assertEqual(self.marks(), ["after", "missing-less", "outer", "upper-case-first"])
        self.assertEqual(self.results("blocks.crvdat"), ["success"] * 19)
        messages = self.log_messages()
        self.assertIn(("Info", "CheckRegistry", "Value in registry: '120', compare result 20."), messages)
        self.assertIn(("Info", "CheckRegistry", "Value in registry: '4.2.1', compare result -8."), messages)
        self.assertIn(("Info", "RunCommandIfRegistryCheck", "Skipping if block."), messages)
        self.assertIn(("Info", "Run", "Skipping if statement, incrementing end-if count to 2"), messages)

    def test_the_install_directory_read_from_the_registry_names_the_copy_target(self):
        source = self.beside_exe("data\\a.txt")
        self.scenario.put_file(source, b"alpha")
        shutil.rmtree(self.scenario.unix_path("C:\\TamberInstall"), ignore_errors=True)
        code = self.run_script("copy.crvdat", [
            f"read-registry-install-directory|registry-path={PRODUCT_KEY}|registry-value-name=InstallDir",
            "copy-file|source=data\\a.txt|target=%InstallDirectory%\\sub\\"])
        self.assertEqual(code, 0)
        self.assertEqual(self.results("copy.crvdat"), ["repeat", "success"])
        self.assertEqual(self.scenario.unix_path("C:\\TamberInstall\\sub\\a.txt").read_bytes(), b"alpha")
        self.assertIn(("Info", "RunCommandCopyFile", "Copying file from 'C:\\Tamber4Test\\data\\a.txt' "
                       "to 'C:\\TamberInstall\\sub\\a.txt'."), self.log_messages())

    def test_written_values_read_back(self):
        code = self.run_script("write.crvdat", [
            f"write-registry-string|registry-path={MARKS}|registry-value-name=Text|registry-value-data=4.2 beta",
            f"write-registry-string|registry-path={MARKS}|registry-value-name=Path|"
            "file-path=%ProgramFiles%\\A B\\c.exe",
            f"write-registry-dword|registry-path={MARKS}|registry-value-name=Number|registry-value-data=-2",
            f"write-registry-dword|registry-path={MARKS}|registry-value-name=Build|registry-value-data=3010"])
        self.assertEqual(code, 0)
        self.assertEqual(self.reg_query("HKCU\\" + MARKS), {
            "Text": ("REG_SZ", "4.2 beta"),
            "Path": ("REG_SZ", '"C:\\Program Files\\A B\\c.exe"'),
            "Number": ("REG_DWORD", "0xfffffffe"),
            "Build": ("REG_DWORD", "0xbc2")})


class RebootAndResume(RegistryTestCase):
    scenario_name = "reboot-resume"

    def test_reboot_registers_the_resume_and_asks_at_exit(self):
        self.put_script("reboot.crvdat", [mark("before"), "reboot|force=yes", mark("after")])
        answer = self.scenario.answer_box(TITLE, RESTART_QUESTION, "no")
        completed = self.scenario.run_setup("reboot.crvdat")
        self.assertEqual(answer().code, 0)
        self.assertEqual(completed.returncode, 0)
        self.assertEqual(self.marks(), ["before"])
        self.assertEqual(self.results("reboot.crvdat"), ["success", "success", ""])

        working_copy = self.scenario.windows_path(self.working_copy("reboot.crvdat"))
        kind, command_line = self.reg_query(RUN_ONCE)["Tamber4Setup"]
        self.assertEqual(kind, "REG_SZ")
        self.assertEqual(command_line.lower(),
                         f'"{spinescenario.EXE_FOLDER}\\Tamber4Setup.exe" "{working_copy}"'.lower())

        # The next logon: the RunOnce command line runs the rest of the script.
        program, argument = re.fullmatch(r'"([^"]+)" "([^"]+)"', command_line).groups()
        self.scenario.run_wine_tool("reg", "delete", RUN_ONCE, "/v", "Tamber4Setup", "/f")
        resumed = self.scenario.run_wine_tool(program, argument)
        self.assertEqual(resumed.returncode, 0)
        self.assertEqual(self.marks(), ["after", "before"])
        self.assertEqual(self.results("reboot.crvdat"), ["success"] * 3)
        self.assertIsNone((self.reg_query(RUN_ONCE) or {}).get("Tamber4Setup"))

    def test_a_restart_now_declined_becomes_a_restart_when_convenient(self):
        shutil.copy2(self.scenario.helper("ExitWith"), self.beside_exe("ExitWith.exe"))
        self.put_script("later.crvdat", [
            "execute|program=ExitWith.exe|arg1=3010|reboot-now-on-exit-code=3010",
            "reboot|force=if-reboot-now|title=Restart needed|message=Restart now?",
            mark("went-on"),
            "reboot",
            mark("stopped-before")])
        setup = self.scenario.start(self.scenario.setup_exe, "later.crvdat")
        self.assertEqual(self.scenario.answer_box("Restart needed", "Restart now?", "no")().code, 0)
        self.assertEqual(self.scenario.answer_box(TITLE, RESTART_QUESTION, "no")().code, 0)
        self.assertEqual(setup.wait(60).returncode, 3)
        self.assertEqual(self.marks(), ["went-on"])
        messages = self.log_messages()
        self.assertIn(("Info", "RunCommandReboot", "User elected to restart later, downgrading "
                       "reboot-required status to 'later'."), messages)
        self.assertNotIn(("Info", "Tamber4Setup", "Shutting down Windows."), messages)


class RestartAtExit(RegistryTestCase):
    """Last, in a scenario of its own: Wine ends the session's GUI programs on a restart."""

    scenario_name = "restart-at-exit"

    def test_a_restart_now_accepted_restarts_without_a_second_question(self):
        shutil.copy2(self.scenario.helper("ExitWith"), self.beside_exe("ExitWith.exe"))
        self.put_script("now.crvdat", [
            "execute|program=ExitWith.exe|arg1=3010|reboot-now-on-exit-code=3010",
            "reboot|force=if-reboot-now"])
        setup = self.scenario.start(self.scenario.setup_exe, "now.crvdat")
        self.assertEqual(self.scenario.answer_box(TITLE, RESTART_QUESTION, "yes")().code, 0)
        self.assertEqual(setup.wait(60).returncode, 4)
        messages = self.log_messages()
        self.assertIn(("Info", "RunCommandReboot", "User elected to restart now."), messages)
        self.assertIn(("Info", "Tamber4Setup", "Shutting down Windows."), messages)
        self.assertNotIn("Attempt to reboot failed", str(messages))
        self.assertEqual(sum(m[1] == "TamberMessageBox" for m in messages), 1)
        self.assertIsNone((self.reg_query(RUN_ONCE) or {}).get("Tamber4Setup"))


if __name__ == "__main__":
    wineharness.main()
