#!/usr/bin/env bash
# Send mode 2 of the AI event publisher against nginx answering every POST
# with one fixed JSON 200: biot_notify_bench notifies one event per
# connection (the sender's own road), then wrk -t1 -c1 posts the same body
# bytes with "Connection: close" to the same nginx for the same time, and the
# script prints both rates and their ratio (ours / wrk's).
# Usage: bench/biot_notify.sh [build dir with bench/biot_notify_bench]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build/bench}
SECONDS_RUN=${GATE_BENCH_SECONDS:-10}
source "$ROOT/bench/nginx.sh"
start_nginx -h 'client_max_body_size 16m; client_body_buffer_size 1m;' <<'CONF'
location / {
  default_type application/json;
  return 200 '{"data":{"authToken":"T"},"messageStatusCode":"200"}';
}
CONF

echo "== send mode 2, one connection per event (nginx workers: 1; load: $(cut -d' ' -f1-3 /proc/loadavg))"
GATE_BENCH_BIOT_PORT=$NGINX_PORT GATE_BENCH_BIOT_BODY=$D/body.json "$BUILD/bench/biot_notify_bench" \
  --benchmark_min_time="${SECONDS_RUN}" --benchmark_format=json > "$D/ours.json"
ours=$(python3 -c "import json,sys; b=json.load(open(sys.argv[1]))['benchmarks'][0]; print(b['items_per_second'])" "$D/ours.json")

cat > "$D/post.lua" <<LUA
local f = io.open("$D/body.json", "rb")
wrk.method = "POST"
wrk.body = f:read("*a")
f:close()
wrk.headers["Content-Type"] = "application/json"
wrk.headers["Connection"] = "close"
LUA
echo "== wrk -t1 -c1, same body ($(stat -c %s "$D/body.json") bytes), Connection: close (load: $(cut -d' ' -f1-3 /proc/loadavg))"
wrk -t1 -c1 -d"${SECONDS_RUN}s" -s "$D/post.lua" "http://127.0.0.1:$NGINX_PORT/v1.0/attrs" | tee "$D/wrk.txt"
theirs=$(awk '/Requests\/sec/ {print $2}' "$D/wrk.txt")
python3 -c "import sys; o=float(sys.argv[1]); w=float(sys.argv[2]); print('send mode 2: %.0f events/s; wrk: %.0f requests/s; ratio %.2f' % (o, w, o / w))" "$ours" "$theirs"
