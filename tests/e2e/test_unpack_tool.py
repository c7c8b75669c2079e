"""The publisher's unpack tool, host build and Windows build under Wine: the percents the
installer would show, what stopped a failed extraction, and the exit code."""
import pathlib
import subprocess

import pytest

from harness import BUILD, ROOT, windows_path

PACKAGES = ROOT / "build" / "host" / "tests" / "packages"
HOST_TOOL = ROOT / "build" / "host" / "tools" / "unpack" / "unpack"
WINDOWS_TOOL = BUILD / "tools" / "unpack" / "unpack.exe"


def run_tool(build, wine_env, *args):
    if build == "host":
        command = [str(HOST_TOOL), *map(str, args)]
    else:
        command = [wine_env["WINE"], str(WINDOWS_TOOL),
                   *(windows_path(a) if isinstance(a, pathlib.Path) else a for a in args)]
    done = subprocess.run(command, env=wine_env, capture_output=True, timeout=120)
    return done.returncode, done.stdout.decode("gbk").split(), done.stderr.decode("gbk")


@pytest.mark.parametrize("build", ["host", "windows"])
def test_a_good_package_prints_every_percent_and_ends_with_0(build, wine_env, tmp_path):
    code, percents, _ = run_tool(build, wine_env, PACKAGES / "tree.zip", tmp_path / "out")
    assert (code, percents) == (0, ["0%", "25%", "50%", "75%", "100%"])
    assert (tmp_path / "out" / "zhi" / "pz" / "pro.dll").stat().st_size == 3000


@pytest.mark.parametrize("build", ["host", "windows"])
@pytest.mark.parametrize("package, percents, message", [
    ("refused-parent.zip", ["0%"], "a \"..\" level): ../evil.txt"),
    ("crc-mismatch.zip", ["0%"], "corrupt or truncated: second.bin"),
    ("files-only.zip", ["0%"], "a file cannot be created: zhi/pz/pro.dll"),
    ("not-a-zip.zip", ["0%"], "not a ZIP archive"),
    ("missing.zip", ["0%"], "does not exist"),
])
def test_a_failed_extraction_says_what_stopped_it(build, wine_env, tmp_path, package, percents,
                                                  message):
    code, shown, errors = run_tool(build, wine_env, PACKAGES / package, tmp_path / "out")
    assert (code, shown) == (1, percents)
    assert message in errors


def test_a_wrong_command_line_shows_the_usage(wine_env):
    code, _, errors = run_tool("host", wine_env, "only-one-argument")
    assert code == 2 and "usage: unpack PACKAGE.zip DIR" in errors
