"""The demo: the whole road on the real installer under Wine. A sample package made by the pack
tool is served by nginx on the address the installer was built with; a stamped copy of the
installer downloads it, shows the installation stage, is clicked on 安装 with the real mouse,
extracts the package, registers it with the shell, starts the installed program and ends.
Screenshots along the way; at the end what the installation left."""
import os
import pathlib
import shutil
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
sys.path.insert(0, str(ROOT / "tests" / "servers"))
os.environ.setdefault("MERVANTIS_RUN_DIR", str(ROOT / "build" / "demo-run"))
from harness import DOWNLOAD_PORT, Program, wait_for, wine_environment  # noqa: E402
from nginx_server import NginxServer  # noqa: E402
from road import (DEFAULT_DIRECTORY, INSTALL_BUTTON_CENTRE, check, installed_files,  # noqa: E402
                  pack, record_lines, remove_shell_objects, sample_folder, shell_folders, start,
                  started_note, unix_path, wait_for_install_stage)

OUT = ROOT / "build" / "demo"
IDENTIFIER = "mervantis-demo"
PROGRAM_NAME = "示例程序.exe"
SOFTWARE_NAME = "Mervantis 示例"


def make_package():
    """The sample program and uninstaller with some data, packed by the pack tool where nginx
    serves it: /down/ID/ID.zip."""
    folder = sample_folder(OUT / "package", program=PROGRAM_NAME,
                           extra={"数据/样本.bin": os.urandom(3_000_000)})
    package = OUT / "served" / "down" / IDENTIFIER / f"{IDENTIFIER}.zip"
    package.parent.mkdir(parents=True)
    print(f"demo: packing {folder} with the pack tool:")
    print(pack(folder, package, PROGRAM_NAME, SOFTWARE_NAME).stdout, end="")
    print(f"demo: pack --check {package.name}:")
    print(check(package).stdout, end="")
    return package


def report(program, directory):
    env, folders = program.env, shell_folders(program)
    print(f"demo: installed into {directory}:")
    for name in installed_files(env, directory):
        print(f"        {name}")
    shortcut = f"{folders['desktop']}\\{SOFTWARE_NAME}.lnk"
    group = f"{folders['programs']}\\{SOFTWARE_NAME}"
    for link in (shortcut, f"{group}\\{SOFTWARE_NAME}.lnk", f"{group}\\卸载.lnk"):
        seen = program.driver("shortcut", link)
        print(f"demo: shortcut {link}\n        -> {seen.get('target', '(none)')}")
    print("demo: uninstall record uninst.dat (GBK, each line ended by CR LF):")
    for line in record_lines(env, directory) or ["(none)"]:
        print(f"        {line}")
    note = started_note(env, directory + PROGRAM_NAME) or {}
    print(f"demo: the installed program was started in {note.get('current directory')}, "
          f"with the installer's window {note.get('installer window')}")


def main():
    # scripts/demo.sh starts a screen of our own unless the user has one.
    own_screen = os.environ.get("MERVANTIS_OWN_SCREEN") == "1"
    env = wine_environment()
    shutil.rmtree(OUT, ignore_errors=True)
    folder = OUT / "program"
    folder.mkdir(parents=True)
    package = make_package()
    program = Program(env, folder, OUT / "screens")
    shots = []

    def shot(name, whole_screen=False):
        path = OUT / f"{name}.png"
        (program.screen(name) if whole_screen else program.window_image(name)).save(path)
        shots.append(path)

    try:
        shutil.rmtree(unix_path(env, DEFAULT_DIRECTORY), ignore_errors=True)
        remove_shell_objects(program, SOFTWARE_NAME)
        with NginxServer(OUT / "served", OUT / "nginx", port=DOWNLOAD_PORT, rate="600k") as server:
            print(f"demo: nginx serves {package.relative_to(OUT / 'served')} on "
                  f"127.0.0.1:{server.port}")
            print(f"demo: starting MervantisSetup.exe stamped with {IDENTIFIER} under Wine on "
                  f"display {env['DISPLAY']}")
            start(program, IDENTIFIER, close_after_ms=12000 if own_screen else 60000)
            window = program.window()
            print(f"demo: window \"{window['caption']}\" at ({window['x']}, {window['y']}), "
                  f"{window['width']} x {window['height']}, always on top: {window['topmost']}")
            time.sleep(2)
            shot("1-downloading")
            wait_for_install_stage(program)
            print("demo: downloaded", server.requests()[-1].split('"')[1].split()[1], "into",
                  folder / "hq.zip")
            directory = program.controls()[7]["text"]
            print("demo: installation directory offered:", directory)
            time.sleep(0.5)
            shot("2-install-stage")
            x, y = INSTALL_BUTTON_CENTRE
            program.move(window["x"] + x, window["y"] + y)
            time.sleep(0.7)
            shot("3-install-hover")
            print("demo: pressing 安装 with the mouse")
            program.click(window["x"] + x, window["y"] + y)
            code = program.exit_code(timeout=120)
        print("demo: the installer hid its window, started the program and ended with exit code",
              code)
        wait_for(lambda: started_note(env, directory + PROGRAM_NAME), what="the started program")
        time.sleep(2)
        shot("4-installed-program", whole_screen=True)
        report(program, directory)
        print("demo: screenshots:", ", ".join(str(p) for p in shots))
        if not own_screen:
            print("demo: the installed program's window is on your screen for a minute")
            subprocess.run([env["WINESERVER"], "-w"], env=env)
        return 0 if code == 0 else 1
    finally:
        program.stop()
        subprocess.run([env["WINESERVER"], "-k"], env=env)


if __name__ == "__main__":
    sys.exit(main())
