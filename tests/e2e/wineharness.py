"""Runs the real Windows build under Wine for the end-to-end tests.

A template prefix is made once per test run (make_template.py, the CTest fixture); every
scenario works in its own copy of it, so tests can run side by side. Wine runs headless: no
X display, the null display driver (message boxes and dialogs run and block until a helper
answers them).

Locations come from the environment that CTest sets, with defaults for a run by hand from
the source tree:
  TAMBER4_SOURCE_DIR          the source tree
  TAMBER4_WINDOWS_BUILD_DIR   the mingw-w64 build (Tamber4Setup.exe, the helper programs)
  TAMBER4_E2E_DIR             where the template and the scenario prefixes live
  TAMBER4_E2E_KEEP=1          keep every scenario prefix (by default only failed ones stay)
"""

import contextlib
import fcntl
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

import helpertext
import regfile

SKIP_RETURN_CODE = 77  # CTest's SKIP_RETURN_CODE for these tests

_HERE = pathlib.Path(__file__).resolve().parent
SOURCE_DIR = pathlib.Path(os.environ.get("TAMBER4_SOURCE_DIR", _HERE.parents[1]))
WINDOWS_BUILD_DIR = pathlib.Path(
    os.environ.get("TAMBER4_WINDOWS_BUILD_DIR", SOURCE_DIR / "build" / "mingw-x64"))
E2E_DIR = pathlib.Path(os.environ.get("TAMBER4_E2E_DIR", SOURCE_DIR / "build" / "host" / "e2e"))
TEMPLATE_DIR = E2E_DIR / "template"
SCENARIOS_DIR = E2E_DIR / "scenarios"
_TEMPLATE_DONE = TEMPLATE_DIR / ".template-complete"

SETUP_EXE = "Tamber4Setup.exe"
HELPERS = "tests/e2e/helpers"
DEFAULT_TIMEOUT = 120  # seconds for one Wine program
SERVER_LINGER_SECONDS = 120  # a scenario's wineserver outlives its last program this long


class HarnessError(Exception):
    """The harness could not do what a test asked (a missing build file, a Wine failure)."""


# ---------------------------------------------------------------------------------------
# Wine availability, build files, environment


def wine_missing_reason():
    """Why Wine cannot run here, or None when it can."""
    for tool in ("wine", "wineserver", "wineboot"):
        if shutil.which(tool) is None:
            return f"'{tool}' is not installed (Debian packages wine and wine64)"
    return None


def skip_unless_wine():
    """Ends the process with CTest's skip code, saying why, when Wine is absent."""
    reason = wine_missing_reason()
    if reason:
        print(f"SKIP: {reason}; end-to-end tests under Wine cannot run.")
        sys.exit(SKIP_RETURN_CODE)


def windows_build_file(relative):
    """A file of the Windows build. Missing is a failure: build the mingw-x64 preset first."""
    path = WINDOWS_BUILD_DIR / relative
    if not path.is_file():
        raise HarnessError(f"{path} is missing: build the Windows tree first "
                           f"(cmake --preset mingw-x64 && cmake --build --preset mingw-x64)")
    return path


