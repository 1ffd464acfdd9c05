"""Reads the resources of a Windows executable straight from its resource tree, and decodes
the resource formats the tests check (dialog templates, string tables, icon groups, version
blocks and message tables)."""

import dataclasses
import pathlib
import struct

RT_ICON = 3
RT_DIALOG = 5
RT_STRING = 6
RT_MESSAGETABLE = 11
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24


@dataclasses.dataclass
class Resource:
    type: object      # int ordinal or str name
    name: object
    language: int
    data: bytes


def _align4(offset):
    return (offset + 3) & ~3


def _read_sz_or_ord(data, offset):
    """A dialog template's menu, class or title field: an ordinal (0xFFFF then the number),
    an empty field (0x0000) or a NUL-terminated UTF-16 string. Returns (value, offset after
    it); an empty field gives ''."""
    (first,) = struct.unpack_from("<H", data, offset)
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, offset + 2)[0], offset + 4
    end = offset
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[offset:end].decode("utf-16-le"), end + 2


class _Image:
    """A PE file's bytes with its sections, to turn addresses into file offsets."""

    def __init__(self, data):
        if data[:2] != b"MZ":
            raise ValueError("not an executable")
        (pe,) = struct.unpack_from("<I", data, 0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        (sections, optional_size) = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        (magic,) = struct.unpack_from("<H", data, optional)
        directories = optional + (112 if magic == 0x20B else 96)
        self.resource_rva, _ = struct.unpack_from("<II", data, directories + 8 * 2)
        self.sections = [struct.unpack_from("<8xIIII", data, optional + optional_size + 40 * i)
                         for i in range(sections)]
        self.data = data

    def offset(self, rva):
        for virtual_size, address, raw_size, raw_offset in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_offset + rva - address
        raise ValueError(f"address {rva:#x} is in no section")


def _directory_entries(image, base, offset):
    """(id or name, is subdirectory, offset relative to `base`) of a resource directory."""
    named, numbered = struct.unpack_from("<HH", image.data, base + offset + 12)
    for index in range(named + numbered):
        name, target = struct.unpack_from("<II", image.data, base + offset + 16 + 8 * index)
        if name & 0x80000000:
            at = base + (name & 0x7FFFFFFF)
            (length,) = struct.unpack_from("<H", image.data, at)
            name = image.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
        yield name, bool(target & 0x80000000), target & 0x7FFFFFFF


def read_resources(exe):
    """Every resource of an executable, walking its resource tree (type, name, language)."""
    image = _Image(pathlib.Path(exe).read_bytes())
    if not image.resource_rva:
        return []
    base = image.offset(image.resource_rva)
    resources = []
    for kind, _, names in _directory_entries(image, base, 0):
        for name, _, languages in _directory_entries(image, base, names):
            for language, _, entry in _directory_entries(image, base, languages):
                rva, size = struct.unpack_from("<II", image.data, base + entry)
                start = image.offset(rva)
                resources.append(Resource(kind, name, language, image.data[start:start + size]))
    return resources


def find(resources, kind, name):
    """The resources of a type and name, one per language: {language: data}."""
    return {r.language: r.data for r in resources if r.type == kind and r.name == name}


# ---------------------------------------------------------------------------------------


@dataclasses.dataclass
class DialogItem:
    id: int
    window_class: object  # an ordinal (0x80 button, 0x82 static) or a class name
    title: str
    style: int
    ex_style: int
    rect: tuple           # x, y, width, height in dialog units


@dataclasses.dataclass
class Dialog:
    style: int
    ex_style: int
    rect: tuple
    menu: object
    window_class: object
    title: str
    font: tuple           # (point size, weight, italic, charset, typeface) or None
    items: list


DS_SETFONT = 0x40


def parse_dialog_ex(data):
    """Decodes an extended dialog template (DIALOGEX)."""
    version, signature, _, ex_style, style, count = struct.unpack_from("<HHIIIH", data, 0)
    if (version, signature) != (1, 0xFFFF):
        raise ValueError("not an extended dialog template")
    rect = struct.unpack_from("<hhhh", data, 18)
    menu, pos = _read_sz_or_ord(data, 26)
    window_class, pos = _read_sz_or_ord(data, pos)
    title, pos = _read_sz_or_ord(data, pos)
    font = None
    if style & DS_SETFONT:
        size, weight, italic, charset = struct.unpack_from("<HHBB", data, pos)
        typeface, pos = _read_sz_or_ord(data, pos + 6)
        font = (size, weight, italic, charset, typeface)
    items = []
    for _ in range(count):
        pos = _align4(pos)
        _, item_ex_style, item_style = struct.unpack_from("<III", data, pos)
        item_rect = struct.unpack_from("<hhhh", data, pos + 12)
        (item_id,) = struct.unpack_from("<I", data, pos + 20)
        item_class, pos = _read_sz_or_ord(data, pos + 24)
        item_title, pos = _read_sz_or_ord(data, pos)
        (extra,) = struct.unpack_from("<H", data, pos)
        pos += 2 + extra
        items.append(DialogItem(item_id, item_class, item_title, item_style, item_ex_style,
                                item_rect))
    return Dialog(style, ex_style, rect, menu, window_class, title, font, items)


def string_from_tables(resources, string_id):
    """String `string_id` of the string tables, {language: text}; absent languages left out."""
    found = {}
    for language, data in find(resources, RT_STRING, (string_id >> 4) + 1).items():
        pos = 0
        for index in range(16):
            (length,) = struct.unpack_from("<H", data, pos)
            text = data[pos + 2:pos + 2 + 2 * length].decode("utf-16-le")
            pos += 2 + 2 * length
            if index == string_id & 15 and length:
                found[language] = text
    return found


def icon_group_entries(data):
    """The entries of an icon group: (width, height, bit count, icon resource id) each; a
    width or height of 0 means 256."""
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    if kind != 1:
        raise ValueError("not an icon group")
    entries = []
    for index in range(count):
        width, height, _, _, _, bits, _, icon_id = struct.unpack_from("<BBBBHHIH", data,
                                                                      6 + 14 * index)
        entries.append((width or 256, height or 256, bits, icon_id))
    return entries


def fixed_file_version(data):
    """(file version parts, product version parts, file type) of a version block."""
    start = data.find(struct.pack("<I", 0xFEEF04BD))
    if start < 0:
        raise ValueError("no fixed file information in the version block")
    fields = struct.unpack_from("<13I", data, start)
    file_ms, file_ls, product_ms, product_ls = fields[2:6]
    parts = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)  # noqa: E731
    return parts(file_ms, file_ls), parts(product_ms, product_ls), fields[9]


