#!/usr/bin/env bash
# Runs analysis_rows_bench beside a throwaway MariaDB: 100,000 region rows
# loaded into the cache against the mariadb client selecting them to
# /dev/null, and a region's schedule check against a bare mktime of the same
# time; prints the figures and both ratios.
# Usage: bash bench/analysis_rows.sh [build folder with -DGATE_BUILD_BENCH=ON, default build/bench]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build/bench}
OUT=$(mktemp "${TMPDIR:-/tmp}/analysis-rows-bench-XXXXXX.json")
trap 'rm -f "$OUT"' EXIT
bash "$ROOT/scripts/with-mariadb" "$BUILD/bench/analysis_rows_bench" --benchmark_format=json \
  --benchmark_out="$OUT" --benchmark_out_format=json >/dev/null
python3 - "$OUT" <<'PY'
import json, sys
runs = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
def time_of(prefix):
    return next(b["real_time"] for n, b in runs.items() if n.startswith(prefix))
check, mktime = time_of("BM_RegionScheduleCheck"), time_of("BM_BareMktime")
print(f"region schedule check: {check:.0f} ns, bare mktime: {mktime:.0f} ns, check/mktime: {check / mktime:.2f}")
load, client = time_of("BM_StoreLoadsRegions"), time_of("BM_MariadbClientSelectsRegions")
first = next(b["first_ms"] for n, b in runs.items() if n.startswith("BM_StoreLoadsRegions"))
print(f"store reload of 100,000 regions: {load:.0f} ms, mariadb client: {client:.0f} ms, store/client: {load / client:.2f} (goal <= 2)")
print(f"first load (fresh memory): {first:.0f} ms, first/client: {first / client:.2f}")
PY
