#!/usr/bin/env python3
"""Prints what Tamber4Setup.exe is made of, from the map file its link writes.

Every input section the linker kept is charged to one part: one of our directories (by the
object's source path, or, for link-time-optimized code, by the top-level namespace of the
function or datum the section holds; the release build's optimizer writes one section of each
kind, charged as a whole), the std templates our code instantiates, libstdc++,
libgcc, the mingw C runtime, the system DLLs' import tables, or the resources. What the
sections do not cover is the image's headers and file alignment.

  bench/size_report.py                       # build/mingw-x64/Tamber4Setup.exe and its map
  bench/size_report.py --build-dir build/mingw-x86 --top 20
"""

import argparse
import collections
import os
import re
import sys

# Top-level namespaces of our code, and the directory each one lives in.
NAMESPACE_DIRS = {
    "setup": "setup/",
    "platform": "platform/",
    "text": "text/",
    "logging": "logging/",
    "ComUtil": "ComUtil/",
    "WinUtil": "WinUtil/",
}
STD_TEMPLATES = "std templates in our code"
UNNAMED = "our code, unnamed data"
# The link-time optimizer writes each kind of section (code, constants, unwind data) of our whole
# program as one, with no name to charge it by.
WHOLE_PROGRAM = "our code, optimized whole"

SECTION_LINE = re.compile(r"^ (\.\S+|COMMON)(?:\s+(0x[0-9a-f]+)\s+(0x[0-9a-f]+)\s+(.+))?$")
WRAPPED_LINE = re.compile(r"^\s+(0x[0-9a-f]+)\s+(0x[0-9a-f]+)\s+(.+)$")
MEMBER = re.compile(r"^(.*?)([^/]+\.a)\((.+)\)$")


def first_namespace(mangled):
    """The top-level scope of an Itanium-mangled name ("std", "setup", ...), or None."""
    name = mangled.lstrip("_")
    if not name.startswith("Z"):
        return None
    i = 1
    while True:
        rest = name[i:]
        if rest.startswith(("TV", "TI", "TS", "GV", "TT")):
            i += 2
        elif rest.startswith(("Th", "Tv", "Tc")):
            end = name.find("_", i + 2)
            if end < 0:
                return None
            i = end + 1
        elif rest[:1] in ("N", "K", "V", "r", "L", "Z"):
            i += 1
        else:
            break
    rest = name[i:]
    if rest.startswith(("St", "Sa", "Sb", "Ss", "Si", "So", "Sd")):
        return "std"
    digits = re.match(r"(\d+)", rest)
    if not digits:
        return None
    start = i + len(digits.group(1))
    return name[start:start + int(digits.group(1))]


def owner_of_symbol(section):
    """The part a section of our own (link-time) code belongs to, from its symbol name."""
    symbol = section.split("$", 1)[1] if "$" in section else ""
    if symbol.startswith(".refptr."):
        symbol = symbol[len(".refptr."):]
    scope = first_namespace(symbol)
    if scope in NAMESPACE_DIRS:
        if scope == "platform" and "8platform5win32" in symbol[:40]:
            return "platform/win32/"
        return NAMESPACE_DIRS[scope]
    if scope in ("std", "__gnu_cxx", "__cxxabiv1"):
        return STD_TEMPLATES
    if scope:
        return "our code, other namespaces"
    if symbol in ("wWinMain", "WinMain"):
        return "platform/win32/"
    return UNNAMED


def top_directory(parts):
    """The part of a source in the folders `parts`: its top directory, platform/win32/ apart."""
    if parts[:2] == ["platform", "win32"]:
        return "platform/win32/"
    return parts[0] + "/" if parts else "./"


def object_directories(build_dir):
    """Archive member names (RunJournal.cpp.obj) to the directories of their sources."""
    found = collections.defaultdict(set)
    for root, _, files in os.walk(os.path.join(build_dir, "CMakeFiles")):
        for f in files:
            if f.endswith(".obj"):
                rel = os.path.relpath(root, build_dir).split(os.sep)
                found[f].add(top_directory(rel[2:]))
    return {name: " or ".join(sorted(dirs)) for name, dirs in found.items()}


def directory_of_object(path, build_dir):
    """Our directory of a loose object (CMakeFiles/<target>.dir/platform/win32/entry/x.obj)."""
    parts = path.replace("\\", "/").split("/")
    if "CMakeFiles" in parts:
        return top_directory(parts[parts.index("CMakeFiles") + 2:-1])
    return None


