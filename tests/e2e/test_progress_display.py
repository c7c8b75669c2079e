"""The status line and the image progress bar on the real main window, drawn from a worker
thread the way the download and the extraction draw them, checked on screenshots."""
import pytest
from PIL import Image

from harness import ROOT, ProgressProbe

STATUS = (149, 281, 320, 19)  # statusCanvas in the window
BAR = (152, 271, 300, 7)      # progressCanvas
WHITE = (255, 255, 255)
TEXT_BLUE = (0, 136, 255)
PALE_YELLOW = (255, 255, 153)
DOWNLOADING = "系统正在为您高速下载{}%,请稍后......"
INSTALLING = "系统正在为您高速安装{}%,请稍后......"
PROMPT = "请选择安装目录进行安装,或默认安装。"
FILL = Image.open(ROOT / "assets" / "progress" / "fill.png").convert("RGB")


@pytest.fixture
def probe(program):
    return ProgressProbe(program).start()


def crop(image, box):
    x, y, w, h = box
    return image.crop((x, y, x + w, y + h))


def status_line(probe, name):
    return crop(probe.program.window_image(name), STATUS)


def ink(image):
    """The pixels that are not white, as (x, y)."""
    w, h = image.size
    return {(x, y) for y in range(h) for x in range(w) if image.getpixel((x, y)) != WHITE}


def shifted(points, dx):
    return {(x + dx, y) for x, y in points}


# ---- The status line ---------------------------------------------------------------------

def test_glyphs_are_in_the_text_colour_and_start_at_the_given_offset(probe):
    for x, text in [(30, DOWNLOADING.format(42)), (30, INSTALLING.format(7)), (16, PROMPT)]:
        probe.status(x, text)
        line = status_line(probe, f"at-{x}")
        assert set(line.getdata()) == {WHITE, TEXT_BLUE}, text
        points = ink(line)
        # The first character's cell begins at x: nothing left of it, its strokes right there.
        assert min(px for px, _ in points) in range(x, x + 2), text
    # Exactly 14 pixels apart: the prompt at 30 is the prompt at 16, moved right.
    at_16 = ink(status_line(probe, "prompt-16"))
    probe.status(30, PROMPT)
    at_30 = ink(status_line(probe, "prompt-30"))
    assert at_30 == {(x, y) for x, y in shifted(at_16, 14) if x < STATUS[2]}


def test_glyphs_are_chinese_characters_not_boxes(probe):
    shapes = []
    for character in "系统下载安装":
        probe.status(30, character)
        points = ink(status_line(probe, "glyph"))
        left = min(x for x, _ in points)
        top = min(y for _, y in points)
        right = max(x for x, _ in points)
        bottom = max(y for _, y in points)
        # A missing glyph's box is its own outline only: a character has strokes inside too.
        inside = {(x, y) for x, y in points if left < x < right and top < y < bottom}
        assert len(inside) > 10, character
        assert right - left >= 8 and bottom - top >= 8, character
        shapes.append(frozenset((x - left, y - top) for x, y in points))
    assert len(set(shapes)) == len(shapes), "each character has a shape of its own"


def test_an_empty_text_leaves_a_white_line(probe):
    probe.status(30, DOWNLOADING.format(99))
    assert ink(status_line(probe, "text"))
    probe.status(30, "")
    assert set(status_line(probe, "empty").getdata()) == {WHITE}


def test_a_long_text_is_cut_at_the_canvas_right_edge(probe):
    probe.status(16, PROMPT * 3)
    image = probe.program.window_image("long")
    points = ink(crop(image, STATUS))
    assert max(x for x, _ in points) >= STATUS[2] - 4, "the text runs up to the edge"
    x, y, w, h = STATUS
    beyond = crop(image, (x + w, y, 600 - x - w, h))
    assert TEXT_BLUE not in set(beyond.getdata()), "nothing is drawn past the canvas"


def test_a_shorter_text_after_a_longer_one_shows_nothing_of_the_longer(probe):
    short = DOWNLOADING.format(5)
    probe.status(30, short)
    alone = status_line(probe, "short-alone")
    probe.status(16, PROMPT * 2)
    longer = status_line(probe, "longer")
    assert longer != alone
    probe.status(30, short)
    assert status_line(probe, "short-after-longer") == alone


def test_the_last_line_and_bar_come_back_after_minimize_and_restore(probe):
    # Restoring a minimized window has it repaint from the canvases' memory images. Covering
    # it by another window would show nothing here: Wine keeps each window's pixels itself.
    probe.status(30, DOWNLOADING.format(5))
    probe.status(30, DOWNLOADING.format(42))
    probe.bar(42)
    program = probe.program
    before = program.window_image("before")
    assert ink(crop(before, STATUS))
    program.minimize_and_restore()
    after = program.window_image("after")
    assert crop(after, STATUS) == crop(before, STATUS)
    assert crop(after, BAR) == crop(before, BAR)


# ---- The progress bar --------------------------------------------------------------------

def bar_pixel(x, y, filled):
    return FILL.getpixel((x, y)) if x < filled else PALE_YELLOW


@pytest.mark.parametrize("value,filled", [(0, 0), (50, 150), (100, 300)])
def test_the_bar_shows_the_fill_as_far_as_the_value_on_the_background(probe, value, filled):
    probe.bar(value, 100)
    bar = crop(probe.program.window_image(f"bar-{value}"), BAR)
    shape = probe.bar_shape()
    # The rounded canvas loses one pixel at each corner of its shape, no more.
    right = max(x for x, _ in shape)
    bottom = max(y for _, y in shape)
    corners = {(0, 0), (right, 0), (0, bottom), (right, bottom)}
    box = {(x, y) for x in range(right + 1) for y in range(bottom + 1)}
    assert shape == box - corners
    assert right >= BAR[2] - 2 and bottom >= BAR[3] - 2
    wrong = [(x, y, bar.getpixel((x, y))) for x, y in sorted(shape)
             if bar.getpixel((x, y)) != bar_pixel(x, y, filled)]
    assert not wrong, f"{len(wrong)} pixels differ, first {wrong[:5]}"
    # Where the canvas has no shape, what lies beneath shows, not the bar.
    for x in range(BAR[2]):
        for y in range(BAR[3]):
            if (x, y) not in shape:
                assert bar.getpixel((x, y)) != bar_pixel(x, y, filled), (x, y)


def test_the_bar_follows_a_download_from_start_to_end(probe):
    """Each update replaces the last: going back to a smaller value shows the smaller bar."""
    shown = []
    for value in (0, 25, 75, 100, 25):
        probe.bar(value)
        shown.append(crop(probe.program.window_image(f"step-{value}"), BAR).tobytes())
    assert len(set(shown[:4])) == 4
    assert shown[4] == shown[1]
