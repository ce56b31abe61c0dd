#!/usr/bin/env python3
"""Draws the example's icon strip, resdata/Images/icons.png: four 32x32
icons side by side (one image section with four versions), anti-aliased by
4x4 supersampling. Only the standard library is needed:
    python3 examples/hello/tools/make_icons.py examples/hello/resdata/Images/icons.png
"""
import math
import struct
import sys
import zlib

SIZE, COUNT, SS = 32, 4, 4
COLORS = [(64, 156, 255), (72, 199, 116), (255, 159, 64), (236, 88, 140)]


def inside(icon, x, y):
    # x, y in 0..1 inside one icon cell.
    cx, cy = x - 0.5, y - 0.5
    if icon == 0:  # disc
        return cx * cx + cy * cy <= 0.40 ** 2
    if icon == 1:  # rounded square
        r, h = 0.12, 0.38
        qx, qy = max(abs(cx) - (h - r), 0), max(abs(cy) - (h - r), 0)
        return qx * qx + qy * qy <= r * r
    if icon == 2:  # triangle pointing up
        return -0.36 <= cy <= 0.34 and abs(cx) <= (cy + 0.36) * 0.58
    d = math.hypot(cx, cy)  # ring with a dot
    return 0.28 <= d <= 0.41 or d <= 0.13


def pixel(icon, px, py):
    hits = sum(inside(icon, (px + (i + 0.5) / SS) / SIZE, (py + (j + 0.5) / SS) / SIZE)
               for i in range(SS) for j in range(SS))
    r, g, b = COLORS[icon]
    return bytes((r, g, b, round(255 * hits / (SS * SS))))


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def main(path):
    width = SIZE * COUNT
    rows = b"".join(b"\0" + b"".join(pixel(x // SIZE, x % SIZE, y) for x in range(width))
                    for y in range(SIZE))
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, SIZE, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main(sys.argv[1])
