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
source "$ROOT/bench/nginx.sh"
mkdir -p "$D/www/bench"
chmod -R 755 "$D/www"
# The CGI's reply body: the declaration and the <Result> document of code 200.
printf '<?xml version="1.0" encoding="EUC-KR"?>\r\n<Result>\r\n\t<Code>200</Code>\r\n\t<Comment>OK</Comment>\r\n</Result>' \
  > "$D/www/bench/trivial.cgi"
start_nginx <<CONF
root $D/www;
default_type "text/xml; charset=euc-kr";
CONF
GATE_BENCH_NGINX_PORT=$NGINX_PORT "$BUILD/bench/http_server_bench" --benchmark_format=console | tee "$D/out.txt"
python3 - "$D/out.txt" <<'PY'
import re, sys
text = open(sys.argv[1]).read()
def counter(bench, name):
    m = re.search(re.escape(bench) + r'/[^\n]*?' + name + r'=([0-9.]+)(k?)', text)
    return float(m.group(1)) * (1000 if m.group(2) else 1) if m else None
ours, ours_hostile = (counter('BM_ServerTrivialCgiUnderWrk', n) for n in ('requests_per_second', 'requests_per_second_hostile'))
nginx, nginx_hostile = (counter('BM_NginxSameBytesUnderWrk', n) for n in ('requests_per_second', 'requests_per_second_hostile'))
if ours and nginx:
    print('unloaded (median of 3): server %.0f requests/s, nginx %.0f requests/s, ratio %.2f' % (ours, nginx, ours / nginx))
if ours and ours_hostile and nginx and nginx_hostile:
    print('with 1000 idle + 200 slowloris (median of 3): server %.0f requests/s (%.2f of unloaded), nginx %.0f '
          '(%.2f of unloaded), server/nginx %.2f; server workers after %.0f, threads %.0f' % (
              ours_hostile, ours_hostile / ours, nginx_hostile, nginx_hostile / nginx, ours_hostile / nginx_hostile,
              counter('BM_ServerTrivialCgiUnderWrk', 'workers_after'), counter('BM_ServerTrivialCgiUnderWrk', 'threads_after')))
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
