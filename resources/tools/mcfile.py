"""Reads a message compiler (.mc) file: the language names and the messages' texts.

The subset read is the one the message compiler accepts and this project writes: header
statements (MessageIdTypedef, SeverityNames, FacilityNames, LanguageNames, OutputBase),
comment lines starting with ';', and messages made of MessageId, Severity, Facility,
SymbolicName and OutputBase statements followed by one or more Language=NAME blocks, each
ended by a line holding only '.'.

A text is stored as the message compiler stores it: every line of the block followed by a
line break (CR LF). Escapes such as "%0" and "%%" are kept as written; formatting is the
reader's business.
"""

import dataclasses
import re


class McError(Exception):
    """A syntax error, with the file name and line number in its text."""


@dataclasses.dataclass
class Message:
    id: int
    symbolic_name: str
    texts: list  # (primary language, text) pairs, in the file's order


_STATEMENT = re.compile(r"^\s*(\w+)\s*=\s*(.*?)\s*$")
_LANGUAGE_NAME = re.compile(r"^\(\s*(\w+)\s*=\s*(0x[0-9A-Fa-f]+|\d+)\s*:\s*(\w+)\s*\)$")
_HEADER_KEYWORDS = {"MessageIdTypedef", "SeverityNames", "FacilityNames", "OutputBase"}
_MESSAGE_KEYWORDS = {"Severity", "Facility", "SymbolicName", "OutputBase"}


def primary_language(lcid):
    """The primary language of a language identifier (its low ten bits)."""
    return lcid & 0x3FF


def _parse_number(text, where):
    try:
        return int(text, 0)
    except ValueError:
        raise McError(f"{where}: not a number: {text!r}") from None


def _read_block(lines, start, where_of):
    """Returns (text, index after the terminating '.') for the block starting at `start`."""
    body = []
    index = start
    while index < len(lines):
        if lines[index] == ".":
            return "".join(line + "\r\n" for line in body), index + 1
        body.append(lines[index])
        index += 1
    raise McError(f"{where_of(start)}: message text not ended by a line holding '.'")


def parse(text, filename="<mc>"):
    """Parses .mc text. Returns (languages, messages): languages maps each language name to
    its full identifier; messages is the list of Message in the file's order. Raises McError
    on anything it does not understand."""
    lines = text.replace("\r\n", "\n").split("\n")
    languages = {}
    messages = []
    current = None
    next_id = 0

    def where(index):
        return f"{filename}:{index + 1}"

    index = 0
    while index < len(lines):
        line = lines[index]
        if not line.strip() or line.lstrip().startswith(";"):
            index += 1
            continue
        match = _STATEMENT.match(line)
        if not match:
            raise McError(f"{where(index)}: unexpected line {line!r}")
        keyword, value = match.groups()
        index += 1
        if keyword == "LanguageNames":
            name_match = _LANGUAGE_NAME.match(value)
            if not name_match:
                raise McError(f"{where(index - 1)}: bad LanguageNames {value!r}")
            languages[name_match.group(1)] = _parse_number(name_match.group(2), where(index - 1))
        elif keyword == "MessageId":
            if value.startswith("+"):
                number = next_id + _parse_number(value[1:], where(index - 1))
            elif value:
                number = _parse_number(value, where(index - 1))
            else:
                number = next_id
            current = Message(number, "", [])
            messages.append(current)
            next_id = number + 1
        elif keyword == "Language":
            if current is None:
                raise McError(f"{where(index - 1)}: Language before any MessageId")
            if value not in languages:
                raise McError(f"{where(index - 1)}: undeclared language {value!r}")
            body, index = _read_block(lines, index, where)
            current.texts.append((primary_language(languages[value]), body))
        elif keyword == "SymbolicName" and current is not None:
            current.symbolic_name = value
        elif keyword in _HEADER_KEYWORDS or (keyword in _MESSAGE_KEYWORDS and current):
            continue
        else:
            raise McError(f"{where(index - 1)}: unknown statement {keyword!r}")
    return languages, messages


def parse_file(path):
    """parse() of a UTF-8 file."""
    with open(path, encoding="utf-8") as stream:
        return parse(stream.read(), str(path))


def format_stored_text(text):
    """The text FormatMessageW yields for a stored text given no insert values, for the
    escapes this table uses: "%0" ends the text, "%%" gives "%". Any other escape raises
    McError, so that a new kind of escape is noticed rather than mis-rendered."""
    out = []
    index = 0
    while index < len(text):
        char = text[index]
        if char != "%":
            out.append(char)
            index += 1
            continue
        escape = text[index + 1:index + 2]
        if escape == "0":
            return "".join(out)
        if escape == "%":
            out.append("%")
            index += 2
            continue
        raise McError(f"unsupported escape %{escape} in {text!r}")
    return "".join(out)
