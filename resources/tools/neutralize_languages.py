#!/usr/bin/env python3
"""Rewrites the resource script that windmc generates so that every message-table block is
stored under the neutral sublanguage of its primary language.

windmc refuses neutral identifiers in the .mc, so the .mc names full ones (0x0409, 0x0C0A,
0x041D) and this step turns "LANGUAGE 0x9, 0x1" into "LANGUAGE 0x9, 0x0". Lookups with any
sublanguage of a primary language then find its block. The code_page pragmas windmc writes
are dropped: the script names only .bin files, and a pragma would change how windres reads
whatever the including script holds after it.

Usage: neutralize_languages.py WINDMC.rc OUTPUT.rc
"""

import re
import sys

_LANGUAGE = re.compile(r"^(\s*LANGUAGE\s+0x[0-9A-Fa-f]+\s*,\s*)0x[0-9A-Fa-f]+(\s*)$")
_CODE_PAGE = re.compile(r"^\s*#pragma\s+code_page\(\d+\)\s*$")


def neutralize(text):
    """Returns (rewritten text, number of LANGUAGE statements rewritten)."""
    out = []
    count = 0
    for line in text.splitlines():
        if _CODE_PAGE.match(line):
            continue
        match = _LANGUAGE.match(line)
        if match:
            line = f"{match.group(1)}0x0{match.group(2)}"
            count += 1
        out.append(line)
    return "\n".join(out) + "\n", count


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[1], encoding="ascii") as stream:
        text, count = neutralize(stream.read())
    if count == 0:
        print(f"error: no LANGUAGE statement in {argv[1]}", file=sys.stderr)
        return 1
    with open(argv[2], "w", encoding="ascii") as stream:
        stream.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
