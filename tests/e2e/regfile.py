"""Registry files (.reg) as regedit writes and reads them: the harness seeds values through
regedit /S and reads them back from regedit /E, which keep any text intact."""

import dataclasses


class RegFileError(Exception):
    """A value that cannot be written, or a line that cannot be read."""


@dataclasses.dataclass(frozen=True)
class ExpandSz:
    """A REG_EXPAND_SZ value (a plain str is REG_SZ, an int REG_DWORD)."""
    text: str


def _reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def _reg_hex(kind, data):
    return f"hex({kind}):" + ",".join(f"{b:02x}" for b in data)


def reg_file_text(key, values):
    """The text of a .reg file that sets `values` (name -> str, ExpandSz, int, bytes) in
    `key`, e.g. HKEY_CURRENT_USER\\Software\\Tamber4."""
    lines = ["Windows Registry Editor Version 5.00", "", f"[{key}]"]
    for name, value in values.items():
        if isinstance(value, ExpandSz):
            data = _reg_hex(2, (value.text + "\0").encode("utf-16-le"))
        elif isinstance(value, bool) or not isinstance(value, (str, int, bytes)):
            raise RegFileError(f"unsupported registry value {value!r}")
        elif isinstance(value, str) and any(c in value for c in "\r\n\0"):
            data = _reg_hex(1, (value + "\0").encode("utf-16-le"))
        elif isinstance(value, str):
            data = _reg_string(value)
        elif isinstance(value, int):
            data = f"dword:{value & 0xFFFFFFFF:08x}"
        else:
            data = "hex:" + ",".join(f"{b:02x}" for b in value)
        lines.append(f"{_reg_string(name)}={data}")
    return "\r\n".join(lines) + "\r\n"


def _parse_reg_value(data):
    if data.startswith('"'):
        return _unquote(data)[0]
    if data.startswith("dword:"):
        return int(data[6:], 16)
    kind, _, payload = data.partition(":")
    raw = bytes(int(b, 16) for b in payload.split(",") if b.strip())
    if kind == "hex":
        return raw
    if kind == "hex(1)":
        return raw.decode("utf-16-le").rstrip("\0")
    if kind == "hex(2)":
        return ExpandSz(raw.decode("utf-16-le").rstrip("\0"))
    if kind == "hex(7)":
        return [s for s in raw.decode("utf-16-le").split("\0") if s]
    if kind == "hex(b)":
        return int.from_bytes(raw, "little")
    return (kind, raw)


_REG_ESCAPES = {"n": "\n", "r": "\r", "0": "\0"}


def _unquote(text):
    """Reads a quoted .reg string at the start of `text`: (value, rest after the quote)."""
    out = []
    index = 1
    while index < len(text):
        char = text[index]
        if char == "\\" and index + 1 < len(text):
            escaped = text[index + 1]
            out.append(_REG_ESCAPES.get(escaped, escaped))
            index += 2
        elif char == '"':
            return "".join(out), text[index + 1:]
        else:
            out.append(char)
            index += 1
    raise RegFileError(f"unterminated string in .reg line {text!r}")


def parse_reg_file(text):
    """Parses regedit's export: {key path: {value name: value}}; the default value is named
    '' (str for REG_SZ, ExpandSz, int for REG_DWORD and REG_QWORD, bytes, list of str)."""
    keys = {}
    current = None
    logical = []
    for physical in text.lstrip("\ufeff").splitlines():
        if logical and logical[-1].endswith("\\"):
            logical[-1] = logical[-1][:-1] + physical.strip()
        else:
            logical.append(physical)
    for line in logical:
        if line.startswith("[") and line.endswith("]"):
            current = keys.setdefault(line[1:-1], {})
        elif current is not None and line.startswith(("@=", '"')):
            if line.startswith("@="):
                name, rest = "", line[1:]
            else:
                name, rest = _unquote(line)
            current[name] = _parse_reg_value(rest[1:])
    return keys
