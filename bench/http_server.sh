#!/usr/bin/env bash
# The HTTP server beside nginx under the same wrk load (-t2 -c50 -d10s,
# "Connection: close"): our trivial CGI, then nginx (one worker process)
# serving the same reply bytes. Prints both rates, their ratio and the
# server's thread count after the load.
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
rates = re.findall(r'(BM_\w+).*?requests_per_second=([0-9.]+)(k?)', text)
values = {name: float(v) * (1000 if k else 1) for name, v, k in rates}
ours = values.get('BM_ServerTrivialCgiUnderWrk')
nginx = values.get('BM_NginxSameBytesUnderWrk')
if ours and nginx:
    print('server %.0f requests/s, nginx %.0f requests/s, ratio %.2f' % (ours, nginx, ours / nginx))
PY
