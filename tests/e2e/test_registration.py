"""The registration and the hand-over on the real program: packages made by the pack tool (and,
for the incomplete ones, written entry by entry), downloaded from the local server, installed
with a real click on installButton, registered with the shell of the Wine prefix, and the
installed sample program started; read back through the shell link interface (the test
driver), the files of the prefix and the note the started program leaves."""
import shutil
import subprocess
import time

import pytest

from harness import wait_for, windows_path
from road import (DEFAULT_DIRECTORY, SAMPLE_PROGRAM, SAMPLE_UNINSTALLER, check, install,
                  installed_files, pack, record_lines, remove_shell_objects, sample_folder,
                  shell_folders, started_note, stored_show_command, unix_path, write_package)


@pytest.fixture(scope="module")
def served(packages, tmp_path_factory):
    """The packages of these tests, beside the download tests' own in the served folder."""
    work = tmp_path_factory.mktemp("road")
    pack(sample_folder(work / "road"), packages / "road.zip", "示例程序.exe", "示例软件")
    pack(sample_folder(work / "noname"), packages / "noname.zip", "示例程序.exe")
    pack(sample_folder(work / "again1"), packages / "again1.zip", "示例程序.exe", "再装软件")
    pack(sample_folder(work / "again2", program="第二程序.exe"), packages / "again2.zip",
         "第二程序.exe", "再装软件")
    program, uninstaller = SAMPLE_PROGRAM.read_bytes(), SAMPLE_UNINSTALLER.read_bytes()
    write_package(packages / "noprogram.zip", {"app.exe": program, "uninst.exe": uninstaller},
                  software_name="无程序软件")
    write_package(packages / "absent.zip", {"app.exe": program, "uninst.exe": uninstaller},
                  program_setting="absent.exe", software_name="缺程序软件")
    write_package(packages / "nouninst.zip", {"app.exe": program}, program_setting="app.exe",
                  software_name="无卸载软件")
    write_package(packages / "spaces.zip", {"app.exe": program, "uninst.exe": uninstaller},
                  program_setting="app.exe", software_name="空格软件  ")
    write_package(packages / "nested.zip",
                  {"app.exe": program, "bin/app.exe": program, "uninst.exe": uninstaller},
                  program_setting="bin\\app.exe", software_name="嵌套软件")
    return packages


def fresh(program, directory, *names):
    shutil.rmtree(unix_path(program.env, directory), ignore_errors=True)
    remove_shell_objects(program, *names)


def target_of(program, link):
    seen = program.driver("shortcut", link)
    return seen["target"] if seen.get("found") else None


