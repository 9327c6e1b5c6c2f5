#!/usr/bin/env python3
"""Draws the textures of the terrain world into a folder (usage:
make_textures.py OUTPUT_FOLDER): the tileable ground textures of the
terrain layers and the blend slots, the transition atlases, the water's
wave normals and the statics' stone. Every texture wraps at its edges.

Atlas layouts (cells of 64 pixels):
- 8 x 4 ("terrain_dirt.png"): cells 0..15 are the transition shapes of a
  corner mask (8 top left, 4 top right, 2 bottom left, 1 bottom right) in the
  left half, row by row; cells 16..31 are full-cover variants in the right
  half, column by column.
- 4 x 4 ("terrain_rock.png"): cells 0..14 the shapes, cell 15 full cover.
"""
import math
import os
import random
import struct
import sys
import zlib

CELL = 64


class Noise:
    """Tileable value noise: a lattice of random values that repeats every
    `period` lattice steps, smoothly interpolated."""

    def __init__(self, seed, period):
        rng = random.Random(seed)
        self.period = period
        self.values = [[rng.random() for _ in range(period)] for _ in range(period)]

    def at(self, x, y):
        p = self.period
        x0, y0 = math.floor(x), math.floor(y)
        fx, fy = x - x0, y - y0
        fx, fy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
        v = self.values
        a = v[y0 % p][x0 % p] + (v[y0 % p][(x0 + 1) % p] - v[y0 % p][x0 % p]) * fx
        b = v[(y0 + 1) % p][x0 % p] + (v[(y0 + 1) % p][(x0 + 1) % p] - v[(y0 + 1) % p][x0 % p]) * fx
        return a + (b - a) * fy


class Fbm:
    """Octaves of tileable noise over an image of `size` pixels: u and v run
    0..1 across it and the sum, 0..1, wraps at the edges."""

    def __init__(self, seed, base_period=4, octaves=4):
        self.octaves = [Noise(seed * 31 + k, base_period << k) for k in range(octaves)]

    def at(self, u, v):
        total, weight, amplitude = 0.0, 0.0, 1.0
        for noise in self.octaves:
            total += noise.at(u * noise.period, v * noise.period) * amplitude
            weight += amplitude
            amplitude *= 0.5
        return total / weight


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def write_png(path, width, height, channels, pixels):
    """pixels: rows top first, `channels` bytes a pixel (3 or 4)."""
    stride = width * channels
    raw = b"".join(b"\0" + bytes(pixels[y * stride:(y + 1) * stride]) for y in range(height))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    colour_type = 2 if channels == 3 else 6
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


def ground(width, height, seed, dark, light, alpha=None, detail=None):
    """A ground texture: two colours mixed by noise, with fine grain; alpha
    (a function of u, v) when given."""
    coarse, fine = Fbm(seed), Fbm(seed + 7, base_period=16, octaves=2)
    pixels = []
    for y in range(height):
        for x in range(width):
            u, v = x / width, y / height
            t = coarse.at(u, v)
            g = fine.at(u, v)
            c = mix(dark, light, clamp((t - 0.3) * 2.2))
            if detail:
                c = detail(c, u, v, g)
            c = tuple(clamp(k * (0.85 + 0.3 * g)) for k in c)
            pixels += [int(k * 255) for k in c]
            if alpha:
                pixels.append(int(clamp(alpha(u, v, t, g)) * 255))
    return pixels


