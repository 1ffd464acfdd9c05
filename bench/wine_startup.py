#!/usr/bin/env python3
"""Prints how long Tamber4Setup.exe takes under Wine to run an empty script, against a GUI
program that does nothing (bench/wine/HelloWorld.cpp), against one that does nothing but
import the same system DLLs (the e2e helper LoadByName.exe), and against one that only asks
Shell32 for the two folders every run asks for (bench/wine/ShellFolders.cpp), all started in turn from a warm
Wine session of one prefix; and the DLLs each of them loads, so that what start-up loads
before it needs it can be seen. A figure, not a test: nothing is asserted.

  bench/wine_startup.py [--runs N]

Needs the host and mingw-x64 builds (the e2e template prefix is made under build/host/e2e
when missing)."""

import argparse
import os
import pathlib
import re
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import wineharness  # noqa: E402

FOLDER = "C:\\Bench"


def one_run(scenario, program, args):
    """Wall and processor seconds of one run of `program` (the Wine process's own time, the
    server's not counted), which must succeed."""
    command = ["wine", scenario.windows_path(program), *args]
    start = time.perf_counter()
    process = subprocess.Popen(command, env=scenario.env(), cwd=scenario.prefix,
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        raise SystemExit(f"{program} ended with {os.waitstatus_to_exitcode(status)}")
    return wall, usage.ru_utime + usage.ru_stime


def timed_runs(scenario, programs, runs):
    """Each program's (wall, processor) seconds over `runs` runs, taken in turn so that a
    busy moment of the machine falls on all of them alike; one warm-up run each first."""
    for program, args in programs.values():
        one_run(scenario, program, args)
    times = {name: [] for name in programs}
    for _ in range(runs):
        for name, (program, args) in programs.items():
            times[name].append(one_run(scenario, program, args))
    return times


def loaded_dlls(scenario, program, args):
    """The DLLs Wine loads for one run of `program`, in load order."""
    trace = scenario.run(program, *args, env={"WINEDEBUG": "+loaddll"})
    names = re.findall(r'Loaded L"([^"]+)"', trace.stderr.decode(errors="replace"))
    return [pathlib.PureWindowsPath(n).name.lower() for n in names]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=20)
    options = parser.parse_args()
    wineharness.skip_unless_wine()
    with wineharness.Scenario("bench-startup") as scenario:
        scenario.install_setup(FOLDER)
        hello = scenario.unix_path(FOLDER) / "HelloWorld.exe"
        shutil.copy2(wineharness.windows_build_file("bench/wine/HelloWorld.exe"), hello)
        folders = scenario.unix_path(FOLDER) / "ShellFolders.exe"
        shutil.copy2(wineharness.windows_build_file("bench/wine/ShellFolders.exe"), folders)
        scenario.put_file(scenario.unix_path(FOLDER) / "empty.crvdat", b"\xff\xfe")
        imports = scenario.unix_path(FOLDER) / "LoadByName.exe"
        shutil.copy2(scenario.helper("LoadByName"), imports)
        programs = {"HelloWorld.exe": (str(hello), []),
                    "LoadByName.exe": (str(imports), []),
                    "ShellFolders.exe": (str(folders), []),
                    "Tamber4Setup.exe": (str(scenario.setup_exe), ["empty.crvdat"])}
        times = timed_runs(scenario, programs, options.runs)
        figures = {}
        for name, pairs in times.items():
            wall = [w for w, _ in pairs]
            processor = [p for _, p in pairs]
            figures[name] = (min(wall), statistics.median(processor))
            print(f"{name:18} wall min {min(wall) * 1000:6.1f} ms  median "
                  f"{statistics.median(wall) * 1000:6.1f} ms   processor median "
                  f"{statistics.median(processor) * 1000:6.1f} ms   ({options.runs} runs)")
        setup = figures["Tamber4Setup.exe"]
        for baseline in ("HelloWorld.exe", "LoadByName.exe", "ShellFolders.exe"):
            print(f"Tamber4Setup.exe / {baseline:15} wall min {setup[0] / figures[baseline][0]:.2f}x"
                  f"   processor median {setup[1] / figures[baseline][1]:.2f}x")
        for name, (program, args) in programs.items():
            dlls = loaded_dlls(scenario, program, args)
            print(f"{name} loads {len(dlls)} DLLs: {' '.join(dlls)}")


if __name__ == "__main__":
    main()
