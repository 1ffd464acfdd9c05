#!/usr/bin/env python3
"""Draws the product icon and writes it as a .ico file: an amber rounded square with a white
"T", in 16, 32 and 48 pixels, 32-bit colour with alpha and the 1-bit mask that systems
without alpha blending use. Windows draws a 24-pixel icon from the 32-pixel image.

Usage: make_icon.py OUTPUT.ico
"""

import struct
import sys

SIZES = (16, 32, 48)
SUPERSAMPLING = 4  # samples per pixel along each axis, for smooth edges

_TOP = (0xF6, 0xB9, 0x3B)     # amber, lighter at the top
_BOTTOM = (0xD2, 0x7C, 0x0C)  # and darker at the bottom
_EDGE = (0x8A, 0x4F, 0x05)
_GLYPH = (0xFF, 0xFF, 0xFF)


def _in_rounded_square(x, y, inset, radius):
    """Whether the point (unit coordinates) lies in the rounded square inset from the border."""
    low, high = inset + radius, 1.0 - inset - radius
    dx = max(low - x, 0.0, x - high)
    dy = max(low - y, 0.0, y - high)
    if x < inset or x > 1.0 - inset or y < inset or y > 1.0 - inset:
        return False
    return dx * dx + dy * dy <= radius * radius


def _in_glyph(x, y):
    """Whether the point lies in the "T": a bar across the top and a stem down the middle."""
    bar = 0.22 <= x <= 0.78 and 0.22 <= y <= 0.38
    stem = 0.41 <= x <= 0.59 and 0.22 <= y <= 0.80
    return bar or stem


def _sample(x, y):
    """The colour at a point as (r, g, b, alpha 0..1)."""
    if not _in_rounded_square(x, y, 0.04, 0.20):
        return (0, 0, 0, 0.0)
    if not _in_rounded_square(x, y, 0.09, 0.15):
        return (*_EDGE, 1.0)
    if _in_glyph(x, y):
        return (*_GLYPH, 1.0)
    return (*(round(a + (b - a) * y) for a, b in zip(_TOP, _BOTTOM)), 1.0)


def render(size):
    """Rows of (b, g, r, a) pixels, top row first."""
    rows = []
    step = 1.0 / (size * SUPERSAMPLING)
    for row in range(size):
        pixels = []
        for column in range(size):
            total = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUPERSAMPLING):
                for sx in range(SUPERSAMPLING):
                    x = (column * SUPERSAMPLING + sx + 0.5) * step
                    y = (row * SUPERSAMPLING + sy + 0.5) * step
                    r, g, b, alpha = _sample(x, y)
                    total = [total[0] + r * alpha, total[1] + g * alpha,
                             total[2] + b * alpha, total[3] + alpha]
            count = SUPERSAMPLING * SUPERSAMPLING
            alpha = total[3] / count
            if alpha == 0:
                pixels.append((0, 0, 0, 0))
                continue
            r, g, b = (round(total[i] / total[3]) for i in range(3))
            pixels.append((b, g, r, round(alpha * 255)))
        rows.append(pixels)
    return rows


def icon_image(size):
    """One image of the .ico: BITMAPINFOHEADER, colour rows and mask rows, both bottom-up."""
    rows = render(size)
    mask_stride = ((size + 31) // 32) * 4
    colour = b"".join(bytes(channel for pixel in row for channel in pixel)
                      for row in reversed(rows))
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for column, pixel in enumerate(row):
            if pixel[3] < 128:
                bits[column // 8] |= 0x80 >> (column % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + bytes(mask)


def icon_file(sizes=SIZES):
    """The whole .ico: directory then images."""
    images = [icon_image(size) for size in sizes]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, image in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32,
                               len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    data = icon_file()
    try:
        with open(argv[1], "rb") as stream:
            if stream.read() == data:
                return 0
    except FileNotFoundError:
        pass
    with open(argv[1], "wb") as stream:
        stream.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
