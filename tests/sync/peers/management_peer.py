#!/usr/bin/env python3
"""Fake management service for the synchronizer tests: records the request
line of every GET and answers with a chosen status.

Usage: management_peer.py DIR
  Binds 127.0.0.1 on a kernel-chosen port and writes it to DIR/port.
  Appends each request line (method, target, version) to DIR/requests.txt.
  Answers with the status code in DIR/status (200 when the file is absent).
"""
import http.server
import os
import socketserver
import sys
import threading

ROOT = sys.argv[1]
lock = threading.Lock()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        with lock:
            with open(os.path.join(ROOT, "requests.txt"), "ab") as f:
                f.write(self.requestline.encode("latin-1") + b"\n")
        status = 200
        path = os.path.join(ROOT, "status")
        if os.path.exists(path):
            with open(path) as f:
                status = int(f.read().strip() or "200")
        body = b"OK"
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


server = Server(("127.0.0.1", 0), Handler)
tmp = os.path.join(ROOT, ".port.tmp")
with open(tmp, "w") as f:
    f.write(str(server.server_address[1]))
os.rename(tmp, os.path.join(ROOT, "port"))
server.serve_forever()
