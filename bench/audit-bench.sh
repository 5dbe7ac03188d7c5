#!/usr/bin/env bash
# The Site Audit on a real documentation site from a Debian package, served by nginx on
# loopback: its counts per check, and its time beside `links --nested` on the same site (best
# of RUNS each, one connection count for both). Run it where nothing else holds PORT, for
# example inside `unshare --net` with only lo up.
#
#   bench/audit-bench.sh [SITEGAUGE_CLI]      (default build-rel/src/cli/sitegauge-cli)
#   DOC_DIR   the site (default /usr/share/doc/python-flask-doc/html, package python-flask-doc)
#   RUNS      runs of each (default 3)
#   PORT      nginx's port (default 18980)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$here/build-rel/src/cli/sitegauge-cli}
doc=${DOC_DIR:-/usr/share/doc/python-flask-doc/html}
runs=${RUNS:-3}
port=${PORT:-18980}
[[ -x $cli ]] || { echo "no sitegauge-cli at $cli" >&2; exit 1; }
[[ -f $doc/index.html ]] || { echo "no site at $doc (apt-get install python-flask-doc)" >&2; exit 1; }

work=$(mktemp -d)
nginx_pid=
cleanup() {
    [[ -n $nginx_pid ]] && kill "$nginx_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/nginx"
cat > "$work/nginx.conf" <<CONF
worker_processes 1;
daemon off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 256; }
http {
    include /etc/nginx/mime.types;
    access_log off;
    client_body_temp_path $work/nginx;
    proxy_temp_path $work/nginx;
    fastcgi_temp_path $work/nginx;
    uwsgi_temp_path $work/nginx;
    scgi_temp_path $work/nginx;
    server {
        listen 127.0.0.1:$port;
        root $doc;
    }
}
CONF
nginx -c "$work/nginx.conf" -p "$work/nginx" &
nginx_pid=$!
for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    sleep 0.1
done

site=127.0.0.1:$port/index.html
pages=$(find -L "$doc" -name '*.html' | wc -l)
echo "site: $doc ($pages HTML files), served at $site"

# The best wall time of RUNS runs of one command, in seconds.
best() {
    local best_time=
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s.%N)
        "$cli" --workdir "$work/w" "$@" >/dev/null 2>&1
        end=$(date +%s.%N)
        best_time=$(echo "$start $end ${best_time:-}" |
            awk '{ t = $2 - $1; if ($3 == "" || t < $3) print t; else print $3 }')
    done
    echo "$best_time"
}

links=$(best links --nested --name doc --url "$site")
audit=$(best audit --name doc --url "$site")
echo "links --nested: ${links} s (best of $runs)"
echo "audit:          ${audit} s (best of $runs)"
awk -v a="$audit" -v l="$links" 'BEGIN { printf "audit adds %.1f%% to links --nested\n", (a / l - 1) * 100 }'

"$cli" --workdir "$work/w" audit --json "$work/audit.json" --name doc --url "$site" >/dev/null 2>&1
python3 - "$work/audit.json" <<'PY'
import collections, json, sys
site = json.load(open(sys.argv[1]))["sites"][0]
pages = site["pages"]
print(f"pages audited: {len(pages)}, indexable: {sum(p['indexable'] for p in pages)}")
counts = collections.Counter(f["check"] for f in site["findings"])
urls = collections.defaultdict(set)
for f in site["findings"]:
    urls[f["check"]].add(f["url"])
print("check                          findings  pages")
for check, n in counts.most_common():
    print(f"{check:30} {n:8}  {len(urls[check]):5}")
PY
