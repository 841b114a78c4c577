#!/usr/bin/env bash
# The HTTP server beside nginx under the same wrk load (-t2 -c50 -d10s,
# "Connection: close"): our trivial CGI, then nginx (one worker process)
# serving the same reply bytes, each unloaded and again while 1,000 idle and
# 200 slowloris connections are held open against it. Then the server's
# resident memory under large bodies. Prints the rates, their ratios and the
# memory figures.
# Usage: bench/http_server.sh [build dir with bench/http_server_bench]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build/bench}
D=$(mktemp -d)
chmod 755 "$D"
trap 'kill $(cat "$D/nginx.pid" 2>/dev/null) 2>/dev/null || true; sleep 0.2; rm -rf "$D"' EXIT
PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
mkdir -p "$D/www/bench" "$D/tmp"
chmod -R 755 "$D/www"
# The CGI's reply body: the declaration and the <Result> document of code 200.
printf '<?xml version="1.0" encoding="EUC-KR"?>\r\n<Result>\r\n\t<Code>200</Code>\r\n\t<Comment>OK</Comment>\r\n</Result>' \
  > "$D/www/bench/trivial.cgi"
cat > "$D/nginx.conf" <<CONF
worker_processes 1;
pid $D/nginx.pid;
error_log $D/error.log;
events { worker_connections 4096; }
http {
  access_log off;
  client_body_temp_path $D/tmp;
  server {
    listen 127.0.0.1:$PORT;
    root $D/www;
    default_type "text/xml; charset=euc-kr";
  }
}
CONF
nginx -p "$D" -c "$D/nginx.conf" -e "$D/error.log"
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$PORT/bench/trivial.cgi" && break; sleep 0.05; done
GATE_BENCH_NGINX_PORT=$PORT "$BUILD/bench/http_server_bench" --benchmark_format=console | tee "$D/out.txt"
python3 - "$D/out.txt" <<'PY'
import re, sys
text = open(sys.argv[1]).read()
def counter(bench, name):
    m = re.search(re.escape(bench) + r'/.*?' + name + r'=([0-9.]+)(k?)', text)
    return float(m.group(1)) * (1000 if m.group(2) else 1) if m else None
ours, ours_hostile = (counter('BM_ServerTrivialCgiUnderWrk/%d' % a, 'requests_per_second') for a in (0, 1))
nginx, nginx_hostile = (counter('BM_NginxSameBytesUnderWrk/%d' % a, 'requests_per_second') for a in (0, 1))
if ours and nginx:
    print('unloaded: server %.0f requests/s, nginx %.0f requests/s, ratio %.2f' % (ours, nginx, ours / nginx))
if ours and ours_hostile and nginx and nginx_hostile:
    print('with 1000 idle + 200 slowloris: server %.0f requests/s (%.2f of unloaded), nginx %.0f (%.2f of unloaded), '
          'server/nginx %.2f; server threads after %.0f' % (
              ours_hostile, ours_hostile / ours, nginx_hostile, nginx_hostile / nginx, ours_hostile / nginx_hostile,
              counter('BM_ServerTrivialCgiUnderWrk/1', 'threads_after')))
idle = counter('BM_ServerMemoryUnderLargeBodies', 'rss_idle_mib')
if idle:
    announced = counter('BM_ServerMemoryUnderLargeBodies', 'rss_announced_mib')
    peak = counter('BM_ServerMemoryUnderLargeBodies', 'rss_peak_during_posts_mib')
    after = counter('BM_ServerMemoryUnderLargeBodies', 'rss_idle_after_posts_mib')
    posted = counter('BM_ServerMemoryUnderLargeBodies', 'posted_mib')
    print('memory: idle %.1f MiB; 100 x 16 MiB announced, 1 byte sent: %.1f MiB (%.1fx idle); '
          'peak during 60 x 16 MiB posts: %.0f MiB (%.2fx the %.0f MiB posted); idle after: %.1f MiB (%.1fx idle)' % (
              idle, announced, announced / idle, peak, peak / posted, posted, after, after / idle))
PY
