"""What the session's end-to-end tests share: a scenario with Tamber4Setup.exe installed,
its working copies and the messages of its log."""

import re
import shutil

import wineharness

EXE_FOLDER = "C:\\Tamber4Test"


def parse_line(text):
    """The parameters of a script line (the command under the empty name), unescaped."""
    fields = {}
    for index, field in enumerate(text.split("|")):
        name, _, value = field.partition("=") if index else ("", "", field)
        fields[_unescape(name)] = _unescape(value)
    return fields


def _unescape(text):
    return re.sub("%([0-9A-Fa-f]{2})", lambda m: chr(int(m.group(1), 16)), text)


class SpineTestCase(wineharness.ScenarioTestCase):
    """Scenarios that run Tamber4Setup.exe from C:\\Tamber4Test with a clean working copy
    folder and log for each test."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.scenario.install_setup(EXE_FOLDER)

    def setUp(self):
        shutil.rmtree(self.scenario.working_copy_dir, ignore_errors=True)
        shutil.rmtree(self.scenario.log_dir, ignore_errors=True)
        for name in ("Setup", "Tamber4UpdateScript.crvdat", "my.crvdat"):
            path = self.scenario.unix_path(EXE_FOLDER) / name
            if path.is_dir():
                shutil.rmtree(path)
            elif path.exists():
                path.unlink()

    def beside_exe(self, relative):
        """The Unix path of a file beside the exe, e.g. "Setup\\Tamber4DiscScript.crvdat"."""
        return self.scenario.unix_path(EXE_FOLDER + "\\" + relative)

    def working_copy(self, name):
        return self.scenario.working_copy_dir / name

    def working_copy_lines(self, name):
        """The lines of a working copy; it must start with a byte-order mark and end every
        line with CR LF."""
        data = self.working_copy(name).read_bytes()
        self.assertEqual(data[:2], b"\xff\xfe")
        text = data[2:].decode("utf-16-le")
        self.assertTrue(text == "" or text.endswith("\r\n"), repr(text[-20:]))
        return text.split("\r\n")[:-1]

    def log_messages(self):
        """(severity, category, message) of each line of the default log."""
        text = wineharness.read_utf8(self.scenario.log_dir / "TAMBER4SETUP.log")
        messages = []
        for line in text.split("\r\n"):
            fields = line.split("\t")
            if len(fields) == 5 and fields[0] != "DateTime":
                messages.append(tuple(fields[2:]))
        return messages
