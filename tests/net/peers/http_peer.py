#!/usr/bin/env python3
"""Plain HTTP target for the tests: records every request's raw bytes and
answers with reply files chosen by the request path.

Usage: http_peer.py DIR
  Binds 127.0.0.1 on a kernel-chosen port and writes it to DIR/port.
  Request n (from 1) is stored as DIR/requests/<n>.bin, exactly as received.
  GET or POST /r/NAME answers the bytes of DIR/replies/NAME#K when it exists
  (K = how often NAME was asked for, from 1), else DIR/replies/NAME.
  In a reply file, <<PAUSE>> sends what came before it and waits 300 ms,
  <<HANG>> stops answering (the connection stays open) and <<CLOSE>> closes
  the connection at once. Any other path gets 404.
"""
import http.server
import os
import socketserver
import sys
import threading
import time

ROOT = sys.argv[1]
lock = threading.Lock()
counters = {"requests": 0}


class Tee:
    """Reads from the socket file and keeps a copy of every byte read."""

    def __init__(self, raw):
        self.raw = raw
        self.copy = bytearray()

    def readline(self, *args):
        line = self.raw.readline(*args)
        self.copy += line
        return line

    def read(self, *args):
        data = self.raw.read(*args)
        self.copy += data
        return data

    def __getattr__(self, name):
        return getattr(self.raw, name)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def setup(self):
        super().setup()
        self.rfile = Tee(self.rfile)

    def log_message(self, *args):
        pass

    def record(self):
        length = int(self.headers.get("Content-Length") or 0)
        if length > 0:
            self.rfile.read(length)
        with lock:
            counters["requests"] += 1
            n = counters["requests"]
            key = "name:" + self.path
            counters[key] = counters.get(key, 0) + 1
            k = counters[key]
        folder = os.path.join(ROOT, "requests")
        os.makedirs(folder, exist_ok=True)
        tmp = os.path.join(folder, ".%d.tmp" % n)
        with open(tmp, "wb") as f:
            f.write(bytes(self.rfile.copy))
        os.rename(tmp, os.path.join(folder, "%d.bin" % n))
        self.rfile.copy = bytearray()
        return k

    def answer(self):
        k = self.record()
        path = self.path.split("?", 1)[0]
        if not path.startswith("/r/"):
            body = b"not found"
            self.wfile.write(b"HTTP/1.1 404 Not Found\r\nContent-Length: %d\r\n\r\n%s" % (len(body), body))
            return
        name = path[3:]
        replies = os.path.join(ROOT, "replies")
        chosen = os.path.join(replies, "%s#%d" % (name, k))
        if not os.path.exists(chosen):
            chosen = os.path.join(replies, name)
        with open(chosen, "rb") as f:
            data = f.read()
        pieces = data.split(b"<<PAUSE>>")
        for i, piece in enumerate(pieces):
            if i > 0:
                time.sleep(0.3)
            if b"<<HANG>>" in piece:
                self.wfile.write(piece.split(b"<<HANG>>")[0])
                self.wfile.flush()
                time.sleep(3600)
            if b"<<CLOSE>>" in piece:
                self.wfile.write(piece.split(b"<<CLOSE>>")[0])
                self.wfile.flush()
                self.close_connection = True
                return
            self.wfile.write(piece)
            self.wfile.flush()

    do_GET = answer
    do_POST = answer
    do_PUT = answer


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


server = Server(("127.0.0.1", 0), Handler)
tmp = os.path.join(ROOT, ".port.tmp")
with open(tmp, "w") as f:
    f.write(str(server.server_address[1]))
os.rename(tmp, os.path.join(ROOT, "port"))
server.serve_forever()
