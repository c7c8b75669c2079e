"""The transfer layer over the real WinINet under Wine, against nginx, Python's http.server and
pyftpdlib on 127.0.0.1 (the cases themselves are tests/win/transfers_test_win.cpp)."""
import subprocess
import sys
import tempfile
import zipfile

import pytest

from harness import BUILD, ROOT

sys.path.insert(0, str(ROOT / "tests" / "servers"))
from download_server import DownloadServer  # noqa: E402
from ftp_server import FtpServer  # noqa: E402
from nginx_server import NginxServer  # noqa: E402


def pattern(size):
    return bytes((i * 7 + 3) & 0xFF for i in range(size))


@pytest.fixture(scope="module")
def served(tmp_path_factory):
    folder = tmp_path_factory.mktemp("served")
    (folder / "sized.bin").write_bytes(pattern(300000))
    # Wine lists the file's folder to learn its size; this folder's listing is refused.
    (folder / "unlisted").mkdir()
    (folder / "unlisted" / "data.bin").write_bytes(pattern(300000))
    (folder / "tiny.bin").write_bytes(pattern(100))
    with zipfile.ZipFile(folder / "small.zip", "w") as archive:
        archive.writestr("readme.txt", "a small package\r\n")
    return folder


def test_transfer_layer_against_real_servers(wine_env, served, tmp_path):
    with NginxServer(served, tmp_path / "nginx") as nginx, DownloadServer(served) as python, \
            FtpServer(served) as ftp:
        env = dict(wine_env, MERVANTIS_NGINX_PORT=str(nginx.port),
                   MERVANTIS_HTTP_PORT=str(python.port), MERVANTIS_FTP_PORT=str(ftp.port))
        with tempfile.TemporaryFile() as out:
            code = subprocess.run([env["WINE"], str(BUILD / "tests" / "transfer_tests.exe")],
                                  env=env, stdout=out, stderr=subprocess.STDOUT,
                                  timeout=300).returncode
            out.seek(0)
            report = out.read().decode(errors="replace")
        assert code == 0, report
        agents = [line for line in nginx.requests() if "kvb-oro-internet-appliction" in line]
        assert len(agents) == len(nginx.requests()) > 50
        assert all('"GET /' in line and "HTTP/1.1" in line for line in agents)
        assert "RETR /" in ftp.commands
        assert [c for c in ftp.commands if c.startswith("LIST") and "unlisted" in c]
