#!/usr/bin/python3
"""Generate the splash movie: splash_movie.gif next to this script.

A calm morning shore, 600 x 300 pixels, 10 frames per second, looping without a seam: a pale
sky with a soft low sun, three bands of sea whose crests roll slowly sideways, and the light
wet sand where the water laps. Only the sea moves. The sand along the bottom (where the status
line, the progress bar and the cancel button sit) and the sky in the top right corner (behind
the minimize and close buttons) are the same in every frame, light and quiet.

The GIF is written here rather than by Pillow's writer: every frame after the first holds only
the rectangle that changed, with unchanged pixels transparent ("leave in place" disposal), which
keeps the movie small. One global palette serves every frame, so an unchanged colour is an
unchanged index.

Run with /usr/bin/python3 (Debian's python3-pil), optionally with another output path. Output
is the same bytes on every run.
"""

import math
import os
import random
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "splash_movie.gif")

WIDTH, HEIGHT = 600, 300
FRAMES = 100                # one loop: 10 seconds
DELAY = 10                  # hundredths of a second: 10 frames per second
SUPERSAMPLE = 4
TRANSPARENT = 255           # palette index of unchanged pixels in the later frames

SKY_TOP = (196, 223, 243)
SKY_HORIZON = (247, 249, 251)
HORIZON = 150
SUN_CENTRE = (170, 108)
SUN_RADIUS = 20
SUN_CORE = (255, 248, 228)
SUN_GLOW = (255, 232, 190)
SUN_GLOW_RADIUS = 130
# Soft clouds, away from the top right corner: (centre x, centre y, width, height).
CLOUDS = [(70, 52, 150, 16), (118, 44, 90, 14), (330, 70, 190, 14), (392, 62, 110, 12),
          (262, 30, 120, 10)]
CLOUD = (255, 255, 255)

# The sea, back to front: (colour at its top, colour at the shore, base line, [(amplitude,
# crests across the width, loop cycles, phase)]). A whole number of loop cycles per component
# makes the loop seamless; one cycle in ten seconds keeps it slow.
SEA = [
    ((176, 210, 233), (150, 194, 225), HORIZON, [(1.2, 6, 1, 0.0), (0.6, 13, -1, 1.0)]),
    ((138, 188, 223), (112, 171, 214), 174, [(3.5, 3, 1, 0.4), (1.2, 8, -1, 2.1)]),
    ((98, 160, 209), (78, 142, 198), 203, [(5.0, 2, 1, 1.3), (1.8, 5, 2, 0.2)]),
]
SHORE = ((232, 240, 244), 239, [(3.5, 2, 1, 2.6), (1.4, 6, -1, 0.9)])
SAND_TOP = (236, 230, 217)
SAND_BOTTOM = (247, 243, 236)
SAND_LINE = 250             # the wet edge; below it, nothing moves
GLINTS = 64                 # sparkles of the sun on the water beneath it


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def vertical_gradient(top, bottom, height):
    column = Image.new("RGB", (1, height))
    for y in range(height):
        column.putpixel((0, y), lerp(top, bottom, y / max(height - 1, 1)))
    return column.resize((WIDTH, height), Image.NEAREST)


def supersampled():
    return Image.new("L", (WIDTH * SUPERSAMPLE, HEIGHT * SUPERSAMPLE), 0)


def coverage(mask):
    return mask.resize((WIDTH, HEIGHT), Image.BOX)


