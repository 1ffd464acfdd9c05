#!/usr/bin/env python3
"""The examples of examples/ with the tamber4sim command: `check` flags the faulty one and
passes the others, `run` and `reboot` carry the restart example through its continuation,
the elevated example runs its section in a second instance, and the product example is
installed from a web script served on loopback with a package built by wixl."""

import json
import pathlib
import re
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "e2e"))
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "examples" / "product"))
import loopserver  # noqa: E402  (the end-to-end tests' loopback server)
import product_site  # noqa: E402

TOOL = sys.argv[1]
EXAMPLES = pathlib.Path(sys.argv[2])


def tamber4sim(*args, cwd):
    return subprocess.run([TOOL, *map(str, args)], cwd=cwd, capture_output=True, text=True,
                          timeout=120)


def line_results(output):
    """{line number: result} of the script's own working copy in a run's output."""
    return {int(number): result for number, result in
            re.findall(r"^  [^:\s]+(?<!Spawned1\.crvdat):(\d+)  \S+\s+(.+)$", output, re.M)}


def registry_after(state):
    return (pathlib.Path(state) / "registry-after.reg").read_bytes().decode("utf-16")


class Examples(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.cwd = self.folder.name

    def tearDown(self):
        self.folder.cleanup()

    def test_check_flags_the_faulty_example_and_passes_the_others(self):
        faulty = tamber4sim("check", EXAMPLES / "faulty.crvdat", cwd=self.cwd)
        self.assertEqual(faulty.returncode, 1)
        found = re.findall(r"faulty\.crvdat:(\d+): error: ", faulty.stdout)
        self.assertEqual(found, ["2", "3", "4", "5", "5", "6"], faulty.stdout)
        self.assertIn("(did you mean 'write-registry-string'?)", faulty.stdout)
        clean = tamber4sim("check", *(EXAMPLES / name for name in
                                      ("sample.crvdat", "restart.crvdat", "elevated.crvdat",
                                       "product/product.crvdat")),
                           cwd=self.cwd)
        self.assertEqual((clean.returncode, clean.stdout), (0, ""))

    def test_the_restart_example_finishes_after_the_reboot(self):
        run = tamber4sim("run", EXAMPLES / "restart.crvdat", "--json", "run.json", cwd=self.cwd)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        outcome = json.loads((pathlib.Path(self.cwd) / "run.json").read_text())
        self.assertEqual(outcome["status"], 0)
        self.assertEqual([(l["line"], l["result"]) for l in outcome["lines"]],
                         [(3, "success"), (4, "success"), (5, "success"), (8, "")])
        self.assertIn("HKEY_CURRENT_USER\\Software\\Tamber4Example\\Stage", outcome["registryChanged"])
        self.assertIn("Restart now?", outcome["boxes"][-1]["text"])
        self.assertEqual(line_results(run.stdout), {3: "success", 4: "success", 5: "success",
                                                    8: "(not run)"})
        self.assertIn('"Stage"=dword:00000001', registry_after(f"{self.cwd}/tamber4sim-machine.state"))
        reboot = tamber4sim("reboot", cwd=self.cwd)
        self.assertEqual(reboot.returncode, 0, reboot.stdout + reboot.stderr)
        self.assertEqual(line_results(reboot.stdout)[8], "success")
        self.assertIn('"Stage"=dword:00000002', registry_after(f"{self.cwd}/tamber4sim-machine.state"))
        again = tamber4sim("reboot", cwd=self.cwd)
        self.assertIn("no RunOnce entries", again.stdout)
        # The description the first run created is as it was: runs never rewrite it.
        description = pathlib.Path(self.cwd) / "tamber4sim-machine" / "machine.txt"
        self.assertTrue(description.read_text().startswith("# A tamber4sim machine"))

    def test_the_elevated_example_runs_its_section_in_a_second_instance(self):
        run = tamber4sim("run", EXAMPLES / "elevated.crvdat", "--machine", "m", cwd=self.cwd)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        self.assertIn("Elevated process returned exit code 0 (success).", run.stdout)
        self.assertEqual(line_results(run.stdout), {3: "success", 4: "success", 5: "success",
                                                    6: "success", 7: "success"})
        self.assertIn('"Elevated"=dword:00000001', registry_after(f"{self.cwd}/m.state"))

    def test_a_refused_elevation_prompt_fails_the_run(self):
        machine = pathlib.Path(self.cwd) / "refusing"
        machine.mkdir()
        (machine / "machine.txt").write_text("# the user says No at the elevation prompt\n"
                                             "elevation-answer = refuse\n")
        run = tamber4sim("run", EXAMPLES / "elevated.crvdat", "--machine", machine, cwd=self.cwd)
        self.assertEqual(run.returncode, 2, run.stdout + run.stderr)
        self.assertIn("Elevation was canceled by the user, aborting.", run.stdout)
        self.assertIn("message box 'Tamber 4 Setup': Setup needs administrator rights.", run.stdout)

    def test_mistakes_are_named_where_they_were_written(self):
        """Every bad line of a description, by its own file; the line a run stopped at."""
        machine = pathlib.Path(self.cwd) / "m"
        machine.mkdir()
        (machine / "machine.txt").write_text("windws = 10\nadministrator = maybe\n")
        script = pathlib.Path(self.cwd) / "s.crvdat"
        script.write_bytes("download|uri=http://host/a.msi|file-path=C:\\a.msi\r\nsave\r\n"
                           .encode("utf-16"))
        run = tamber4sim("run", script, "--machine", machine, cwd=self.cwd)
        self.assertEqual(run.returncode, 64)
        self.assertEqual([line.split(": ")[1] for line in run.stderr.splitlines()],
                         [f"{machine}/machine.txt line 1", f"{machine}/machine.txt line 2"])
        (machine / "machine.txt").write_text("network = offline\n")
        run = tamber4sim("run", script, "--machine", machine, cwd=self.cwd)
        self.assertEqual(run.returncode, 2, run.stdout + run.stderr)
        self.assertEqual(line_results(run.stdout),
                         {1: "(no result: the run stopped here)", 2: "(not run)"})
        check = tamber4sim("check", script, cwd=self.cwd)
        self.assertIn("s.crvdat:1: error: 'download' needs the parameter 'name'", check.stdout)
        listing = tamber4sim("commands", cwd=self.cwd).stdout
        self.assertRegex(listing, r"\ndownload\n  uri +required\n  name +required\n")

    def test_the_product_example_installs_from_the_web(self):
        """Served from loopback, and from the disk of a machine with no network at all."""
        offline = ("network = offline\n"
                   "web-file = http://dl.tamber.example/|C:\\Site\n")
        for served_by in ("loopback", "web-file"):
            with self.subTest(served_by=served_by):
                machine = pathlib.Path(self.cwd) / served_by
                machine.mkdir()
                site = machine / "drive_c" / "Site"
                product_site.build_site(site)
                if served_by == "web-file":
                    (machine / "machine.txt").write_text(offline)
                    self.run_product(machine, "http://dl.tamber.example/product.crvdat")
                    continue
                with loopserver.LoopServer(site) as server:
                    self.run_product(machine, server.url("product.crvdat"))
                    self.assertIn(("GET", "product.msi"), server.requests)

    def run_product(self, machine, address):
        outcome_file = machine.with_suffix(".json")
        run = tamber4sim("run", address, "--machine", machine, "--json", outcome_file, cwd=self.cwd)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        outcome = json.loads(outcome_file.read_text())
        copy = [line for line in outcome["lines"] if line["copy"] == "product.crvdat"]
        self.assertEqual([line["command"] for line in copy][:2], ["self", "download"])
        self.assertTrue(all(line["result"] in ("success", "repeat") for line in copy
                            if line["command"] != "requires-elevation"), copy)
        facts = (machine.with_suffix(".state") / "machine.txt").read_text()
        self.assertIn(f"installed-product = {product_site.UPGRADE}|{product_site.PRODUCT}|"
                      f"{product_site.VERSION}|", facts)

if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
