#!/usr/bin/env python3
"""Fake building-IoT platform for the tests: the account login, the thing
routes (video gateways and their edges, with a state of things) and the
"/v1.0/attrs" messages (thing token, event notification), over keep-alive
connections, plain or TLS.

Usage: biot_platform.py DIR [CERT KEY]
  Binds 127.0.0.1 on a kernel-chosen port and writes it to DIR/port (TLS with
  the given certificate and key).
  DIR/state.txt, read at start when present: lines "gateway NAME" and
  "edge GATEWAY EDGE". After every request the state is written back to
  DIR/things.txt ("gateway NAME", "edge GATEWAY EDGE", "attr THING KEY=VALUE").
  Request n (from 1) is stored as DIR/requests/<n>.bin exactly as received,
  and a line "<n> <connection> <METHOD> <target>" is appended to
  DIR/requests.log (connections numbered from 1 in accept order).
  DIR/script.txt, read before every request: blocks separated by a line
  "----"; a block's first line is "MATCH [SKIP [TIMES]]", the rest the reply
  bytes (lines joined by CR LF; \\n ends no line of the reply). The first
  block whose MATCH is a substring of "METHOD target" and that has not yet
  answered TIMES (default 1) requests, after letting SKIP (default 0) matching
  requests pass, answers instead of the route. In a reply <<CLOSE>> closes the
  connection after what came before it, <<HANG>> stops answering (the
  connection stays open until the client leaves), <<LEN>> is replaced with the
  byte length of what follows the header's empty line.
"""
import json
import os
import re
import socket
import ssl
import sys
import threading
import time

ROOT = sys.argv[1]
lock = threading.Lock()
counters = {"requests": 0, "connections": 0, "tokens": 0}
script_used = {}
gateways = {}  # name -> {"edges": [names], "attrs": {}}
attrs = {}     # thing -> {key: value}


def load_state():
    path = os.path.join(ROOT, "state.txt")
    if not os.path.exists(path):
        return
    with open(path) as f:
        for line in f:
            parts = line.split()
            if len(parts) == 2 and parts[0] == "gateway":
                gateways.setdefault(parts[1], [])
            elif len(parts) == 3 and parts[0] == "edge":
                gateways.setdefault(parts[1], []).append(parts[2])


def save_state():
    lines = []
    for name in sorted(gateways):
        lines.append("gateway " + name)
        for edge in gateways[name]:
            lines.append("edge %s %s" % (name, edge))
    for thing in sorted(attrs):
        for key in sorted(attrs[thing]):
            lines.append("attr %s %s=%s" % (thing, key, attrs[thing][key]))
    tmp = os.path.join(ROOT, ".things.tmp")
    with open(tmp, "w") as f:
        f.write("\n".join(lines) + "\n")
    os.rename(tmp, os.path.join(ROOT, "things.txt"))


def read_script():
    path = os.path.join(ROOT, "script.txt")
    if not os.path.exists(path):
        return []
    with open(path, "rb") as f:
        text = f.read().decode("latin-1")
    blocks = []
    for index, block in enumerate(text.split("\n----\n")):
        if not block:
            continue
        lines = block.split("\n")
        if not lines[0]:
            continue
        head = lines[0].split(" ")
        match = head[0].replace("%20", " ")
        skip = int(head[1]) if len(head) > 1 else 0
        times = int(head[2]) if len(head) > 2 else 1
        blocks.append((index, match, skip, times, "\r\n".join(lines[1:])))
    return blocks


def scripted(request_line):
    for index, match, skip, times, reply in read_script():
        if match not in request_line:
            continue
        key = (index, match)
        seen = script_used.get(key, 0)
        script_used[key] = seen + 1
        if skip <= seen < skip + times:
            return reply.encode("latin-1")
    return None


def json_reply(obj, status="200 OK"):
    body = json.dumps(obj).encode("utf-8")
    return (b"HTTP/1.1 " + status.encode() + b"\r\nContent-Type: application/json\r\nContent-Length: "
            + str(len(body)).encode() + b"\r\n\r\n" + body)


