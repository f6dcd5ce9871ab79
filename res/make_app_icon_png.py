#!/usr/bin/env python3
"""Renders Skerrow's application icon (the drawing of res/skerrow.svg) as PNG files for the
desktop's icon theme: res/icons/skerrow-<size>.png at 16, 24, 32, 48, 64, 128 and 256 pixels.

Run from anywhere: python3 res/make_app_icon_png.py. The PNG files are committed; the drawing is
in 32 units, sampled 4 x 4 times per pixel so that edges are smooth at every size.
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SIZES = (16, 24, 32, 48, 64, 128, 256)
SAMPLES = 4


def rgb(hex_colour):
    return tuple(int(hex_colour[i:i + 2], 16) for i in (1, 3, 5))


BLUE, DBLUE, LBLUE = rgb("#3A8FD8"), rgb("#103070"), rgb("#7FC0F0")
WHITE, GREEN = rgb("#FFFFFF"), rgb("#1FA01F")
ROOF = [(7, 15), (15.5, 5), (24.5, 15)]


def inside_polygon(x, y, pts):
    inside = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def colour_at(x, y):
    """The colour of the drawing at (x, y) in 32 units, None where it is transparent; the shapes in
    the order of res/skerrow.svg, the last one that covers the point wins."""
    d = math.hypot(x - 16, y - 16)
    colour = None
    if d <= 15:
        colour = DBLUE if d >= 14 else BLUE
        if abs(d - 6) <= 0.5 or abs(d - 11) <= 0.5:
            colour = LBLUE
        if (2 <= x <= 30 and abs(y - 16) <= 0.5) or (2 <= y <= 30 and abs(x - 16) <= 0.5):
            colour = LBLUE
    if inside_polygon(x, y, ROOF) or (12 <= x <= 20 and 14 <= y <= 25):
        colour = WHITE
    if 9 <= x <= 23 and 25 <= y <= 28:
        colour = GREEN
    return colour


def render(size):
    rows = []
    step = 32.0 / size / SAMPLES
    for py in range(size):
        row = bytearray([0])  # filter type: none
        for px in range(size):
            r = g = b = a = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at((px * SAMPLES + sx + 0.5) * step, (py * SAMPLES + sy + 0.5) * step)
                    if c:
                        r, g, b, a = r + c[0], g + c[1], b + c[2], a + 1
            if a:
                row += bytes((r // a, g // a, b // a, 255 * a // (SAMPLES * SAMPLES)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def write_png(path, size, rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    os.makedirs(os.path.join(HERE, "icons"), exist_ok=True)
    for size in SIZES:
        write_png(os.path.join(HERE, "icons", f"skerrow-{size}.png"), size, render(size))
