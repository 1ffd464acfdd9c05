#!/usr/bin/env python3
"""Downloads with the real Tamber4Setup.exe under Wine's BITS, from a loopback HTTP server
the test starts: a foreground download with the progress dialog read by DialogText, a
background line taken over by a later foreground line, a 404 with the failure box and the
background jobs cancelled, a web script given as an http address, a rerun that finds its
background job by copy-job-id, and a downloaded file named by a special folder that a later
copy-file line uses."""

import pathlib
import shutil
import tempfile
import urllib.parse

import helpertext
import loopserver
import resfile
import spinescenario
import wineharness

TITLE = "Tamber 4 Setup"
FAILURE = "Setup was unable to download a required file."


def payload(size):
    return bytes((i * 7 + 3) % 251 for i in range(size))


class ServedTestCase(spinescenario.SpineTestCase):
    """A scenario with a loopback server of a big (slow) and a small file."""

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


class DownloadTestCase(ServedTestCase):

    def test_foreground_download_shows_the_dialog(self):
        setup = self.run_script("fg.crvdat", [
            f"download|name=Package A|uri={self.server.url('files/big.bin')}|file-path=Downloads\\big.bin"])
        reading = self.scenario.run(self.scenario.helper("DialogText"), "--timeout-ms", "30000")
        done = setup.wait(wineharness.DEFAULT_TIMEOUT)
        output = reading.stdout.decode("ascii", "replace")
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

    def test_background_line_taken_over_by_a_foreground_line(self):
        # The big file is still on its way when the foreground line comes.
        url = self.server.url("files/big.bin")
        setup = self.run_script("bg.crvdat", [
            f"download|name=Big|uri={url}|file-path=taken.bin|background=yes",
            f"download|name=Big|uri={url}|file-path=taken.bin"])
        self.assertEqual(setup.wait(wineharness.DEFAULT_TIMEOUT).returncode, 0)
        first, second = self.lines_of("bg.crvdat")
        self.assertEqual(len(first["copy-job-id"]), 38)
        self.assertEqual((first["result"], second["result"]), ("success", "success"))
        messages = self.messages()
        found = [m for m in messages if m.startswith(f"Found existing copy job with JobID '{first['copy-job-id']}', state ")]
        self.assertEqual(len(found), 1, messages)
        self.assertIn(found[0][-2:], ("0.", "1.", "2."))
        self.assertIn("Existing copy job is running, setting priority to foreground and displaying "
                      "progress dialog.", messages)
        self.assertIn("Setting result for line number 0: 'download' to 'success'.", messages)
        self.assertEqual((self.scenario.working_copy_dir / "taken.bin").read_bytes(),
                         (self.files / "files" / "big.bin").read_bytes())

    def test_missing_file_fails_the_run_and_cancels_background_jobs(self):
        setup = self.run_script("nf.crvdat", [
            f"download|name=Big|uri={self.server.url('files/big.bin')}|file-path=big2.bin|background=yes",
            f"download|name=Missing|uri={self.server.url('files/none.bin')}|file-path=none.bin",
            "# not reached"])
        answer = self.scenario.answer_box(TITLE, FAILURE, "ok")()
        self.assertEqual(answer.code, 0, answer.output)
        self.assertEqual(setup.wait(wineharness.DEFAULT_TIMEOUT).returncode, 2)
        background, missing, rest = self.lines_of("nf.crvdat")
        self.assertNotIn("result", background)
        self.assertEqual(missing["result"], "failure")
        self.assertNotIn("result", rest)
        messages = self.messages()
        self.assertIn("Return code 'fail', canceling BITS download jobs.", messages)
        self.assertIn(f"Cancelling background copy job with source URI "
                      f"'{self.server.url('files/big.bin')}', JobID '{background['copy-job-id']}'.",
                      messages)

    def test_web_script_given_as_an_http_address(self):
        (self.files / "web").mkdir(exist_ok=True)
        (self.files / "web" / "w.crvdat").write_bytes(b"\xff\xfe" + "".join(l + "\r\n" for l in [
            "download|name=Small|uri=../files/small.bin|file-path=%LocalAppDataFolder%\\w.bin|special-folder-name=Web",
            "copy-file|source=%Web%|target=C:\\Copied\\"]).encode("utf-16-le"))
        address = self.server.url("web/w.crvdat")
        result = self.scenario.run_setup(address)
        self.assertEqual(result.returncode, 0)
        lines = self.lines_of("w.crvdat")
        self.assertEqual(lines[0][""], "self")
        self.assertEqual(lines[1]["uri"], self.server.url("web/../files/small.bin"))
        self.assertEqual(lines[1]["result"], "success")
        self.assertEqual(lines[2]["result"], "success")
        self.assertEqual((self.scenario.drive_c / "Copied" / "w.bin").read_bytes(),
                         (self.files / "files" / "small.bin").read_bytes())
        self.assertIn(f"Downloading web script from '{address}', writing to "
                      f"'C:\\users\\{self.scenario.user}\\AppData\\Local\\Tamber4\\Install\\w.crvdat'.",
                      self.messages())

    def test_rerun_finds_the_background_job_by_its_id(self):
        url = self.server.url("files/big.bin")
        first = self.run_script("re.crvdat", [f"download|name=Big|uri={url}|file-path=re.bin|background=yes"])
        self.assertEqual(first.wait(wineharness.DEFAULT_TIMEOUT).returncode, 0)
        job_id = self.lines_of("re.crvdat")[0]["copy-job-id"]
        # The working copy runs again in the same Wine session, where the job still lives.
        copy = f"C:\\users\\{self.scenario.user}\\AppData\\Local\\Tamber4\\Install\\re.crvdat"
        self.assertEqual(self.scenario.run_setup(copy).returncode, 0)
        self.assertIn(f"Found existing copy job with JobID '{job_id}'.", self.messages())
        self.assertEqual(self.lines_of("re.crvdat")[0]["copy-job-id"], job_id)

    def test_default_web_script_from_string_131(self):
        # The loopback variant of the exe: string 131 names a script on this machine.
        exe = wineharness.windows_build_file("Tamber4SetupLoopback.exe")
        address = resfile.string_from_tables(resfile.read_resources(exe), 131)[0]  # the neutral language
        url = urllib.parse.urlsplit(address)
        self.assertEqual(url.hostname, "127.0.0.1")
        root = self.files / "default"
        script = root / url.path.lstrip("/")
        script.parent.mkdir(parents=True, exist_ok=True)
        (script.parent / "pkg.bin").write_bytes(payload(1000))
        script.write_bytes(b"\xff\xfe" + "download|name=Pkg|uri=pkg.bin|file-path=pkg.bin\r\n".encode("utf-16-le"))
        folder = self.scenario.unix_path("C:\\Tamber4Loop")
        folder.mkdir(exist_ok=True)
        shutil.copy2(exe, folder / "Tamber4Setup.exe")
        with loopserver.LoopServer(root, port=url.port) as server:
            result = self.scenario.run(folder / "Tamber4Setup.exe")
        self.assertEqual(result.returncode, 0)
        name = url.path.rsplit("/", 1)[1]
        lines = self.lines_of(name)
        self.assertEqual(lines[0][""], "self")
        self.assertEqual(lines[1]["uri"], address.rsplit("/", 1)[0] + "/pkg.bin")
        self.assertEqual(lines[1]["result"], "success")
        self.assertIn(("GET", url.path.lstrip("/")), server.requests)
        self.assertIn("No script specified on command line, downloading script.", self.messages())


