#!/usr/bin/env bash
# Starts nginx on two free loopback ports (plain and TLS, self-signed), runs
# the HTTP client benchmark against it, then curl doing the same requests:
# 1 KB posts on fresh connections (no TLS session reuse) and a 10 MB body.
# Usage: bench/http_client.sh [build dir with bench/http_client_bench]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build/bench}
REQUESTS=${GATE_BENCH_REQUESTS:-2000}
source "$ROOT/bench/nginx.sh"
HTTPS_PORT=$(free_port)
mkdir -p "$D/www"
chmod 755 "$D/www"
# Text without zero bytes: the reply text of the client ends at the first one.
python3 -c "import base64, os, sys; open(sys.argv[1], 'wb').write(base64.b64encode(os.urandom(8 << 20))[:10 << 20])" "$D/www/10mb.bin"
head -c 1024 /dev/zero | tr '\0' 'e' > "$D/1k.bin"
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost \
  -keyout "$D/key.pem" -out "$D/cert.pem" 2>/dev/null
start_nginx -w 2 <<CONF
listen 127.0.0.1:$HTTPS_PORT ssl;
ssl_certificate $D/cert.pem;
ssl_certificate_key $D/key.pem;
root $D/www;
location = /echo { return 200 "ok"; }
CONF
HTTP_PORT=$NGINX_PORT

code=$(curl -s -o /dev/null -w "%{http_code}" "http://127.0.0.1:$HTTP_PORT/10mb.bin")
[ "$code" = 200 ] || { echo "nginx answers $code for /10mb.bin" >&2; exit 1; }
echo "== our client (nginx workers: 2)"
GATE_BENCH_HTTP_PORT=$HTTP_PORT GATE_BENCH_HTTPS_PORT=$HTTPS_PORT ${GATE_BENCH_WRAP:-} "$BUILD/bench/http_client_bench" ${GATE_BENCH_ARGS:-}

rate() {  # label, count, seconds
  python3 -c "import sys; n=int(sys.argv[2]); t=float(sys.argv[3]); print('%-34s %8.0f requests/s' % (sys.argv[1], n/t))" "$@"
}
curl_posts() {  # scheme port
  local cfg="$D/curl-$1.cfg"
  : > "$cfg"
  for _ in $(seq "$REQUESTS"); do printf 'url = "%s://127.0.0.1:%s/echo"\noutput = "/dev/null"\n' "$1" "$2" >> "$cfg"; done
  local start end
  start=$(date +%s.%N)
  curl -s -k --no-sessionid -H 'Connection: close' --data-binary @"$D/1k.bin" -K "$cfg"
  end=$(date +%s.%N)
  rate "curl 1 KB post, fresh, $1" "$REQUESTS" "$(echo "$end - $start" | bc -l)"
}
curl_big() {  # scheme port: 20 downloads in one curl process
  local cfg="$D/curl-big-$1.cfg" start end
  : > "$cfg"
  for _ in $(seq 20); do printf 'url = "%s://127.0.0.1:%s/10mb.bin"\noutput = "/dev/null"\n' "$1" "$2" >> "$cfg"; done
  start=$(date +%s.%N)
  curl -s -k -K "$cfg"
  end=$(date +%s.%N)
  python3 -c "import sys; print('%-34s %8.0f MB/s' % ('curl 10 MB body, ' + sys.argv[1], 20*10/float(sys.argv[2])))" "$1" "$(echo "$end - $start" | bc -l)"
}
echo "== curl against the same nginx"
curl_posts http "$HTTP_PORT"
curl_posts https "$HTTPS_PORT"
curl_big http "$HTTP_PORT"
curl_big https "$HTTPS_PORT"
