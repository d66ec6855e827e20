#!/usr/bin/env python3
"""Writes the application icon of tintavo.exe: a clock face as an .ico with three images.

The images are 32x32 in 2 colours, 32x32 in 16 colours and 16x16 in 16 colours. The 16-colour face has
a rim in the six colours the clock walks through, one hour mark each, red at 12 and 6. Everything is
computed here from a few shapes, with the standard library only, so the same bytes come out every run.

Usage: make_icon.py OUTPUT.ico
"""

import math
import struct
import sys

# Palette of the 16-colour images, as (red, green, blue).
BLACK, WHITE, GREY, RED, ORANGE, YELLOW, GREEN, BLUE, VIOLET = range(9)
PALETTE_16 = [
    (0, 0, 0),
    (255, 255, 255),
    (128, 128, 128),
    (255, 0, 0),
    (255, 128, 0),
    (255, 255, 0),
    (0, 255, 0),
    (0, 0, 255),
    (87, 38, 176),
] + [(0, 0, 0)] * 7
# Hour colours of the clock's six-hour cycle, starting with 12 (and 6).
HOUR_COLOURS = [RED, ORANGE, YELLOW, GREEN, BLUE, VIOLET]

# Palette of the 2-colour image: index 0 black, 1 white.
PALETTE_2 = [(0, 0, 0), (255, 255, 255)]
MONO_BLACK, MONO_WHITE = 0, 1

TRANSPARENT = None

# The hands show ten past ten, the usual pose of a clock in a picture.
HOUR_HAND_DEGREES = 10 * 30 + 5
MINUTE_HAND_DEGREES = 2 * 30


def _point(degrees, length, cx, cy):
    """A point `length` pixels from the centre, `degrees` clockwise from 12 o'clock."""
    rad = math.radians(degrees)
    return cx + length * math.sin(rad), cy - length * math.cos(rad)


def _distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(1.0, max(0.0, t))
    qx, qy = ax + t * dx, ay + t * dy
    return math.hypot(px - qx, py - qy)


def draw_face(size, mono):
    """Returns rows (top first) of palette indices, TRANSPARENT outside the face.

    Each pixel takes the shape found at its centre. Pixel centres sit at half-integers and the centre of
    the face at an integer, so no centre lies on the vertical or horizontal axis through it.
    """
    cx = cy = size / 2
    big = size >= 32
    outer = size / 2 - 0.25                 # edge of the outline
    rim = outer - (1.0 if big else 0.9)     # inside edge of the outline
    face = rim - (3.0 if big else 1.6)      # inside edge of the colour ring
    if mono:
        face = rim - (1.5 if big else 0.9)  # a black rim only: one outline, a little thicker
    hand_half_width = 1.0 if big else 0.7
    hands = [
        (_point(HOUR_HAND_DEGREES, face * 0.5, cx, cy), hand_half_width),
        (_point(MINUTE_HAND_DEGREES, face * 0.9, cx, cy), hand_half_width),
    ]
    ticks = []
    if big:
        for quarter in range(4):
            a = _point(quarter * 90, face - 0.5, cx, cy)
            b = _point(quarter * 90, face - 3.0, cx, cy)
            ticks.append((a, b))

    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            r = math.hypot(px - cx, py - cy)
            if r > outer:
                row.append(TRANSPARENT)
            elif r > rim:
                row.append(MONO_BLACK if mono else BLACK)
            elif r > face:
                if mono:
                    row.append(MONO_BLACK)
                else:
                    # Clockwise from 12 o'clock; each hour mark owns the 30 degrees around it.
                    degrees = math.degrees(math.atan2(px - cx, cy - py)) % 360
                    hour = int((degrees + 15) // 30) % 12
                    row.append(HOUR_COLOURS[hour % 6])
            elif any(_distance_to_segment(px, py, cx, cy, hx, hy) <= w for (hx, hy), w in hands):
                row.append(MONO_BLACK if mono else BLACK)
            elif any(_distance_to_segment(px, py, *a, *b) <= 0.75 for a, b in ticks):
                row.append(MONO_BLACK if mono else GREY)
            else:
                row.append(MONO_WHITE if mono else WHITE)
        rows.append(row)
    return rows


def _row_bytes(bits_per_row):
    """Bytes in one DIB row: rows are padded to whole 32-bit words."""
    return (bits_per_row + 31) // 32 * 4


def _pack_row(values, bpp):
    out = bytearray(_row_bytes(len(values) * bpp))
    per_byte = 8 // bpp
    for i, v in enumerate(values):
        shift = 8 - bpp * (i % per_byte + 1)   # leftmost pixel in the high bits
        out[i // per_byte] |= v << shift
    return bytes(out)


def encode_image(rows, bpp, palette):
    """One icon image: BITMAPINFOHEADER of double height, palette, colour (XOR) bits, AND mask.

    Transparent pixels get colour index 0 (black) and a set mask bit, which leaves the screen unchanged.
    """
    size = len(rows)
    assert len(palette) == 1 << bpp
    xor_rows, and_rows = [], []
    for row in reversed(rows):                  # DIBs store the bottom row first
        xor_rows.append(_pack_row([0 if v is TRANSPARENT else v for v in row], bpp))
        and_rows.append(_pack_row([1 if v is TRANSPARENT else 0 for v in row], 1))
    bits = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bpp, 0, len(bits), 0, 0, 0, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + colours + bits


def build_icon():
    """The bytes of the .ico file."""
    images = [
        (32, 1, PALETTE_2, draw_face(32, mono=True)),
        (32, 4, PALETTE_16, draw_face(32, mono=False)),
        (16, 4, PALETTE_16, draw_face(16, mono=False)),
    ]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, blobs = [], []
    for size, bpp, palette, rows in images:
        blob = encode_image(rows, bpp, palette)
        entries.append(struct.pack("<BBBBHHII", size, size, 1 << bpp, 0, 1, bpp, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return directory + b"".join(entries) + b"".join(blobs)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icon.py OUTPUT.ico\n")
        return 2
    with open(argv[1], "wb") as f:
        f.write(build_icon())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
