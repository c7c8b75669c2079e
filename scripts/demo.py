"""The demo: the installer's real window under Wine, downloading a package from a local server,
with screenshots along the way, to the installation stage and its end."""
import os
import pathlib
import shutil
import subprocess
import sys
import time
import zipfile

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
sys.path.insert(0, str(ROOT / "tests" / "servers"))
os.environ.setdefault("MERVANTIS_RUN_DIR", str(ROOT / "build" / "demo-run"))
from download_server import DownloadServer  # noqa: E402
from harness import DOWNLOAD_PORT, Program, wait_for, wine_environment  # noqa: E402

OUT = ROOT / "build" / "demo"


def make_package(folder):
    """A small package: a program, its uninstaller and a read-me."""
    package = folder / "package.zip"
    with zipfile.ZipFile(package, "w", zipfile.ZIP_DEFLATED) as archive:
        archive.writestr("Mervantis/readme.txt", "Mervantis demo package\r\n" * 2000)
        archive.writestr("Mervantis/app.bin", os.urandom(600000))
    return package


def main():
    # scripts/demo.sh starts a screen of our own unless the user has one.
    own_screen = os.environ.get("MERVANTIS_OWN_SCREEN") == "1"
    env = wine_environment()
    shutil.rmtree(OUT, ignore_errors=True)
    folder = OUT / "program"
    folder.mkdir(parents=True)
    served = OUT / "served"
    served.mkdir()
    make_package(served)
    program = Program(env, folder, OUT)
    shots = []

    def shot(name):
        program.window_image(name).save(OUT / f"{name}.png")
        shots.append(OUT / f"{name}.png")

    try:
        with DownloadServer(served, port=DOWNLOAD_PORT, slow_pause=0.1) as server:
            print(f"demo: serving the package on 127.0.0.1:{server.port}")
            print("demo: starting MervantisSetup.exe, stamped with the identifier "
                  "slow-package.zip, under Wine on display", env["DISPLAY"])
            program.start(identifier="slow-package.zip")
            window = program.window()
            print(f"demo: window \"{window['caption']}\" at ({window['x']}, {window['y']}), "
                  f"{window['width']} x {window['height']}, always on top: {window['topmost']}")
            time.sleep(2)
            shot("downloading")
            wait_for(lambda: program.controls()[7]["visible"], timeout=60,
                     what="the installation stage")
            print("demo: downloaded", server.requests, "into", folder / "hq.zip")
            print("demo: installation directory offered:", program.controls()[7]["text"])
            time.sleep(0.5)
            shot("install-stage")
            program.move(window["x"] + 552, window["y"] + 274)
            time.sleep(0.7)
            shot("cancel-hover")
            print("demo: screenshots:", ", ".join(str(p) for p in shots))
            if own_screen:
                print("demo: pressing 取消 with the mouse")
                program.click(window["x"] + 552, window["y"] + 274)
            else:
                print("demo: the window is on your screen; press 取消 or the close button to end it")
            code = program.exit_code(timeout=None if not own_screen else 20)
        print("demo: the installer ended with exit code", code)
        return 0 if code == 0 else 1
    finally:
        program.stop()
        subprocess.run([env["WINESERVER"], "-k"], env=env)


if __name__ == "__main__":
    sys.exit(main())
