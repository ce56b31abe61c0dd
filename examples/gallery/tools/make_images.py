#!/usr/bin/env python3
"""Draws the gallery themes' fader thumb and progress bar in each theme's
colours, anti-aliased by 4x4 supersampling (the icon strip is hello's):
    thumb.png  the fader's thumb, a 16x24 rounded bar
    bar.png    the progress bar, 220x28: the empty bar above the full one
               (one image section in two versions)
Only the standard library is needed:
    python3 examples/gallery/tools/make_images.py examples/gallery/themes
"""
import os
import struct
import sys
import zlib

SS = 4


def rounded(x, y, w, h, r):
    qx = max(abs(x - w / 2) - (w / 2 - r), 0)
    qy = max(abs(y - h / 2) - (h / 2 - r), 0)
    return qx * qx + qy * qy <= r * r


def image(w, h, shape):
    rows = []
    for py in range(h):
        row = b"\0"
        for px in range(w):
            hits = [shape(px + (i + 0.5) / SS, py + (j + 0.5) / SS) for i in range(SS) for j in range(SS)]
            inside = [c for c in hits if c]
            if not inside:
                row += bytes(4)
                continue
            r, g, b = (sum(c[k] for c in inside) // len(inside) for k in range(3))
            row += bytes((r, g, b, round(255 * len(inside) / len(hits))))
        rows.append(row)
    return w, h, b"".join(rows)


def write(path, w, h, data):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(data, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


# Per theme: the accent, the thumb's inside and the empty bar.
THEMES = {
    "dark": ((78, 161, 255), (236, 240, 245), (52, 60, 72)),
    "light": ((31, 111, 209), (255, 255, 255), (205, 212, 221)),
}


def thumb(accent, inside):
    def shape(x, y):
        if not rounded(x, y, 16, 24, 5):
            return None
        return inside if 2 < x < 14 and 2 < y < 22 else accent
    return shape


def bar(accent, empty):
    def shape(x, y):
        full, y = y >= 14, y % 14
        if not rounded(x, y, 220, 14, 7):
            return None
        return accent if full else empty
    return shape


def main(folder):
    for theme, (accent, inside, empty) in THEMES.items():
        images = os.path.join(folder, theme, "Images")
        write(os.path.join(images, "thumb.png"), *image(16, 24, thumb(accent, inside)))
        write(os.path.join(images, "bar.png"), *image(220, 28, bar(accent, empty)))


if __name__ == "__main__":
    main(sys.argv[1])
