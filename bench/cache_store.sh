#!/usr/bin/env bash
# Runs cache_store_bench beside a throwaway MariaDB: look-ups from 1 and 8
# threads, and 100,000 camera rows loaded into the cache against the mariadb
# client selecting them to /dev/null; prints the figures and the load ratio.
# Usage: bash bench/cache_store.sh [build folder with -DGATE_BUILD_BENCH=ON, default build/bench]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build/bench}
OUT=$(mktemp "${TMPDIR:-/tmp}/cache-store-bench-XXXXXX.json")
trap 'rm -f "$OUT"' EXIT
bash "$ROOT/scripts/with-mariadb" "$BUILD/bench/cache_store_bench" --benchmark_format=json --benchmark_out="$OUT" \
  --benchmark_out_format=json >/dev/null
python3 - "$OUT" <<'PY'
import json, sys
runs = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
for name, b in runs.items():
    if name.startswith("BM_FindCachedEntity"):
        print(f"{name}: {b['real_time']:.0f} ns per look-up ({b['items_per_second'] / 1e6:.2f} M look-ups/s in all)")
load = next(b["real_time"] for n, b in runs.items() if n.startswith("BM_StoreLoadsCameras"))
client = next(b["real_time"] for n, b in runs.items() if n.startswith("BM_MariadbClientSelectsCameras"))
print(f"store load of 100,000 cameras: {load:.0f} ms, mariadb client: {client:.0f} ms, store/client: {load / client:.2f}")
PY
