#!/usr/bin/env python3
"""tamber4sim's progress bar: a foreground download from a file of the simulated disk prints
a plain line per 10% when the output is not a terminal, and Ctrl-C during a download from a
loopback server asks the cancel question on the terminal; answering y fails the run. Runs
the host build's tamber4sim; needs no Wine."""

import os
import pathlib
import re
import signal
import subprocess
import tempfile
import time
import unittest

import loopserver
import wineharness

TAMBER4SIM = wineharness.E2E_DIR.parent / "tamber4sim"


def utf16_script(lines):
    return b"\xff\xfe" + "".join(l + "\r\n" for l in lines).encode("utf-16-le")


class Tamber4simProgress(unittest.TestCase):
    def setUp(self):
        self._folder = tempfile.TemporaryDirectory()
        self.folder = pathlib.Path(self._folder.name)
        self.addCleanup(self._folder.cleanup)
        if not TAMBER4SIM.is_file():
            self.fail(f"{TAMBER4SIM} is missing: build the host tree first")

    def test_a_line_per_tenth_when_not_a_terminal(self):
        source = self.folder / "machine" / "drive_c" / "Server" / "big.bin"
        source.parent.mkdir(parents=True)
        source.write_bytes(bytes(range(256)) * 40000)
        script = self.folder / "s.crvdat"
        script.write_bytes(utf16_script(
            ["download|name=Big|uri=file://C:/Server/big.bin|file-path=big.bin"]))
        result = subprocess.run([str(TAMBER4SIM), str(script), "--machine", str(self.folder / "machine")],
                                capture_output=True, text=True, timeout=120)
        self.assertEqual(result.returncode, 0, result.stdout[-2000:])
        progress = re.findall(r"^tamber4sim: Downloading Big\.\.\. (\d+)% \((.*)\)(.*)$",
                              result.stdout, re.M)
        percents = [int(p) for p, _, _ in progress]
        self.assertEqual(percents, sorted(percents))
        self.assertLessEqual(len(progress), 12)
        self.assertGreaterEqual(len(progress), 5)
        self.assertEqual(progress[-1][2], " - dialog closed")
        self.assertTrue(progress[-1][1].endswith(" of 9 MB"), progress[-1])

    def test_ctrl_c_asks_the_cancel_question(self):
        root = self.folder / "www"
        root.mkdir()
        (root / "big.bin").write_bytes(bytes(range(256)) * 8192)  # 2 MiB
        # Slow enough that the interrupt arrives while the file is fetched.
        with loopserver.LoopServer(root, bytes_per_second=256 * 1024) as server:
            script = self.folder / "s.crvdat"
            script.write_bytes(utf16_script(
                [f"download|name=Big|uri={server.url('big.bin')}|file-path=big.bin"]))
            process = subprocess.Popen([str(TAMBER4SIM), str(script), "--machine",
                                        str(self.folder / "machine")], stdin=subprocess.PIPE,
                                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            deadline = time.monotonic() + 30
            while not server.requests and time.monotonic() < deadline:
                time.sleep(0.05)
            self.assertTrue(server.requests, "tamber4sim never asked for the file")
            process.send_signal(signal.SIGINT)
            output, _ = process.communicate(b"y\n", timeout=120)
        text = output.decode("utf-8", "replace")
        self.assertEqual(process.returncode, 2, text[-2000:])
        self.assertIn("Tamber 4 Setup: Do you want to cancel Setup? [y/N]", text)
        self.assertIn("Cancel download dialog displayed, user chose to abort.", text)


if __name__ == "__main__":
    wineharness.main(needs_wine=False)
