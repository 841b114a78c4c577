#!/usr/bin/env bash
# The recording-server status handler against 200 fake servers (python3), each
# sending a 64-channel EventStream part every second, and xmllint --noout
# parsing the same part (100 times per run) for comparison.
# Usage: bench/zav_status.sh [build dir] [servers] [seconds]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build/bench}
SERVERS=${2:-200}
SECONDS_RUN=${3:-20}
WORK=$(mktemp -d)
python3 "$ROOT/bench/zav_fake_servers.py" "$SERVERS" "$WORK/ports" "$WORK/part.xml" &
FAKE=$!
trap 'kill $FAKE 2>/dev/null; wait $FAKE 2>/dev/null; rm -rf "$WORK"' EXIT
for _ in $(seq 100); do [ -f "$WORK/ports" ] && break; sleep 0.1; done
ulimit -n 4096 || true

start=$(date +%s%N)
for _ in 1 2 3; do xmllint --noout --repeat "$WORK/part.xml"; done
end=$(date +%s%N)
xmllint_rate=$(awk -v ns=$((end - start)) 'BEGIN { printf "%.0f", 300 / (ns / 1e9) }')
echo "xmllint --noout --repeat, one thread: $xmllint_rate parts/s (3 x 100 parses, process start included)"

"$BUILD/bench/zav_status_bench" "$WORK/ports" "$WORK/part.xml" "$SECONDS_RUN" | tee "$WORK/out"
own=$(awk '/own reader/ { print $5 }' "$WORK/out")
awk -v own="$own" -v x="$xmllint_rate" 'BEGIN { printf "own reader / xmllint: %.2f\n", own / x }'
