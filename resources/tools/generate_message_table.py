#!/usr/bin/env python3
"""Writes the host build's message table (a C++ file implementing resources/MessageTable.h)
from the .mc file that the Windows build compiles into the executable.

Usage: generate_message_table.py MESSAGES.mc OUTPUT.cpp
"""

import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import mcfile  # noqa: E402


_SHORT_ESCAPES = {"\r": "\\r", "\n": "\\n", "\t": "\\t"}


def utf16_units(text):
    """The UTF-16 code units of `text` (characters above U+FFFF become surrogate pairs)."""
    data = text.encode("utf-16-le")
    return [int.from_bytes(data[i:i + 2], "little") for i in range(0, len(data), 2)]


def wide_literal(text):
    """A C++ wide string literal holding exactly the UTF-16 code units of `text`, one unit per
    wchar_t on every platform. Units outside printable ASCII are hex escapes, each closing its
    literal piece so that a following hex digit is not read into the escape."""
    pieces = [""]
    for unit in utf16_units(text):
        char = chr(unit)
        if char in '"\\':
            pieces[-1] += "\\" + char
        elif char in _SHORT_ESCAPES:
            pieces[-1] += _SHORT_ESCAPES[char]
        elif 0x20 <= unit < 0x7F:
            pieces[-1] += char
        else:
            pieces[-1] += f"\\x{unit:04X}"
            pieces.append("")
    if len(pieces) > 1 and not pieces[-1]:
        pieces.pop()
    return " ".join(f'L"{piece}"' for piece in pieces)


def render(messages, source_name):
    """The C++ source for `messages` (mcfile.Message list)."""
    rows = []
    for message in messages:
        for language, text in message.texts:
            rows.append(f"    {{{message.id}, {language}, {wide_literal(text)}}},")
    return "\n".join([
        f"// Generated from {source_name} by generate_message_table.py. Do not edit.",
        '#include "resources/MessageTable.h"',
        "",
        "namespace resources {",
        "namespace {",
        "const MessageTableEntry kEntries[] = {",
        *rows,
        "};",
        "}  // namespace",
        "",
        "const MessageTableEntry* MessageTable(std::size_t* count) {",
        "  *count = sizeof(kEntries) / sizeof(kEntries[0]);",
        "  return kEntries;",
        "}",
        "",
        "}  // namespace resources",
        "",
    ])


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    source, output = pathlib.Path(argv[1]), pathlib.Path(argv[2])
    try:
        _, messages = mcfile.parse_file(source)
    except mcfile.McError as error:
        print(f"error: {error}", file=sys.stderr)
        return 1
    content = render(messages, source.name)
    if not output.exists() or output.read_text(encoding="utf-8") != content:
        output.write_text(content, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
