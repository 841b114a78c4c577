#!/usr/bin/env bash
# Runs nvr_sync_bench beside a throwaway MariaDB and nginx (the NVR's
# management service, answering 200 under /system/): 2,000 cameras, 50
# groups, 2,000 links, 200 users and 5,000 permissions synchronized into an
# empty NVR database, and a no-change run, each against mariadb-dump of the
# five tables piped into the mariadb client; prints the ratios.
# Usage: bash bench/nvr_sync.sh [build folder with -DGATE_BUILD_BENCH=ON, default build/bench]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT=$(mktemp)
trap 'rm -f "$OUT"' EXIT
bash "$ROOT/bench/bench_with_target.sh" "${1:-$ROOT/build/bench}" nvr_sync_bench "$OUT"
python3 "$ROOT/bench/print_ratios.py" "$OUT" \
  "into an empty NVR=BM_NvrSyncIntoEmptyNvr/BM_MariadbDumpPipedIntoMariadb" \
  "no change=BM_NvrSyncNoChange/BM_MariadbDumpPipedIntoMariadb"
