#!/usr/bin/env bash
# Runs htnvr_sync_bench beside a throwaway MariaDB and nginx (the management
# server, answering 200 under /system/): a 256-channel list imported into a
# central table of 10,000 cameras, against the mariadb client writing the
# same rows, and a no-change run, against the mariadb client selecting the
# camera table; prints the ratios.
# Usage: bash bench/htnvr_sync.sh [build folder with -DGATE_BUILD_BENCH=ON, default build/bench]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT=$(mktemp)
trap 'rm -f "$OUT"' EXIT
bash "$ROOT/bench/bench_with_target.sh" "${1:-$ROOT/build/bench}" htnvr_sync_bench "$OUT"
python3 "$ROOT/bench/print_ratios.py" "$OUT" \
  "first import=BM_HTNvrFirstImport/BM_MariadbClientWritesTheImport" \
  "no change=BM_HTNvrNoChange/BM_MariadbClientSelectsCameras"