def atlas(path, columns, shape_of, seed, dark, light):
    """A transition atlas: each cell shows the ground where the cell's shape
    covers it (alpha), with ragged edges."""
    width, height = columns * CELL, 4 * CELL
    texture = Fbm(seed)
    edge = Fbm(seed + 3, base_period=8, octaves=3)
    pixels = []
    for y in range(height):
        for x in range(width):
            mask = shape_of(x // CELL, y // CELL)
            u, v = (x % CELL + 0.5) / CELL, (y % CELL + 0.5) / CELL
            # The corners' coverage, blended over the cell.
            corners = [(mask >> 3) & 1, (mask >> 2) & 1, (mask >> 1) & 1, mask & 1]
            top = corners[0] + (corners[1] - corners[0]) * u
            bottom = corners[2] + (corners[3] - corners[2]) * u
            cover = top + (bottom - top) * v
            ragged = edge.at(x / width * columns / 2, y / height * 2)
            a = 1.0 if mask >= 15 else clamp((cover - 0.5 + (ragged - 0.5) * 0.6) * 6 + 0.5)
            t = texture.at(x / width * columns / 2, y / height * 2)
            c = mix(dark, light, clamp((t - 0.3) * 2.2))
            pixels += [int(clamp(k * (0.9 + 0.2 * ragged)) * 255) for k in c]
            pixels.append(int(a * 255))
    write_png(path, width, height, 4, pixels)


def shape_8x4(column, row):
    if column < 4:
        return row * 4 + column
    return 15  # the full-cover variants all cover the cell


def shape_4x4(column, row):
    return row * 4 + column


def wave_normals(path, size, seed):
    heights = Fbm(seed, base_period=4, octaves=3)
    h = [[heights.at(x / size, y / size) for x in range(size)] for y in range(size)]
    pixels = []
    for y in range(size):
        for x in range(size):
            dx = (h[y][(x + 1) % size] - h[y][(x - 1) % size]) * 6
            dy = (h[(y + 1) % size][x] - h[(y - 1) % size][x]) * 6
            n = (-dx, -dy, 1.0)
            length = math.sqrt(sum(k * k for k in n))
            pixels += [int((k / length * 0.5 + 0.5) * 255) for k in n]
    write_png(path, size, size, 3, pixels)


def stone_blocks(u, v, c, rows=4):
    """Mortar lines of a wall of blocks, every other row shifted."""
    row = int(v * rows)
    shift = 0.5 if row % 2 else 0.0
    fu, fv = (u * 2 + shift) % 1.0, (v * rows) % 1.0
    joint = min(fu, 1 - fu, fv * 0.5, (1 - fv) * 0.5)
    return mix((0.25, 0.24, 0.22), c, clamp(joint * 40))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)

    def path(name):
        return os.path.join(out, name)

    # Terrain layers. The repeating grass lets the blend textures show
    # through; the atlases cover where they are painted.
    write_png(path("terrain_grass.png"), 256, 256, 4,
              ground(256, 256, 1, (0.18, 0.34, 0.10), (0.42, 0.62, 0.22),
                     alpha=lambda u, v, t, g: 0.45 + 0.5 * t))
    write_png(path("terrain_sand.png"), 256, 256, 4,
              ground(256, 256, 2, (0.66, 0.58, 0.40), (0.86, 0.80, 0.60),
                     alpha=lambda u, v, t, g: 0.6 + 0.4 * g))
    atlas(path("terrain_dirt.png"), 8, shape_8x4, 3, (0.36, 0.25, 0.15), (0.58, 0.44, 0.28))
    atlas(path("terrain_rock.png"), 4, shape_4x4, 4, (0.38, 0.38, 0.40), (0.66, 0.65, 0.62))

    # Blend slots 0..3, opaque RGBA: the programs read only their colour, and
    # the software renderer samples four-byte texels faster than three-byte
    # ones (about a millisecond a level frame).
    for name, seed, dark, light in [("blend_meadow.png", 5, (0.20, 0.36, 0.12), (0.38, 0.55, 0.20)),
                                    ("blend_soil.png", 6, (0.32, 0.22, 0.13), (0.52, 0.38, 0.24)),
                                    ("blend_stone.png", 7, (0.40, 0.40, 0.40), (0.62, 0.60, 0.56)),
                                    ("blend_moss.png", 8, (0.16, 0.28, 0.14), (0.30, 0.44, 0.22))]:
        write_png(path(name), 256, 256, 4, ground(256, 256, seed, dark, light, alpha=lambda u, v, t, g: 1.0))

    wave_normals(path("water_wave.png"), 128, 9)
    write_png(path("stone_block.png"), 128, 128, 3,
              ground(128, 128, 10, (0.42, 0.40, 0.36), (0.62, 0.58, 0.52),
                     detail=lambda c, u, v, g: stone_blocks(u, v, c)))
    # Five blades, wide at the foot (v = 1) and pointed at the tip.
    write_png(path("grass_blade.png"), 64, 64, 4,
              ground(64, 64, 11, (0.20, 0.40, 0.10), (0.45, 0.70, 0.25),
                     alpha=lambda u, v, t, g: 1.0 if abs((u * 5) % 1.0 - 0.5) < 0.25 * v + 0.03 else 0.0))


if __name__ == "__main__":
    main()
