#!/usr/bin/env python3
"""How the real Tamber4Setup.exe finds its script: the disc script beats the update script,
a relative name is found beside the exe, a switch in the wrong case is logged and ignored,
and a script that exists nowhere ends the run with 2."""

import spinescenario
import wineharness


def utf16(text):
    return b"\xff\xfe" + text.encode("utf-16-le")


class SpineChoice(spinescenario.SpineTestCase):
    scenario_name = "spine-choice"

    def test_disc_script_beats_update_script_and_wrong_case_switch_is_logged(self):
        self.scenario.put_file(self.beside_exe("Setup\\Tamber4DiscScript.crvdat"), utf16("# disc\r\n"))
        self.scenario.put_file(self.beside_exe("Tamber4UpdateScript.crvdat"), utf16("# update\r\n"))
        self.assertEqual(self.scenario.run_setup("/Quiet").returncode, 0)
        self.assertEqual(self.working_copy_lines("Tamber4DiscScript.crvdat"), ["# disc|result=success"])
        self.assertFalse(self.working_copy("Tamber4UpdateScript.crvdat").exists())
        self.assertIn(("Error", "ParseCommandLine", "Unrecognized command line switch '/Quiet'."),
                      self.log_messages())

    def test_relative_name_is_found_beside_the_exe(self):
        self.scenario.put_file(self.beside_exe("my.crvdat"), utf16("# mine\r\n"))
        self.assertEqual(self.scenario.run_setup("my.crvdat", "-quiet").returncode, 0)
        self.assertEqual(self.working_copy_lines("my.crvdat"), ["# mine|result=success"])
        self.assertIn(("Info", "Run", "Reading specified disc script from "
                       "'C:\\Tamber4Test\\my.crvdat', writing to '" +
                       self.scenario.windows_path(self.working_copy("my.crvdat")) + "'."),
                      self.log_messages())

    def test_a_script_that_exists_nowhere_fails(self):
        self.assertEqual(self.scenario.run_setup("none.crvdat").returncode, 2)
        self.assertIn(("Error", "Run", "File not found, aborting."), self.log_messages())
        self.assertFalse(self.working_copy("none.crvdat").exists())


if __name__ == "__main__":
    wineharness.main()
