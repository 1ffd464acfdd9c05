"""What the log's end-to-end tests share: a scenario with Tamber4Setup.exe and the Hold
helper installed, scripts run from beside the exe, the log file read strictly (UTF-8 without
byte-order mark, CR LF line ends, TAB-separated fields), the log's registry configuration,
and the gates that keep a program waiting at a known point."""

import dataclasses
import datetime
import re
import shutil
import time

import wineharness

EXE_FOLDER = "C:\\Tamber4Test"
HOLD = EXE_FOLDER + "\\Hold.exe"
LOG_NAME = "TAMBER4SETUP.log"
BASE_KEY = r"HKEY_CURRENT_USER\Software\Tamber4\Logging"
PROGRAM_KEY = BASE_KEY + r"\TAMBER4SETUP.EXE"
COLUMNS_KEY = PROGRAM_KEY + r"\Columns"
DEFAULT_COLUMNS = ["DateTime", "ThreadID", "Severity", "Category", "Message"]

DATE_TIME = re.compile(r"\d{4}-(0[1-9]|1[0-2])-(0[1-9]|[12]\d|3[01])T([01]\d|2[0-3]):[0-5]\d:[0-5]\dZ")
HEX_ID = re.compile(r"0x[1-9A-F][0-9A-F]*")
GATE_TIMEOUT = 60  # seconds a test waits for a program to reach its gate


class LogFormatError(AssertionError):
    """A log file that breaks the file format."""


@dataclasses.dataclass
class Log:
    started: str     # the time of the "Logging started" line
    columns: list    # the names of the column-name line
    rows: list       # one dict per line: column name -> field
    text: str        # the whole file


def read_log(path):
    """Reads a log file, checking its format: no byte-order mark, the "Logging started"
    block, the column-name line, every line ended by CR LF and free of other CR or LF, and as
    many fields on every line as there are columns."""
    data = path.read_bytes()
    if data.startswith(b"\xef\xbb\xbf"):
        raise LogFormatError(f"{path} starts with a byte-order mark")
    text = data.decode("utf-8")
    if not text.endswith("\r\n"):
        raise LogFormatError(f"{path} does not end with CR LF: {text[-40:]!r}")
    lines = text[:-2].split("\r\n")
    for line in lines:
        if "\r" in line or "\n" in line:
            raise LogFormatError(f"a bare CR or LF in {line!r}")
    match = re.fullmatch(r"Logging started: (.*)", lines[1]) if len(lines) > 3 else None
    if lines[0] != "" or not match or lines[2] != "":
        raise LogFormatError(f"no 'Logging started' block: {lines[:4]!r}")
    columns = lines[3].split("\t")
    rows = []
    for line in lines[4:]:
        fields = line.split("\t")
        if len(fields) != len(columns):
            raise LogFormatError(f"{len(fields)} fields instead of {len(columns)}: {line!r}")
        rows.append(dict(zip(columns, fields)))
    return Log(match.group(1), columns, rows, text)


def utc_now_text():
    """The current UTC time in the log's form, to the second."""
    return datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")


def wait_for_file(path, running, timeout=GATE_TIMEOUT):
    """Waits until `path` exists; fails when `running` (a Background) ends first or the time
    runs out."""
    deadline = time.monotonic() + timeout
    while not path.exists():
        if not running.running():
            result = running.wait(1)
            raise AssertionError(f"{running.command} ended with {result.returncode} "
                                 f"before {path.name} appeared")
        if time.monotonic() > deadline:
            raise AssertionError(f"{path.name} did not appear within {timeout} s")
        time.sleep(0.02)


class LogTestCase(wineharness.ScenarioTestCase):
    """Scenarios that run Tamber4Setup.exe from C:\\Tamber4Test with a clean log and working
    copy folder for each test."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.scenario.install_setup(EXE_FOLDER)
        shutil.copy2(cls.scenario.helper("Hold"), cls.scenario.unix_path(HOLD))

    def setUp(self):
        for folder in (self.scenario.log_dir, self.documents_log_dir(),
                       self.scenario.working_copy_dir):
            shutil.rmtree(folder, ignore_errors=True)

    def documents_log_dir(self):
        return self.scenario.documents_dir / "Tamber Log Files"

    def exe_folder_file(self, name):
        return self.scenario.unix_path(EXE_FOLDER + "\\" + name)

    def put_script(self, name, lines):
        """Writes a script beside the exe; returns its Windows path."""
        self.scenario.put_utf16_file(self.exe_folder_file(name),
                                     "".join(line + "\r\n" for line in lines))
        return EXE_FOLDER + "\\" + name

    def run_script(self, name, lines):
        """Writes and runs a script to its end; returns the exit code."""
        return self.scenario.run_setup(self.put_script(name, lines)).returncode

    def start_script(self, name, lines):
        """Writes a script and starts the exe on it without waiting; returns a Background."""
        return self.scenario.start(self.scenario.setup_exe, self.put_script(name, lines))

    def working_copy_results(self, name):
        """The `result` of every line of a working copy."""
        text = wineharness.read_utf16(self.scenario.working_copy_dir / name)
        return [dict(field.partition("=")[::2] for field in line.split("|")[1:]).get("result")
                for line in text.split("\r\n") if line]

    # -- gates: a Hold.exe that waits until its marker file is deleted --

    def gate_line(self, marker):
        """A script line that runs Hold.exe with `marker` and waits for it to be released."""
        return f"execute|program={HOLD}|arg1={EXE_FOLDER}\\{marker}|wait=yes"

    def marker(self, name):
        return self.exe_folder_file(name)

    def hold_file(self, marker, windows_path):
        """Starts Hold.exe keeping `windows_path` open for writing without write sharing;
        returns once it holds the file. Release it with release(marker)."""
        holder = self.scenario.start(self.scenario.unix_path(HOLD),
                                     f"{EXE_FOLDER}\\{marker}", windows_path)
        wait_for_file(self.marker(marker), holder)
        return holder

    def release(self, marker):
        self.marker(marker).unlink()
