"""The splash movie as the end-to-end tests see it: its frames, decoded from the committed file,
the frame a window image shows where no control lies over the movie, and the temporary folder
the program writes the movie to."""
import functools
import pathlib
import re
import time

from PIL import Image, ImageChops, ImageDraw, ImageSequence

from harness import ROOT

MOVIE = ROOT / "assets" / "splash_movie.gif"
TEMP_NAME = re.compile(r"[0-9a-f]+\.tmp")
WHITE = (255, 255, 255)


@functools.lru_cache(maxsize=1)
def frames():
    with Image.open(MOVIE) as movie:
        return [frame.convert("RGB") for frame in ImageSequence.Iterator(movie)]


def control_boxes(window):
    """(x, y, width, height) of every visible control except the player itself."""
    return [(c["x"], c["y"], c["width"], c["height"]) for c in window["controls"]
            if c["visible"] and c["class"] != "MervantisMoviePlayer"]


def differs_beside_controls(image, other, window):
    """Whether two window images differ anywhere outside the visible controls."""
    difference = ImageChops.difference(image, other)
    draw = ImageDraw.Draw(difference)
    for x, y, w, h in control_boxes(window):
        draw.rectangle([x, y, x + w - 1, y + h - 1], fill=(0, 0, 0))
    return difference.getbbox() is not None


def shown_frame(image, window):
    """The index of the movie frame the image shows wherever no control lies, or None."""
    for index, frame in enumerate(frames()):
        if not differs_beside_controls(image, frame, window):
            return index
    return None


def frame_on_screen(program, name, tries=5):
    """A window image showing one whole movie frame beside the controls, and the frame's index.
    A shot may catch a frame being drawn, so a few are tried."""
    window = program.window()
    for attempt in range(tries):
        image = program.window_image(f"{name}-{attempt}")
        index = shown_frame(image, window)
        if index is not None:
            return image, index
        time.sleep(0.05)
    raise AssertionError(f"{name}: no frame of the movie is shown beside the controls")


def unix_path(env, path):
    """The Unix path of a Windows path with a drive letter, in the Wine prefix of env."""
    drive, rest = path.split(":", 1)
    return (pathlib.Path(env["WINEPREFIX"]) / "dosdevices" / (drive.lower() + ":") /
            rest.strip("\\").replace("\\", "/"))


def temp_folder(program):
    """The Unix path of the temporary folder the program is given."""
    return unix_path(program.env, program.driver("temp-folder")["path"])


def folder_names(folder):
    return {entry.name for entry in folder.iterdir()}
