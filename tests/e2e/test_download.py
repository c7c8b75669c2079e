"""The download on the real program and window: a stamped copy fetches its package from a
local server (tests/servers/download_server.py) on the address it was built with, shows the
percentage and the bar, and enters the installation stage only for a complete package."""
import pathlib
import subprocess
import time

import pytest

from harness import requests_for, wait_for

DIR_EDIT, INSTALL_BUTTON, BROWSE_BUTTON, PROGRESS_CANVAS = 7, 8, 9, 5
STATUS = (149, 281, 320, 19)
BAR = (152, 271, 300, 7)
PALE_YELLOW = (255, 255, 153)
INSTALL_CONTROLS = (DIR_EDIT, INSTALL_BUTTON, BROWSE_BUTTON)


def visible(program, ids):
    controls = program.controls()
    return {i: controls[i]["visible"] for i in ids}


def in_install_stage(program):
    return all(visible(program, INSTALL_CONTROLS).values())


def blue_columns(image, box):
    """The x positions, within the box, of the status text's blue glyph pixels."""
    x0, y0, w, h = box
    return sorted({x for x in range(w) for y in range(h)
                   if (lambda p: p[2] > 200 and p[0] < 100 and p[1] < 200)(
                       image.getpixel((x0 + x, y0 + y)))})


def bar_columns_filled(image):
    x0, y0, w, _ = BAR
    return sum(1 for x in range(w) if image.getpixel((x0 + x, y0 + 3)) != PALE_YELLOW)


def test_complete_package_reaches_the_installation_stage(program, server, packages):
    program.start(identifier="ok-package.zip")
    wait_for(lambda: in_install_stage(program), what="the installation controls")
    controls = program.controls()
    assert controls[DIR_EDIT]["text"] == "C:\\Program Files\\Mervantis\\"
    assert not controls[PROGRESS_CANVAS]["visible"]
    assert requests_for(server, "ok-package.zip") == ["/down/ok-package.zip/ok-package.zip.zip"]
    assert (program.folder / "hq.zip").read_bytes() == (packages / "package.zip").read_bytes()
    prompt = wait_for(lambda: blue_columns(program.window_image("prompt"), STATUS),
                      what="the prompt")
    assert prompt[0] == 16


def test_slow_download_shows_the_percentage_and_a_growing_bar(program, server):
    program.start(identifier="slow-big.bin")
    first = wait_for(lambda: (lambda i: i if 0 < bar_columns_filled(i) < 150 else None)(
        program.window_image("early")), what="a partly filled bar")
    assert blue_columns(first, STATUS)[0] == 30
    later = wait_for(lambda: (lambda i: i if bar_columns_filled(i) > bar_columns_filled(first)
                              else None)(program.window_image("later")), what="the bar to grow")
    assert blue_columns(later, STATUS)[0] == 30
    assert not any(visible(program, INSTALL_CONTROLS).values())


@pytest.mark.parametrize("identifier, enters", [
    ("page-page.html", False),     # an error page with <head>
    ("page-PAGE.html", True),      # the test is case-sensitive
    ("status-404", False),         # an error status, whatever its body
    ("status-500", False),
    ("cut-big.bin", False),        # the connection cut before the end
    ("chunked-package.zip", True),  # no size known: complete when the data ends
])
def test_what_arrived_decides_the_installation_stage(program, server, packages, identifier,
                                                     enters):
    program.start(identifier=identifier)
    if enters:
        wait_for(lambda: in_install_stage(program), what="the installation controls")
        return
    wait_for(lambda: requests_for(server, identifier), what="the request")
    time.sleep(3)
    assert not any(visible(program, INSTALL_CONTROLS).values())
    assert program.running()


def test_an_earlier_package_file_is_emptied_first(program, server, packages):
    (program.folder / "hq.zip").write_bytes(b"left over " * 100000)
    program.start(identifier="ok-package.zip")
    wait_for(lambda: in_install_stage(program), what="the installation controls")
    assert (program.folder / "hq.zip").read_bytes() == (packages / "package.zip").read_bytes()


