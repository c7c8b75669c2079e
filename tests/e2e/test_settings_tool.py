"""The publisher's settings tool, host and Windows builds alike, against an implementation of
the enciphered file format written here from its definition; its command line and its
failures."""
import hashlib
import random
import subprocess
import tempfile

import pytest

from harness import ROOT

HOST_TOOL = ROOT / "build" / "host" / "tools" / "settings" / "settings"
WINDOWS_TOOL = ROOT / "build" / "win64" / "tools" / "settings" / "settings.exe"
PACKAGE_PASSWORD = b"507132640?"


# --- the format, from its definition -----------------------------------------------------

def rc4_schedule(key):
    state = list(range(256))
    j = 0
    for i in range(256):
        j = (j + state[i] + key[i % len(key)]) % 256
        state[i], state[j] = state[j], state[i]
    return state


def rc4_output(state, count):
    state = list(state)
    i = j = 0
    out = bytearray()
    for _ in range(count):
        i = (i + 1) % 256
        j = (j + state[i]) % 256
        state[i], state[j] = state[j], state[i]
        out.append(state[(state[i] + state[j]) % 256])
    return bytes(out)


def encipher(plain, password, plain_prefix=0):
    """Every byte at offset p >= plain_prefix XOR byte p % 4096 of its block's key stream."""
    key_text = hashlib.md5(password).digest()[::-1].hex().encode("ascii")
    blocks = (len(plain) + 4095) // 4096
    words = rc4_output(rc4_schedule(password), 4 * blocks)
    out = bytearray(plain)
    for block in range(blocks):
        word = words[4 * block:4 * block + 4]
        mixed = (int.from_bytes(word, "little") ^ block) & 0xFFFFFFFF
        block_key = word + key_text + mixed.to_bytes(4, "little")
        stream = rc4_output(rc4_schedule(block_key), 36 + 4096)[36:]
        for at in range(4096 * block, min(len(plain), 4096 * (block + 1))):
            if at >= plain_prefix:
                out[at] ^= stream[at % 4096]
    return bytes(out)


def test_the_reference_rc4_meets_rfc_6229():
    output = rc4_output(rc4_schedule(bytes([1, 2, 3, 4, 5])), 0x1010)
    assert output[:16].hex() == "b2396305f03dc027ccc3524a0a1118a8"
    assert output[0x1000:].hex() == "ff25b58995996707e51fbdf08b34d875"


def test_the_unit_tests_known_streams_come_from_the_reference():
    # The bytes tests/register/cipher_test.cpp expects of the key stream.
    zeros = encipher(bytes(12292), PACKAGE_PASSWORD)
    assert zeros[0:8].hex() == "74a1d745dcb9d7c5"
    assert zeros[4092:4100].hex() == "237111244b15cc1f"
    assert zeros[8190:8196].hex() == "f23f7eafdd67"
    assert zeros[12288:12292].hex() == "61756574"
    zeros = encipher(bytes(4098), "口令".encode("gbk"))
    assert zeros[0:4].hex() == "1b5769ea"
    assert zeros[4094:4098].hex() == "b9041b7e"


# --- the tool, host and Windows --------------------------------------------------------------

class Tool:
    def __init__(self, command, env, encoding, windows):
        self.command = command
        self.env = env
        self.encoding = encoding  # the terminal's: UTF-8 here, the ANSI code page on Windows
        self.windows = windows

    def path(self, path):
        return "Z:" + str(path).replace("/", "\\") if self.windows else str(path)

    def run(self, *args):
        # Output through files: Wine's background processes may hold a pipe open.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run([*self.command, *map(str, args)], env=self.env, stdout=out,
                                  stderr=err, timeout=120).returncode
            out.seek(0)
            err.seek(0)
            return (code, out.read().decode(self.encoding).replace("\r\n", "\n"),
                    err.read().decode(self.encoding).replace("\r\n", "\n"))


@pytest.fixture(params=["host", "win64"])
def tool(request):
    if request.param == "host":
        return Tool([str(HOST_TOOL)], None, "utf-8", windows=False)
    env = request.getfixturevalue("wine_env")
    return Tool([env["WINE"], str(WINDOWS_TOOL)], env, "gbk", windows=True)


CIPHER_CASES = [
    # size in bytes, password (None: the package password by default), plain prefix
    (0, None, 0),
    (4095, "x", 0),
    (4097, None, 10),
    (3 * 4096 + 100, "口令密码", 0),
    (2 * 4096 + 1, "p" * 300 + "中", 5000),
]


@pytest.mark.parametrize("size,password,prefix", CIPHER_CASES)
def test_encrypt_and_decrypt_write_the_format(tool, tmp_path, size, password, prefix):
    plain = random.Random(size).randbytes(size)
    (tmp_path / "plain").write_bytes(plain)
    options = []
    if password is not None:
        options += ["--password", password]
    if prefix:
        options += ["--plain-prefix", prefix]
    key = PACKAGE_PASSWORD if password is None else password.encode("gbk")
    expected = encipher(plain, key, prefix)

    code, _, err = tool.run(*options, "encrypt", tool.path(tmp_path / "plain"),
                            tool.path(tmp_path / "enciphered"))
    assert (code, err) == (0, "")
    assert (tmp_path / "enciphered").read_bytes() == expected

    (tmp_path / "reference").write_bytes(expected)
    code, _, err = tool.run(*options, "decrypt", tool.path(tmp_path / "reference"),
                            tool.path(tmp_path / "deciphered"))
    assert (code, err) == (0, "")
    assert (tmp_path / "deciphered").read_bytes() == plain
    assert sorted(p.name for p in tmp_path.iterdir()) == [
        "deciphered", "enciphered", "plain", "reference"]


