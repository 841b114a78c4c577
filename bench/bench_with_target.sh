#!/usr/bin/env bash
# Runs one benchmark program beside a throwaway MariaDB (scripts/with-mariadb)
# and nginx on a free loopback port, answering 200 "ok" on /echo and on
# everything under /system/ (a management service's reload and restart
# pages); the program finds nginx's port in GATE_BENCH_TARGET_PORT. Writes
# the benchmark's JSON output to OUT; removes nginx and its files afterwards.
# Usage: bash bench/bench_with_target.sh BUILD_FOLDER BENCH_NAME OUT.json
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$1
NAME=$2
OUT=$3
source "$ROOT/bench/nginx.sh"
start_nginx -h 'client_max_body_size 64m;' <<'CONF'
location = /echo { return 200 "ok"; }
location /system/ { return 200 "ok"; }
CONF
GATE_BENCH_TARGET_PORT=$NGINX_PORT bash "$ROOT/scripts/with-mariadb" "$BUILD/bench/$NAME" \
  --benchmark_format=json --benchmark_out="$OUT" --benchmark_out_format=json >/dev/null
