#!/usr/bin/env python3
"""Draws the nuclear plant symbols: a trefoil in a yellow disc, 17 x 17 pixels,
RGBA with a transparent background. The inactive one is grey.

    tools/plant_symbols.py OUTPUT_FOLDER
"""
import math
import struct
import sys
import zlib
from pathlib import Path

SIZE = 17


def png(pixels, width, height):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + bytes(c for px in pixels[y * width:(y + 1) * width] for c in px) for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def symbol(disc, ink):
    c = (SIZE - 1) / 2
    pixels = []
    for y in range(SIZE):
        for x in range(SIZE):
            dx, dy = x - c, y - c
            r = math.hypot(dx, dy)
            if r > c + 0.25:
                pixels.append((0, 0, 0, 0))
                continue
            if r > c - 0.9:
                pixels.append(ink)  # the rim
                continue
            # Three blades 60 degrees wide, pointing up-left, up-right and down, and a hub.
            angle = math.degrees(math.atan2(dy, dx)) % 360
            blade = any(abs((angle - a + 180) % 360 - 180) < 30 for a in (210, 330, 90))
            if r < 1.5 or (2.5 < r < c - 2.0 and blade):
                pixels.append(ink)
            else:
                pixels.append(disc)
    return png(pixels, SIZE, SIZE)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / "RadioActiveSymbol.png").write_bytes(symbol((255, 255, 0, 255), (0, 0, 0, 255)))
    (out / "RadioActiveSymbol.inactive.png").write_bytes(symbol((192, 192, 192, 255), (96, 96, 96, 255)))


if __name__ == "__main__":
    main()
