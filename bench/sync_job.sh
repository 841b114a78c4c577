#!/usr/bin/env bash
# Runs sync_job_bench beside a throwaway MariaDB and nginx (the job's target,
# answering 200 on /echo): one camera job over 10,000 rows with 100 changed
# (read, compare, post, snapshot saved) against the mariadb client selecting
# the same rows to /dev/null, and prints the ratio.
# Usage: bash bench/sync_job.sh [build folder with -DGATE_BUILD_BENCH=ON, default build/bench]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build/bench}
D=$(mktemp -d)
trap 'kill $(cat "$D/nginx.pid" 2>/dev/null) 2>/dev/null || true; sleep 0.2; rm -rf "$D"' EXIT
PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
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
    listen 127.0.0.1:$PORT;
    location = /echo { return 200 "ok"; }
  }
}
CONF
nginx -p "$D" -c "$D/nginx.conf" -e "$D/error.log"
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$PORT/echo" && break; sleep 0.05; done
OUT="$D/out.json"
GATE_BENCH_TARGET_PORT=$PORT bash "$ROOT/scripts/with-mariadb" "$BUILD/bench/sync_job_bench" \
  --benchmark_format=json --benchmark_out="$OUT" --benchmark_out_format=json >/dev/null
python3 - "$OUT" <<'PY'
import json, sys
runs = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
for name, b in runs.items():
    if b.get("error_occurred"):
        sys.exit(f"{name}: {b.get('error_message')}")
job = runs["BM_CameraJob100Changed/min_time:5.000/real_time"]["real_time"]
client = runs["BM_MariadbClientSelectsCameras/min_time:5.000/real_time"]["real_time"]
print(f"camera job, 10,000 rows, 100 changed: {job:.0f} ms; mariadb client selecting the rows: {client:.0f} ms")
print(f"job / mariadb client: {job / client:.2f}x")
PY
