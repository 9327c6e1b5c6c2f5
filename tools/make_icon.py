#!/usr/bin/env python3
"""Writes the game's window icon: a gold shield with a red Y, as a ".ico"
file of two 32-bit images, 32 x 32 (the big icon, the drawing doubled) and
16 x 16 (the small one)."""
import struct
import sys

# The drawing, one string per row: '#' outline, 'o' gold, 'r' red, '.' transparent.
SHIELD = [
    "................",
    ".##############.",
    ".#oooooooooooo#.",
    ".#orooooooooro#.",
    ".#oorooooooroo#.",
    ".#oooroooorooo#.",
    ".#oooorooroooo#.",
    ".#ooooorrooooo#.",
    ".#ooooorrooooo#.",
    ".#ooooorrooooo#.",
    "..#oooorroooo#..",
    "...#ooorrooo#...",
    "....#oooooo#....",
    ".....#oooo#.....",
    "......####......",
    "................",
]
COLOURS = {  # B G R A
    "#": (0x20, 0x20, 0x20, 0xFF),
    "o": (0x40, 0xC0, 0xE8, 0xFF),
    "r": (0x30, 0x30, 0xC0, 0xFF),
}


def image(size):
    """The drawing at size x size as an icon image: a DIB of bottom-up rows
    of BGRA pixels, then its AND mask (1 = transparent)."""
    scale = size // len(SHIELD)
    colour = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        bits = 0
        for x in range(size):
            p = COLOURS.get(SHIELD[y // scale][x // scale])
            colour += bytes(p) if p else b"\0\0\0\0"
            bits = bits << 1 | (0 if p else 1)
        mask += bits.to_bytes(size // 8, "big").ljust((size + 31) // 32 * 4, b"\0")
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def main(path):
    images = [image(32), image(16)]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in zip((32, 16), images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as out:
        out.write(directory + entries + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
