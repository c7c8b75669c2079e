"""The progress bar's two images as committed: what their generator makes, what their PNG
chunks say, and their pixels as PIL decodes them."""
import importlib.util
import struct
import zlib

import pytest
from PIL import Image

from harness import ROOT

ASSETS = ROOT / "assets"
IMAGES = ASSETS / "progress"
SAMPLES = {
    (0, 0): (25, 255, 251), (150, 0): (241, 253, 239), (299, 0): (245, 240, 33),
    (0, 6): (6, 149, 186), (150, 6): (73, 149, 74), (299, 6): (185, 150, 2),
    (0, 9): (15, 107, 155), (150, 9): (24, 105, 27), (299, 9): (119, 86, 17),
}


def generator():
    spec = importlib.util.spec_from_file_location(
        "generate_progress_images", ASSETS / "generate_progress_images.py")
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def chunks(data):
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, found = 8, []
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        (crc,) = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        assert crc == zlib.crc32(kind + body), kind
        found.append((kind, body))
        at += 12 + length
    return found


def test_the_generator_makes_exactly_the_committed_files(tmp_path):
    for run in ("first", "second"):
        generator().main(str(tmp_path / run))
        for name in ("background.png", "fill.png"):
            assert (tmp_path / run / name).read_bytes() == (IMAGES / name).read_bytes(), name


@pytest.mark.parametrize("name", ["background.png", "fill.png"])
def test_images_are_plain_300_by_10_rgb_pngs_with_resolution_and_chromaticities(name):
    found = chunks((IMAGES / name).read_bytes())
    kinds = [kind for kind, _ in found]
    assert kinds[0] == b"IHDR" and kinds[-1] == b"IEND"
    # width, height, 8 bits, colour type 2 (RGB), deflate, adaptive filtering, not interlaced
    assert struct.unpack(">IIBBBBB", found[0][1]) == (300, 10, 8, 2, 0, 0, 0)
    assert b"pHYs" in kinds and b"cHRM" in kinds
    # No gamma or colour profile: a decoder that honours one would change the colours.
    assert not {b"gAMA", b"sRGB", b"iCCP"} & set(kinds)


def test_background_is_pale_yellow_everywhere():
    image = Image.open(IMAGES / "background.png")
    assert (image.mode, image.size) == ("RGB", (300, 10))
    assert set(image.getdata()) == {(255, 255, 153)}


def test_fill_hits_its_nine_samples_and_runs_smoothly_between_them():
    image = Image.open(IMAGES / "fill.png")
    assert (image.mode, image.size) == ("RGB", (300, 10))
    for (x, y), colour in SAMPLES.items():
        assert image.getpixel((x, y)) == colour, (x, y)
    rows = [[image.getpixel((x, y)) for x in range(300)] for y in range(10)]
    for y, row in enumerate(rows):
        steps = [max(abs(a - b) for a, b in zip(left, right)) for left, right in zip(row, row[1:])]
        assert max(steps) <= 3, f"a jump in row {y}"
    for x in range(300):
        brightness = [sum(rows[y][x]) for y in range(10)]
        assert brightness == sorted(brightness, reverse=True), f"column {x} is not light to dark"