def backdrop():
    """Sky, sun, clouds and sand: everything that never moves."""
    image = Image.new("RGB", (WIDTH, HEIGHT))
    image.paste(vertical_gradient(SKY_TOP, SKY_HORIZON, HORIZON + 8), (0, 0))
    glow = Image.radial_gradient("L").resize((2 * SUN_GLOW_RADIUS,) * 2, Image.BILINEAR)
    glow = glow.point(lambda v: round(170 * max(0.0, 1 - v / 255) ** 2.2))
    cx, cy = SUN_CENTRE
    corner = (cx - SUN_GLOW_RADIUS, cy - SUN_GLOW_RADIUS)
    image.paste(Image.new("RGB", glow.size, SUN_GLOW), corner, glow)
    s = SUPERSAMPLE
    clouds = supersampled()
    draw = ImageDraw.Draw(clouds)
    for x, y, w, h in CLOUDS:
        draw.ellipse([(x - w / 2) * s, (y - h / 2) * s, (x + w / 2) * s, (y + h / 2) * s], 255)
    soft = coverage(clouds).filter(ImageFilter.GaussianBlur(4)).point(lambda v: v * 7 // 10)
    image.paste(Image.new("RGB", image.size, CLOUD), (0, 0), soft)
    disc = supersampled()
    r = SUN_RADIUS
    ImageDraw.Draw(disc).ellipse([(cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s], 255)
    image.paste(Image.new("RGB", image.size, SUN_CORE), (0, 0), coverage(disc))
    image.paste(vertical_gradient(SAND_TOP, SAND_BOTTOM, HEIGHT - HORIZON), (0, HORIZON))
    return image


def band_mask(base, waves, frame):
    """Coverage of the area below a wavy line, antialiased by supersampling."""
    s = SUPERSAMPLE
    t = 2 * math.pi * frame / FRAMES
    points = []
    for x in range(0, WIDTH * s + 1, 2):
        u = 2 * math.pi * x / (WIDTH * s)
        y = base + sum(a * math.sin(k * u + c * t + p) for a, k, c, p in waves)
        points.append((x, y * s))
    points += [(WIDTH * s, HEIGHT * s), (0, HEIGHT * s)]
    mask = supersampled()
    ImageDraw.Draw(mask).polygon(points, fill=255)
    return coverage(mask)


def glints():
    """Where the sparkles sit, how long they are, and when they shine."""
    chance = random.Random(7)
    cx = SUN_CENTRE[0]
    placed = []
    for _ in range(GLINTS):
        depth = chance.random()  # 0 at the horizon, 1 near the shore
        y = HORIZON + 4 + depth * 80
        spread = 10 + depth * 42
        x = cx + (chance.random() * 2 - 1) * spread
        length = 3 + depth * 9 * (0.5 + chance.random())
        placed.append((x, y, length, chance.choice((1, 2, 3)), chance.random() * 2 * math.pi))
    return placed


def glint_mask(placed, frame):
    s = SUPERSAMPLE
    t = 2 * math.pi * frame / FRAMES
    mask = supersampled()
    draw = ImageDraw.Draw(mask)
    for x, y, length, cycles, phase in placed:
        shine = max(0.0, math.sin(cycles * t + phase)) ** 2
        if shine > 0.02:
            draw.line([((x - length / 2) * s, y * s), ((x + length / 2) * s, y * s)],
                      fill=round(200 * shine), width=s)
    return coverage(mask)


def reflection():
    """The sun's soft path on the water: strongest beneath it, fading towards the shore."""
    s = SUPERSAMPLE
    mask = supersampled()
    cx = SUN_CENTRE[0]
    ImageDraw.Draw(mask).ellipse([(cx - 20) * s, (HORIZON - 40) * s, (cx + 20) * s,
                                  (HORIZON + 100) * s], 255)
    fade = Image.linear_gradient("L").rotate(180).resize((WIDTH, HEIGHT - HORIZON))
    path = Image.new("L", (WIDTH, HEIGHT), 0)
    path.paste(fade, (0, HORIZON))
    soft = coverage(mask).filter(ImageFilter.GaussianBlur(12))
    return ImageChops.multiply(soft, path).point(lambda v: v * 40 // 100)


def render(still, placed, sun_path, frame):
    image = still.copy()
    for top, bottom, base, waves in SEA:
        crest = round(base - sum(a for a, _, _, _ in waves)) - 1
        water = Image.new("RGB", image.size)
        water.paste(vertical_gradient(top, bottom, HEIGHT - crest), (0, crest))
        image.paste(water, (0, 0), band_mask(base, waves, frame))
    image.paste(Image.new("RGB", image.size, SUN_GLOW), (0, 0), sun_path)
    image.paste(Image.new("RGB", image.size, SUN_CORE), (0, 0), glint_mask(placed, frame))
    # The water's reach over the sand: the wet, lighter sand above the still dry sand.
    colour, base, waves = SHORE
    image.paste(Image.new("RGB", image.size, colour), (0, 0), band_mask(base, waves, frame))
    image.paste(still.crop((0, SAND_LINE, WIDTH, HEIGHT)), (0, SAND_LINE))
    return image


def palette_for(still, frames):
    """255 colours chosen from the backdrop and a few frames together; index 255 stays free."""
    chosen = [still] + frames[::len(frames) // 3][:3]
    sample = Image.new("RGB", (WIDTH, HEIGHT * len(chosen)))
    for i, frame in enumerate(chosen):
        sample.paste(frame, (0, i * HEIGHT))
    quantized = sample.quantize(colors=255, method=Image.Quantize.MEDIANCUT,
                                dither=Image.Dither.NONE)
    colours = quantized.getpalette()[:255 * 3]
    colours += [0] * (256 * 3 - len(colours))
    palette = Image.new("P", (1, 1))
    palette.putpalette(colours)
    return palette, bytes(colours)


def indexed_frames(still, frames, palette):
    """The backdrop is dithered once, so its gradients stay smooth; what moves over it is
    mapped to the nearest colour, pixel by pixel, so an unchanged pixel keeps its index."""
    dithered = still.quantize(palette=palette, dither=Image.Dither.FLOYDSTEINBERG)
    result = []
    for frame in frames:
        moved = ImageChops.difference(frame, still).convert("L").point(lambda v: 255 if v else 0)
        nearest = frame.quantize(palette=palette, dither=Image.Dither.NONE)
        data = Image.composite(nearest, dithered, moved).tobytes()
        assert TRANSPARENT not in data, "a colour took the index of unchanged pixels"
        result.append([data[y * WIDTH:(y + 1) * WIDTH] for y in range(HEIGHT)])
    return result


def lzw(indexes):
    """GIF LZW with 8-bit minimum code size, as data sub-blocks."""
    clear, end = 256, 257
    out = bytearray()
    bits = 0
    nbits = 0
    width = 9

    def emit(code):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    table = {}
    next_code = end + 1
    emit(clear)
    prefix = indexes[0]
    for byte in indexes[1:]:
        key = (prefix << 8) | byte
        code = table.get(key)
        if code is not None:
            prefix = code
            continue
        emit(prefix)
        if next_code == 4096:
            emit(clear)
            table = {}
            next_code = end + 1
            width = 9
        else:
            table[key] = next_code
            if next_code == 1 << width and width < 12:
                width += 1
            next_code += 1
        prefix = byte
    emit(prefix)
    emit(end)
    if nbits:
        out.append(bits & 0xFF)
    blocks = bytearray([8])
    for at in range(0, len(out), 255):
        chunk = out[at:at + 255]
        blocks += bytes([len(chunk)]) + chunk
    return bytes(blocks + b"\0")


def frame_block(pixels, box, transparent):
    left, top, right, bottom = box
    flags = 0x04 | (0x01 if transparent else 0)  # leave in place; transparency
    control = b"\x21\xF9\x04" + struct.pack("<BHBB", flags, DELAY, TRANSPARENT, 0)
    descriptor = b"\x2C" + struct.pack("<HHHHB", left, top, right - left, bottom - top, 0)
    return control + descriptor + lzw(pixels)


def changed_box(previous, current):
    rows = [y for y in range(HEIGHT) if previous[y] != current[y]]
    if not rows:
        return None
    columns = [x for y in rows for x in range(WIDTH) if previous[y][x] != current[y][x]]
    return min(columns), rows[0], max(columns) + 1, rows[-1] + 1


def main():
    still = backdrop()
    placed = glints()
    sun_path = reflection()
    frames = [render(still, placed, sun_path, i) for i in range(FRAMES)]
    palette, colours = palette_for(still, frames)
    indexed = indexed_frames(still, frames, palette)

    gif = bytearray(b"GIF89a" + struct.pack("<HHBBB", WIDTH, HEIGHT, 0xF7, 0, 0) + colours)
    gif += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop for ever
    gif += frame_block(b"".join(indexed[0]), (0, 0, WIDTH, HEIGHT), False)
    for previous, current in zip(indexed, indexed[1:]):
        box = changed_box(previous, current)
        assert box, "two frames in a row are the same"
        left, top, right, bottom = box
        pixels = bytearray()
        for y in range(top, bottom):
            old, new = previous[y], current[y]
            pixels += bytes(n if n != o else TRANSPARENT
                            for o, n in zip(old[left:right], new[left:right]))
        gif += frame_block(bytes(pixels), box, True)
    gif += b"\x3B"
    path = sys.argv[1] if len(sys.argv) > 1 else OUT
    with open(path, "wb") as out:
        out.write(gif)
    print("%s: %d frames, %d bytes" % (os.path.basename(path), FRAMES, len(gif)))


if __name__ == "__main__":
    main()