class CancelTestCase(ServedTestCase):
    """The user cancels in the dialog. Measured: after a transferring job was suspended (the
    cancel question) and then cancelled, Wine's BITS left the next job of that Wine session
    queued for ever (a background job cancelled at the end of a failed run does not do
    this), so this scenario has a prefix of its own."""

    def test_cancel_in_the_dialog_with_yes_fails_the_run(self):
        setup = self.run_script("cancel.crvdat", [
            f"download|name=Big|uri={self.server.url('files/big.bin')}|file-path=cancel.bin"])
        pressing = self.scenario.run(self.scenario.helper("DialogText"), "--press", "cancel")
        self.assertEqual(pressing.returncode, 0, pressing.stdout)
        question = self.scenario.answer_box(TITLE, "Do you want to cancel Setup?", "yes")()
        self.assertEqual(question.code, 0, question.output)
        failure = self.scenario.answer_box(TITLE, FAILURE, "ok")()
        self.assertEqual(failure.code, 0, failure.output)
        self.assertEqual(setup.wait(wineharness.DEFAULT_TIMEOUT).returncode, 2)
        self.assertEqual(self.lines_of("cancel.crvdat")[0]["result"], "failure")
        self.assertIn("Cancel download dialog displayed, user chose to abort.", self.messages())
        self.assertFalse((self.scenario.working_copy_dir / "cancel.bin").exists())


class DisabledServiceTestCase(spinescenario.SpineTestCase):
    """BITS disabled in the Wine prefix (its service key's Start set to 4): Wine then refuses
    the manager with 0x80040154 (class not registered; wine-notes measured 0x80070002 for a
    service disabled another way), never with Windows' 0x80070422 (service disabled). Neither
    ends in 1058, so the web script's recovery through an elevated instance is not started
    and the download fails as any COM error does: logged, the failure box, status 2."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.scenario.reg_add(r"HKLM\System\CurrentControlSet\Services\BITS", "Start", 4)
        cls.scenario.end()  # the service manager reads the configuration when it starts

    def test_web_script_with_the_service_disabled(self):
        setup = self.scenario.start(self.scenario.setup_exe, "http://127.0.0.1:9/web/w.crvdat")
        answer = self.scenario.answer_box(TITLE, FAILURE, "ok")()
        self.assertEqual(answer.code, 0, answer.output)
        self.assertEqual(setup.wait(wineharness.DEFAULT_TIMEOUT).returncode, 2)
        messages = [m[2] for m in self.log_messages()]
        errors = [m for m in messages if m.startswith("COM error '0x")]
        self.assertEqual(len(errors), 1, messages)
        self.assertTrue(errors[0].startswith("COM error '0x80040154'"), errors[0])
        self.assertNotIn("The BITS service is disabled, spawing an elevated instance to enable it.",
                         messages)


if __name__ == "__main__":
    wineharness.main()
