# Sourced by the bench scripts that post one body to an nginx answering 200
# to any request, with wrk's posts of the same body as the anchor. Needs
# BUILD and BENCH (the bench program's name). Makes the folder $D (removed,
# and nginx stopped, when the script exits; the bench's program folders go
# there through TMPDIR), starts nginx on 2 cores (taskset 0,1) on a free
# loopback port, sets PORT, and writes $D/post.lua: wrk posting the body
# that "$BENCH --body FILE" writes.
D=$(mktemp -d)
trap 'kill $(cat "$D/nginx.pid" 2>/dev/null) 2>/dev/null || true; sleep 0.2; rm -rf "$D"' EXIT
PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
mkdir -p "$D/tmp"
cat > "$D/nginx.conf" <<CONF
worker_processes 1;
pid $D/nginx.pid;
error_log $D/error.log;
events { worker_connections 4096; }
http {
  access_log off;
  client_body_temp_path $D/tmp;
  server { listen 127.0.0.1:$PORT; location / { return 200; } }
}
CONF
taskset -c 0,1 nginx -p "$D" -c "$D/nginx.conf" -e "$D/error.log"
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$PORT/" && break; sleep 0.05; done

export TMPDIR=$D
"$BUILD/bench/$BENCH" --body "$D/body.txt"
python3 - "$D/body.txt" "$D/post.lua" <<'PY'
import json, sys
body = open(sys.argv[1], encoding="latin-1").read()
open(sys.argv[2], "w").write('wrk.method = "POST"\nwrk.body = %s\n' % json.dumps(body))
PY
