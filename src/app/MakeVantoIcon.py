#!/usr/bin/env python3
"""Draws the monitor's icon and writes it as a Windows .ico file with 32x32 and 16x16 images.

    MakeVantoIcon.py OUTPUT.ico [plain|muted|no-microphone]

The picture: a mouse seen from above (white body, a split between its two buttons and an
orange wheel) on a rounded dark-blue tile. Each pixel is sampled 4x4 times for smooth edges.
The tray shows the microphone's state with two variants: "muted" strikes the picture through
with a red bar, which reads at 16 pixels where a small badge would not; "no-microphone" is the
picture in grey with a small dark disc and a white dash in its corner.
"""

import struct
import sys

SIZES = (32, 16)
SUBSAMPLES = 4

TILE = (0x1F, 0x3A, 0x5F)
BODY = (0xF2, 0xF4, 0xF7)
SPLIT = (0x1F, 0x3A, 0x5F)
WHEEL = (0xF5, 0x8A, 0x1F)
MUTE_BAR = (0xE0, 0x1B, 0x1B)
MUTE_EDGE = (0xFF, 0xFF, 0xFF)
BADGE = (0x30, 0x30, 0x30)
BADGE_DASH = (0xFF, 0xFF, 0xFF)

VARIANTS = ("plain", "muted", "no-microphone")


def in_rounded_square(x, y, radius):
    """The tile: the unit square with rounded corners."""
    cx = min(max(x, radius), 1 - radius)
    cy = min(max(y, radius), 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def in_ellipse(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def distance_to_diagonal(x, y):
    """How far a point lies from the line from the top left to the bottom right corner."""
    return abs(x - y) / 2 ** 0.5


def grey(colour):
    level = (colour[0] * 30 + colour[1] * 59 + colour[2] * 11) // 100
    # Lighter than the plain tile, so that the grey icon reads as switched off.
    level = 0x60 + level * 0x90 // 0xFF
    return (level, level, level)


def variant_colour_at(variant, x, y):
    """The colour of a variant at a point, or None where it is transparent."""
    if variant == "muted" and colour_at(x, y) is not None:
        distance = distance_to_diagonal(x, y)
        if distance < 0.07:
            return MUTE_BAR
        if distance < 0.11:
            return MUTE_EDGE
    if variant == "no-microphone":
        if in_ellipse(x, y, 0.76, 0.76, 0.22, 0.22):
            if abs(y - 0.76) < 0.045 and abs(x - 0.76) < 0.13:
                return BADGE_DASH
            return BADGE
        colour = colour_at(x, y)
        return grey(colour) if colour is not None else None
    return colour_at(x, y)


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


def render(size, variant):
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
                    colour = variant_colour_at(variant, x, y)
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


def bitmap(size, variant):
    """One icon image: header, 32-bit colours and the 1-bit transparency mask, bottom-up."""
    rows = render(size, variant)
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


def icon_file(variant):
    images = [bitmap(size, variant) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, image in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def main():
    if len(sys.argv) not in (2, 3) or (len(sys.argv) == 3 and sys.argv[2] not in VARIANTS):
        sys.exit("usage: MakeVantoIcon.py OUTPUT.ico [" + "|".join(VARIANTS) + "]")
    variant = sys.argv[2] if len(sys.argv) == 3 else "plain"
    with open(sys.argv[1], "wb") as output:
        output.write(icon_file(variant))


if __name__ == "__main__":
    main()
