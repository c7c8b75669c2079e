#!/usr/bin/python3
"""Generate the picture-button bitmaps of the setup main window.

Writes 24-bit uncompressed BMPs into buttons/ next to this script:
  close.bmp, minimize.bmp            32x32, yellow (255,255,0) is the cut-out colour
  exit[_hover].bmp, install[_hover].bmp, browse[_hover].bmp   60x21 face buttons

Run with a Python that has Pillow (Debian: /usr/bin/python3 + python3-pil) and
fonts-wqy-zenhei installed. Output is deterministic; rerunning overwrites.
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT_DIR = os.path.join(HERE, "buttons")

FONT_CANDIDATES = [
    "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc",
    "/usr/share/fonts/wqy-zenhei/wqy-zenhei.ttc",
]
# Index 2 of the collection is "Zen Hei Sharp", which carries hand-tuned
# bitmap strikes at small sizes, so 13 px CJK glyphs come out crisp.
FONT_INDEX = 2
FONT_SIZE = 13

# The window shape drops every pixel of this colour, so it must appear only
# in the surround of the caption buttons and never inside any button face.
TRANSPARENT = (255, 255, 0)

CAPTION_SIZE = (32, 32)
CAPTION_MARGIN = 4          # yellow ring around the rounded square
CAPTION_RADIUS = 6
CAPTION_FILL = (0, 0, 0)
GLYPH_COLOUR = (255, 255, 255)

FACE_SIZE = (60, 21)
FACE_TOP = (226, 241, 253)
FACE_BOTTOM = (188, 220, 247)
FACE_BORDER = (78, 132, 190)
LABEL_NORMAL = (0, 0, 0)
LABEL_HOVER = (255, 0, 0)

SUPERSAMPLE = 8


def find_font():
    for path in FONT_CANDIDATES:
        if os.path.exists(path):
            return ImageFont.truetype(path, FONT_SIZE, index=FONT_INDEX)
    sys.exit("WenQuanYi Zen Hei (fonts-wqy-zenhei) not found")


def caption_base():
    """Black rounded square on the transparent yellow, drawn without
    anti-aliasing so no blended yellowish pixel leaks into the shape."""
    img = Image.new("RGB", CAPTION_SIZE, TRANSPARENT)
    w, h = CAPTION_SIZE
    m = CAPTION_MARGIN
    ImageDraw.Draw(img).rounded_rectangle(
        [m, m, w - 1 - m, h - 1 - m], radius=CAPTION_RADIUS, fill=CAPTION_FILL)
    return img


def paint_glyph(img, draw_mask):
    """Blend a white glyph over the black square only. The glyph is drawn
    supersampled into a coverage mask so its edges fade white-to-grey
    against black, which can never produce the cut-out colour."""
    w, h = img.size
    big = Image.new("L", (w * SUPERSAMPLE, h * SUPERSAMPLE), 0)
    draw_mask(ImageDraw.Draw(big), SUPERSAMPLE)
    mask = big.resize((w, h), Image.BOX)
    px = img.load()
    mk = mask.load()
    for y in range(h):
        for x in range(w):
            a = mk[x, y]
            if a and px[x, y] == CAPTION_FILL:
                px[x, y] = tuple((c * a + 127) // 255 for c in GLYPH_COLOUR)


def make_close():
    img = caption_base()

    def cross(d, s):
        lo, hi, width = 10.5, 21.5, 2.6
        d.line([(lo * s, lo * s), (hi * s, hi * s)], fill=255, width=round(width * s))
        d.line([(lo * s, hi * s), (hi * s, lo * s)], fill=255, width=round(width * s))

    paint_glyph(img, cross)
    return img


def make_minimize():
    img = caption_base()
    # Pixel-aligned bar in the lower half of the square; no blending needed.
    ImageDraw.Draw(img).rectangle([10, 19, 21, 21], fill=GLYPH_COLOUR)
    return img


def make_face():
    w, h = FACE_SIZE
    img = Image.new("RGB", FACE_SIZE)
    px = img.load()
    # Gentle vertical gradient, integer math so the output is reproducible.
    for y in range(h):
        t = y * 1000 // (h - 1)
        row = tuple(a + (b - a) * t // 1000 for a, b in zip(FACE_TOP, FACE_BOTTOM))
        for x in range(w):
            px[x, y] = row
    ImageDraw.Draw(img).rectangle([0, 0, w - 1, h - 1], outline=FACE_BORDER)
    return img


def label_mask(text, font):
    """1-bit label mask the size of the face, centred on its ink box so the
    label sits visually in the middle regardless of font ascent."""
    w, h = FACE_SIZE
    scratch = Image.new("1", (w * 2, h * 2), 0)
    d = ImageDraw.Draw(scratch)
    d.fontmode = "1"
    d.text((0, 0), text, font=font, fill=1)
    box = scratch.getbbox()
    if box is None:
        sys.exit("label %r rendered empty" % text)
    ink = scratch.crop(box)
    iw, ih = ink.size
    mask = Image.new("1", FACE_SIZE, 0)
    mask.paste(ink, ((w - iw) // 2, (h - ih) // 2))
    return mask


def make_label_button(text, colour, font):
    img = make_face()
    img.paste(Image.new("RGB", FACE_SIZE, colour), (0, 0), label_mask(text, font))
    return img


def save(img, name):
    assert img.mode == "RGB"
    img.save(os.path.join(OUT_DIR, name), "BMP")


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    font = find_font()
    save(make_close(), "close.bmp")
    save(make_minimize(), "minimize.bmp")
    for name, text in (("exit", "取消"), ("install", "安装"), ("browse", "浏览")):
        save(make_label_button(text, LABEL_NORMAL, font), name + ".bmp")
        save(make_label_button(text, LABEL_HOVER, font), name + "_hover.bmp")


if __name__ == "__main__":
    main()
