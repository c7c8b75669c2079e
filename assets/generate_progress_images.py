#!/usr/bin/python3
"""Generate the two 300 x 10 images of the progress bar.

Writes into progress/ next to this script:
  background.png  pale yellow RGB(255, 255, 153) everywhere
  fill.png        a gradient, cyan at the left, green in the middle, yellow at the right,
                  light at the top and dark at the bottom

Both are 8-bit RGB PNGs (colour type 2), not interlaced, with pHYs and cHRM chunks, written
byte by byte with zlib so every run gives the same bytes. Rerunning overwrites.
Run with /usr/bin/python3.
"""

import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT_DIR = os.path.join(HERE, "progress")

WIDTH, HEIGHT = 300, 10
BACKGROUND = (255, 255, 153)

# The gradient passes exactly through these pixels: columns 0, 150, 299 by rows 0, 6, 9.
SAMPLE_COLUMNS = (0, 150, 299)
SAMPLE_ROWS = (0, 6, 9)
SAMPLES = {
    (0, 0): (25, 255, 251), (150, 0): (241, 253, 239), (299, 0): (245, 240, 33),
    (0, 6): (6, 149, 186), (150, 6): (73, 149, 74), (299, 6): (185, 150, 2),
    (0, 9): (15, 107, 155), (150, 9): (24, 105, 27), (299, 9): (119, 86, 17),
}

# 96 pixels per inch, so a viewer that honours the resolution shows the images 1:1.
PIXELS_PER_METRE = 3780
# The sRGB white point and primaries, times 100000: no colour conversion is asked for.
CHROMATICITIES = (31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000)


def lagrange_weights(knots, t):
    """Weights of the quadratic through the three knots, at t: exact at each knot."""
    weights = []
    for i, ki in enumerate(knots):
        w = 1.0
        for j, kj in enumerate(knots):
            if i != j:
                w *= (t - kj) / (ki - kj)
        weights.append(w)
    return weights


def fill_pixel(x, y):
    """Smooth (biquadratic) interpolation of the samples; integers at the samples."""
    wx = lagrange_weights(SAMPLE_COLUMNS, x)
    wy = lagrange_weights(SAMPLE_ROWS, y)
    pixel = []
    for channel in range(3):
        value = sum(wx[i] * wy[j] * SAMPLES[(cx, cy)][channel]
                    for i, cx in enumerate(SAMPLE_COLUMNS) for j, cy in enumerate(SAMPLE_ROWS))
        pixel.append(min(255, max(0, int(round(value)))))
    return tuple(pixel)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png(rows):
    """An 8-bit RGB PNG of the rows (lists of (r, g, b)), each row filtered with Sub."""
    raw = bytearray()
    for row in rows:
        raw.append(1)  # Sub: each byte minus the same channel of the pixel to its left
        previous = (0, 0, 0)
        for pixel in row:
            raw.extend((c - p) & 0xFF for c, p in zip(pixel, previous))
            previous = pixel
    header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", header)
            + chunk(b"cHRM", struct.pack(">8I", *CHROMATICITIES))
            + chunk(b"pHYs", struct.pack(">IIB", PIXELS_PER_METRE, PIXELS_PER_METRE, 1))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def images():
    background = [[BACKGROUND] * WIDTH for _ in range(HEIGHT)]
    fill = [[fill_pixel(x, y) for x in range(WIDTH)] for y in range(HEIGHT)]
    return {"background.png": png(background), "fill.png": png(fill)}


def main(out_dir=OUT_DIR):
    os.makedirs(out_dir, exist_ok=True)
    for name, data in images().items():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(*sys.argv[1:2])
