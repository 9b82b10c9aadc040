#!/usr/bin/env python3
"""Draws Ostrel's application icon (an EEPROM chip on a board) into Ostrel.ico.

Images: 16 and 32 px at 8 and 24 bits per pixel, and 16 px at 32 bits per pixel.
Run from this folder: python3 make_icon.py
"""
import struct

BOARD = (0x1E, 0x6B, 0x3A)
EDGE = (0x0F, 0x3D, 0x20)
CHIP = (0x22, 0x22, 0x28)
PIN = (0xC8, 0xC8, 0xB4)
DOT = (0xF2, 0xC0, 0x2C)
NONE = None


def pixel(x, y, n):
    """Colour at (x, y) of an n x n picture, top row first; None = transparent."""
    s = n / 16.0
    fx, fy = (x + 0.5) / s, (y + 0.5) / s
    if fx < 0.5 or fx > 15.5 or fy < 0.5 or fy > 15.5:
        return NONE
    if fx < 1.5 or fx > 14.5 or fy < 1.5 or fy > 14.5:
        return EDGE
    if 5 <= fx <= 11 and 3 <= fy <= 13:
        if 5.5 <= fx <= 7 and 3.5 <= fy <= 5:
            return DOT
        return CHIP
    if (3 <= fx < 5 or 11 < fx <= 13) and 3.5 <= fy <= 12.5 and int(fy * 1) % 2 == 0:
        return PIN
    return BOARD


def rows(n):
    return [[pixel(x, y, n) for x in range(n)] for y in range(n)]


def and_mask(img, n):
    stride = ((n + 31) // 32) * 4
    out = b""
    for row in reversed(img):
        bits = bytearray(stride)
        for x, c in enumerate(row):
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bytes(bits)
    return out


def header(n, bpp, colors=0):
    return struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, bpp, 0, 0, 0, 0, colors, 0)


def image(n, bpp):
    img = rows(n)
    if bpp == 8:
        palette = [(0, 0, 0)]
        for row in img:
            for c in row:
                if c is not None and c not in palette:
                    palette.append(c)
        pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
        pal += b"\0" * (4 * (256 - len(palette)))
        stride = (n + 3) // 4 * 4
        xor = b""
        for row in reversed(img):
            line = bytes(0 if c is None else palette.index(c) for c in row)
            xor += line + b"\0" * (stride - n)
        return header(n, 8, 256) + pal + xor + and_mask(img, n)
    if bpp == 24:
        stride = (3 * n + 3) // 4 * 4
        xor = b""
        for row in reversed(img):
            line = b"".join(b"\0\0\0" if c is None else bytes((c[2], c[1], c[0])) for c in row)
            xor += line + b"\0" * (stride - 3 * n)
        return header(n, 24) + xor + and_mask(img, n)
    xor = b""
    for row in reversed(img):
        xor += b"".join(b"\0\0\0\0" if c is None else bytes((c[2], c[1], c[0], 255)) for c in row)
    return header(n, 32) + xor + and_mask(img, n)


def main():
    sizes = [(16, 8), (32, 8), (16, 24), (32, 24), (16, 32)]
    blobs = [image(n, bpp) for n, bpp in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for (n, bpp), blob in zip(sizes, blobs):
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, bpp, len(blob), offset)
        offset += len(blob)
    with open("Ostrel.ico", "wb") as f:
        f.write(out + b"".join(blobs))


if __name__ == "__main__":
    main()
