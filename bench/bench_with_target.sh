#!/usr/bin/env bash
# Runs one benchmark program beside a throwaway MariaDB (scripts/with-mariadb)
# and nginx on a free loopback port, answering 200 "ok" on /echo and on
# everything under /system/ (a management service's reload and restart
# pages); the program finds nginx's port in GATE_BENCH_TARGET_PORT. Writes
# the benchmark's JSON output to OUT; removes nginx and its files afterwards.
# Usage: bash bench/bench_with_target.sh BUILD_FOLDER BENCH_NAME OUT.json
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$1
NAME=$2
OUT=$3
D=$(mktemp -d)
trap 'kill "$(cat "$D/nginx.pid" 2>/dev/null)" 2>/dev/null || true; sleep 0.2; rm -rf "$D"' EXIT
TARGET_PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
mkdir -p "$D/tmp"
chmod 755 "$D"
cat > "$D/nginx.conf" <<CONF
worker_processes 1;
pid $D/nginx.pid;
error_log $D/error.log;
events { worker_connections 256; }
http {
  access_log off;
  client_body_temp_path $D/tmp;
  client_max_body_size 64m;
  server {
    listen 127.0.0.1:$TARGET_PORT;
    location = /echo { return 200 "ok"; }
    location /system/ { return 200 "ok"; }
  }
}
CONF
nginx -p "$D" -c "$D/nginx.conf" -e "$D/error.log"
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$TARGET_PORT/echo" && break; sleep 0.05; done
GATE_BENCH_TARGET_PORT=$TARGET_PORT bash "$ROOT/scripts/with-mariadb" "$BUILD/bench/$NAME" \
  --benchmark_format=json --benchmark_out="$OUT" --benchmark_out_format=json >/dev/null
