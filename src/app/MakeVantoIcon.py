#!/usr/bin/env python3
"""Draws the monitor's icon and writes it as a Windows .ico file with 32x32 and 16x16 images.

    MakeVantoIcon.py OUTPUT.ico

The picture: a mouse seen from above (white body, a split between its two buttons and an
orange wheel) on a rounded dark-blue tile. Each pixel is sampled 4x4 times for smooth edges.
"""

import struct
import sys

SIZES = (32, 16)
SUBSAMPLES = 4

TILE = (0x1F, 0x3A, 0x5F)
BODY = (0xF2, 0xF4, 0xF7)
SPLIT = (0x1F, 0x3A, 0x5F)
WHEEL = (0xF5, 0x8A, 0x1F)


def in_rounded_square(x, y, radius):
    """The tile: the unit square with rounded corners."""
    cx = min(max(x, radius), 1 - radius)
    cy = min(max(y, radius), 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def in_ellipse(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def colour_at(x, y):
    """The colour at a point of the unit square, or None where the icon is transparent."""
    if not in_rounded_square(x, y, 0.2):
        return None
    if not in_ellipse(x, y, 0.5, 0.52, 0.26, 0.36):
        return TILE
    if in_ellipse(x, y, 0.5, 0.33, 0.045, 0.08):
        return WHEEL
    if abs(x - 0.5) < 0.02 and y < 0.45:
        return SPLIT
    if abs(y - 0.45) < 0.02:
        return SPLIT
    return BODY


def render(size):
    """Rows of (b, g, r, a) from the top, averaged over the samples of each pixel."""
    rows = []
    step = 1.0 / (size * SUBSAMPLES)
    for py in range(size):
        row = []
        for px in range(size):
            total = [0, 0, 0]
            covered = 0
            for sy in range(SUBSAMPLES):
                for sx in range(SUBSAMPLES):
                    x = (px * SUBSAMPLES + sx + 0.5) * step
                    y = (py * SUBSAMPLES + sy + 0.5) * step
                    colour = colour_at(x, y)
                    if colour is not None:
                        covered += 1
                        total = [t + c for t, c in zip(total, colour)]
            samples = SUBSAMPLES * SUBSAMPLES
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                r, g, b = (t // covered for t in total)
                row.append((b, g, r, 255 * covered // samples))
        rows.append(row)
    return rows


def bitmap(size):
    """One icon image: header, 32-bit colours and the 1-bit transparency mask, bottom-up."""
    rows = render(size)
    colours = b"".join(bytes(pixel) for row in reversed(rows) for pixel in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for px, pixel in enumerate(row):
            if pixel[3] == 0:
                line[px // 8] |= 0x80 >> (px % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(colours) + len(mask), 0, 0, 0, 0)
    return header + colours + bytes(mask)


def icon_file():
    images = [bitmap(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, image in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: MakeVantoIcon.py OUTPUT.ico")
    with open(sys.argv[1], "wb") as output:
        output.write(icon_file())


if __name__ == "__main__":
    main()
