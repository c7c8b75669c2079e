"""Fixtures of the end-to-end tests. The test run (scripts/run-tests.sh) provides DISPLAY and the
private Wine prefix; run alone, pytest sets both up itself."""
import os
import pathlib
import shutil
import signal
import subprocess
import sys

import pytest

from harness import DOWNLOAD_PORT, ROOT, SCREENS, Program, wine_environment

sys.path.insert(0, str(ROOT / "tests" / "servers"))
from download_server import DownloadServer  # noqa: E402


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


@pytest.fixture(scope="session")
def packages(tmp_path_factory):
    """What the download server serves: a real ZIP package, a broken one, a large file that is
    no package, and two error pages."""
    folder = tmp_path_factory.mktemp("packages")
    source = folder / "source"
    (source / "bin").mkdir(parents=True)
    (source / "bin" / "app.exe").write_bytes(os.urandom(200000))
    (source / "readme.txt").write_text("Mervantis test package\r\n")
    subprocess.run(["zip", "-q", "-r", str(folder / "package.zip"), "."], cwd=source, check=True)
    (folder / "small.zip").write_bytes((folder / "package.zip").read_bytes()[:4096])
    (folder / "big.bin").write_bytes(b"PK\x03\x04\0\0" + os.urandom(2_000_000))
    (folder / "page.html").write_bytes(b"<html><head><title>gone</title></head></html>")
    (folder / "PAGE.html").write_bytes(b"<HTML><HEAD><TITLE>gone</TITLE></HEAD></HTML>")
    return folder


@pytest.fixture(scope="session")
def server(packages):
    """The download server on the address the test builds download from."""
    try:
        with DownloadServer(packages, port=DOWNLOAD_PORT) as running:
            yield running
    except OSError as error:
        pytest.fail(f"the download server cannot listen on 127.0.0.1:{DOWNLOAD_PORT}: {error}")
