"""The extraction on the real program: a stamped copy downloads a real ZIP package from the
local server, the user presses installButton with the real mouse, and the package lands in
the folder of dirEdit under the Wine prefix, with the percentage text and the bar drawn as the
progress display draws them (compared with the progress probe's drawing of the same text)."""
import os
import pathlib
import shutil
import subprocess
import time
import zipfile

import pytest

from harness import Program, ProgressProbe, wait_for
from test_download import bar_columns_filled, in_install_stage

DIR_EDIT, PROGRESS_CANVAS = 7, 5
INSTALL_BUTTON_POINT = (397 + 30, 238 + 10)
CLOSE_BUTTON_POINT = (544 + 16, 8 + 16)
STATUS = (149, 281, 320, 19)
BAR = (152, 271, 300, 7)
INSTALLING = "系统正在为您高速安装{}%,请稍后......"
MTIME, ATIME = 1614834367, 1651234567  # the package files' times, in zip's "UT" block
SLOW_FILES = 500


def crop(image, box):
    x, y, w, h = box
    return image.crop((x, y, x + w, y + h))


@pytest.fixture(scope="module")
def install_packages(packages):
    """Packages for the installation, served beside the download tests' ones:
    install-tree.zip  folders, a program, times in "UT", an entry made read-only on Windows;
    install-four.zip  four files a.txt to d.txt;
    install-slow.zip  500 files of 1 MB that deflate to little: a download of moments and an
                      extraction of seconds, to press buttons while it runs."""
    source = packages / "install-source"
    shutil.rmtree(source, ignore_errors=True)
    files = {"zhi/pz/pro.dll": b"settings " * 300, "bin/app.exe": os.urandom(300000),
             "readme.txt": b"Mervantis test package\r\n"}
    for name, data in files.items():
        (source / name).parent.mkdir(parents=True, exist_ok=True)
        (source / name).write_bytes(data)
        os.utime(source / name, (ATIME, MTIME))
    tree = packages / "install-tree.zip"
    subprocess.run(["zip", "-q", "-r", str(tree), "zhi", "bin", "readme.txt"], cwd=source,
                   check=True)
    with zipfile.ZipFile(tree, "a") as archive:
        info = zipfile.ZipInfo("windows-readonly.txt", date_time=(2020, 1, 2, 3, 4, 6))
        info.create_system, info.external_attr = 0, 0x21
        archive.writestr(info, b"read-only on Windows")
    with zipfile.ZipFile(packages / "install-four.zip", "w", zipfile.ZIP_DEFLATED) as archive:
        for name in "abcd":
            archive.writestr(f"{name}.txt", name.encode() * 1000)
    with zipfile.ZipFile(packages / "install-slow.zip", "w", zipfile.ZIP_DEFLATED) as archive:
        archive.writestr("big/", b"")
        for n in range(SLOW_FILES):
            archive.writestr(f"big/{n:03}.bin", b"slow extraction %03d " % n * 50000)
    return packages


@pytest.fixture(scope="module")
def expected_display(wine_env, install_packages):
    """The status line and the bar as the progress probe draws them for a percent."""
    folder = pathlib.Path(wine_env["MERVANTIS_RUN_DIR"]) / "programs" / "extraction-probe"
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    runner = Program(wine_env, folder, folder / "screens")
    probe = ProgressProbe(runner).start()
    drawn = {}
    for percent in (25, 100):
        probe.status(30, INSTALLING.format(percent))
        probe.bar(percent)
        image = runner.window_image(f"probe-{percent}")
        drawn[percent] = (crop(image, STATUS), crop(image, BAR))
    runner.stop()
    return drawn


def target_in_prefix(wine_env, name):
    """A fresh installation folder on the prefix's C: drive: (its text for dirEdit, its path)."""
    path = pathlib.Path(wine_env["WINEPREFIX"]) / "drive_c" / "mervantis-e2e" / name
    shutil.rmtree(path, ignore_errors=True)
    return f"C:\\mervantis-e2e\\{name}\\", path


def ready_to_install(program, identifier, directory=None):
    program.start(identifier=identifier)
    wait_for(lambda: in_install_stage(program), what="the installation controls")
    if directory is not None:
        program.driver("set-text", DIR_EDIT, directory)
        wait_for(lambda: program.controls()[DIR_EDIT]["text"] == directory, what="dirEdit")


def press_install(program):
    program.click_in_window(*INSTALL_BUTTON_POINT)
    program.move(5, 5)  # off the button, so no hover image is left


