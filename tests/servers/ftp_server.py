"""pyftpdlib on 127.0.0.1 serving one folder to anonymous users. A listing of any path that
holds "unlisted" is refused, so that a file in such a folder can be fetched although its size
cannot be learned. Every command line is recorded."""
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import ThreadedFTPServer


class FtpServer:
    def __init__(self, folder):
        authorizer = DummyAuthorizer()
        authorizer.add_anonymous(str(folder))
        self.commands = []
        server = self

        class Handler(FTPHandler):
            def on_incomplete_file_received(self, file):
                pass

            def pre_process_command(self, line, cmd, arg):
                server.commands.append(line)
                if cmd in ("LIST", "NLST", "MLSD", "MLST", "SIZE") and arg and "unlisted" in arg:
                    self.respond("550 No listing here.")
                    return
                super().pre_process_command(line, cmd, arg)

        Handler.authorizer = authorizer
        Handler.passive_ports = range(40000, 40100)
        self.server = ThreadedFTPServer(("127.0.0.1", 0), Handler)
        self.port = self.server.address[1]
        self.thread = threading.Thread(target=self.server.serve_forever,
                                       kwargs={"timeout": 0.2}, daemon=True)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.server.close_all()