def write_package_settings(tool, install):
    pz = install / "zhi" / "pz"
    pz.mkdir(parents=True)
    (install / "pro.txt").write_bytes("[pro]\r\npfexe=bin\\程序.exe\r\n".encode("gbk"))
    (install / "cl.txt").write_bytes("[配置]\r\n软件名=测试软件\r\n".encode("gbk"))
    for name in ("pro", "cl"):
        code, _, err = tool.run("encrypt", tool.path(install / f"{name}.txt"),
                                tool.path(pz / f"{name}.dll"))
        assert (code, err) == (0, "")
    return pz


def test_get_reads_the_installers_two_settings(tool, tmp_path):
    pz = write_package_settings(tool, tmp_path)
    # Files written by the reference are read the same way.
    assert (pz / "cl.dll").read_bytes() == encipher((tmp_path / "cl.txt").read_bytes(),
                                                    PACKAGE_PASSWORD)
    assert tool.run("get", tool.path(pz / "pro.dll"), "pro", "pfexe") == (0, "bin\\程序.exe\n", "")
    assert tool.run("get", tool.path(pz / "cl.dll"), "配置", "软件名", "hq") == (0, "测试软件\n", "")
    assert tool.run("get", tool.path(pz / "cl.dll"), "配置", "版本", "hq") == (0, "hq\n", "")
    assert tool.run("get", tool.path(pz / "cl.dll"), "配置", "版本") == (0, "\n", "")
    # Under another password the section is not found.
    assert tool.run("--password", "别的", "get", tool.path(pz / "cl.dll"), "配置", "软件名",
                    "hq") == (0, "hq\n", "")


def test_bad_command_lines_are_refused_with_a_message(tool, tmp_path):
    (tmp_path / "in").write_bytes(b"[s]\nk=v\n")
    inp, out = tool.path(tmp_path / "in"), tool.path(tmp_path / "out")
    cases = [
        ([], "no command given"),
        (["frobnicate"], "unknown command 'frobnicate'"),
        (["encrypt", inp], "encrypt takes IN and OUT"),
        (["get", inp, "s"], "get takes FILE, SECTION, KEY"),
        (["--password"], "option --password needs a value"),
        (["--plain-prefix", "-3", "encrypt", inp, out], "--plain-prefix takes a count"),
        (["--plain-prefix", "4", "get", inp, "s", "k"], "applies to encrypt and decrypt only"),
        (["--verbose", "encrypt", inp, out], "unknown option '--verbose'"),
    ]
    for args, message in cases:
        code, stdout, err = tool.run(*args)
        assert code == 2, args
        assert message in err, args
        assert stdout == ""
    assert not (tmp_path / "out").exists()
    code, stdout, _ = tool.run("--help")
    assert code == 0 and stdout.startswith("usage: settings")


def test_failures_leave_no_partial_output(tool, tmp_path):
    good = encipher(b"[s]\r\nk=v\r\n", PACKAGE_PASSWORD)
    (tmp_path / "out").write_bytes(good)
    (tmp_path / "in").write_bytes(b"[s]\r\nk=changed\r\n")
    (tmp_path / "folder").mkdir()

    code, _, err = tool.run("encrypt", tool.path(tmp_path / "missing"), tool.path(tmp_path / "out"))
    assert code == 1 and "cannot open" in err and "missing" in err
    code, _, err = tool.run("encrypt", tool.path(tmp_path / "in"),
                            tool.path(tmp_path / "no-such-folder" / "out"))
    assert code == 1 and "cannot write" in err
    code, _, err = tool.run("encrypt", tool.path(tmp_path / "in"), tool.path(tmp_path / "folder"))
    assert code == 1 and "cannot write" in err
    code, _, err = tool.run("get", tool.path(tmp_path / "missing"), "s", "k")
    assert code == 1 and "cannot open" in err

    assert (tmp_path / "out").read_bytes() == good
    assert sorted(p.name for p in tmp_path.iterdir()) == ["folder", "in", "out"]
    assert list((tmp_path / "folder").iterdir()) == []
    # And a good run replaces the old file.
    assert tool.run("encrypt", tool.path(tmp_path / "in"), tool.path(tmp_path / "out"))[0] == 0
    assert tool.run("get", tool.path(tmp_path / "out"), "s", "k") == (0, "changed\n", "")


def test_texts_without_gbk_form_are_refused(tmp_path):
    (tmp_path / "file").write_bytes(encipher(b"[s]\nk=v\n", PACKAGE_PASSWORD))
    host = Tool([str(HOST_TOOL)], None, "utf-8", windows=False)
    code, _, err = host.run("get", tmp_path / "file", "😀", "k")
    assert code == 2 and "the section cannot be written in GBK" in err
    (tmp_path / "bad").write_bytes(encipher(b"[s]\nk=\x81\n", PACKAGE_PASSWORD))
    code, _, err = host.run("get", tmp_path / "bad", "s", "k")
    assert code == 1 and "not GBK text" in err
