#!/usr/bin/env bash
# The AI event road on 2 cores (taskset 0,1): wrk posting the publisher's
# body to an nginx "return 200" with Connection: close (the anchor), then
# ai_publisher_bench beside a throwaway MariaDB against the same nginx.
# Usage: bench/ai_publisher.sh [build dir with bench/ai_publisher_bench]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build/bench}
D=$(mktemp -d)
trap 'kill $(cat "$D/nginx.pid" 2>/dev/null) 2>/dev/null || true; sleep 0.2; rm -rf "$D"' EXIT
PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
mkdir -p "$D/tmp"
cat > "$D/nginx.conf" <<CONF
worker_processes 1;
pid $D/nginx.pid;
error_log $D/error.log;
events { worker_connections 4096; }
http {
  access_log off;
  client_body_temp_path $D/tmp;
  server { listen 127.0.0.1:$PORT; location / { return 200; } }
}
CONF
taskset -c 0,1 nginx -p "$D" -c "$D/nginx.conf" -e "$D/error.log"
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$PORT/" && break; sleep 0.05; done

export TMPDIR=$D  # the bench's program folders, removed with $D
"$BUILD/bench/ai_publisher_bench" --body "$D/body.txt"
python3 - "$D/body.txt" "$D/post.lua" <<'PY'
import json, sys
body = open(sys.argv[1]).read()
open(sys.argv[2], "w").write('wrk.method = "POST"\nwrk.body = %s\n' % json.dumps(body))
PY
echo "== anchor: wrk -t2 -c50 -d10s, the same body, Connection: close"
taskset -c 0,1 wrk -t2 -c50 -d10s -H 'Connection: close' -s "$D/post.lua" "http://127.0.0.1:$PORT/in" | grep -E "Requests/sec"
echo "== the publisher"
GATE_BENCH_TARGET_URL="http://127.0.0.1:$PORT/in" taskset -c 0,1 \
  bash "$ROOT/scripts/with-mariadb" "$BUILD/bench/ai_publisher_bench"
