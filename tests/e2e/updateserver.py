"""An update server on 127.0.0.1 that offers a newer Quillon: the version
file at /sw/cur_ver.txt and an installer that only leaves a mark that it
ran."""

import http.server
import os
import threading

INSTALLER = "quillon-setup.sh"


class UpdateServer:
    def __init__(self, mark_path, version="9.9.9.9"):
        installer = f"#!/bin/sh\necho started > '{mark_path}'\n".encode()
        files = {}

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                body = files.get(self.path)
                if body is None:
                    self.send_error(404)
                    return
                self.send_response(200)
                self.send_header("Content-Type", "application/octet-stream")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self._server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.url = f"http://127.0.0.1:{self._server.server_address[1]}"
        files["/sw/cur_ver.txt"] = (
            f"[Currentversions]\r\nQuillon={version}\r\n[VersDate]\r\nQuillon=01.02.2027\r\n"
            f"[DownloadURL]\r\nQuillon={self.url}/files/{INSTALLER}\r\n[FileName]\r\nQuillon={INSTALLER}\r\n").encode()
        files[f"/files/{INSTALLER}"] = installer
        self._thread = threading.Thread(target=self._server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True)
        self._thread.start()

    def stop(self):
        self._server.shutdown()
        self._server.server_close()
        self._thread.join(timeout=5)


def installer_ran(mark_path):
    return os.path.exists(mark_path)
