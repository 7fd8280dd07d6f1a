#!/usr/bin/env python3
"""Draws the Sorvik application icon (a result list under a magnifying glass)
into sorvik_16.png, sorvik_32.png, sorvik_48.png, sorvik_256.png and sorvik.ico.
Uses the standard library only; run it from any directory."""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SIZES = (16, 32, 48, 256)

ORANGE = (255, 80, 0)
WHITE = (255, 255, 255)
PALE = (255, 214, 190)
INK = (60, 40, 30)
GLASS = (255, 244, 220)


def rounded_rect(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and x0 <= x <= x1 and y0 <= y <= y1


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def shade(u, v):
    """Colour with alpha at a point of the unit square, painter's order."""
    colour, alpha = (0, 0, 0), 0.0
    if rounded_rect(u, v, 0.04, 0.04, 0.96, 0.96, 0.18):
        colour, alpha = ORANGE, 1.0
        # Three rows of a result list.
        for row, top in enumerate((0.20, 0.40, 0.60)):
            if rounded_rect(u, v, 0.14, top, 0.66 - 0.1 * row, top + 0.11, 0.04):
                colour = WHITE if row else PALE
    # Magnifying glass over the lower right corner.
    cx, cy, r = 0.62, 0.60, 0.20
    d = math.hypot(u - cx, v - cy)
    if segment_distance(u, v, 0.76, 0.74, 0.93, 0.91) <= 0.055:
        colour, alpha = INK, 1.0
    if d <= r - 0.045:
        colour, alpha = GLASS, 1.0
    elif d <= r + 0.02:
        colour, alpha = INK, 1.0
    return colour, alpha


def render(size, samples=4):
    pixels = bytearray()
    for y in range(size):
        pixels.append(0)  # PNG filter type: none
        for x in range(size):
            r = g = b = a = 0.0
            for sy in range(samples):
                for sx in range(samples):
                    u = (x + (sx + 0.5) / samples) / size
                    v = (y + (sy + 0.5) / samples) / size
                    colour, alpha = shade(u, v)
                    r += colour[0] * alpha
                    g += colour[1] * alpha
                    b += colour[2] * alpha
                    a += alpha
            n = samples * samples
            if a > 0:
                pixels += bytes((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
            else:
                pixels += bytes(4)
    return bytes(pixels)


def png(size, raw):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico(images):
    """An .ico whose entries hold PNG data (read by Windows Vista and later)."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset + len(body))
        body += data
    return out + body


def main():
    images = []
    for size in SIZES:
        data = png(size, render(size, 4 if size < 256 else 2))
        with open(os.path.join(HERE, "sorvik_%d.png" % size), "wb") as f:
            f.write(data)
        images.append((size, data))
    with open(os.path.join(HERE, "sorvik.ico"), "wb") as f:
        f.write(ico(images))


if __name__ == "__main__":
    main()
