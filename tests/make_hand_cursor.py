#!/usr/bin/env python3
"""Writes tests/hand106.cur, the cursor the tooltip tests carry as resource 106: 32 x 32
pixels, monochrome, a black 16 x 16 square at the top-left, hot spot (4, 2).
Run from the repository's top folder: python3 tests/make_hand_cursor.py"""
import struct

W = H = 32
xor = bytearray(W * H // 8)                  # all black where opaque
mask = bytearray(b"\xff" * (W * H // 8))     # transparent everywhere ...
for y in range(16):                          # ... but the square (rows stored bottom-up)
    row = H - 1 - y
    for x in range(16):
        mask[row * 4 + x // 8] &= ~(0x80 >> (x % 8)) & 0xFF
header = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 1, 0, 0, 0, 0, 2, 0)
palette = struct.pack("<II", 0x000000, 0xFFFFFF)
image = header + palette + bytes(xor) + bytes(mask)
directory = struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", W, H, 0, 0, 4, 2,
                                                       len(image), 6 + 16)
with open("tests/hand106.cur", "wb") as f:
    f.write(directory + image)
