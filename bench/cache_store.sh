#!/usr/bin/env bash
# Runs cache_store_bench beside a throwaway MariaDB and prints its ratios:
# FindCachedEntity from 8 threads against 1 thread (look-ups per second in
# all, beside the same ratio for a lock-free map: what the machine's free cores
# allow at the time), one thread against a std::map find under one std::shared_mutex (time
# per look-up), and 100,000 camera rows reloaded into the cache against the
# same rows read by a bare Connector/C walk of every cell and by the mariadb
# client to /dev/null.
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
def run(prefix, threads=None):
    for name, b in runs.items():
        if name.startswith(prefix) and (threads is None or name.endswith(f"threads:{threads}")):
            if b.get("error_occurred"):
                sys.exit(f"{name}: {b.get('error_message')}")
            return b
    sys.exit(f"no result for {prefix}")
for name, b in runs.items():
    if name.startswith(("BM_FindCachedEntity", "BM_SharedMutexMapFind", "BM_UnlockedMapFind")):
        print(f"{name}: {b['real_time']:.0f} ns per look-up per thread, {b['items_per_second'] / 1e6:.2f} M look-ups/s in all")
one, eight = run("BM_FindCachedEntity", 1), run("BM_FindCachedEntity", 8)
anchor = run("BM_SharedMutexMapFind", 1)
free1, free8 = run("BM_UnlockedMapFind", 1), run("BM_UnlockedMapFind", 8)
scaling = eight['items_per_second'] / one['items_per_second']
machine = free8['items_per_second'] / free1['items_per_second']
print(f"look-ups, 8 threads / 1 thread (rate in all): {scaling:.2f}x (goal >= 4); "
      f"the same without any lock: {machine:.2f}x (what the free cores allow); store / that: {scaling / machine:.2f}")
print(f"look-up, 1 thread, store / std::map under a shared mutex (time): {one['real_time'] / anchor['real_time']:.2f}x (goal <= 1.5)")
store = run("BM_StoreLoadsCameras")
load, first = store["real_time"], store["first_ms"]
bare = run("BM_BareConnectorWalk")["real_time"]
client = run("BM_MariadbClientSelectsCameras")["real_time"]
print(f"load of 100,000 cameras: store reload {load:.0f} ms, bare Connector/C walk {bare:.0f} ms, mariadb client {client:.0f} ms")
print(f"store / bare walk: {load / bare:.2f}x (goal <= 1.5), store / mariadb client: {load / client:.2f}x")
print(f"first load (fresh memory) {first:.0f} ms: / bare walk {first / bare:.2f}x")
PY
