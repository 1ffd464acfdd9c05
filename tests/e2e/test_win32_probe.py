#!/usr/bin/env python3
"""Win32Probe, the program that exercises every Windows service wrapper against the real
system, passes all its checks in a scenario prefix, message boxes included (the prefix's
null display driver lets them show)."""

import shutil

import wineharness

PROBE = "tests/win32probe/Win32Probe.exe"


class Win32Probe(wineharness.ScenarioTestCase):
    scenario_name = "win32-probe"

    def test_every_check_passes(self):
        # Run from a folder of the prefix, so that nothing the probe writes lands in the build.
        folder = self.scenario.unix_path("C:\\Probe")
        folder.mkdir(parents=True)
        probe = shutil.copy2(wineharness.windows_build_file(PROBE), folder / "Win32Probe.exe")
        result = self.scenario.run(probe, timeout=300)
        output = result.stdout.decode("utf-8", "replace")
        print(output)
        self.assertEqual(result.returncode, 0, "Win32Probe reported failures (see above)")
        self.assertNotIn("FAIL ", output)
        self.assertNotIn("SKIP ui:", output, "message boxes should show in the prefix")


if __name__ == "__main__":
    wineharness.main()
