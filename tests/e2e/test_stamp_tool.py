"""The stamping tool, host and Windows builds, on the built program and on small fixtures."""
import subprocess

import pytest

from harness import BUILD, PROGRAM, ROOT

BEGIN = b"#@" * 11 + b"##"
END = b"#" + b"$%" * 11 + b"#"
HOST_TOOL = ROOT / "build" / "host" / "stamp"


def field(identifier):
    return (BEGIN + identifier + END).ljust(246, b" ") + b"\0"


def run_host(*args):
    return subprocess.run([str(HOST_TOOL), *map(str, args)], capture_output=True)


def test_the_built_program_holds_one_field_with_the_delivered_identifier(tmp_path):
    data = PROGRAM.read_bytes()
    assert data.count(field(b"00000")) == 1
    copy = tmp_path / "setup.exe"
    copy.write_bytes(data)
    assert run_host(copy).stdout == b"00000\n"
    assert run_host(copy, "12345").returncode == 0
    assert run_host(copy).stdout == b"12345\n"
    stamped = copy.read_bytes()
    assert len(stamped) == len(data) and stamped.count(field(b"12345")) == 1
    # Only the field's bytes changed.
    assert stamped.replace(field(b"12345"), field(b"00000")) == data


@pytest.mark.parametrize("content, identifier, message", [
    (b"no field at all" * 40, "1", b"no package stamp field"),
    (b"x" + field(b"1") + field(b"2"), "3", b"2 package stamp fields"),
    (b"x" + field(b"1"), "7" * 199, b"198"),
    (b"x" + field(b"1"), BEGIN.decode() + "9", b"marker"),
    (b"x" + field(b"1"), "9" + END.decode(), b"marker"),
])
def test_refused_stamps_leave_the_file_unchanged(tmp_path, content, identifier, message):
    target = tmp_path / "target.exe"
    target.write_bytes(content)
    result = run_host(target, identifier)
    assert result.returncode != 0 and message in result.stderr
    assert target.read_bytes() == content


def test_the_longest_identifier_fits_and_a_missing_file_is_refused(tmp_path):
    target = tmp_path / "target.exe"
    target.write_bytes(b"head" + field(b"1") + b"tail")
    assert run_host(target, "7" * 198).returncode == 0
    assert target.read_bytes() == b"head" + field(b"7" * 198) + b"tail"
    missing = run_host(tmp_path / "missing.exe")
    assert missing.returncode != 0 and b"cannot read" in missing.stderr


def test_the_windows_tool_stamps_too(wine_env, tmp_path):
    target = tmp_path / "target.exe"
    target.write_bytes(b"head" + field(b"00000") + b"tail")
    windows_path = "Z:" + str(target).replace("/", "\\")
    subprocess.run([wine_env["WINE"], str(BUILD / "stamp.exe"), windows_path, "4242"],
                   env=wine_env, check=True, capture_output=True, timeout=60)
    assert target.read_bytes() == b"head" + field(b"4242") + b"tail"
