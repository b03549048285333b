#!/usr/bin/env python3
# Draws the editor's two drag cursors (32 x 32, monochrome): an arrow with a
# small box under it, and a plus beside the box for a copy. Run it again
# after a change and commit the .cur files; the build does not run it.
import struct

ARROW = [
    "X",
    "XX",
    "X.X",
    "X..X",
    "X...X",
    "X....X",
    "X.....X",
    "X......X",
    "X.......X",
    "X........X",
    "X.....XXXXX",
    "X..X..X",
    "X.X X..X",
    "XX  X..X",
    "X    X..X",
    "     X..X",
    "      XX",
]


def draw(copy):
    grid = [[" "] * 32 for _ in range(32)]
    for y, row in enumerate(ARROW):
        for x, c in enumerate(row):
            grid[y][x] = c
    for y in range(19, 27):          # the dragged text
        for x in range(8, 20):
            edge = y in (19, 26) or x in (8, 19)
            grid[y][x] = "X" if edge else "."
    if copy:
        for y in range(20, 31):
            for x in range(21, 32):
                grid[y][x] = "."
        for i in range(22, 31):
            grid[25][i] = "X"
            grid[i - 22 + 21][26] = "X"
    return grid


def cursor(grid):
    xor = b""
    andm = b""
    for y in range(31, -1, -1):      # bottom-up rows
        xb = ab = 0
        for x in range(32):
            c = grid[y][x]
            bit = 1 << (31 - x)
            if c == " ":
                ab |= bit            # transparent
            elif c == ".":
                xb |= bit            # white
        xor += struct.pack(">I", xb)
        andm += struct.pack(">I", ab)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, len(xor) + len(andm), 0, 0, 2, 0)
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    image = header + palette + xor + andm
    return struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", 32, 32, 0, 0, 0, 0, len(image), 22) + image


for name, copy in (("drag_copy.cur", True), ("drag_move.cur", False)):
    with open(name, "wb") as f:
        f.write(cursor(draw(copy)))