def sample_window_shown():
    """The started sample program's window on the X screen, by its caption."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Mervantis 示例程序"],
                           capture_output=True, text=True)
    return found.returncode == 0 and found.stdout.strip()


def test_the_whole_road_from_the_download_to_the_started_program(program, server, served):
    fresh(program, DEFAULT_DIRECTORY, "示例软件")
    directory = install(program, "ok-road.zip", close_after_ms=8000)
    assert directory == DEFAULT_DIRECTORY
    assert program.exit_code(timeout=90) == 0
    env, folders = program.env, shell_folders(program)
    target = DEFAULT_DIRECTORY + "示例程序.exe"

    assert installed_files(env, directory) == sorted([
        "started.txt", "uninst.dat", "uninst.exe", "zhi/pz/cl.dll", "zhi/pz/pro.dll",
        "示例程序.exe", "说明/读我.txt"])
    assert unix_path(env, target).read_bytes() == SAMPLE_PROGRAM.read_bytes()
    shortcut = f"{folders['desktop']}\\示例软件.lnk"
    assert target_of(program, shortcut) == target
    assert stored_show_command(unix_path(env, shortcut)) == 5
    group = f"{folders['programs']}\\示例软件"
    assert target_of(program, f"{group}\\示例软件.lnk") == target
    assert target_of(program, f"{group}\\卸载.lnk") == DEFAULT_DIRECTORY + "uninst.exe"
    assert record_lines(env, directory) == ["C:\\Program Files\\Mervantis", shortcut, group]

    # Started with the installer's folder as its current directory, after the window was hidden.
    note = wait_for(lambda: started_note(env, target), what="the started program's note")
    assert note["current directory"].lower() == windows_path(program.folder).lower()
    assert note["installer window"] == "hidden"
    assert note["command line"] == f'"{target}"'
    assert wait_for(sample_window_shown, what="the started program's window")


def test_without_a_program_setting_nothing_is_made_and_the_window_stays(program, server, served):
    directory = "C:\\Mervantis无程序\\"
    fresh(program, directory, "无程序软件")
    install(program, "ok-noprogram.zip", directory)
    wait_for(lambda: unix_path(program.env, directory + "zhi\\pz\\cl.dll").exists(),
             what="the extraction")
    time.sleep(3)
    assert program.running() and program.window()["visible"]
    folders = shell_folders(program)
    assert record_lines(program.env, directory) is None
    assert not unix_path(program.env, f"{folders['desktop']}\\无程序软件.lnk").exists()
    assert not unix_path(program.env, f"{folders['programs']}\\无程序软件").exists()
    assert "missing: the program to start" in check(served / "noprogram.zip").stdout


def test_a_program_missing_from_the_package_ends_the_installer_with_exit_code_1(program, server,
                                                                              served):
    directory = "C:\\Mervantis缺程序\\"
    fresh(program, directory, "缺程序软件")
    install(program, "ok-absent.zip", directory)
    assert program.exit_code(timeout=90) == 1
    folders = shell_folders(program)
    group = f"{folders['programs']}\\缺程序软件"
    # The shortcut's target need not exist; the group item's must.
    assert target_of(program, f"{folders['desktop']}\\缺程序软件.lnk") == directory + "absent.exe"
    assert unix_path(program.env, group).is_dir()
    assert not unix_path(program.env, f"{group}\\缺程序软件.lnk").exists()
    assert target_of(program, f"{group}\\卸载.lnk") == directory + "uninst.exe"
    assert len(record_lines(program.env, directory)) == 3
    assert "missing: the program absent.exe at the top" in check(served / "absent.zip").stdout


def test_without_an_uninstaller_there_is_no_uninstall_item(program, server, served):
    directory = "C:\\Mervantis无卸载\\"
    fresh(program, directory, "无卸载软件")
    install(program, "ok-nouninst.zip", directory)
    assert program.exit_code(timeout=90) == 0
    group = f"{shell_folders(program)['programs']}\\无卸载软件"
    assert target_of(program, f"{group}\\无卸载软件.lnk") == directory + "app.exe"
    assert not unix_path(program.env, f"{group}\\卸载.lnk").exists()
    note = wait_for(lambda: started_note(program.env, directory + "app.exe"), what="the note")
    assert note["installer window"] == "hidden"
    assert "missing: uninst.exe at the top" in check(served / "nouninst.zip").stdout


def test_without_a_software_name_hq_is_used_and_a_typed_directory_gets_its_backslash(
        program, server, served):
    directory = "C:\\Mervantis无名"  # typed, without the backslash
    fresh(program, directory, "hq")
    assert install(program, "ok-noname.zip", directory) == directory
    assert program.exit_code(timeout=90) == 0
    folders = shell_folders(program)
    target = directory + "\\示例程序.exe"
    shortcut, group = f"{folders['desktop']}\\hq.lnk", f"{folders['programs']}\\hq"
    assert target_of(program, shortcut) == target
    assert target_of(program, f"{group}\\hq.lnk") == target
    assert target_of(program, f"{group}\\卸载.lnk") == directory + "\\uninst.exe"
    assert record_lines(program.env, directory) == [directory, shortcut, group]
    wait_for(lambda: started_note(program.env, target), what="the started program's note")
    assert "software name:    hq (the default" in check(served / "noname.zip").stdout


def test_a_second_installation_replaces_record_shortcut_and_items_and_keeps_the_group(
        program, server, served):
    directory = "C:\\Mervantis再装\\"
    fresh(program, directory, "再装软件")
    install(program, "ok-again1.zip", directory)
    assert program.exit_code(timeout=90) == 0
    env, folders = program.env, shell_folders(program)
    shortcut, group = f"{folders['desktop']}\\再装软件.lnk", f"{folders['programs']}\\再装软件"
    assert target_of(program, shortcut) == directory + "示例程序.exe"
    (unix_path(env, group) / "kept.txt").write_bytes(b"the user's own")
    unix_path(env, directory + "uninst.dat").write_bytes(b"an older, longer record\r\n" * 40)

    install(program, "ok-again2.zip", directory)
    assert program.exit_code(timeout=90) == 0
    assert target_of(program, shortcut) == directory + "第二程序.exe"
    assert target_of(program, f"{group}\\再装软件.lnk") == directory + "第二程序.exe"
    assert (unix_path(env, group) / "kept.txt").read_bytes() == b"the user's own"
    assert record_lines(env, directory) == [directory[:-1], shortcut, group]


def test_trailing_spaces_of_the_software_name_are_trimmed_from_the_shortcut_only(program, server,
                                                                                 served):
    directory = "C:\\Mervantis空格\\"
    fresh(program, directory, "空格软件  ")
    install(program, "ok-spaces.zip", directory)
    assert program.exit_code(timeout=90) == 0
    folders = shell_folders(program)
    shortcut = f"{folders['desktop']}\\空格软件.lnk"
    assert target_of(program, shortcut) == directory + "app.exe"
    # The system makes the group folder without the trailing spaces; the items keep the name.
    made = f"{folders['programs']}\\空格软件"
    assert target_of(program, f"{made}\\空格软件  .lnk") == directory + "app.exe"
    assert target_of(program, f"{made}\\卸载.lnk") == directory + "uninst.exe"
    assert record_lines(program.env, directory) == [
        directory[:-1], shortcut, f"{folders['programs']}\\空格软件  "]


def test_a_program_setting_with_folders_starts_its_last_component_only(program, server, served):
    directory = "C:\\Mervantis嵌套\\"
    fresh(program, directory, "嵌套软件")
    install(program, "ok-nested.zip", directory)
    assert program.exit_code(timeout=90) == 0
    wait_for(lambda: started_note(program.env, directory + "app.exe"), what="the note")
    assert started_note(program.env, directory + "bin\\app.exe") is None
    shortcut = f"{shell_folders(program)['desktop']}\\嵌套软件.lnk"
    assert target_of(program, shortcut) == directory + "app.exe"
