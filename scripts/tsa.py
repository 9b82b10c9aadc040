#!/usr/bin/env python3
"""scripts/tsa.py - a local RFC 3161 time-stamp authority for the release check.

    tsa.py CONFIG PORTFILE [LIFETIME]

Answers POSTed time-stamp queries with `openssl ts -reply -config CONFIG` on 127.0.0.1 only, at
a port the system picks, written to PORTFILE once it listens. It stops by itself when the
process that started it ends or after LIFETIME seconds (default 1800), whichever comes first.
"""
import http.server
import os
import subprocess
import sys
import tempfile
import threading
import time


class Handler(http.server.BaseHTTPRequestHandler):
    config = ""

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        if self.headers.get("Content-Type") != "application/timestamp-query" or not 0 < length < 65536:
            self.send_error(400, "expected an RFC 3161 time-stamp query")
            return
        query = self.rfile.read(length)
        with tempfile.TemporaryDirectory() as tmp:
            qfile = os.path.join(tmp, "query.tsq")
            rfile = os.path.join(tmp, "reply.tsr")
            with open(qfile, "wb") as f:
                f.write(query)
            done = subprocess.run(
                ["openssl", "ts", "-reply", "-config", self.config, "-queryfile", qfile, "-out", rfile],
                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=60)
            if done.returncode != 0:
                self.send_error(500, done.stderr.decode(errors="replace").strip()[:200])
                return
            with open(rfile, "rb") as f:
                reply = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, fmt, *args):
        pass


def main():
    if len(sys.argv) not in (3, 4):
        sys.stderr.write(__doc__)
        return 1
    Handler.config = sys.argv[1]
    lifetime = float(sys.argv[3]) if len(sys.argv) == 4 else 1800.0
    parent = os.getppid()
    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    server.timeout = 1
    # The port file appears whole: the starter waits for it.
    tmp = sys.argv[2] + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(tmp, sys.argv[2])
    end = time.monotonic() + lifetime
    serving = threading.Thread(target=server.serve_forever, daemon=True)
    serving.start()
    while time.monotonic() < end and os.getppid() == parent:
        time.sleep(0.5)
    server.shutdown()
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
