#!/usr/bin/env python3
"""Draws the GUI's pictures as small PNG files, with the imageset that names
the parts of the atlas:

  ui_2.png + ui_2.imageset   the start screen's atlas (selection brush, panel,
                             backdrop, the two studio logos)
  icon_effect.png            the icon cooldown sweep, 8 frames of 64 x 64

Usage: make_gui_images.py OUTPUT_FOLDER"""
import math
import os
import random
import struct
import sys
import zlib


def write_png(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a), each 0..255."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
        f.write(chunk(b"IEND", b""))


def smooth(inside, x, y, samples=4):
    """Share (0..1) of the pixel (x, y) that inside(px, py) covers."""
    hits = 0
    for i in range(samples):
        for j in range(samples):
            if inside(x + (i + 0.5) / samples, y + (j + 0.5) / samples):
                hits += 1
    return hits / (samples * samples)


def mix(a, b, t):
    return tuple(int(round(a[k] + (b[k] - a[k]) * t)) for k in range(len(a)))


# The atlas: name -> (x, y, width, height).
PARTS = {
    "background": (0, 0, 256, 192),
    "mask_0": (256, 0, 16, 16),
    "panel": (272, 0, 16, 16),
    "logo_quenrix": (288, 0, 128, 128),
    "logo_vell": (288, 128, 128, 128),
}


def backdrop(x, y):
    """Night sky over dark hills, with a few faint stars."""
    sky = mix((10, 22, 48), (60, 40, 70), y / 191.0)
    hill = 140 + 20 * math.sin(x / 18.0) + 12 * math.sin(x / 8.6 + 1.0)
    if y > hill:
        return (22, 26, 20, 255)
    if (x, y) in STARS:
        return mix(sky, (200, 200, 180), 0.6) + (255,)
    return sky + (255,)


# The same stars on every run.
_stars = random.Random(7)
STARS = {(_stars.randrange(256), _stars.randrange(110)) for _ in range(70)}


def quenrix(x, y):
    """A gold ring with a tail."""
    def inside(px, py):
        d = math.hypot(px - 60, py - 60)
        ring = 34 <= d <= 46
        tail = abs((px - 60) - (py - 60)) < 6 and 70 <= px <= 108 and 70 <= py <= 108
        return ring or tail
    a = smooth(inside, x, y)
    return (235, 190, 70, int(255 * a))


def vell(x, y):
    """A green leaf crossed by a V."""
    def inside(px, py):
        leaf = ((px - 64) / 50.0) ** 2 + ((py - 64) / 30.0) ** 2 <= 1.0
        v = abs(py - (100 - 1.8 * abs(px - 64))) < 7 and 28 <= py <= 104
        return leaf != v
    a = smooth(inside, x, y)
    return (90, 200, 120, int(255 * a))


def atlas(x, y):
    for name, (px, py, w, h) in PARTS.items():
        if px <= x < px + w and py <= y < py + h:
            lx, ly = x - px, y - py
            if name == "mask_0":
                return (255, 255, 255, 255)
            if name == "panel":
                return (28, 36, 51, 224)
            if name == "background":
                return backdrop(lx, ly)
            if name == "logo_quenrix":
                return quenrix(lx, ly)
            return vell(lx, ly)
    return (0, 0, 0, 0)


def cooldown(x, y):
    """Frame k of 8 darkens (8 - k) / 8 of the square, clockwise from 12."""
    frame = (y // 64) * 4 + x // 64
    lx, ly = x % 64 - 31.5, y % 64 - 31.5
    share = (8 - frame) / 8.0
    angle = (math.atan2(lx, -ly) / (2 * math.pi)) % 1.0
    return (0, 0, 0, 150) if angle < share else (0, 0, 0, 0)


def imageset_text():
    lines = ['<?xml version="1.0" ?>',
             '<Imageset version="2" name="ui_2" imagefile="ui_2.png" nativeHorzRes="800" '
             'nativeVertRes="600" autoScaled="false">']
    for name, (x, y, w, h) in PARTS.items():
        lines.append('  <Image name="%s" xPos="%d" yPos="%d" width="%d" height="%d" />' % (name, x, y, w, h))
    lines.append("</Imageset>")
    return "\n".join(lines) + "\n"


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    write_png(os.path.join(out, "ui_2.png"), 512, 256, atlas)
    with open(os.path.join(out, "ui_2.imageset"), "w") as f:
        f.write(imageset_text())
    write_png(os.path.join(out, "icon_effect.png"), 256, 128, cooldown)


if __name__ == "__main__":
    main()
