"""The main window as a user meets it: its place and controls, the three shell buttons, the
hover labels, minimizing, the ends of the program and the missing-player message."""
import subprocess
import time

import pytest

from harness import wait_for
from movie import control_boxes, folder_names, frame_on_screen, temp_folder

# id (creation order = stacking order, top first), class, place, size, visible at start
DESIGN = [
    (1, "MervantisPictureButton", 544, 8, 32, 32, True),     # closeButton
    (2, "MervantisPictureButton", 512, 8, 32, 32, True),     # minimizeButton
    (3, "MervantisCanvas", 149, 281, 320, 19, True),         # statusCanvas
    (4, "MervantisCanvas", 149, 281, 320, 19, True),         # statusBackCanvas
    (5, "MervantisCanvas", 152, 271, 300, 7, True),          # progressCanvas
    (6, "MervantisPictureButton", 522, 264, 60, 21, True),   # exitButton
    (7, "Edit", 24, 240, 306, 19, False),                    # dirEdit
    (8, "MervantisPictureButton", 397, 238, 60, 21, False),  # installButton
    (9, "MervantisPictureButton", 333, 238, 60, 21, False),  # browseButton
    (10, "MervantisZipControl", 384, 0, 24, 24, False),      # zipControl
    (11, "MervantisRelayLabel", 408, 0, 56, 24, False),      # relayLabel
    (12, "MervantisMoviePlayer", 0, 0, 600, 300, True),      # flashControl
]
EXIT_BUTTON = (522, 264, 60, 21)
CLOSE_BUTTON = (544, 8, 32, 32)
MINIMIZE_BUTTON = (512, 8, 32, 32)


def region(image, box):
    x, y, w, h = box
    return image.crop((x, y, x + w, y + h))


def red_pixels_in(pixels):
    return sum(1 for r, g, b in pixels if r > 200 and g < 80 and b < 80)


def red_pixels(image):
    return red_pixels_in(image.getdata())


def test_window_is_placed_centred_with_its_controls_in_design_order(program):
    program.start()
    window = program.window()
    assert window["caption"] == "Mervantis"
    assert (window["x"], window["y"], window["width"], window["height"]) == (651, 376, 600, 300)
    assert window["topmost"] and window["appwindow"] and not window["minimized"]
    seen = [(c["id"], c["class"], c["x"], c["y"], c["width"], c["height"], c["visible"])
            for c in window["controls"]]
    assert seen == DESIGN
    texts = {c["id"]: c["text"] for c in window["controls"]}
    assert texts[1] == "图形按钮5" and texts[6] == "图形按钮1" and texts[7] == ""
    # The progress bar's canvas is rounded; the picture buttons are cut to their black squares.
    controls = program.controls()
    assert controls[5]["region"] == {"x": 0, "y": 0, "width": 299, "height": 6}
    assert controls[1]["region"] == {"x": 4, "y": 4, "width": 24, "height": 24}


def test_installation_controls_are_never_shown_at_start(program):
    program.start(wait_visible=False)
    # From the first moment the window shows, through the first seconds.
    wait_for(lambda: program.window().get("visible"), what="the main window")
    for _ in range(5):
        controls = program.controls()
        assert not any(controls[i]["visible"] for i in (7, 8, 9))
        time.sleep(0.3)
    # Where they would lie, the movie shows, as everywhere else beside the visible controls.
    frame_on_screen(program, "start")


def test_hover_turns_the_cancel_label_red_and_leaves_the_square_buttons_alone(program):
    program.start()
    w = program.window()
    before = program.window_image("before-hover")
    assert red_pixels(region(before, EXIT_BUTTON)) == 0

    program.move(w["x"] + 552, w["y"] + 274)
    hover = wait_for(lambda: (lambda i: i if red_pixels(region(i, EXIT_BUTTON)) > 50 else None)(
        program.window_image("hover-exit")), what="the red label")
    # Only the label changes colour: every pixel that differs is red in the hover image.
    changed = [after for before_pixel, after in zip(region(before, EXIT_BUTTON).getdata(),
                                                    region(hover, EXIT_BUTTON).getdata())
               if before_pixel != after]
    assert changed and red_pixels_in(changed) == len(changed)

    for name, box in [("close", CLOSE_BUTTON), ("minimize", MINIMIZE_BUTTON)]:
        program.move(w["x"] + box[0] + 16, w["y"] + box[1] + 16)
        time.sleep(0.5)
        assert region(program.window_image("hover-" + name), box) == region(before, box)

    program.move(5, 5)
    wait_for(lambda: red_pixels(region(program.window_image("after-hover"), EXIT_BUTTON)) == 0,
             what="the label to turn black again")


def test_click_on_the_yellow_surround_of_close_reaches_what_lies_beneath(program):
    program.start()
    w = program.window()
    corner = (w["x"] + 544 + 1, w["y"] + 8 + 1)
    beneath = program.driver("at", *corner)
    assert beneath["class"] == "MervantisMoviePlayer"
    program.click(*corner)
    time.sleep(1.5)
    assert program.running()
    assert program.driver("at", w["x"] + 560, w["y"] + 24)["class"] == "MervantisPictureButton"


def test_press_released_outside_the_button_does_not_click(program):
    program.start()
    w = program.window()
    program.move(w["x"] + 552, w["y"] + 274)
    subprocess.run(["xdotool", "mousedown", "1"], env=program.env, check=True)
    time.sleep(0.3)
    program.move(w["x"] + 300, w["y"] + 150)
    time.sleep(0.3)
    subprocess.run(["xdotool", "mouseup", "1"], env=program.env, check=True)
    time.sleep(1.5)
    assert program.running()


def test_minimize_and_restore_leave_the_window_unchanged_and_on_top(program):
    program.start()
    shown = control_boxes(program.window())
    before, _ = frame_on_screen(program, "before-minimize")
    program.minimize_and_restore()
    window = program.window()
    assert (window["x"], window["y"], window["width"], window["height"]) == (651, 376, 600, 300)
    assert window["topmost"]
    # The controls are as they were, and the movie plays on in its place beside them.
    assert control_boxes(window) == shown
    restored, _ = frame_on_screen(program, "restored")
    for box in shown:
        assert region(restored, box) == region(before, box), box


@pytest.mark.parametrize("how", ["closeButton", "exitButton", "close request from outside"])
def test_every_way_out_ends_with_exit_code_zero(program, how):
    program.start()
    if how == "closeButton":
        program.click_in_window(544 + 16, 8 + 16)
    elif how == "exitButton":
        program.click_in_window(522 + 30, 264 + 10)
    else:
        program.driver("close")
    assert program.exit_code() == 0


def test_missing_player_shows_the_repair_message_and_never_the_window(program):
    # Without GDI+ the player cannot decode a frame, so it cannot be created.
    env = {"WINEDLLOVERRIDES": program.env["WINEDLLOVERRIDES"] + ";gdiplus=d"}
    temp = temp_folder(program)
    before = folder_names(temp)
    program.start(extra_env=env, wait_visible=False)
    box = wait_for(lambda: (lambda b: b if b.get("found") else None)(
        program.driver("box", "Mervantis")), what="the message box")
    assert box["texts"] == ["请先修复FLASH控件！"]
    assert [b["text"] for b in box["buttons"]] == ["确定"]
    window = program.window()
    assert not window.get("visible")
    program.screen("message-box")
    ok = box["buttons"][0]
    program.click(ok["x"] + ok["width"] // 2, ok["y"] + ok["height"] // 2)
    assert program.exit_code() == 0
    assert folder_names(temp) == before, "no movie is written without a player"
