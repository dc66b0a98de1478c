#!/usr/bin/env python3
"""Draws the programs' icons (our own art) and writes them as .ico files:
Moravel's 131 the application (a film frame with a play mark), 151 a movie row, 152 a folder
row; Tessaly's 128 the application and dark file icon (a play mark on a dark rounded tile
with a reel's arc), TessalyLight.ico, the light file icon shipped beside the program, and the
images of Tessaly's toolbar (toolbar.bmp, 16 x 15 each).
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


MAGENTA = (255, 0, 255)  # transparent in the toolbar bitmap
INK = (36, 40, 56)


def bmp(width, height, pixel):
    """A 24-bit bottom-up BMP file of pixel(x, y) -> (r, g, b)."""
    stride = (width * 3 + 3) & ~3
    rows = b''
    for y in reversed(range(height)):
        row = b''.join(bytes((b, g, r)) for (r, g, b) in (pixel(x, y) for x in range(width)))
        rows += row + bytes(stride - len(row))
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(rows), 0, 0, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    return head + info + rows


def tri_right(x, y, x0, x1, cy=7):
    """A triangle pointing right, from x0 to x1, centred on row cy."""
    return x0 <= x <= x1 and abs(y - cy) <= (x1 - x) * 6.0 / max(x1 - x0, 1)


def tri_left(x, y, x0, x1, cy=7):
    return x0 <= x <= x1 and abs(y - cy) <= (x - x0) * 6.0 / max(x1 - x0, 1)


def screen(x, y):
    """The outline of a screen: the frame the scale-mode images draw into."""
    return (x in (1, 14) and 2 <= y <= 12) or (y in (2, 12) and 1 <= x <= 14)


def inside(x, y):
    return 2 <= x <= 13 and 3 <= y <= 11


def ellipse(x, y, cx, cy, rx, ry):
    return ((x + 0.5 - cx) / rx) ** 2 + ((y + 0.5 - cy) / ry) ** 2 <= 1.0


TOOL_BLUE, TOOL_GREEN, TOOL_ORANGE = (40, 90, 170), (30, 140, 60), (232, 140, 30)


def tool_image(name, x, y):
    """One 16 x 15 toolbar image: (r, g, b) of pixel (x, y), MAGENTA where transparent."""
    if name == 'open':  # an open folder
        if 1 <= x <= 6 and y == 3:
            return (200, 150, 40)
        if 1 <= x <= 13 and 4 <= y <= 12 and (x in (1, 13) or y in (4, 12)):
            return (150, 100, 20)
        if 2 <= x <= 12 and 5 <= y <= 11:
            return (240, 200, 80) if y >= 7 else (220, 170, 50)
    elif name == 'save':  # a disk with its label
        if 1 <= x <= 14 and 1 <= y <= 13:
            if 4 <= x <= 11 and 2 <= y <= 6:
                return (250, 250, 250)
            if 5 <= x <= 10 and 9 <= y <= 13:
                return (150, 160, 180)
            return TOOL_BLUE
    elif name == 'start':  # |<
        if 3 <= x <= 4 and 2 <= y <= 12 or tri_left(x, y, 5, 12):
            return INK
    elif name == 'back':  # <<
        if tri_left(x, y, 1, 7) or tri_left(x, y, 8, 14):
            return INK
    elif name == 'play':
        if tri_right(x, y, 4, 12):
            return TOOL_GREEN
    elif name == 'pause':
        if (4 <= x <= 6 or 9 <= x <= 11) and 2 <= y <= 12:
            return INK
    elif name == 'forward':  # >>
        if tri_right(x, y, 1, 7) or tri_right(x, y, 8, 14):
            return INK
    elif name == 'end':  # >|
        if tri_right(x, y, 3, 10) or 11 <= x <= 12 and 2 <= y <= 12:
            return INK
    elif name == 'background':  # four colour swatches
        if 1 <= x <= 14 and 1 <= y <= 13:
            if x in (1, 14) or y in (1, 13) or x == 7 or y == 7:
                return INK
            left, top = x < 7, y < 7
            return {(True, True): (220, 50, 50), (False, True): (250, 210, 40),
                    (True, False): TOOL_GREEN, (False, False): TOOL_BLUE}[(left, top)]
    elif name == 'fullscreen':  # a screen with arrows to its corners
        if screen(x, y):
            return INK
        # Brackets in the corners, opening outwards.
        cx, cy = (3 if x < 8 else 12), (4 if y < 7 else 10)
        dx, dy = abs(x - cx), abs(y - cy)
        inward = (x >= cx if cx == 3 else x <= cx) and (y >= cy if cy == 4 else y <= cy)
        if inward and (dx == 0 and dy <= 2 or dy == 0 and dx <= 2):
            return TOOL_BLUE
        if 6 <= x <= 9 and 6 <= y <= 8:
            return (150, 170, 210)
    elif name in ('showall', 'exactfit', 'noborder', 'noscale'):
        if screen(x, y):
            return INK
        shape = {'showall': lambda: ellipse(x, y, 8, 7.5, 4.5, 4.5),
                 'exactfit': lambda: ellipse(x, y, 8, 7.5, 6, 4.5),
                 'noborder': lambda: ellipse(x, y, 8, 7.5, 6.3, 6.3),
                 'noscale': lambda: ellipse(x, y, 8, 7.5, 2.5, 2.5)}[name]
        if inside(x, y) and shape():
            return TOOL_ORANGE
        if inside(x, y):
            return (250, 250, 250)
    return MAGENTA


# In the order of the toolbar's buttons (separators take no image).
TOOL_IMAGES = ['open', 'save', 'start', 'back', 'play', 'pause', 'forward', 'end', 'background',
               'fullscreen', 'showall', 'exactfit', 'noborder', 'noscale']


def toolbar_bitmap():
    return bmp(16 * len(TOOL_IMAGES), 15, lambda x, y: tool_image(TOOL_IMAGES[x // 16], x % 16, y))


if __name__ == '__main__':
    with open('player/res/toolbar.bmp', 'wb') as f:
        f.write(toolbar_bitmap())
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