def version_strings(data):
    """The StringFileInfo values of a version block, as {name: value} (first table only)."""
    values = {}
    text = data.decode("utf-16-le", errors="replace")
    for name in ("CompanyName", "FileDescription", "FileVersion", "InternalName",
                 "OriginalFilename", "ProductName", "ProductVersion", "LegalCopyright"):
        at = text.find(name + "\0")
        if at < 0:
            continue
        value_start = at + len(name) + 1
        while value_start < len(text) and text[value_start] == "\0":  # padding
            value_start += 1
        values[name] = text[value_start:text.index("\0", value_start)]
    return values


def message_table_entries(data):
    """The entries of a message table resource, {id: (flags, stored text)}; texts of Unicode
    entries (flags 1) keep their trailing NUL padding stripped."""
    (blocks,) = struct.unpack_from("<I", data, 0)
    entries = {}
    for block in range(blocks):
        low, high, offset = struct.unpack_from("<III", data, 4 + 12 * block)
        for message_id in range(low, high + 1):
            length, flags = struct.unpack_from("<HH", data, offset)
            raw = data[offset + 4:offset + length]
            text = raw.decode("utf-16-le" if flags & 1 else "latin-1").rstrip("\0")
            entries[message_id] = (flags, text)
            offset += length
    return entries
