#!/usr/bin/env bash
# Runs server_status_bench beside a throwaway MariaDB: a main pass over 100
# recording and 100 analysis servers against the mariadb client selecting
# both tables, and the idle CPU of 10 jobs whose senders sleep until due
# against senders polling every 10 ms.
# Usage: bash bench/server_status.sh [build folder with -DGATE_BUILD_BENCH=ON, default build/bench]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build/bench}
bash "$ROOT/scripts/with-mariadb" "$BUILD/bench/server_status_bench"
