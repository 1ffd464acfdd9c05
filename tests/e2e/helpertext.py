"""What passes between the tests and the helper programs: the escaped texts of their command
lines and output (helpers/EscapedText.h), BoxAnswer's report and MsgDump's records."""

import dataclasses
import re


class HelperOutputError(Exception):
    """Output of a helper that cannot be read."""


@dataclasses.dataclass
class BoxAnswerResult:
    code: int        # BoxAnswer's exit code: 0 answered, 3 no box, 4/5 title/text differ
    title: str       # what the box showed (None when no box was found)
    text: str
    output: str


def escape_argument(text):
    """Escapes a text for the helpers' command lines (see helpers/EscapedText.h)."""
    out = []
    for unit in _utf16_units(text):
        char = chr(unit)
        if char == "\\":
            out.append("\\\\")
        elif 0x20 <= unit < 0x7F:
            out.append(char)
        else:
            out.append(f"\\u{unit:04X}")
    return "".join(out)


def unescape_output(text):
    """The inverse of escape_argument, for the helpers' printed texts."""
    units = []
    index = 0
    while index < len(text):
        if text.startswith("\\\\", index):
            units.append(0x5C)
            index += 2
        elif text.startswith("\\u", index):
            units.append(int(text[index + 2:index + 6], 16))
            index += 6
        else:
            units.append(ord(text[index]))
            index += 1
    return b"".join(u.to_bytes(2, "little") for u in units).decode("utf-16-le", "surrogatepass")


def _utf16_units(text):
    data = text.encode("utf-16-le", "surrogatepass")
    return [int.from_bytes(data[i:i + 2], "little") for i in range(0, len(data), 2)]


_DUMP_HEADER = re.compile(r"id=(\d+) lang=0x([0-9A-F]+) error=(\d+) length=(\d+)")


def parse_message_dump(data):
    """Parses MsgDump's output bytes (see helpers/MsgDump.cpp); lengths count UTF-16 units."""
    records = {}
    index = 0
    while index < len(data):
        end = data.find("\n".encode("utf-16-le"), index)
        while end >= 0 and (end - index) % 2:
            end = data.find("\n".encode("utf-16-le"), end + 1)
        match = _DUMP_HEADER.fullmatch(data[index:end].decode("utf-16-le")) if end >= 0 else None
        if not match:
            raise HelperOutputError(f"unreadable MsgDump output at byte {index}")
        message_id, language, error, length = (int(g, 16 if i == 1 else 10)
                                               for i, g in enumerate(match.groups()))
        start = end + 2
        body = data[start:start + 2 * length].decode("utf-16-le", "surrogatepass")
        records[(message_id, language)] = (error, body)
        index = start + 2 * length + 2
    return records


def box_answer_result(code, output):
    """BoxAnswer's exit code and printed report as a BoxAnswerResult."""
    seen = {}
    for line in output.splitlines():
        label, _, value = line.partition(": ")
        if label in ("title", "text"):
            seen[label] = unescape_output(value)
    return BoxAnswerResult(code, seen.get("title"), seen.get("text"), output)