def test_an_empty_identifier_makes_no_request_at_all(program, server):
    (program.folder / "hq.zip").write_bytes(b"keep me")
    before = len(server.requests)
    program.start(identifier="")
    time.sleep(4)
    assert len(server.requests) == before
    assert (program.folder / "hq.zip").read_bytes() == b"keep me"
    assert blue_columns(program.window_image("nothing"), STATUS) == []


@pytest.mark.parametrize("button", [(522 + 30, 264 + 10), (544 + 16, 8 + 16)],
                         ids=["exitButton", "closeButton"])
def test_the_program_ends_during_a_slow_download_keeping_what_was_written(program, server,
                                                                          packages, button):
    program.start(identifier="slow-big.bin")
    package = program.folder / "hq.zip"
    wait_for(lambda: package.exists() and package.stat().st_size > 0, what="the first bytes")
    program.click_in_window(*button)
    assert program.exit_code() == 0
    assert 0 < package.stat().st_size < (packages / "big.bin").stat().st_size


def key(program, *keys):
    for name in keys:
        subprocess.run(["xdotool", "key", name], env=program.env, check=True)
        time.sleep(0.15)


def browse(program, keys, press="确定"):
    """Opens the folder dialog with the real mouse, walks its tree with the keyboard
    (from the desktop item) and closes it with the named button."""
    program.click_in_window(333 + 30, 238 + 10)
    box = wait_for(lambda: (lambda b: b if b.get("found") else None)(program.driver("box", "*")),
                   what="the folder dialog")
    assert box["texts"] == ["选择安装目录:"]
    assert not program.window()["topmost"]  # off top while the dialog is open
    program.click(box["x"] + 150, box["y"] + 300)  # into the tree's empty part: focus, no choice
    key(program, "Home", *keys)
    button = next(b for b in box["buttons"] if b["text"] == press)
    program.click(button["x"] + button["width"] // 2, button["y"] + button["height"] // 2)
    wait_for(lambda: not program.driver("box", "*").get("found"), what="the dialog to close")


# From the desktop item: the last top item is the computer, whose children are C:, D:, Z:.
TO_DRIVE_D = ["End", "Right", "Down", "Down"]


def test_the_folder_dialog_sets_its_choice_with_one_trailing_backslash(program, server, wine_env):
    (pathlib.Path(wine_env["MERVANTIS_RUN_DIR"]) / "drive_d" / "Apps").mkdir(exist_ok=True)
    program.start(identifier="ok-package.zip")
    wait_for(lambda: in_install_stage(program), what="the installation controls")
    cases = [
        (TO_DRIVE_D, "确定", "D:\\"),                    # a root keeps its one backslash
        (TO_DRIVE_D + ["Right", "Down"], "确定", "D:\\Apps\\"),
        (["Down", "Down"], "确定", "D:\\Apps\\"),         # the recycle bin: no file-system path
        (TO_DRIVE_D, "取消", "D:\\Apps\\"),              # cancelled
    ]
    for keys, press, expected in cases:
        browse(program, keys, press)
        assert program.controls()[DIR_EDIT]["text"] == expected, (keys, press)
        assert program.window()["topmost"]  # on top again after every browse


def test_cancelling_the_dialog_keeps_a_typed_directory(program, server):
    program.start(identifier="ok-package.zip")
    wait_for(lambda: in_install_stage(program), what="the installation controls")
    program.click_in_window(24 + 150, 240 + 9)
    key(program, "End", *["BackSpace"] * 40)
    subprocess.run(["xdotool", "type", "--delay", "50", "E:\\typed dir"], env=program.env,
                   check=True)
    wait_for(lambda: program.controls()[DIR_EDIT]["text"] == "E:\\typed dir", what="the typing")
    browse(program, TO_DRIVE_D, "取消")
    assert program.controls()[DIR_EDIT]["text"] == "E:\\typed dir"
    assert program.window()["topmost"]
