# Sourced by the bench scripts that run a throwaway nginx on loopback.
# Sourcing makes the folder $D (mode 755, since nginx workers run as an
# unprivileged user when started by root; request bodies go to $D/tmp) and
# sets a trap that stops nginx and removes $D when the script exits. A script
# with more to stop sets its own EXIT trap and calls nginx_cleanup from it.
#
#   start_nginx [-w WORKERS] [-c CORES] [-m MAIN] [-h HTTP] <<CONF
#     <the server block's directives after its listen line>
#   CONF
#
# writes $D/nginx.conf (one server on NGINX_PORT, a free loopback port; one
# worker process unless -w; MAIN added to the main context, HTTP to the http
# block), starts nginx (under taskset -c CORES with -c), waits until it
# answers and sets NGINX_PORT and NGINX_PID. It fails, printing nginx's error
# log, if nginx does not answer within 5 seconds. One nginx a script.

# free_port: prints a loopback TCP port that is free now.
free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

# nginx_cleanup: stops this script's nginx (its own master pid only) and
# removes $D.
nginx_cleanup() {
  kill "$(cat "$D/nginx.pid" 2>/dev/null)" 2>/dev/null || true
  sleep 0.2
  rm -rf "$D"
}

start_nginx() {
  local workers=1 main='' http='' run=() opt
  while [ $# -gt 0 ]; do
    opt=$1
    [ $# -ge 2 ] || { echo "start_nginx: $opt needs a value" >&2; return 1; }
    case $opt in
      -w) workers=$2 ;;
      -c) run=(taskset -c "$2") ;;
      -m) main=$2 ;;
      -h) http=$2 ;;
      *) echo "start_nginx: unknown option $opt" >&2; return 1 ;;
    esac
    shift 2
  done
  NGINX_PORT=$(free_port)
  {
    printf 'worker_processes %s;\n%s\npid %s/nginx.pid;\nerror_log %s/error.log;\n' "$workers" "$main" "$D" "$D"
    printf 'events { worker_connections 4096; }\n'
    printf 'http {\n  access_log off;\n  client_body_temp_path %s/tmp;\n%s\n' "$D" "$http"
    printf '  server {\n    listen 127.0.0.1:%s;\n' "$NGINX_PORT"
    cat
    printf '  }\n}\n'
  } > "$D/nginx.conf"
  "${run[@]}" nginx -p "$D" -c "$D/nginx.conf" -e "$D/error.log"
  local _
  for _ in $(seq 100); do
    if curl -s -o /dev/null "http://127.0.0.1:$NGINX_PORT/"; then
      NGINX_PID=$(cat "$D/nginx.pid")
      return 0
    fi
    sleep 0.05
  done
  echo "nginx does not answer on port $NGINX_PORT" >&2
  cat "$D/error.log" >&2
  return 1
}

D=$(mktemp -d)
chmod 755 "$D"
mkdir -p "$D/tmp"
trap nginx_cleanup EXIT