def route(method, target, body):
    path = target.split("?", 1)[0]
    if method == "POST" and path == "/v1.1/main/action/itaUserLogin":
        return json_reply({"authToken": "UTOKEN", "customerId": "C1", "isLoginSuccess": "Y",
                           "userStateCode": "OK"})
    if method == "POST" and path == "/v1.0/attrs":
        message = json.loads(body.decode("utf-8"))
        if message.get("funcType") == "002":
            counters["tokens"] += 1
            return json_reply({"data": {"authToken": "TT%d-%s" % (counters["tokens"], message["tpId"])}})
        return json_reply({"resCode": "200"})
    m = re.match(r"^/v1\.1/sites/[^/]+/things/([^/]+)/module/mqtt/itaThingAuthCode$", path)
    if m and method == "GET":
        return json_reply({"authCode": "AC-" + m.group(1)})
    if re.match(r"^/v1\.0/sites/[^/]+/thingNames$", path) and method == "GET":
        return json_reply({"thingNames": sorted(gateways)})
    if re.match(r"^/v1\.0/sites/[^/]+/things$", path) and method == "POST":
        name = json.loads(body.decode("utf-8"))["thingName"]
        gateways.setdefault(name, [])
        return json_reply({"thingName": name})
    m = re.match(r"^/v1\.0/sites/[^/]+/things/([^/]+)/attrs$", path)
    if m and method == "POST":
        for attr in json.loads(body.decode("utf-8"))["attrs"]:
            value = attr["attrValue"]
            if attr["attrKey"] == "event_start_time":
                value = "T"
            attrs.setdefault(m.group(1), {})[attr["attrKey"]] = value
        return json_reply({"messageStatusCode": "200"})
    m = re.match(r"^/v1\.0/sites/[^/]+/things/([^/]+)/relationInfo$", path)
    if m and method == "DELETE":
        gateways.pop(m.group(1), None)
        return json_reply({"messageStatusCode": "200"})
    m = re.match(r"^/v1\.0/sites/[^/]+/things/([^/]+)/edges$", path)
    if m and method == "GET":
        return json_reply({"things": [{"thingName": e} for e in gateways.get(m.group(1), [])]})
    m = re.match(r"^/v1\.0/sites/[^/]+/topThings/([^/]+)/edges$", path)
    if m and method == "POST":
        name = json.loads(body.decode("utf-8"))["thingName"]
        gateways.setdefault(m.group(1), []).append(name)
        return json_reply({"thingName": name})
    m = re.match(r"^/v1\.0/sites/[^/]+/topThings/([^/]+)/edges/([^/]+)$", path)
    if m and method == "DELETE":
        edges = gateways.get(m.group(1), [])
        if m.group(2) in edges:
            edges.remove(m.group(2))
        return json_reply({"messageStatusCode": "200"})
    return json_reply({"message": "no route"}, "404 Not Found")


def read_request(conn, buffered):
    buffered = bytearray(buffered)
    while b"\r\n\r\n" not in buffered:
        data = conn.recv(65536)
        if not data:
            return None, b""
        buffered += data
    head, rest = bytes(buffered).split(b"\r\n\r\n", 1)
    rest = bytearray(rest)
    length = 0
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            length = int(value.strip())
    while len(rest) < length:
        data = conn.recv(65536)
        if not data:
            return None, b""
        rest += data
    return head + b"\r\n\r\n" + bytes(rest[:length]), bytes(rest[length:])


def serve(conn, number):
    buffered = b""
    try:
        while True:
            request, buffered = read_request(conn, buffered)
            if request is None:
                return
            head, body = request.split(b"\r\n\r\n", 1)
            method, target = head.split(b"\r\n")[0].decode("latin-1").split(" ")[:2]
            with lock:
                counters["requests"] += 1
                n = counters["requests"]
                folder = os.path.join(ROOT, "requests")
                os.makedirs(folder, exist_ok=True)
                tmp = os.path.join(folder, ".%d.tmp" % n)
                with open(tmp, "wb") as f:
                    f.write(request)
                os.rename(tmp, os.path.join(folder, "%d.bin" % n))
                reply = scripted(method + " " + target)
                if reply is None:
                    try:
                        reply = route(method, target, body)
                    except Exception as error:  # a malformed body
                        reply = json_reply({"error": str(error)}, "400 Bad Request")
                save_state()
                with open(os.path.join(ROOT, "requests.log"), "a") as f:
                    f.write("%d %d %s %s\n" % (n, number, method, target))
            if b"<<LEN>>" in reply:
                at = reply.index(b"\r\n\r\n") + 4
                reply = reply.replace(b"<<LEN>>", str(len(reply) - at).encode())
            for piece in re.split(b"(<<CLOSE>>|<<HANG>>)", reply):
                if piece == b"<<CLOSE>>":
                    return
                if piece == b"<<HANG>>":
                    while conn.recv(65536):
                        pass
                    return
                conn.sendall(piece)
    except (OSError, ssl.SSLError, ValueError):
        return
    finally:
        try:
            conn.close()
        except OSError:
            pass


def main():
    load_state()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(64)
    context = None
    if len(sys.argv) > 3:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(sys.argv[2], sys.argv[3])
    tmp = os.path.join(ROOT, ".port.tmp")
    with open(tmp, "w") as f:
        f.write(str(listener.getsockname()[1]))
    os.rename(tmp, os.path.join(ROOT, "port"))
    while True:
        conn, _ = listener.accept()
        with lock:
            counters["connections"] += 1
            number = counters["connections"]
        if context is not None:
            try:
                conn.settimeout(10)
                conn = context.wrap_socket(conn, server_side=True)
                conn.settimeout(None)
            except (OSError, ssl.SSLError):
                conn.close()
                continue
        threading.Thread(target=serve, args=(conn, number), daemon=True).start()


if __name__ == "__main__":
    main()
