#!/usr/bin/env python3
"""Fake peers of the alarm output tests: a management server, an E-map server
and a relay board in one plain HTTP listener, steered by files in DIR.

Usage: alarm_peer.py DIR [PORT [HOST]]
  Binds HOST (127.0.0.1 when absent) on PORT (0 or absent: kernel-chosen) and writes it to DIR/port.
  GET /system/errorstatus.cgi answers ErrorCamera = the text of DIR/errorcamera
  (0 when absent) and GET /status/alarmzones.cgi answers Count = DIR/count.
  Every POST is recorded exactly as received in DIR/posts/<n>.bin (from 1).
  DIR/postplan, "ok,drop,...", closes the connection of POST n without a
  reply where its n-th entry is "drop".
  DIR/mode steers the answers: "500" answers status 500, "hang" reads the
  request and never answers.
"""
import os
import socket
import sys
import threading
import time

ROOT = sys.argv[1]
PORT = int(sys.argv[2]) if len(sys.argv) > 2 else 0
HOST = sys.argv[3] if len(sys.argv) > 3 else "127.0.0.1"
lock = threading.Lock()
posts = [0]


def read_file(name, default):
    try:
        with open(os.path.join(ROOT, name)) as f:
            return f.read().strip()
    except OSError:
        return default


def read_request(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(4096)
        if not chunk:
            return None
        data += chunk
    head, _, rest = data.partition(b"\r\n\r\n")
    length = 0
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            length = int(value.strip() or 0)
    while len(rest) < length:
        chunk = conn.recv(4096)
        if not chunk:
            break
        rest += chunk
    return head + b"\r\n\r\n" + rest


def record(raw):
    with lock:
        posts[0] += 1
        n = posts[0]
    folder = os.path.join(ROOT, "posts")
    os.makedirs(folder, exist_ok=True)
    tmp = os.path.join(folder, ".%d.tmp" % n)
    with open(tmp, "wb") as f:
        f.write(raw)
    os.rename(tmp, os.path.join(folder, "%d.bin" % n))
    return n


def serve(conn):
    try:
        while True:
            raw = read_request(conn)
            if raw is None:
                return
            line = raw.split(b"\r\n", 1)[0].decode("latin-1")
            method, path = line.split(" ")[0], line.split(" ")[1].split("?")[0]
            if method == "POST":
                n = record(raw)
                plan = read_file("postplan", "").split(",")
                if n <= len(plan) and plan[n - 1] == "drop":
                    return
            mode = read_file("mode", "")
            if mode == "hang":
                time.sleep(3600)
                return
            status = "200 OK"
            if path == "/system/errorstatus.cgi":
                body = ("<System><ErrorStatus><ErrorCamera>%s</ErrorCamera></ErrorStatus></System>"
                        % read_file("errorcamera", "0"))
            elif path == "/status/alarmzones.cgi":
                body = "<AlarmZones><Count>%s</Count></AlarmZones>" % read_file("count", "0")
            else:
                body = "ok"
            if mode == "500":
                status = "500 Internal Server Error"
            reply = "HTTP/1.1 %s\r\nContent-Type: text/xml\r\nContent-Length: %d\r\n\r\n%s" % (
                status, len(body), body)
            conn.sendall(reply.encode("latin-1"))
    except OSError:
        pass
    finally:
        conn.close()


def main():
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind((HOST, PORT))
    server.listen(16)
    tmp = os.path.join(ROOT, ".port.tmp")
    with open(tmp, "w") as f:
        f.write(str(server.getsockname()[1]))
    os.rename(tmp, os.path.join(ROOT, "port"))
    while True:
        conn, _ = server.accept()
        threading.Thread(target=serve, args=(conn,), daemon=True).start()


main()
