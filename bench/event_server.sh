#!/usr/bin/env bash
# The event server's event_status page beside nginx serving the same reply
# bytes, in one run on the same two cores (wrk -t2 -c50, a "Connection: close"
# script, on two other cores), three rounds each, alternating; then cctv_list
# (both tables read from the database on every request), and the server's
# thread count before, during (peak) and after wrk -c200 while 200 slow
# clients hold half a header open.
# Usage: bash bench/event_server.sh [build folder with -DGATE_BUILD_BENCH=ON, default build/bench]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build/bench}
if [ -z "${GATE_DB_HOST:-}" ]; then
  exec bash "$ROOT/scripts/with-mariadb" bash "$0" "$BUILD"
fi
SECONDS_PER_ROUND=${GATE_BENCH_WRK_SECONDS:-10}
SERVER_CORES=${GATE_BENCH_SERVER_CORES:-0,1}
CLIENT_CORES=${GATE_BENCH_CLIENT_CORES:-2,3}
source "$ROOT/bench/nginx.sh"
SERVER_PID=
cleanup() {
  [ -n "$SERVER_PID" ] && kill "$SERVER_PID" 2>/dev/null && wait "$SERVER_PID" 2>/dev/null || true
  nginx_cleanup
}
trap cleanup EXIT

taskset -c "$SERVER_CORES" "$BUILD/bench/event_server_bench" >"$D/server.out" 2>"$D/server.err" &
SERVER_PID=$!
for _ in $(seq 600); do grep -q '^port ' "$D/server.out" 2>/dev/null && break; sleep 0.1; done
PORT=$(awk '/^port /{print $2}' "$D/server.out")
[ -n "$PORT" ] || { cat "$D/server.err"; exit 1; }
LOGIN="id=op&password=$(printf pw | sha256sum | cut -d' ' -f1)"
STATUS_URL="http://127.0.0.1:$PORT/va/event_status.cgi?$LOGIN"

# nginx: the same body under the same path, one worker process on the same cores.
mkdir -p "$D/www/va"
curl -sS -o "$D/www/va/event_status.cgi" "$STATUS_URL"
chmod -R 755 "$D/www"
# nginx's "auto" affinity spreads over every CPU of the machine unless given
# a mask, so its worker gets the mask of the server's cores (0,1 -> 11).
SERVER_MASK=$(python3 - "$SERVER_CORES" <<'PY'
import sys
cpus = set()
for part in sys.argv[1].split(','):
    first, _, last = part.partition('-')
    cpus.update(range(int(first), int(last or first) + 1))
print(''.join('1' if c in cpus else '0' for c in range(max(cpus), -1, -1)))
PY
)
start_nginx -c "$SERVER_CORES" -m "worker_cpu_affinity auto $SERVER_MASK;" <<CONF
root $D/www;
default_type "application/json; charset=utf-8";
CONF
NGINX_URL="http://127.0.0.1:$NGINX_PORT/va/event_status.cgi?$LOGIN"
cmp -s <(curl -sS "$STATUS_URL") <(curl -sS "$NGINX_URL") || { echo "nginx does not serve the same body"; exit 1; }

cat > "$D/close.lua" <<'LUA'
wrk.headers["Connection"] = "close"
LUA
# wrk: prints "<requests/s> <non-2xx> <connect> <read> <write> <timeout>".
run_wrk() {
  local connections=$1 url=$2
  taskset -c "$CLIENT_CORES" wrk -t2 -c"$connections" -d"${SECONDS_PER_ROUND}s" -s "$D/close.lua" "$url" >"$D/wrk.txt"
  python3 - "$D/wrk.txt" <<'PY'
import re, sys
t = open(sys.argv[1]).read()
rate = float(re.search(r'Requests/sec:\s*([0-9.]+)', t).group(1))
non2xx = re.search(r'Non-2xx or 3xx responses: (\d+)', t)
sock = re.search(r'Socket errors: connect (\d+), read (\d+), write (\d+), timeout (\d+)', t)
print(rate, non2xx.group(1) if non2xx else 0, *(sock.groups() if sock else (0, 0, 0, 0)))
PY
}
threads() { ls "/proc/$SERVER_PID/task" | wc -l; }

echo "load: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores; servers on cores $SERVER_CORES, wrk on $CLIENT_CORES"
: >"$D/ours"; : >"$D/nginx"
for round in 1 2 3; do
  run_wrk 50 "$STATUS_URL" | tee -a "$D/ours" | sed "s/^/event_status round $round: /"
  run_wrk 50 "$NGINX_URL" | tee -a "$D/nginx" | sed "s/^/nginx        round $round: /"
done
run_wrk 50 "http://127.0.0.1:$PORT/va/cctv_list.cgi?$LOGIN" >"$D/cctv"

# 200 slow clients held open through the -c200 run: half a header, then a byte a second.
python3 - "$PORT" <<'PY' &
import socket, sys, time
held = []
for _ in range(200):
    s = socket.create_connection(("127.0.0.1", int(sys.argv[1])))
    s.sendall(b"GET /va/event_status.cgi HTTP/1.1\r\nHost: x\r\nX-Slow: ")
    held.append(s)
for _ in range(int(__import__("os").environ.get("GATE_BENCH_WRK_SECONDS", "10")) + 3):
    for s in held:
        try: s.send(b"a")
        except OSError: pass
    time.sleep(1)
PY
SLOW_PID=$!
sleep 1
BEFORE=$(threads)
PEAK=$BEFORE
run_wrk 200 "$STATUS_URL" >"$D/c200" &
WRK_PID=$!
while kill -0 "$WRK_PID" 2>/dev/null; do n=$(threads); [ "$n" -gt "$PEAK" ] && PEAK=$n; sleep 0.2; done
wait "$WRK_PID"
wait "$SLOW_PID" || true
sleep 1
AFTER=$(threads)

python3 - "$D/ours" "$D/nginx" "$D/cctv" "$D/c200" "$BEFORE" "$PEAK" "$AFTER" <<'PY'
import statistics, sys
def rows(path): return [list(map(float, l.split())) for l in open(path) if l.strip()]
ours, nginx, cctv, c200 = (rows(p) for p in sys.argv[1:5])
before, peak, after = sys.argv[5:8]
med = lambda r: statistics.median(x[0] for x in r)
errs = lambda r: 'non-2xx %d, connect %d, read %d, write %d, timeout %d' % tuple(sum(x[i] for x in r) for i in range(1, 6))
print('event_status (median of 3): server %.0f requests/s, nginx %.0f requests/s, ratio %.2f' % (med(ours), med(nginx), med(ours) / med(nginx)))
print('  errors: server %s; nginx %s' % (errs(ours), errs(nginx)))
print('cctv_list: %.0f requests/s (%s)' % (cctv[0][0], errs(cctv)))
print('wrk -c200 on event_status with 200 slow half-header clients: %.0f requests/s (%s); server threads before %s, peak %s, after %s' % (c200[0][0], errs(c200), before, peak, after))
PY
