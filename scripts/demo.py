"""The demo: the installer's real window under Wine, a screenshot of it, and its end."""
import os
import pathlib
import shutil
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
os.environ.setdefault("MERVANTIS_RUN_DIR", str(ROOT / "build" / "demo-run"))
from harness import Program, wine_environment  # noqa: E402

OUT = ROOT / "build" / "demo"


def main():
    # scripts/demo.sh starts a screen of our own unless the user has one.
    own_screen = os.environ.get("MERVANTIS_OWN_SCREEN") == "1"
    env = wine_environment()
    shutil.rmtree(OUT, ignore_errors=True)
    folder = OUT / "program"
    folder.mkdir(parents=True)
    program = Program(env, folder, OUT)
    try:
        print("demo: starting MervantisSetup.exe under Wine on display", env["DISPLAY"])
        program.start()
        time.sleep(1)
        window = program.window()
        print(f"demo: window \"{window['caption']}\" at ({window['x']}, {window['y']}), "
              f"{window['width']} x {window['height']}, always on top: {window['topmost']}")
        shown = [c for c in window["controls"] if c["visible"]]
        print("demo: visible controls:", ", ".join(c["class"] for c in shown))
        program.window_image("main-window").save(OUT / "main-window.png")
        program.move(window["x"] + 552, window["y"] + 274)
        time.sleep(0.7)
        program.window_image("cancel-hover").save(OUT / "cancel-hover.png")
        print("demo: screenshots:", OUT / "main-window.png", "and", OUT / "cancel-hover.png")
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
