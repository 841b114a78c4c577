#!/usr/bin/env bash
# The metro road on 2 cores (taskset 0,1, or GATE_BENCH_CORES): wrk posting
# one event's XML body to an nginx "return 200" with Connection: close (the
# anchor), then metro_receiver_bench sending datagrams at rising rates to
# the receiver, which forwards them to one and then two sites on the same
# nginx.
# Usage: bench/metro_receiver.sh [build dir with bench/metro_receiver_bench]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build/bench}
BENCH=metro_receiver_bench
source "$ROOT/bench/nginx_return200.sh"
# The anchors: the same body posted on a fresh connection each time, one at a
# time (as one site's send run posts) and two at a time (two sites).
anchor() {
  taskset -c "$CORES" wrk -t"$1" -c"$1" -d10s -H 'Connection: close' -s "$D/post.lua" "http://127.0.0.1:$NGINX_PORT/in" |
    awk '/Requests\/sec/ {print $2}'
}
A1=$(anchor 1)
A2=$(anchor 2)
echo "== anchor: wrk -c1 / -c2 -d10s, the same body, Connection: close: $A1 / $A2 POSTs/s"
echo "== the receiver (load: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores)"
GATE_BENCH_TARGET_URL="http://127.0.0.1:$NGINX_PORT/in" GATE_BENCH_ANCHOR_1=$A1 GATE_BENCH_ANCHOR_2=$A2 \
  taskset -c "$CORES" "$BUILD/bench/metro_receiver_bench"
