#!/usr/bin/env bash
# The readers of outside input over hostile inputs against a plain document of
# the same size (see readers_bench.cpp). Builds the Release bench build when
# the program is missing. Exits non-zero when a figure is over its bound.
# Usage: bench/readers.sh [build dir] [sizes in MiB, default 1 8 64]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build/bench}
shift || true
if [ ! -x "$BUILD/bench/readers_bench" ]; then
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DGATE_BUILD_GUI=OFF -DGATE_BUILD_TESTS=OFF \
    -DGATE_BUILD_BENCH=ON >/dev/null
  cmake --build "$BUILD" -j4 --target readers_bench >/dev/null
fi
D=$(mktemp -d)
trap 'rm -rf "$D"' EXIT
TMPDIR=$D "$BUILD/bench/readers_bench" "$@"