def wine_environment(prefix, extra=None):
    """The environment for Wine in `prefix`: quiet, no Mono or Gecko installer, no display,
    a home folder of its own, C.UTF-8 unless `extra` sets another locale."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update({
        "WINEPREFIX": str(prefix),
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "HOME": str(prefix / "home"),
        "LANG": "C.UTF-8",
        "LC_ALL": "C.UTF-8",
    })
    env.update(extra or {})
    return env


def _run(command, env, timeout, cwd):
    """Runs a command and waits for it alone. Its output goes to files, not pipes: the Wine
    services that a call starts inherit the output handles and outlive the call, and a pipe
    would stay open until the session ends."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        try:
            process = subprocess.run(command, env=env, cwd=cwd, timeout=timeout,
                                     stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        except subprocess.TimeoutExpired as expired:
            raise HarnessError(f"{command} did not finish within {timeout} s") from expired
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(command, process.returncode, out.read(), err.read())


def end_wine_session(env, cwd):
    """Kills every process of the prefix's Wine session and waits until the server has gone,
    which also writes the registry files."""
    _run(["wineserver", "-k"], env, 60, cwd)
    _run(["wineserver", "-w"], env, 60, cwd)


# ---------------------------------------------------------------------------------------
# The template prefix


def wine_user(prefix):
    """The Windows user name of a prefix: its folder under drive_c/users."""
    users = [p.name for p in (prefix / "drive_c" / "users").iterdir()
             if p.is_dir() and p.name != "Public"]
    if len(users) != 1:
        raise HarnessError(f"expected one user folder in {prefix}, found {users}")
    return users[0]


def _replace_links_with_folders(prefix):
    """A new prefix links Desktop, Documents, ... to the Unix home folder; tests must not
    write there, so each link becomes a plain folder of the prefix."""
    profile = prefix / "drive_c" / "users" / wine_user(prefix)
    for entry in profile.iterdir():
        if entry.is_symlink():
            entry.unlink()
            entry.mkdir()


def make_template():
    """Makes the template prefix afresh and returns the seconds it took. Also removes the
    scenario prefixes a previous run left."""
    start = time.monotonic()
    if SCENARIOS_DIR.is_dir():
        for prefix in SCENARIOS_DIR.iterdir():
            end_wine_session(wine_environment(prefix), SCENARIOS_DIR)
    shutil.rmtree(SCENARIOS_DIR, ignore_errors=True)
    shutil.rmtree(TEMPLATE_DIR, ignore_errors=True)
    (TEMPLATE_DIR / "home").mkdir(parents=True)
    env = wine_environment(TEMPLATE_DIR)
    cwd = TEMPLATE_DIR
    boot = _run(["wineboot", "-i"], env, 300, cwd)
    end_wine_session(env, cwd)
    if boot.returncode != 0 or not (TEMPLATE_DIR / "system.reg").is_file():
        raise HarnessError(f"wineboot failed ({boot.returncode}): "
                           f"{boot.stderr.decode(errors='replace')}")
    # The null display driver: message boxes and dialogs work without any X server. Set it
    # in a session of its own, since the display mode must not change within a session.
    graphics = _run(["wine", "reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Graphics",
                     "/d", "null", "/f"], env, 120, cwd)
    end_wine_session(env, cwd)
    if graphics.returncode != 0:
        raise HarnessError(f"setting the null display driver failed: {graphics.stderr!r}")
    _replace_links_with_folders(TEMPLATE_DIR)
    _TEMPLATE_DONE.write_text("complete\n")
    return time.monotonic() - start


def ensure_template():
    """Makes the template prefix unless a complete one exists (a test run by hand outside
    CTest gets one too). Safe when several tests start at once."""
    E2E_DIR.mkdir(parents=True, exist_ok=True)
    with open(E2E_DIR / ".template.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not _TEMPLATE_DONE.is_file():
            make_template()


# ---------------------------------------------------------------------------------------
# Scenarios


class Background:
    """A program running beside the test, its output going to files (see _run)."""

    def __init__(self, command, env, cwd):
        self.command = command
        self._out = tempfile.TemporaryFile()
        self._err = tempfile.TemporaryFile()
        self._process = subprocess.Popen(command, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                                         stdout=self._out, stderr=self._err)

    def running(self):
        return self._process.poll() is None

    def wait(self, timeout):
        """Waits for the program to end; returns a CompletedProcess with its output."""
        try:
            code = self._process.wait(timeout=timeout)
        except subprocess.TimeoutExpired as expired:
            raise HarnessError(f"{self.command} did not end within {timeout} s") from expired
        self._out.seek(0)
        self._err.seek(0)
        return subprocess.CompletedProcess(self.command, code, self._out.read(), self._err.read())

    def close(self):
        """Waits briefly for a program whose session has ended, then lets its files go."""
        with contextlib.suppress(subprocess.TimeoutExpired):
            self._process.wait(timeout=30)
        if self._process.poll() is None:
            self._process.kill()
            self._process.wait()
        self._out.close()
        self._err.close()


class Scenario:
    """One scenario's own Wine prefix, copied from the template; use it as a context manager.
    Entering copies the prefix and starts a persistent wineserver; leaving ends the Wine
    session and removes the prefix, unless the scenario failed or TAMBER4_E2E_KEEP is set."""

    def __init__(self, name, env=None):
        self.name = name
        self.prefix = SCENARIOS_DIR / name
        self.extra_env = dict(env or {})
        self.copy_seconds = None
        self.user = None
        self.setup_exe = None
        self._background = []

    # -- lifecycle --

    def __enter__(self):
        ensure_template()
        shutil.rmtree(self.prefix, ignore_errors=True)
        self.prefix.parent.mkdir(parents=True, exist_ok=True)
        start = time.monotonic()
        subprocess.run(["cp", "-a", "--reflink=auto", str(TEMPLATE_DIR), str(self.prefix)],
                       check=True)
        self.copy_seconds = time.monotonic() - start
        print(f"[{self.name}] prefix copied in {self.copy_seconds:.2f} s", flush=True)
        self.user = wine_user(self.prefix)
        # Keeps the server up between the calls of the scenario (a warm call is much faster),
        # but not for ever should the test be killed before it ends the session.
        subprocess.run(["wineserver", f"-p{SERVER_LINGER_SECONDS}"], env=self.env(),
                       cwd=self.prefix, check=True, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self

    def __exit__(self, kind, error, trace):
        self.close(keep=kind is not None)
        return False

    def close(self, keep=False):
        """Ends the Wine session and removes the prefix, unless `keep` (a failed scenario, to
        look into) or TAMBER4_E2E_KEEP is set."""
        self.end()
        if keep:
            print(f"[{self.name}] prefix kept for inspection: {self.prefix}", flush=True)
        elif not os.environ.get("TAMBER4_E2E_KEEP"):
            shutil.rmtree(self.prefix, ignore_errors=True)

    def end(self):
        """Ends the Wine session: every process still running in the prefix is killed."""
        end_wine_session(self.env(), self.prefix)
        for background in self._background:
            background.close()
        self._background.clear()

    def env(self):
        return wine_environment(self.prefix, self.extra_env)

    # -- paths --

    @property
    def drive_c(self):
        return self.prefix / "drive_c"

    @property
    def profile_dir(self):
        return self.drive_c / "users" / self.user

    @property
    def local_app_data_dir(self):
        return self.profile_dir / "AppData" / "Local"

    @property
    def working_copy_dir(self):
        """Where the bootstrapper writes its working copies (Tamber4\\Install\\)."""
        return self.local_app_data_dir / "Tamber4" / "Install"

    @property
    def temp_dir(self):
        return self.profile_dir / "Temp"

    @property
    def documents_dir(self):
        return self.profile_dir / "Documents"

    @property
    def log_dir(self):
        """The default log folder: "Tamber Log Files" in the temporary folder."""
        return self.temp_dir / "Tamber Log Files"

    def windows_path(self, path):
        """The Windows name of a Unix path: C:\\... inside the prefix's drive, Z:\\... else."""
        path = pathlib.Path(path).resolve()
        try:
            relative = path.relative_to(self.drive_c.resolve())
            return "C:\\" + "\\".join(relative.parts)
        except ValueError:
            return "Z:" + str(path).replace("/", "\\")

    def unix_path(self, windows_path):
        """The Unix path of a C:\\ path of the prefix."""
        if not windows_path[:3].upper() == "C:\\":
            raise HarnessError(f"not a C: path: {windows_path}")
        return self.drive_c.joinpath(*[p for p in windows_path[3:].split("\\") if p])

    # -- files --

    def install_setup(self, folder="C:\\Tamber4Test"):
        """Copies Tamber4Setup.exe into `folder` of the prefix, where run_setup runs it and
        where files beside it go (e.g. Setup\\Tamber4DiscScript.crvdat); returns its path."""
        target = self.unix_path(folder)
        target.mkdir(parents=True, exist_ok=True)
        self.setup_exe = target / SETUP_EXE
        shutil.copy2(windows_build_file(SETUP_EXE), self.setup_exe)
        return self.setup_exe

    def run_setup(self, *args, timeout=DEFAULT_TIMEOUT):
        """Runs the installed Tamber4Setup.exe (install_setup first) with arguments; returns
        the CompletedProcess (exit codes 0 to 4 come through whole)."""
        if self.setup_exe is None:
            raise HarnessError("install_setup() first")
        return self.run(self.setup_exe, *args, timeout=timeout)

    def put_file(self, path, content):
        """Writes `content` (bytes) to a Unix path, making its folders."""
        path = pathlib.Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(content)
        return path

    def put_utf16_file(self, path, text, bom=True):
        """Writes `text` as UTF-16LE (as install scripts are), with a byte-order mark."""
        return self.put_file(path, (b"\xff\xfe" if bom else b"") + text.encode("utf-16-le"))

    # -- programs --

    def run(self, program, *args, timeout=DEFAULT_TIMEOUT, env=None):
        """Runs a Windows program (a Unix path) with arguments and waits for it, with `env`
        added to the scenario's environment. Returns the CompletedProcess; its returncode
        holds the low 8 bits of the exit code."""
        command = ["wine", self.windows_path(program), *args]
        return _run(command, dict(self.env(), **(env or {})), timeout, self.prefix)

    def start(self, program, *args):
        """Starts a Windows program without waiting; returns a Background to wait on. Every
        program still running is killed when the scenario ends."""
        background = Background(["wine", self.windows_path(program), *args], self.env(),
                                self.prefix)
        self._background.append(background)
        return background

    def helper(self, name):
        """A helper program of the Windows build, e.g. "BoxAnswer"."""
        return windows_build_file(f"{HELPERS}/{name}.exe")

    def answer_box(self, title, text, press, timeout_ms=30000):
        """Starts BoxAnswer to answer the next message box; returns a callable that waits for
        it and gives a BoxAnswerResult. Call it after running the program that shows the box."""
        escape = helpertext.escape_argument
        process = self.start(self.helper("BoxAnswer"), "--title", escape(title),
                             "--text", escape(text), "--press", press,
                             "--timeout-ms", str(timeout_ms))

        def wait():
            result = process.wait(timeout_ms / 1000 + 60)
            output = result.stdout.decode("ascii", "replace")
            return helpertext.box_answer_result(result.returncode, output)

        return wait

    def format_messages(self, module, requests):
        """Formats messages of `module`'s message table as Windows does, through MsgDump:
        `requests` is a list of (id, language); returns {(id, language): (error, text)} with
        error 0 and the formatted text, or the last error and ''."""
        output = self.drive_c / "harness-messages.txt"
        arguments = [f"{message_id}:{language:#x}" for message_id, language in requests]
        result = self.run(self.helper("MsgDump"), self.windows_path(module),
                          self.windows_path(output), *arguments)
        if result.returncode != 0:
            raise HarnessError(f"MsgDump failed ({result.returncode}): {result.stderr!r}")
        records = helpertext.parse_message_dump(output.read_bytes())
        output.unlink()
        return records

    # -- registry --

    def reg_add(self, key, name, value):
        """Sets one ASCII value with `reg add`: str gives REG_SZ, int REG_DWORD."""
        if isinstance(value, bool) or not isinstance(value, (str, int)):
            raise HarnessError(f"reg_add takes str or int, not {value!r}")
        kind, data = ("REG_DWORD", str(value & 0xFFFFFFFF)) if isinstance(value, int) \
            else ("REG_SZ", value)
        if not (key + name + data).isascii():
            raise HarnessError("reg add mangles non-ASCII text: use import_registry")
        result = self.run_wine_tool("reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f")
        if result.returncode != 0:
            raise HarnessError(f"reg add {key} {name} failed: {result.stdout!r} {result.stderr!r}")

    def import_registry(self, key, values):
        """Sets values of any text through regedit /S and a UTF-16LE .reg file. `key` is
        written out in full, e.g. HKEY_CURRENT_USER\\Software\\Tamber4."""
        reg = self.put_utf16_file(self.drive_c / "harness-import.reg",
                                  regfile.reg_file_text(key, values))
        result = self.run_wine_tool("regedit", "/S", self.windows_path(reg))
        reg.unlink()
        if result.returncode != 0:
            raise HarnessError(f"regedit /S failed: {result.stderr!r}")

    def export_registry(self, key):
        """{key path: {name: value}} for `key` and its subkeys (regedit /E); {} when the key
        does not exist. `key` is written out in full."""
        reg = self.drive_c / "harness-export.reg"
        with contextlib.suppress(FileNotFoundError):
            reg.unlink()
        self.run_wine_tool("regedit", "/E", self.windows_path(reg), key)
        if not reg.is_file():
            return {}
        data = reg.read_bytes()
        reg.unlink()
        return regfile.parse_reg_file(data.decode("utf-16"))

    def registry_values(self, key):
        """The values of exactly `key`, or None when it does not exist."""
        return self.export_registry(key).get(key)

    def run_wine_tool(self, *command, timeout=DEFAULT_TIMEOUT):
        """Runs one of Wine's own programs (reg, regedit, ...). Wine now and then fails to
        start one ("ShellExecuteEx failed: Internal error") before it has done anything; that
        start is tried again, twice at most."""
        for attempt in range(3):
            result = _run(["wine", *command], self.env(), timeout, self.prefix)
            output = result.stdout + result.stderr
            if result.returncode == 0 or b"ShellExecuteEx failed" not in output:
                return result
            time.sleep(0.5 * (attempt + 1))
        return result


class ScenarioTestCase(unittest.TestCase):
    """Test cases that share one scenario (one prefix), started before the first of them and
    ended after the last; the prefix is kept when any of them failed. Subclasses may set
    `scenario_name` (default: the class name) and `scenario_env`."""

    scenario_name = None
    scenario_env = None

    @classmethod
    def setUpClass(cls):
        cls._failed = False
        cls.scenario = Scenario(cls.scenario_name or cls.__name__, cls.scenario_env)
        cls.scenario.__enter__()
        # Runs after the last test, and also when a subclass's setUpClass fails after this.
        cls.addClassCleanup(lambda: cls.scenario.close(keep=cls._failed))

    def run(self, result=None):
        result = result if result is not None else self.defaultTestResult()
        problems = len(result.failures) + len(result.errors)
        outcome = super().run(result)
        if len(result.failures) + len(result.errors) > problems:
            type(self)._failed = True
        return outcome


# ---------------------------------------------------------------------------------------
# Files


def read_utf16(path):
    """A UTF-16LE file's text, without its byte-order mark."""
    data = pathlib.Path(path).read_bytes()
    if data.startswith(b"\xff\xfe"):
        data = data[2:]
    return data.decode("utf-16-le")


def read_utf8(path):
    """A UTF-8 file's text, without a byte-order mark; line ends are kept as they are."""
    return pathlib.Path(path).read_bytes().decode("utf-8-sig")


# ---------------------------------------------------------------------------------------
# Entry point of a test file


def main(needs_wine=True):
    """Runs the calling file's unittest cases; exits with CTest's skip code, after saying
    why, when the tests need Wine and it is not installed."""
    if needs_wine:
        skip_unless_wine()
    unittest.main(module="__main__", verbosity=2)
