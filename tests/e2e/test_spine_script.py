#!/usr/bin/env python3
"""A script run by the real Tamber4Setup.exe: every kind of line and escape, LF-only line
ends and no byte-order mark; the working copy and the exit code are exactly as the script
format and the interpreter say, and a second run of the working copy skips every line and
rewrites it unchanged."""

import spinescenario
import wineharness

ESCAPES = ("copy-thing|z=%41%42|y=%C3%A9|x=%C3|w=%C3%41|v=%ZZ|u=%E2%82%AC|t=50%|s=a%20b"
           "|r=a=b|q=one%0D%0Atwo|p=%InstallDirectory%\\a")
SCRIPT = ("# comment line\n\n\nfrobnicate|b=2|a=1\n   \nuri=orphan\n" + ESCAPES +
          "\nend-if\nsave\n\n")
EXPECTED = [
    "# comment line|result=success",
    "frobnicate|a=1|b=2|result=success",
    "   |result=success",
    "result=failure|uri=orphan",
    "copy-thing|p=%25InstallDirectory%25\\a|q=one%0D%0Atwo|r=a%3Db|result=success|s=a b"
    "|t=50%25|u=\u20ac|v=%25ZZ|w=%25C3%2541|x=%25C3|y=\u00e9|z=AB",
    "end-if|result=success",
    "save|result=success",
]


class SpineScript(spinescenario.SpineTestCase):
    scenario_name = "spine-script"

    def test_working_copy_and_second_run(self):
        script = self.beside_exe("script.crvdat")
        self.scenario.put_file(script, SCRIPT.encode("utf-16-le"))
        self.assertEqual(self.scenario.run_setup("script.crvdat").returncode, 0)
        self.assertEqual(self.working_copy_lines("script.crvdat"), EXPECTED)
        messages = self.log_messages()
        self.assertIn(("Warning", "Run", "Unhandled command: 'frobnicate|b=2|a=1'."), messages)
        self.assertIn(("Warning", "Run", "Unhandled command: '   '."), messages)
        # Wine runs every program as an elevated administrator, which the rights check sees.
        self.assertIn(("Warning", "Run", "The 'elevated' command line parameter was not "
                       "specified but the process is elevated."), messages)
        self.assertEqual(sum(m[0] == "Warning" for m in messages), 4, messages)
        self.assertEqual(messages[-1], ("Info", "Module", "Terminating module, return code 0."))

        first = self.working_copy("script.crvdat").read_bytes()
        working_copy = self.scenario.windows_path(self.working_copy("script.crvdat"))
        self.assertEqual(self.scenario.run_setup(working_copy).returncode, 0)
        self.assertEqual(self.working_copy("script.crvdat").read_bytes(), first)
        skipped = [m for m in self.log_messages() if m[2].startswith("Line already processed")]
        self.assertEqual(len(skipped), len(EXPECTED))


if __name__ == "__main__":
    wineharness.main()
