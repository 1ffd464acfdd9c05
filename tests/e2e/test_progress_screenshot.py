#!/usr/bin/env python3
"""A picture of the real progress dialog: Tamber4Setup.exe downloads a file slowly from a
loopback server under Wine on a virtual X display (Xvfb), DialogText copies the dialog's
pixels, and the test writes them as progress-dialog.png into the build folder, so that a
person can see what users see. The picture must show a window, not a blank area."""

import os
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zlib

import loopserver
import spinescenario
import wineharness

DISPLAY_NUMBER = 97
PICTURE = wineharness.E2E_DIR / "progress-dialog.png"


def bmp_to_png(bmp):
    """A 24-bit bottom-up BMP as PNG bytes, and the number of distinct colours in it."""
    offset, = struct.unpack_from("<I", bmp, 10)
    width, height = struct.unpack_from("<ii", bmp, 18)
    stride = (width * 3 + 3) & ~3
    rows, colours = [], set()
    for y in range(height - 1, -1, -1):
        row = bmp[offset + y * stride: offset + y * stride + width * 3]
        rgb = bytearray()
        for x in range(0, len(row), 3):
            pixel = (row[x + 2], row[x + 1], row[x])
            colours.add(pixel)
            rgb += bytes(pixel)
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
           chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))
    return png, len(colours), (width, height)


class ProgressScreenshot(spinescenario.SpineTestCase):
    scenario_env = {"DISPLAY": f":{DISPLAY_NUMBER}"}

    @classmethod
    def setUpClass(cls):
        if shutil.which("Xvfb") is None:
            raise unittest.SkipTest("Xvfb is not installed (Debian package xvfb)")
        cls.xvfb = subprocess.Popen(["Xvfb", f":{DISPLAY_NUMBER}", "-screen", "0", "800x600x24",
                                     "-nolisten", "tcp"], stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        cls.addClassCleanup(cls._stop_xvfb)
        time.sleep(1)
        super().setUpClass()
        # The real X driver, and no window manager's decorations to wait for.
        cls.scenario.reg_add(r"HKCU\Software\Wine\Drivers", "Graphics", "x11")
        cls.scenario.reg_add(r"HKCU\Software\Wine\X11 Driver", "Managed", "N")
        cls.scenario.end()  # the display driver is chosen again by the next session

    @classmethod
    def _stop_xvfb(cls):
        cls.xvfb.terminate()
        try:
            cls.xvfb.wait(timeout=10)
        except subprocess.TimeoutExpired:
            cls.xvfb.kill()
            cls.xvfb.wait()

    def test_picture_of_the_progress_dialog(self):
        with tempfile.TemporaryDirectory() as files:
            root = pathlib.Path(files)
            (root / "Tamber4Client.msi").write_bytes(bytes(range(256)) * 16384)  # 4 MiB
            with loopserver.LoopServer(root, bytes_per_second=512 * 1024) as server:
                self.scenario.put_utf16_file(self.beside_exe("shot.crvdat"),
                    f"download|name=Tamber 4 Client|uri={server.url('Tamber4Client.msi')}|"
                    f"file-path=Tamber4Client.msi\r\n")
                setup = self.scenario.start(self.scenario.setup_exe,
                                            spinescenario.EXE_FOLDER + "\\shot.crvdat")
                shot = self.scenario.drive_c / "shot.bmp"
                reading = self.scenario.run(self.scenario.helper("DialogText"), "--timeout-ms",
                                            "30000", "--screenshot", "C:\\shot.bmp")
                self.assertEqual(reading.returncode, 0, reading.stdout)
                self.assertEqual(setup.wait(wineharness.DEFAULT_TIMEOUT).returncode, 0)
        png, colours, size = bmp_to_png(shot.read_bytes())
        PICTURE.write_bytes(png)
        print(f"progress dialog {size[0]}x{size[1]}, {colours} colours: {PICTURE}")
        self.assertGreater(size[0], 300)
        self.assertGreater(size[1], 80)
        self.assertGreater(colours, 3, "a blank picture")


if __name__ == "__main__":
    wineharness.main()
