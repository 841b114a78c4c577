#!/usr/bin/env bash
# Runs sync_job_bench beside a throwaway MariaDB and nginx (the job's target,
# answering 200 on /echo): one camera job over 10,000 rows with 100 changed
# (read, compare, post, snapshot saved) against the mariadb client selecting
# the same rows to /dev/null, and prints the ratio.
# Usage: bash bench/sync_job.sh [build folder with -DGATE_BUILD_BENCH=ON, default build/bench]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT=$(mktemp)
trap 'rm -f "$OUT"' EXIT
bash "$ROOT/bench/bench_with_target.sh" "${1:-$ROOT/build/bench}" sync_job_bench "$OUT"
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
