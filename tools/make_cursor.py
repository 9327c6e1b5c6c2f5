#!/usr/bin/env python3
"""Writes the game's mouse cursor: a 32 x 32, 32-bit arrow with a dark
outline, hot spot at its tip, as a ".cur" file."""
import struct
import sys

SIZE = 32
# The arrow, one string per row: '#' outline, 'o' fill, '.' transparent.
ARROW = [
    "#",
    "##",
    "#o#",
    "#oo#",
    "#ooo#",
    "#oooo#",
    "#ooooo#",
    "#oooooo#",
    "#ooooooo#",
    "#oooooooo#",
    "#ooooooooo#",
    "#oooooo#####",
    "#ooo#oo#",
    "#oo# #oo#",
    "#o#  #oo#",
    "##    #oo#",
    "#     #oo#",
    "       ##",
]
FILL = (0xF0, 0xD8, 0x40, 0xFF)    # gold, as B G R A
OUTLINE = (0x20, 0x20, 0x20, 0xFF)


def pixel(x, y):
    row = ARROW[y] if y < len(ARROW) else ""
    c = row[x] if x < len(row) else " "
    return OUTLINE if c == "#" else FILL if c == "o" else None


def main(path):
    colour = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # bottom-up rows
        bits = 0
        for x in range(SIZE):
            p = pixel(x, y)
            colour += bytes(p) if p else b"\0\0\0\0"
            bits = bits << 1 | (0 if p else 1)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    image = header + colour + mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 0, 0, len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + entry + image)


if __name__ == "__main__":
    main(sys.argv[1])
