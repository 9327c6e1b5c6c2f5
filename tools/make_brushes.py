#!/usr/bin/env python3
"""Draws the terrain editor's brush masks into a folder (usage:
make_brushes.py OUTPUT_FOLDER). The editor reads their red channel as the
brush's strength and scales them to 1, 3, ..., 31 pixels:
- "brush.png": round, full strength inside half the radius, falling
  smoothly to nothing at the rim;
- "rect_brush.png": square, full strength everywhere.
"""
import os
import sys

from make_textures import write_png

SIZE = 64


def round_brush(x, y):
    centre = (SIZE - 1) / 2
    d = ((x - centre) ** 2 + (y - centre) ** 2) ** 0.5 / (SIZE / 2)
    t = min(max((d - 0.5) / 0.5, 0.0), 1.0)
    return 1.0 - t * t * (3 - 2 * t)


def write_brush(path, strength):
    pixels = []
    for y in range(SIZE):
        for x in range(SIZE):
            pixels += [round(255 * strength(x, y))] * 3
    write_png(path, SIZE, SIZE, 3, pixels)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_brush(os.path.join(out, "brush.png"), round_brush)
    write_brush(os.path.join(out, "rect_brush.png"), lambda x, y: 1.0)


if __name__ == "__main__":
    main()
