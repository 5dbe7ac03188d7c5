#!/usr/bin/env bash
# The Site Audit on a real documentation site from a Debian package, served by nginx on
# loopback: its counts per check, and its time beside `links --nested` on the same site (RUNS
# runs of each, in turn; wall and CPU time, best and median; one connection count for both).
# Run it where nothing else holds PORT, for example inside `unshare --net` with only lo up.
#
#   bench/audit-bench.sh [SITEGAUGE_CLI]      (default build-rel/src/cli/sitegauge-cli)
#   DOC_DIR   the site (default /usr/share/doc/python-flask-doc/html, package python-flask-doc)
#   RUNS      runs of each (default 7)
#   PORT      nginx's port (default 18980)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$here/build-rel/src/cli/sitegauge-cli}
doc=${DOC_DIR:-/usr/share/doc/python-flask-doc/html}
runs=${RUNS:-7}
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

# One run's wall time and CPU time (user + system), in seconds.
timed() {
    local start end
    start=$(date +%s.%N)
    local TIMEFORMAT='%U %S'
    { time "$cli" --workdir "$work/w" "$@" >/dev/null 2>&1; } 2>"$work/time"
    end=$(date +%s.%N)
    echo "$start $end $(cat "$work/time")" | awk '{ printf "%.3f %.3f\n", $2 - $1, $3 + $4 }'
}

# The two commands run in turn, so that a machine busy with something else slows both alike.
: >"$work/links.times"
: >"$work/audit.times"
for _ in $(seq "$runs"); do
    timed links --nested --name doc --url "$site" >>"$work/links.times"
    timed audit --name doc --url "$site" >>"$work/audit.times"
done
# "best median" of a column of a times file.
stats() {
    sort -n -k"$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END {
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; print v[1], m }'
}
read -r links_best links_median < <(stats "$work/links.times" 1)
read -r audit_best audit_median < <(stats "$work/audit.times" 1)
read -r links_cpu_best links_cpu_median < <(stats "$work/links.times" 2)
read -r audit_cpu_best audit_cpu_median < <(stats "$work/audit.times" 2)
echo "runs of each: $runs, in turn"
echo "links --nested: wall best ${links_best} s, median ${links_median} s; CPU best ${links_cpu_best} s, median ${links_cpu_median} s"
echo "audit:          wall best ${audit_best} s, median ${audit_median} s; CPU best ${audit_cpu_best} s, median ${audit_cpu_median} s"
awk -v ab="$audit_best" -v lb="$links_best" -v am="$audit_median" -v lm="$links_median" \
    -v acb="$audit_cpu_best" -v lcb="$links_cpu_best" -v acm="$audit_cpu_median" -v lcm="$links_cpu_median" \
    'BEGIN { printf "audit adds to links --nested: wall %+.1f%% best, %+.1f%% median; CPU %+.1f%% best, %+.1f%% median\n",
             (ab / lb - 1) * 100, (am / lm - 1) * 100, (acb / lcb - 1) * 100, (acm / lcm - 1) * 100 }'

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
