# Sourced by the bench scripts that post one body to an nginx answering 200
# to any request, with wrk's posts of the same body as the anchor. Needs
# BUILD and BENCH (the bench program's name). Makes the folder $D (removed,
# and nginx stopped, when the script exits; the bench's program folders go
# there through TMPDIR), sets CORES (GATE_BENCH_CORES, default 0,1: the cores
# nginx, wrk and the bench run on), starts nginx on them on a free loopback
# port (NGINX_PORT), and writes $D/post.lua: wrk posting the body that
# "$BENCH --body FILE" writes.
source "$ROOT/bench/nginx.sh"
CORES=${GATE_BENCH_CORES:-0,1}
start_nginx -c "$CORES" <<<'location / { return 200; }'

export TMPDIR=$D
"$BUILD/bench/$BENCH" --body "$D/body.txt"
python3 - "$D/body.txt" "$D/post.lua" <<'PY'
import json, sys
body = open(sys.argv[1], encoding="latin-1").read()
open(sys.argv[2], "w").write('wrk.method = "POST"\nwrk.body = %s\n' % json.dumps(body))
PY
