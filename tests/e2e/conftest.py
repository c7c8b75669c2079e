"""Fixtures of the end-to-end tests. The test run (scripts/run-tests.sh) provides DISPLAY and the
private Wine prefix; run alone, pytest sets both up itself."""
import os
import pathlib
import shutil
import signal
import subprocess

import pytest

from harness import ROOT, SCREENS, Program, wine_environment


@pytest.fixture(scope="session")
def wine_env():
    xvfb_pid = None
    if "DISPLAY" not in os.environ:
        # The same screen the test run starts, from the same script.
        started = subprocess.run(
            ["bash", "-c", f"source '{ROOT}/scripts/xvfb.sh' && start_xvfb && "
                           "echo $DISPLAY $XVFB_PID"],
            check=True, capture_output=True, text=True).stdout.split()
        os.environ["DISPLAY"], xvfb_pid = started[0], int(started[1])  # before Wine's desktop
    env = wine_environment()
    yield env
    if xvfb_pid:
        os.kill(xvfb_pid, signal.SIGTERM)


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