def start_slow_extraction(program, wine_env, name):
    """Presses installButton on install-slow.zip and returns, the bar partly filled, with the
    target's path."""
    directory, target = target_in_prefix(wine_env, name)
    ready_to_install(program, "ok-install-slow.zip", directory)
    press_install(program)
    wait_for(lambda: 0 < bar_columns_filled(program.window_image("early")) < 200,
             what="a partly filled bar")
    return target


def bar_visible(program):
    return program.controls()[PROGRESS_CANVAS]["visible"]


def display(program, name):
    image = program.window_image(name)
    return crop(image, STATUS), crop(image, BAR)


def test_install_extracts_the_package_into_the_default_directory(program, server, wine_env,
                                                                 install_packages,
                                                                 expected_display):
    target = pathlib.Path(wine_env["WINEPREFIX"]) / "drive_c" / "Program Files" / "Mervantis"
    shutil.rmtree(target, ignore_errors=True)
    ready_to_install(program, "ok-install-tree.zip")
    assert program.controls()[DIR_EDIT]["text"] == "C:\\Program Files\\Mervantis\\"
    press_install(program)
    # At 100 percent the bar disappears and the status line says 100.
    wait_for(lambda: (target / "windows-readonly.txt").exists() and not bar_visible(program),
             what="the end of the extraction")
    status, _ = display(program, "done")
    assert status == expected_display[100][0]

    # Times from the "UT" block, looked at before reading the files updates their access (the
    # registration reads zhi/pz/pro.dll at 100 percent).
    for name in ("zhi/pz/pro.dll", "bin/app.exe", "readme.txt"):
        assert (target / name).stat().st_mtime == MTIME, name
        assert name == "zhi/pz/pro.dll" or (target / name).stat().st_atime == ATIME, name
    with zipfile.ZipFile(install_packages / "install-tree.zip") as archive:
        names = sorted(archive.namelist())
        for name in names:
            extracted = target / name
            if name.endswith("/"):
                assert extracted.is_dir(), name
            else:
                assert extracted.read_bytes() == archive.read(name), name
    assert names == ["bin/", "bin/app.exe", "readme.txt", "windows-readonly.txt", "zhi/",
                     "zhi/pz/", "zhi/pz/pro.dll"]
    # Every file writable, the Windows read-only entry too.
    for name in ("windows-readonly.txt", "bin/app.exe"):
        assert (target / name).stat().st_mode & 0o200, name
    assert program.running()  # its pro.dll names no program: the registration makes nothing


def test_a_failed_extraction_stays_where_it_stopped_and_a_new_press_works(
        program, server, wine_env, expected_display):
    directory, target = target_in_prefix(wine_env, "again")
    # A folder where the third file should go: it cannot be created.
    (target / "c.txt").mkdir(parents=True)
    ready_to_install(program, "ok-install-four.zip", directory)
    press_install(program)
    # a.txt reports 0, b.txt 25; c.txt fails: 25 stays, with the bar.
    wait_for(lambda: display(program, "stopped") == expected_display[25],
             what="the display at 25 percent")
    time.sleep(2)
    assert display(program, "still-stopped") == expected_display[25]
    assert bar_visible(program)
    assert sorted(p.name for p in target.iterdir()) == ["a.txt", "b.txt", "c.txt"]

    (target / "c.txt").rmdir()
    press_install(program)
    wait_for(lambda: not bar_visible(program), what="the second extraction to end")
    assert [(target / f"{n}.txt").read_bytes() for n in "abcd"] == [n.encode() * 1000
                                                                   for n in "abcd"]
    assert display(program, "done")[0] == expected_display[100][0]


def test_a_second_press_during_an_extraction_changes_nothing(program, server, wine_env,
                                                            install_packages):
    target = start_slow_extraction(program, wine_env, "slow")
    press_install(program)
    wait_for(lambda: not bar_visible(program), what="the end of the extraction")
    # Nothing draws afterwards, as a second extraction still running would.
    after = display(program, "after")[0]
    time.sleep(2)
    assert display(program, "later")[0] == after
    # Each file was written once, in archive order: a second extraction would have written
    # the first files again after the later ones.
    changed = [(target / "big" / f"{n:03}.bin").stat().st_ctime_ns for n in range(SLOW_FILES)]
    assert changed == sorted(changed)
    assert sum(1 for _ in target.rglob("*.bin")) == SLOW_FILES
    shutil.rmtree(target)


def test_close_button_during_the_extraction_ends_with_exit_code_0(program, server, wine_env,
                                                                 install_packages):
    target = start_slow_extraction(program, wine_env, "closed")
    program.click_in_window(*CLOSE_BUTTON_POINT)
    assert program.exit_code() == 0
    assert 0 < sum(1 for _ in target.rglob("*.bin")) < SLOW_FILES
    shutil.rmtree(target)
