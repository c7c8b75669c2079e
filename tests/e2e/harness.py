"""The real program under Wine on an Xvfb screen, driven with the real mouse: one run of the
installer, seen through the test driver and screenshots. Used by the end-to-end tests and the
demo."""
import json
import os
import pathlib
import shutil
import subprocess
import tempfile
import time

from PIL import Image

ROOT = pathlib.Path(__file__).resolve().parents[2]
BUILD = ROOT / "build" / "win64"
PROGRAM = BUILD / "MervantisSetup.exe"
DRIVER = BUILD / "tests" / "test_driver.exe"
STAMP_TOOL = ROOT / "build" / "host" / "stamp"
# The address the programs built for the tests download from (scripts/build.sh).
DOWNLOAD_PORT = int((ROOT / "scripts" / "test-host").read_text().strip().rpartition(":")[2])
SCREENS = ROOT / "build" / "e2e-screens"


def wine_environment():
    """The environment of scripts/wine-env.sh, made once per session."""
    if "WINEPREFIX" not in os.environ:
        os.environ.setdefault("MERVANTIS_RUN_DIR", str(ROOT / "build" / "e2e-run"))
    dump = subprocess.run(
        ["bash", "-c", f"source '{ROOT}/scripts/wine-env.sh' && ensure_wine_services && env -0"],
        check=True, capture_output=True).stdout
    return dict(item.split("=", 1) for item in dump.decode().split("\0") if "=" in item)


def requests_for(server, identifier):
    """The paths the download server was asked for with this package identifier."""
    return [path for path in server.requests if f"/down/{identifier}/" in path]


def wait_for(condition, timeout=20.0, interval=0.2, what="condition"):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(interval)


class Program:
    """One run of the installer, copied into a folder of its own."""

    def __init__(self, env, folder, screens):
        self.env = env
        self.folder = folder
        self.screens = screens
        self.process = None
        self.shots = 0

    def start(self, extra_env=None, wait_visible=True, identifier=None, executable=PROGRAM,
              args=()):
        """Runs a copy of the program; `identifier` is stamped into the copy first."""
        shutil.copy(executable, self.folder / executable.name)
        if identifier is not None:
            subprocess.run([str(STAMP_TOOL), str(self.folder / executable.name), identifier],
                           check=True, capture_output=True)
        env = dict(self.env)
        env.update(extra_env or {})
        # Started from another folder: the program must make its own folder current.
        self.process = subprocess.Popen([env["WINE"], str(self.folder / executable.name),
                                         *map(str, args)],
                                        cwd="/", env=env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        if wait_visible:
            # Generous: a loaded machine may take long over Wine's first window of a run.
            wait_for(lambda: self.window().get("visible"), timeout=60, what="the main window")
        return self

    def driver(self, *args):
        # Output through a file, not a pipe: Wine's own background processes may inherit a
        # pipe and keep it open long after the driver has ended.
        with tempfile.TemporaryFile() as out:
            subprocess.run([self.env["WINE"], str(DRIVER), *map(str, args)], env=self.env,
                           stdout=out, stderr=subprocess.DEVNULL, timeout=60)
            out.seek(0)
            text = out.read().decode("utf-8")
        return json.loads(text) if text.strip() else {}

    def window(self):
        return self.driver("window")

    def controls(self):
        return {c["id"]: c for c in self.window()["controls"]}

    def screen(self, name):
        """The whole screen, also saved under build/e2e-screens for a failing test."""
        self.shots += 1
        path = self.screens / f"{self.shots:02d}-{name}.png"
        self.screens.mkdir(parents=True, exist_ok=True)
        subprocess.run(["import", "-window", "root", str(path)], env=self.env, check=True)
        return Image.open(path).convert("RGB")

    def window_image(self, name):
        w = self.window()
        return self.screen(name).crop((w["x"], w["y"], w["x"] + w["width"], w["y"] + w["height"]))

    def move(self, x, y):
        subprocess.run(["xdotool", "mousemove", str(x), str(y)], env=self.env, check=True)

    def click(self, x, y):
        """A left click at a screen point, with the real mouse."""
        self.move(x, y)
        time.sleep(0.2)
        subprocess.run(["xdotool", "click", "1"], env=self.env, check=True)

    def click_in_window(self, x, y):
        w = self.window()
        self.click(w["x"] + x, w["y"] + y)

    def minimize_and_restore(self):
        """Minimizes with the window's own button, restores as the task bar does, and moves
        the mouse away so that no hover remains."""
        self.click_in_window(512 + 16, 8 + 16)
        wait_for(lambda: self.window()["minimized"], what="the window to minimize")
        self.driver("restore")
        wait_for(lambda: not self.window()["minimized"], what="the window to come back")
        self.move(5, 5)
        time.sleep(0.5)

    def running(self):
        return self.process.poll() is None

    def exit_code(self, timeout=20):
        return self.process.wait(timeout=timeout)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        # The next run must not meet this run's window.
        if self.process:
            wait_for(lambda: not self.window().get("found", True), timeout=30,
                     what="the ended run's window to go")


# ---- The progress display, driven through the probe (tests/win/progress_probe_win.cpp) ----

PROBE = BUILD / "tests" / "progress_probe.exe"


def windows_path(path):
    """A Unix path as Wine's Z: drive names it."""
    return "Z:" + str(path).replace("/", "\\")


class ProgressProbe:
    """The real main window with its status line and progress bar drawn on a worker thread,
    step by step as a test asks: run() returns once the steps are drawn and painted."""

    def __init__(self, program):
        self.program = program
        self.commands = program.folder / "commands.txt"
        self.done = 0

    def start(self):
        self.commands.write_bytes(b"")
        self.program.start(executable=PROBE, args=[windows_path(self.commands)])
        return self

    def run(self, *commands):
        with open(self.commands, "ab") as f:
            for command in commands:
                f.write(command.encode("gbk") + b"\n")
        self.done += len(commands)
        done_file = self.commands.with_name(self.commands.name + ".done")
        wait_for(lambda: done_file.exists() and int(done_file.read_text() or 0) >= self.done,
                 what=f"the probe to run {commands}")
        time.sleep(0.3)  # Wine puts the painted window on the X screen a moment later

    def status(self, x, text):
        self.run(f"status {x} {text}")

    def bar(self, value, maximum=100):
        self.run(f"bar {value} {maximum}")

    def bar_shape(self):
        """progressCanvas's window shape: the set of (x, y) inside it."""
        self.run("region")
        rows = self.commands.with_name(self.commands.name + ".region").read_text().split()
        return {(x, y) for y, row in enumerate(rows) for x, inside in enumerate(row)
                if inside == "1"}
