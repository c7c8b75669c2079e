"""nginx on 127.0.0.1 serving one folder, with its configuration, logs and temporary files
in a private prefix."""
import os
import pathlib
import socket
import subprocess
import time


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class NginxServer:
    def __init__(self, folder, prefix, port=None, rate=None):
        self.folder = pathlib.Path(folder)
        self.prefix = pathlib.Path(prefix)
        self.port = port or free_port()
        self.rate = rate  # bytes per second for each answer, as nginx writes it ("400k")
        self.process = None

    def __enter__(self):
        self.prefix.mkdir(parents=True, exist_ok=True)
        user = "user root;" if os.geteuid() == 0 else ""
        config = self.prefix / "nginx.conf"
        config.write_text(f"""
{user}
daemon off;
worker_processes 1;
pid {self.prefix}/nginx.pid;
error_log {self.prefix}/error.log;
events {{ worker_connections 512; }}
http {{
  access_log {self.prefix}/access.log;
  client_body_temp_path {self.prefix}/body;
  proxy_temp_path {self.prefix}/proxy;
  fastcgi_temp_path {self.prefix}/fastcgi;
  uwsgi_temp_path {self.prefix}/uwsgi;
  scgi_temp_path {self.prefix}/scgi;
  types {{ application/zip zip; }}
  sendfile on;
  server {{
    listen 127.0.0.1:{self.port};
    root {self.folder};
    {f"limit_rate {self.rate};" if self.rate else ""}
  }}
}}
""")
        self.process = subprocess.Popen(["/usr/sbin/nginx", "-p", str(self.prefix), "-c", str(config)],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.5).close()
                return self
            except OSError:
                if self.process.poll() is not None:
                    break
                time.sleep(0.05)
        self.__exit__()
        raise RuntimeError(f"nginx did not start on port {self.port}: "
                           f"{(self.prefix / 'error.log').read_text(errors='replace')}")

    def __exit__(self, *exc):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=10)

    def requests(self):
        log = self.prefix / "access.log"
        return log.read_text().splitlines() if log.exists() else []
