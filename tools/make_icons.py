#!/usr/bin/env python3
"""Draws the programs' icons (our own art) and writes them as .ico files:
Moravel's 131 the application (a film frame with a play mark), 151 a movie row, 152 a folder
row; Tessaly's 128 the application and dark file icon (a play mark on a dark rounded tile
with a reel's arc), and TessalyLight.ico, the light file icon shipped beside the program.
Run from the repository's top folder: python3 tools/make_icons.py"""
import struct


def ico(images):
    """images: list of (size, rows) with rows[y][x] = (r, g, b, a); writes 32-bit BMP entries."""
    header = struct.pack('<HHH', 0, 1, len(images))
    entries, blobs = b'', b''
    offset = 6 + 16 * len(images)
    for size, rows in images:
        bih = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        pixels = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
        mask_stride = ((size + 31) // 32) * 4
        mask = b''
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(bits)
        blob = bih + pixels + mask
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return header + entries + blobs


def canvas(size):
    return [[(0, 0, 0, 0) for _ in range(size)] for _ in range(size)]


def app_icon(size):
    c = canvas(size)
    s = size / 32.0
    for y in range(size):
        for x in range(size):
            X, Y = x / s, y / s
            if 2 <= X < 30 and 5 <= Y < 27:
                edge = X < 5 or X >= 27
                hole = edge and int(Y) % 4 in (1, 2) and (3 <= X < 4 or 28 <= X < 29)
                if hole:
                    c[y][x] = (240, 240, 240, 255)
                elif edge:
                    c[y][x] = (40, 40, 48, 255)
                else:
                    t = (Y - 5) / 22.0
                    c[y][x] = (int(200 - 80 * t), int(30 + 20 * t), int(40 + 60 * t), 255)
            # The play mark: a triangle in the frame's middle.
            if 12 <= X < 22 and abs(Y - 16) <= (X - 12) * -0.55 + 5.5:
                c[y][x] = (255, 255, 255, 255)
    return c


def movie_icon(size):
    c = canvas(size)
    for y in range(size):
        for x in range(size):
            if 1 <= x < 15 and 2 <= y < 14:
                c[y][x] = (200, 40, 50, 255) if 3 <= x < 13 else (40, 40, 48, 255)
                if x in (1, 2, 13, 14) and y % 3 == 0:
                    c[y][x] = (240, 240, 240, 255)
            if 6 <= x < 11 and abs(y - 8) <= (x - 6) * -0.6 + 3:
                c[y][x] = (255, 255, 255, 255)
    return c


def folder_icon(size):
    c = canvas(size)
    for y in range(size):
        for x in range(size):
            if 1 <= x < 7 and 2 <= y < 4:
                c[y][x] = (214, 160, 40, 255)
            if 1 <= x < 15 and 4 <= y < 14:
                shade = 250 - (y - 4) * 5
                c[y][x] = (shade, 196, 60, 255) if y > 4 else (214, 160, 40, 255)
            if (x in (1, 14) or y == 13) and 4 <= y < 14 and 1 <= x < 15:
                c[y][x] = (170, 120, 20, 255)
    return c


def tessaly_icon(size, light):
    """A rounded tile with a quarter-reel arc in one corner and a play mark in the middle."""
    c = canvas(size)
    s = size / 32.0
    if light:
        top, bottom, arc, mark = (250, 250, 244), (214, 222, 232), (150, 170, 200), (40, 60, 110)
    else:
        top, bottom, arc, mark = (52, 58, 84), (18, 20, 34), (90, 104, 150), (255, 168, 40)
    for y in range(size):
        for x in range(size):
            X, Y = (x + 0.5) / s, (y + 0.5) / s
            # Rounded corners of radius 6 on a 30 x 30 tile.
            cx = min(max(X, 7), 25)
            cy = min(max(Y, 7), 25)
            if 1 <= X < 31 and 1 <= Y < 31 and (X - cx) ** 2 + (Y - cy) ** 2 <= 36:
                t = (Y - 1) / 30.0
                c[y][x] = tuple(int(a + (b - a) * t) for a, b in zip(top, bottom)) + (255,)
                r = ((X - 31) ** 2 + (Y - 31) ** 2) ** 0.5
                if 17 <= r < 20:
                    c[y][x] = arc + (255,)
            # The play mark.
            if 11 <= X < 23 and abs(Y - 15) <= (23 - X) * 0.58:
                c[y][x] = mark + (255,)
    return c


if __name__ == '__main__':
    with open('player/res/tessaly.ico', 'wb') as f:
        f.write(ico([(48, tessaly_icon(48, False)), (32, tessaly_icon(32, False)),
                     (16, tessaly_icon(16, False))]))
    with open('player/res/TessalyLight.ico', 'wb') as f:
        f.write(ico([(48, tessaly_icon(48, True)), (32, tessaly_icon(32, True)),
                     (16, tessaly_icon(16, True))]))
    with open('viewer/res/moravel.ico', 'wb') as f:
        f.write(ico([(32, app_icon(32)), (16, app_icon(16))]))
    with open('viewer/res/movie.ico', 'wb') as f:
        f.write(ico([(16, movie_icon(16))]))
    with open('viewer/res/folder.ico', 'wb') as f:
        f.write(ico([(16, folder_icon(16))]))
