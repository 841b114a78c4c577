#!/usr/bin/env bash
# scripts/run stops its local MariaDB and the program whatever ends it:
# Ctrl+C (SIGINT), SIGTERM or a closed terminal (SIGHUP), with its output
# going to a pipe whose reader has already gone (as `| tee` after Ctrl+C).
# Arguments: the checkout, a program that runs until SIGTERM.
set -euo pipefail
ROOT=$1
BINARY=$2
TMP=$(mktemp -d)
RUN_PID=""
finish() {
  [ -n "$RUN_PID" ] && kill -KILL "$RUN_PID" 2>/dev/null
  [ -f "$TMP/var/pid" ] && kill -KILL "$(cat "$TMP/var/pid")" 2>/dev/null
  rm -rf "$TMP"
}
trap finish EXIT
mkdir "$TMP/program"
cp "$BINARY" "$TMP/program/TorvaneGateManager"
PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

wait_for() {  # condition, seconds
  for _ in $(seq 1 $(($2 * 10))); do eval "$1" && return 0; sleep 0.1; done
  return 1
}

for sig in INT TERM HUP; do
  rm -f "$TMP/program/ready"
  GATE_RUN_PROGRAM="$TMP/program/TorvaneGateManager" GATE_RUN_DB_PORT=$PORT GATE_RUN_VAR="$TMP/var" \
    QT_QPA_PLATFORM=offscreen env --default-signal=INT bash "$ROOT/scripts/run" > >(head -c 1 >/dev/null) 2>&1 &
  RUN_PID=$!  # a job started with & ignores SIGINT: env gives it back, as a terminal would
  wait_for '[ -f "$TMP/program/ready" ] && [ -f "$TMP/var/pid" ]' 120 || { echo "SIG$sig: never came up"; cat "$TMP/var/error.log" 2>/dev/null; exit 1; }
  server=$(cat "$TMP/var/pid")
  program=$(pgrep -f "^$TMP/program/TorvaneGateManager" | head -1)
  kill -"$sig" "$RUN_PID"
  wait_for '! kill -0 $RUN_PID 2>/dev/null' 120 || { echo "SIG$sig: the run script did not end"; exit 1; }
  RUN_PID=""
  if kill -0 "$server" 2>/dev/null; then echo "SIG$sig: MariaDB ($server) still runs"; exit 1; fi
  if [ -n "$program" ] && kill -0 "$program" 2>/dev/null; then echo "SIG$sig: the program still runs"; exit 1; fi
  rm -f "$TMP/var/pid"
  echo "SIG$sig: the program and MariaDB stopped"
done
