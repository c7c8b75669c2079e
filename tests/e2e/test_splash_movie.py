"""The splash movie: the committed asset and its generator, the copy each run leaves in the
temporary folder, the movie playing behind the controls, the mouse on it, and a run whose
temporary file cannot be written."""
import re
import subprocess
import tempfile
import time

import pytest
from PIL import Image, ImageStat

from harness import ROOT, requests_for, wait_for
from movie import (MOVIE, TEMP_NAME, WHITE, control_boxes, differs_beside_controls, folder_names,
                   frame_on_screen, frames, temp_folder, unix_path)

# What the movie must leave quiet and light: the bottom strip with the status line, the
# progress bar and the cancel button, and the corner behind the minimize and close buttons.
BOTTOM_STRIP = (0, 262, 600, 300)
BUTTON_CORNER = (506, 2, 582, 46)
MISSING_FOLDER = "C:\\mervantis-no-such-temp"


def region(image, box):
    x, y, w, h = box
    return image.crop((x, y, x + w, y + h))


def test_movie_is_its_generators_output_small_looping_and_quiet_where_the_controls_are(tmp_path):
    made = tmp_path / "splash_movie.gif"
    subprocess.run(["/usr/bin/python3", str(ROOT / "assets" / "generate_splash_movie.py"),
                    str(made)], check=True, stdout=subprocess.DEVNULL)
    assert made.read_bytes() == MOVIE.read_bytes(), "the committed movie is not the generator's"
    assert MOVIE.stat().st_size <= 400 * 1024

    with Image.open(MOVIE) as movie:
        assert (movie.format, movie.size, movie.info.get("loop")) == ("GIF", (600, 300), 0)
        durations = []
        for index in range(movie.n_frames):
            movie.seek(index)
            durations.append(movie.info["duration"])
    assert len(durations) > 1 and set(durations) == {100}, "10 frames per second"

    shown = frames()
    for box in (BOTTOM_STRIP, BUTTON_CORNER):
        parts = [frame.crop(box) for frame in shown]
        assert all(part.tobytes() == parts[0].tobytes() for part in parts), f"{box} moves"
        assert min(ImageStat.Stat(parts[0].convert("L")).extrema[0]) >= 200, f"{box} is dark"
    pairs = zip(shown, shown[1:] + shown[:1])
    assert all(a.tobytes() != b.tobytes() for a, b in pairs), "every frame moves"


def test_each_run_leaves_the_movie_in_one_new_temporary_file(program):
    folder = temp_folder(program)
    before = folder_names(folder)
    program.start()
    program.click_in_window(522 + 30, 264 + 10)  # cancel
    assert program.exit_code() == 0
    left = folder_names(folder) - before
    assert len(left) == 1 and TEMP_NAME.fullmatch(left.copy().pop()), left
    assert (folder / left.pop()).read_bytes() == MOVIE.read_bytes()


def test_movie_plays_behind_the_controls(program):
    program.start()
    window = program.window()
    first_image, first = frame_on_screen(program, "first")
    time.sleep(1.2)  # about a dozen frames
    second_image, second = frame_on_screen(program, "second")
    assert first != second
    assert differs_beside_controls(first_image, second_image, window)
    for box in control_boxes(window):
        assert region(first_image, box) == region(second_image, box), box


def test_right_click_on_the_movie_opens_no_menu_and_a_left_click_reaches_it(program):
    program.start()
    w = program.window()
    point = (w["x"] + 300, w["y"] + 120)
    assert program.driver("at", *point)["class"] == "MervantisMoviePlayer"
    program.move(*point)
    time.sleep(0.2)
    subprocess.run(["xdotool", "click", "3"], env=program.env, check=True)
    time.sleep(1.0)
    after_right = program.window()
    assert not after_right["menu"]
    assert after_right["focus"] != 12
    program.click(*point)
    wait_for(lambda: program.window()["focus"] == 12, what="the movie to take the click")
    assert not program.window()["menu"]
    assert program.running()
    frame_on_screen(program, "after-clicks")


@pytest.fixture
def unwritable_temp_folder(wine_env):
    """Programs are given a temporary folder that does not exist (the user's TMP setting); yields
    the Unix path of the folder they are given otherwise."""
    def reg(*args):
        with tempfile.TemporaryFile() as out:
            subprocess.run([wine_env["WINE"], "reg", *args], env=wine_env, stdout=out,
                           stderr=subprocess.DEVNULL, check=True)
            out.seek(0)
            return out.read().decode("gbk", "replace")

    found = re.search(r"^\s*TMP\s+(REG_\w+)\s+(.*?)\s*$",
                      reg("query", "HKCU\\Environment", "/v", "TMP"), re.M)
    assert found, "the user's TMP setting"
    kind, value = found.groups()
    reg("add", "HKCU\\Environment", "/v", "TMP", "/t", "REG_SZ", "/d", MISSING_FOLDER, "/f")
    try:
        yield unix_path(wine_env, value)
    finally:
        reg("add", "HKCU\\Environment", "/v", "TMP", "/t", kind, "/d", value, "/f")


def test_unwritable_temporary_file_leaves_the_area_white_and_the_program_goes_on(
        program, unwritable_temp_folder, server):
    assert program.driver("temp-folder")["path"] == MISSING_FOLDER + "\\"
    usual = folder_names(unwritable_temp_folder)
    program.start(identifier="ok-package.zip")
    # The download still runs, to the installation stage.
    wait_for(lambda: requests_for(server, "ok-package.zip"), what="the download's request")
    wait_for(lambda: program.controls()[7]["visible"], what="the installation stage")
    window = program.window()
    white = Image.new("RGB", (600, 300), WHITE)
    first = program.window_image("white")
    assert not differs_beside_controls(first, white, window)
    # The controls are there, over the white area, and stay; the program goes on.
    assert region(first, (522, 264, 60, 21)) != region(white, (522, 264, 60, 21))
    time.sleep(1.5)
    second = program.window_image("still-white")
    assert not differs_beside_controls(second, white, window)
    assert program.running()
    program.click_in_window(522 + 30, 264 + 10)
    assert program.exit_code() == 0
    assert not temp_folder(program).exists()
    assert folder_names(unwritable_temp_folder) == usual
