#!/usr/bin/env python3
"""Draws Torvane's icon (16/32/48/72 px at 8 and 32 bpp) and the 72x72 splash bitmap."""
import math
import struct
import sys
from pathlib import Path


def pixel(x, y, n):
    """RGBA of the artwork at (x, y) on an n x n canvas: a chip with a lightning flash."""
    u = (x + 0.5) / n
    v = (y + 0.5) / n
    # rounded square chip body
    m = 0.12
    if not (m <= u <= 1 - m and m <= v <= 1 - m):
        # pins along the left and right sides
        if (u < m or u > 1 - m) and 0.2 < v < 0.8 and int(v * 10) % 2 == 0:
            return (180, 180, 190, 255)
        return (0, 0, 0, 0)
    # flash bolt: a zigzag band through the chip
    cx = 0.5 + (0.12 if v < 0.5 else -0.12) * (1 - abs(v - 0.5) * 2)
    if abs(u - cx + (v - 0.5) * 0.35) < 0.09 and 0.2 < v < 0.8:
        return (255, 200, 40, 255)
    shade = int(40 + 50 * (1 - v))
    return (shade, shade + 30, 120 + int(60 * u), 255)


def palette():
    pal = []
    for r in range(6):
        for g in range(6):
            for b in range(6):
                pal.append((r * 51, g * 51, b * 51))
    while len(pal) < 256:
        g = (len(pal) - 216) * 6
        pal.append((g, g, g))
    return pal


def nearest(pal, rgb):
    return min(range(len(pal)), key=lambda i: sum((pal[i][k] - rgb[k]) ** 2 for k in range(3)))


def and_mask(n, alpha):
    row = ((n + 31) // 32) * 4
    out = bytearray()
    for y in range(n - 1, -1, -1):
        bits = bytearray(row)
        for x in range(n):
            if alpha(x, y) == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def dib(n, bpp):
    header = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, bpp, 0, 0, 0, 0,
                         256 if bpp == 8 else 0, 0)
    px = [[pixel(x, y, n) for x in range(n)] for y in range(n)]
    body = bytearray()
    if bpp == 8:
        pal = palette()
        for r, g, b in pal:
            body += bytes((b, g, r, 0))
        cache = {}
        stride = (n + 3) & ~3
        for y in range(n - 1, -1, -1):
            row = bytearray(stride)
            for x in range(n):
                rgb = px[y][x][:3]
                if rgb not in cache:
                    cache[rgb] = nearest(pal, rgb)
                row[x] = cache[rgb] if px[y][x][3] else 0
            body += row
    else:
        for y in range(n - 1, -1, -1):
            for x in range(n):
                r, g, b, a = px[y][x]
                body += bytes((b, g, r, a))
    return header + bytes(body) + and_mask(n, lambda x, y: px[y][x][3])


def icon():
    images = [(n, bpp, dib(n, bpp)) for n in (16, 32, 48, 72) for bpp in (8, 32)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, bpp, data in images:
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    return out + b''.join(d for _, _, d in images)


def bitmap(n=72):
    stride = (n * 3 + 3) & ~3
    body = bytearray()
    for y in range(n - 1, -1, -1):
        row = bytearray()
        for x in range(n):
            r, g, b, a = pixel(x, y, n)
            if a == 0:
                r, g, b = 240, 240, 240
            row += bytes((b, g, r))
        body += row + bytes(stride - len(row))
    info = struct.pack('<IiiHHIIiiII', 40, n, n, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return struct.pack('<2sIHHI', b'BM', 14 + 40 + len(body), 0, 0, 54) + info + bytes(body)


if __name__ == '__main__':
    here = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent)
    (here / 'Torvane.ico').write_bytes(icon())
    (here / 'Splash.bmp').write_bytes(bitmap())
