#!/usr/bin/env bash
# lumvox-send --net as a whole process beside curl sending the same encoded
# request to the same loopback nginx; prints both medians and their ratio.
# Usage: bench/send_vs_curl.sh [runs]   (builds the linux preset's lumvox-send first)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
runs="${1:-300}"
cmake --preset linux >/dev/null
cmake --build --preset linux --target lumvox-send >/dev/null
send=build/linux/tools/send/lumvox-send

work="$(mktemp -d)"
trap 'kill "$(cat "$work/nginx.pid" 2>/dev/null)" 2>/dev/null || true; rm -rf "$work"' EXIT
port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')"
mkdir -p "$work/logs"
cat >"$work/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/logs/error.log;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $work; proxy_temp_path $work; fastcgi_temp_path $work;
  uwsgi_temp_path $work; scgi_temp_path $work;
  server { listen 127.0.0.1:$port; location / { default_type text/plain; return 200 "sent"; } }
}
CONF
nginx -p "$work" -c "$work/nginx.conf"
for _ in $(seq 50); do curl -s "http://127.0.0.1:$port/" >/dev/null && break; sleep 0.1; done

text='안녕 하세요 <pitch middle="5">좋아</pitch>'
"$send" --net "127.0.0.1:$port" "$text"   # must be delivered, or the figures mean nothing
url="$("$send" --net "127.0.0.1:$port" --dry-run "$text" 2>/dev/null | sed -n 's/^URL: //p')"
hyperfine -N --warmup 20 --runs "$runs" --export-json "$work/runs.json" \
  -n lumvox-send "$send --net 127.0.0.1:$port '$text'" \
  -n curl "curl -s -o /dev/null -H 'Content-Type: application/x-www-form-urlencoded' -A 'Mozilla/3.0 (compatible; Indy Library)' '$url'" \
  >/dev/null 2>&1
python3 - "$work/runs.json" <<'PY'
import json, sys
r = {x["command"]: x["median"] for x in json.load(open(sys.argv[1]))["results"]}
print(f"lumvox-send --net median: {r['lumvox-send']*1000:.2f} ms")
print(f"curl median:              {r['curl']*1000:.2f} ms")
print(f"ratio lumvox-send / curl: {r['lumvox-send']/r['curl']:.2f}")
PY
