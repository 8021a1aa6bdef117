#!/usr/bin/env python3
"""A timestamp authority on 127.0.0.1 for the release tests: answers RFC 3161 queries posted over
HTTP with `openssl ts -reply`, signed by a throwaway TSA certificate. Nothing leaves the machine.
Usage: tsa_server.py DIR   (DIR holds tsa.cnf and the keys; the chosen port is written to DIR/port)"""

import http.server
import os
import subprocess
import sys
import tempfile

folder = sys.argv[1]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        with tempfile.TemporaryDirectory() as scratch:
            q, r = os.path.join(scratch, "q.tsq"), os.path.join(scratch, "r.tsr")
            with open(q, "wb") as f:
                f.write(query)
            done = subprocess.run(["openssl", "ts", "-reply", "-config", os.path.join(folder, "tsa.cnf"),
                                   "-queryfile", q, "-out", r], capture_output=True)
            if done.returncode != 0:
                self.send_error(500, done.stderr.decode(errors="replace")[:200])
                return
            reply = open(r, "rb").read()
        with open(os.path.join(folder, "requests.log"), "a") as log:
            log.write("reply %d bytes\n" % len(reply))
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
with open(os.path.join(folder, "port.tmp"), "w") as f:
    f.write(str(server.server_port))
os.replace(os.path.join(folder, "port.tmp"), os.path.join(folder, "port"))
server.serve_forever()
