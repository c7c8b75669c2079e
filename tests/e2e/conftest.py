"""Fixtures of the end-to-end tests. The test run (scripts/run-tests.sh) provides DISPLAY and the
private Wine prefix; run alone, pytest sets both up itself."""
import os
import pathlib
import shutil
import subprocess
import time

import pytest

from harness import SCREENS, Program, wine_environment


@pytest.fixture(scope="session")
def wine_env():
    xvfb = None
    if "DISPLAY" not in os.environ:
        display = ":%d" % (130 + os.getpid() % 50)
        xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1)
        os.environ["DISPLAY"] = display  # before Wine starts its desktop
    env = wine_environment()
    yield env
    if xvfb:
        xvfb.terminate()


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    setattr(item, "report_" + report.when, report)


@pytest.fixture
def program(wine_env, request):
    folder = pathlib.Path(wine_env["MERVANTIS_RUN_DIR"]) / "programs" / request.node.name
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    screens = SCREENS / request.node.name
    shutil.rmtree(screens, ignore_errors=True)
    run = Program(wine_env, folder, screens)
    yield run
    run.stop()
    # The mouse goes back to a corner so that no hover is left for the next test.
    subprocess.run(["xdotool", "mousemove", "0", "0"], env=wine_env)
    failed = getattr(request.node, "report_call", None)
    if not (failed and failed.failed):
        shutil.rmtree(screens, ignore_errors=True)
