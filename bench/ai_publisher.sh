#!/usr/bin/env bash
# The AI event road on 2 cores (taskset 0,1, or GATE_BENCH_CORES): wrk
# posting the publisher's body to an nginx "return 200" with Connection:
# close (the anchor), then ai_publisher_bench beside a throwaway MariaDB
# against the same nginx.
# Usage: bench/ai_publisher.sh [build dir with bench/ai_publisher_bench]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build/bench}
BENCH=ai_publisher_bench
source "$ROOT/bench/nginx_return200.sh"
echo "== anchor: wrk -t2 -c50 -d10s, the same body, Connection: close"
taskset -c "$CORES" wrk -t2 -c50 -d10s -H 'Connection: close' -s "$D/post.lua" "http://127.0.0.1:$NGINX_PORT/in" | grep -E "Requests/sec"
echo "== the publisher"
GATE_BENCH_TARGET_URL="http://127.0.0.1:$NGINX_PORT/in" taskset -c "$CORES" \
  bash "$ROOT/scripts/with-mariadb" "$BUILD/bench/ai_publisher_bench"
