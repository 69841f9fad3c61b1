#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files into res/.

settings.ico  a gear (the settings button), 16/20/24/32 px
table.ico     a small grid with a header row (the table button), 16/20/24/32
pinrow.ico    the application icon: a bar holding three buttons, 16 to 48 px
              as bitmaps and 64/96/128 (the About page at 100-200 % scale)
              as PNG

Shapes are described in a 16-unit square and rasterised with 4x4
supersampling, so every size is drawn from the same design. Only the Python
standard library is used: run `python3 scripts/make_icons.py`.
"""
import math
import os
import struct
import zlib

SUPERSAMPLE = 4
OUT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")


def gear(x, y):
    """Colour of the gear at (x, y) in a 16-unit square, or None."""
    dx, dy = x - 8.0, y - 8.0
    r = math.hypot(dx, dy)
    angle = math.atan2(dy, dx)
    teeth = 8
    # A tooth spans a little less than half of each eighth of the circle.
    phase = (angle * teeth / (2 * math.pi)) % 1.0
    outer = 7.4 if abs(phase - 0.5) < 0.22 else 5.6
    if r > outer or r < 2.2:
        return None
    if r > outer - 0.9 or r < 3.0:
        return (60, 64, 72, 255)  # outline
    return (150, 156, 168, 255)


def table(x, y):
    """Colour of the grid at (x, y), or None: 3 x 3 cells, header shaded."""
    if not (1.0 <= x < 15.0 and 2.0 <= y < 14.0):
        return None
    # Grid lines one unit wide, on whole units so 16 px stays crisp.
    if any(c <= x < c + 1 for c in (1, 5, 10, 14)) or \
            any(r <= y < r + 1 for r in (2, 6, 10, 13)):
        return (40, 70, 130, 255)
    if y < 6:
        return (120, 160, 220, 255)  # header row
    return (255, 255, 255, 255)


def app(x, y):
    """The application icon: a blue bar with three buttons, one pressed."""
    if not (1.0 <= x < 15.0 and 3.0 <= y < 13.0):
        return None
    if x < 1.8 or x > 14.2 or y < 3.8 or y > 12.2:
        return (30, 60, 120, 255)
    for i, bx in enumerate((2.6, 6.6, 10.6)):
        if bx <= x < bx + 3.0 and 5.0 <= y < 11.0:
            return (255, 200, 60, 255) if i == 0 else (245, 245, 245, 255)
    return (60, 110, 190, 255)


def render(shape, size):
    """RGBA rows (top first) of `shape` at size x size pixels."""
    pixels = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) * 16.0 / size
                    y = (py + (sy + 0.5) / n) * 16.0 / size
                    c = shape(x, y)
                    if c:
                        a = c[3]
                        acc[0] += c[0] * a
                        acc[1] += c[1] * a
                        acc[2] += c[2] * a
                        acc[3] += a
            alpha = acc[3] / (n * n)
            if acc[3]:
                rgb = [round(acc[i] / acc[3]) for i in range(3)]
            else:
                rgb = [0, 0, 0]
            row.append((rgb[0], rgb[1], rgb[2], round(alpha)))
        pixels.append(row)
    return pixels


def dib(pixels):
    """One icon image: a 32-bit BITMAPINFOHEADER image plus its AND mask."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0,
                         0, 0, 0)
    colour = bytearray()
    for row in reversed(pixels):  # bottom-up
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def png(pixels):
    """One icon image as PNG (RGBA, 8 bits per channel), for large sizes."""
    size = len(pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + \
            struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + bytes(v for px in row for v in px)
                   for row in pixels)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_ico(path, shape, sizes):
    images = [png(render(shape, s)) if s >= 64 else dib(render(shape, s))
              for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32,
                           len(img), offset)
        offset += len(img)
    for img in images:
        out += img
    with open(path, "wb") as f:
        f.write(out)


def main():
    write_ico(os.path.join(OUT_DIR, "settings.ico"), gear, [16, 20, 24, 32])
    write_ico(os.path.join(OUT_DIR, "table.ico"), table, [16, 20, 24, 32])
    write_ico(os.path.join(OUT_DIR, "pinrow.ico"), app,
              [16, 20, 24, 32, 48, 64, 96, 128])


if __name__ == "__main__":
    main()
