#!/usr/bin/env bash
# Loads 100,000 rows of a camera-wide table through the MariaDB adapter and
# has the mariadb command-line client select the same rows to /dev/null,
# beside a throwaway server, then prints both times and their ratio.
# Usage: bash bench/database_load.sh [build folder with -DGATE_BUILD_BENCH=ON, default build/bench]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build/bench}
OUT=$(mktemp "${TMPDIR:-/tmp}/database-bench-XXXXXX.json")
trap 'rm -f "$OUT"' EXIT
bash "$ROOT/scripts/with-mariadb" "$BUILD/bench/database_bench" --benchmark_format=json --benchmark_out="$OUT" \
  --benchmark_out_format=json >/dev/null
python3 - "$OUT" <<'PY'
import json, sys
runs = {b["name"].split("/")[0]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]}
adapter = runs["BM_AdapterLoadsWideTable"]
client = runs["BM_MariadbClientSelectsToDevNull"]
print(f"adapter: {adapter:.0f} ms, mariadb client: {client:.0f} ms, adapter/client: {adapter / client:.2f}")
PY
