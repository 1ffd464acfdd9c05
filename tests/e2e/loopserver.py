"""A loopback HTTP server for the download tests: files from a folder of the test, served
on 127.0.0.1 only, a bounded number of requests at a bounded rate, 404 for anything else.
Use it as a context manager: leaving it stops the server and joins its thread."""

import http.server
import pathlib
import threading
import time

MAX_REQUESTS = 200  # a test that loops on the server fails instead of running on


class LoopServer:
    def __init__(self, root, port=0, bytes_per_second=None):
        self.root = pathlib.Path(root)
        self.requests = []  # paths asked for, in order
        self._port = port
        self._rate = bytes_per_second
        self._server = None
        self._thread = None

    @property
    def port(self):
        return self._server.server_address[1]

    def url(self, path):
        return f"http://127.0.0.1:{self.port}/{path}"

    def __enter__(self):
        owner = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                owner._serve(self, body=True)

            def do_HEAD(self):
                owner._serve(self, body=False)

            def log_message(self, *args):
                pass

        self._server = http.server.ThreadingHTTPServer(("127.0.0.1", self._port), Handler)
        self._server.daemon_threads = True
        self._thread = threading.Thread(target=self._server.serve_forever, daemon=True)
        self._thread.start()
        return self

    def __exit__(self, *args):
        self._server.shutdown()
        self._server.server_close()
        self._thread.join(timeout=10)
        return False

    def _serve(self, handler, body):
        path = handler.path.split("?")[0].lstrip("/")
        self.requests.append((handler.command, path))
        file = self.root / path
        if len(self.requests) > MAX_REQUESTS or not file.is_file():
            handler.send_error(404)
            return
        data = file.read_bytes()
        handler.send_response(200)
        handler.send_header("Content-Length", str(len(data)))
        handler.send_header("Content-Type", "application/octet-stream")
        handler.end_headers()
        if not body:
            return
        chunk = 64 * 1024
        for start in range(0, len(data), chunk):
            try:
                handler.wfile.write(data[start:start + chunk])
            except (BrokenPipeError, ConnectionResetError):
                return
            if self._rate:
                time.sleep(chunk / self._rate)
