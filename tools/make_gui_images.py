#!/usr/bin/env python3
"""Draws the GUI's pictures as small PNG files, with the imageset that names
the parts of the atlas:

  ui_2.png + ui_2.imageset   the start screen's atlas (selection brush, panel,
                             backdrop, the two studio logos)
  icon_effect.png            the icon cooldown sweep, 8 frames of 64 x 64
  UIHEAD1.tga                the unit icons, 64 x 64 cells: column y, row z of
                             a unit type's icon text "1 y z"
  Mask.png + Mask.imageset   the mask over an icon that cannot be had
  DefaultIcon.png + .imageset  the picture of an icon text with a negative number

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


def write_tga(path, width, height, pixel):
    """Uncompressed 32-bit, top-left origin; pixel(x, y) -> (r, g, b, a)."""
    data = bytearray(struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, width, height, 32, 0x28))
    for y in range(height):
        for x in range(width):
            r, g, b, a = pixel(x, y)
            data.extend((b, g, r, a))
    with open(path, "wb") as f:
        f.write(bytes(data))


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


# The list selection brush, drawn untinted under the selected entry: a warm
# mid tone (luminance 0.2), on which the open levels' yellow and the locked
# levels' dark red both stand out (contrast about 3.9 each); a light brush
# would hide the yellow, a dark one the red.
SELECTION = (146, 120, 92, 255)


def atlas(x, y):
    for name, (px, py, w, h) in PARTS.items():
        if px <= x < px + w and py <= y < py + h:
            lx, ly = x - px, y - py
            if name == "mask_0":
                return SELECTION
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


# The unit icons: (column, row) -> (name, ground colour, figure colour, figure).
def _sword(px, py):
    blade = abs(px - 32) < 3 and 10 <= py <= 44
    guard = abs(py - 44) < 3 and abs(px - 32) < 12
    grip = abs(px - 32) < 2.5 and 44 <= py <= 54
    return blade or guard or grip


def _bow(px, py):
    d = math.hypot(px - 44, py - 32)
    arc = 20 <= d <= 24 and px < 44
    string = abs(px - 30) < 1.5 and 12 <= py <= 52
    arrow = abs(py - 32) < 1.5 and 14 <= px <= 52
    return arc or string or arrow


def _wheat(px, py):
    stalk = abs(px - 32) < 2 and 20 <= py <= 56
    grains = any(math.hypot((px - 32 - sx) / 4.0, (py - gy) / 7.0) <= 1.0
                 for gy in (14, 24, 34) for sx in (-6, 6))
    return stalk or grains


def _cross(px, py):
    return (abs(px - 32) < 5 and 10 <= py <= 54) or (abs(py - 26) < 5 and 16 <= px <= 48)


def _face(px, py):
    head = math.hypot(px - 32, py - 34) <= 18
    eyes = math.hypot(px - 25, py - 30) <= 3 or math.hypot(px - 39, py - 30) <= 3
    ears = abs(py - 28) < 4 and (6 <= px <= 14 or 50 <= px <= 58)
    return (head and not eyes) or ears


def _club(px, py):
    handle = abs((px - 32) + (py - 32)) < 4 and 18 <= px <= 50
    head = math.hypot(px - 44, py - 20) <= 10
    return handle or head


def _coin(px, py):
    d = math.hypot(px - 32, py - 32)
    return d <= 20 and not (d <= 14 and abs(px - 32) > 3)


ICONS = {
    (0, 0): ("swordsman", (40, 70, 140), (230, 230, 240), _sword),
    (1, 0): ("archer", (40, 110, 60), (220, 190, 120), _bow),
    (2, 0): ("farmer", (120, 100, 40), (240, 210, 90), _wheat),
    (3, 0): ("priest", (90, 60, 130), (250, 250, 220), _cross),
    (0, 1): ("goblin", (60, 40, 30), (110, 190, 70), _face),
    (1, 1): ("brute", (80, 30, 30), (170, 130, 90), _club),
    (2, 1): ("dark_archer", (30, 30, 40), (150, 80, 170), _bow),
    (3, 1): ("gold", (60, 50, 20), (250, 210, 60), _coin),
    (0, 2): ("goldA", (40, 40, 50), (220, 220, 230), _coin),
}


def unit_icons(x, y):
    key = (x // 64, y // 64)
    if key not in ICONS:
        return (0, 0, 0, 0)
    _, ground, figure, inside = ICONS[key]
    lx, ly = x % 64, y % 64
    edge = lx in (0, 63) or ly in (0, 63)
    if edge:
        return (200, 170, 90, 255)
    shade = mix(ground, tuple(c // 2 for c in ground), ly / 63.0)
    return mix(shade, figure, smooth(inside, lx, ly)) + (255,)


def mask(x, y):
    """Dark and see-through, with a grey diagonal hatch."""
    return (60, 60, 60, 200) if (x + y) % 8 < 2 else (0, 0, 0, 150)


def default_icon(x, y):
    """A question mark on grey."""
    def inside(px, py):
        d = math.hypot(px - 32, py - 24)
        hook = 9 <= d <= 14 and not (py > 24 and px < 32)
        stem = abs(px - 32) < 3 and 30 <= py <= 42
        dot = math.hypot(px - 32, py - 50) <= 4
        return hook or stem or dot
    return mix((90, 90, 90), (240, 240, 240), smooth(inside, x, y)) + (255,)


def single_imageset(name, image, size):
    return ('<?xml version="1.0" ?>\n'
            '<Imageset version="2" name="%s" imagefile="%s.png" nativeHorzRes="800" nativeVertRes="600" '
            'autoScaled="false">\n'
            '  <Image name="%s" xPos="0" yPos="0" width="%d" height="%d" />\n'
            '</Imageset>\n' % (name, name, image, size, size))


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
    write_tga(os.path.join(out, "UIHEAD1.tga"), 256, 192, unit_icons)
    write_png(os.path.join(out, "Mask.png"), 64, 64, mask)
    write_png(os.path.join(out, "DefaultIcon.png"), 64, 64, default_icon)
    for name, image in (("Mask", "Mask_0"), ("DefaultIcon", "DefaultIcon")):
        with open(os.path.join(out, name + ".imageset"), "w") as f:
            f.write(single_imageset(name, image, 64))


if __name__ == "__main__":
    main()