def ours(section, directory):
    """The part of a section of our object in `directory`: the directory, except for the
    std templates the object instantiates."""
    return STD_TEMPLATES if owner_of_symbol(section) == STD_TEMPLATES else directory


def owner(section, origin, build_dir, members):
    if origin.endswith(".res.obj"):
        return "resources"
    if "ltrans" in origin:
        return owner_of_symbol(section) if "$" in section else WHOLE_PROGRAM
    member = MEMBER.match(origin)
    if member:
        library, name = member.group(2), member.group(3)
        if library == "libstdc++.a":
            return "libstdc++"
        if library in ("libgcc.a", "libgcc_eh.a"):
            return "libgcc"
        if library in ("libmingw32.a", "libmingwex.a", "libmsvcrt.a", "libmoldname.a"):
            if library == "libmsvcrt.a" and name.startswith("d"):
                return "imports of system DLLs"
            return "mingw C runtime"
        if library.startswith("libtamber4"):
            if "ltrans" in name or name.endswith(".o") and not name.endswith(".obj"):
                return owner_of_symbol(section)
            return ours(section, members.get(name, "our code, unknown object " + name))
        return "imports of system DLLs"
    if os.path.basename(origin).startswith(("crt", "dllcrt")) or "/lib/gcc/" in origin:
        return "mingw C runtime"
    directory = directory_of_object(origin, build_dir)
    if directory is not None:
        return ours(section, directory)
    if origin == "dll stuff":
        return "imports of system DLLs"
    return "linker (" + os.path.basename(origin) + ")"


def kept_sections(map_path):
    """(section, size, origin) of every input section in the image."""
    with open(map_path, encoding="utf-8", errors="replace") as f:
        lines = f.read().splitlines()
    try:
        start = lines.index("Linker script and memory map")
    except ValueError:
        sys.exit(map_path + " does not look like a GNU ld map file")
    pending = None
    output = None
    for line in lines[start + 1:]:
        if line[:1] not in ("", " "):
            output = line.split()[0]  # an output section: .text, .rdata, /DISCARD/, ...
            pending = None
            continue
        # Discarded sections are not in the image, debugging sections are stripped from it.
        if output is None or output == "/DISCARD/" or output.startswith(
                (".debug", ".zdebug", ".stab")):
            continue
        m = SECTION_LINE.match(line)
        if m:
            if m.group(2) is None:
                pending = m.group(1)
                continue
            pending = None
            yield m.group(1), int(m.group(3), 16), m.group(4).strip()
            continue
        w = WRAPPED_LINE.match(line)
        if w and pending is not None:
            yield pending, int(w.group(2), 16), w.group(3).strip()
        pending = None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default="build/mingw-x64")
    parser.add_argument("--exe", default="Tamber4Setup.exe")
    parser.add_argument("--map", help="the map file (default: the exe's name with .map)")
    parser.add_argument("--top", type=int, default=0,
                        help="also list the N largest sections of our own code")
    args = parser.parse_args()

    exe = os.path.join(args.build_dir, args.exe)
    map_path = args.map or os.path.splitext(exe)[0] + ".map"
    members = object_directories(args.build_dir)
    parts = collections.Counter()
    ours = []
    for section, size, origin in kept_sections(map_path):
        if size == 0 or origin.startswith("0x"):
            continue
        part = owner(section, origin, args.build_dir, members)
        parts[part] += size
        ours.append((size, part, section))

    exe_size = os.path.getsize(exe)
    print(f"{exe}: {exe_size:,} bytes ({exe_size / 1024:.1f} KiB)")
    print(f"{'part':40} {'bytes':>10} {'share':>7}")
    for part, size in parts.most_common():
        print(f"{part:40} {size:>10,} {100.0 * size / exe_size:>6.1f}%")
    rest = exe_size - sum(parts.values())
    print(f"{'headers, alignment (the rest)':40} {rest:>10,} {100.0 * rest / exe_size:>6.1f}%")
    if args.top:
        print(f"\nlargest {args.top} sections:")
        for size, part, section in sorted(ours, reverse=True)[:args.top]:
            print(f"{size:>8,}  {part:28} {section[:100]}")


if __name__ == "__main__":
    main()
