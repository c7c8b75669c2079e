"""A download server for the tests, on Python's http.server: what it answers for a package is
chosen by the package identifier in the address (/down/ID/ID.zip), so one server serves every
test, and it records every request it sees.

Identifiers (a test stamps one into the program it runs):
  ok-NAME       the package file NAME from the served folder, with Content-Length
  chunked-NAME  the same, chunked, without Content-Length
  slow-NAME     the same, 10240 bytes at a time with a pause after each
  cut-NAME      the same, the connection cut after half of it
  status-CODE   the status CODE with a small ZIP file as its body
  page-NAME     the file NAME (an HTML page) with status 200
"""
import http.server
import pathlib
import re
import socketserver
import threading
import time


class DownloadServer:
    def __init__(self, folder, port=0, slow_pause=0.05):
        self.folder = pathlib.Path(folder)
        self.requests = []
        self.slow_pause = slow_pause
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def do_GET(self):
                server.requests.append(self.path)
                server.answer(self)

        class Threading(socketserver.ThreadingMixIn, http.server.HTTPServer):
            daemon_threads = True
            allow_reuse_address = True

        self.httpd = Threading(("127.0.0.1", port), Handler)
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.httpd.shutdown()
        self.httpd.server_close()

    def answer(self, handler):
        match = re.fullmatch(r"/down/([^/]+)/\1\.zip", handler.path)
        if not match:
            return self.send(handler, 404, b"<html><head></head>not here</html>")
        mode, _, name = match.group(1).partition("-")
        if mode == "status":
            return self.send(handler, int(name), (self.folder / "small.zip").read_bytes())
        path = self.folder / name
        if not path.is_file():
            return self.send(handler, 404, b"<html><head></head>not here</html>")
        body = path.read_bytes()
        if mode in ("ok", "page"):
            return self.send(handler, 200, body)
        if mode == "chunked":
            handler.send_response(200)
            handler.send_header("Transfer-Encoding", "chunked")
            handler.end_headers()
            for at in range(0, len(body), 4096):
                piece = body[at:at + 4096]
                handler.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
            handler.wfile.write(b"0\r\n\r\n")
            return None
        if mode == "slow":
            handler.send_response(200)
            handler.send_header("Content-Length", str(len(body)))
            handler.end_headers()
            for at in range(0, len(body), 10240):
                handler.wfile.write(body[at:at + 10240])
                handler.wfile.flush()
                time.sleep(self.slow_pause)
            return None
        if mode == "cut":
            handler.send_response(200)
            handler.send_header("Content-Length", str(len(body)))
            handler.end_headers()
            handler.wfile.write(body[:len(body) // 2])
            handler.wfile.flush()
            handler.close_connection = True
            return None
        return self.send(handler, 404, b"<html><head></head>unknown mode</html>")

    @staticmethod
    def send(handler, status, body):
        handler.send_response(status)
        handler.send_header("Content-Length", str(len(body)))
        handler.end_headers()
        handler.wfile.write(body)
        return None
