#!/usr/bin/env bash
# Peak memory per page of the two commands that hold a whole site: the Link Validator crawl with
# its results file (links --nested --json) and the Site Audit with its (audit --json), on
# generated sites of 2,000, 20,000 and 100,000 pages served by a private nginx on loopback. Each
# page links to ten others ((10 i + k) mod N, one link in a hundred broken) and loads three
# resources shared by all. Prints, per command and size, the wall time, the peak resident memory
# and the growth per page from the smallest size: the goal is at most 3 KB a page.
#
#   bench/memory-bench.sh [PATH-TO-sitegauge-cli]
#
# SIZES (default "2000 20000 100000") picks the sizes; the sites are generated once under
# /tmp/memorybench (about 1.3 GB for 100,000 pages) and kept for later runs. FINDINGS=clean
# gives every page what the audit asks for (viewport, image sizes, longer texts), so that the
# audit keeps its pages and not five findings of each. COMMANDS (default "links audit") picks
# the commands.
set -euo pipefail

# Everything of this run in a network namespace with loopback alone.
if [ -z "${BENCH_INSIDE:-}" ]; then
    exec unshare --net --pid --fork --mount-proc env BENCH_INSIDE=1 \
        bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$@"
fi

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
cli=$(realpath "${1:-${SITEGAUGE_CLI:-$repo/build/src/cli/sitegauge-cli}}")
sizes=${SIZES:-"2000 20000 100000"}
findings=${FINDINGS:-many}
base=/tmp/memorybench
port=18190

for tool in nginx python3; do
    command -v "$tool" >/dev/null || { echo "memory-bench: $tool is missing" >&2; exit 1; }
done
[ -x "$cli" ] || { echo "memory-bench: no sitegauge-cli at $cli" >&2; exit 1; }
mkdir -p "$base/tmp"

generate() {
    python3 - "$1" "$2" "$findings" <<'PY'
import os, sys
n, root, findings = int(sys.argv[1]), sys.argv[2], sys.argv[3]
os.makedirs(root, exist_ok=True)
for name, body in (("a.png", b"\x89PNG"), ("b.png", b"\x89PNG"), ("c.js", b"var x;"),
                   ("c.css", b"body{color:#000}")):
    open(os.path.join(root, name), "wb").write(body)
clean = findings == "clean"
words = " ".join(["Plain words about this page of the generated site."] * 40) if clean else ""
for i in range(n):
    links = "".join(
        f'<a href="{"p" if (10 * i + k) % 100 else "missing"}{(10 * i + k) % n}.html">page '
        f'{(10 * i + k) % n}</a>' for k in range(1, 11))
    size = " width=16 height=16" if clean else ""
    head = ("<meta name=viewport content='width=device-width, initial-scale=1'>"
            f"<title>Page {i} of the generated site for the memory benchmark</title>"
            f"<meta name=description content='Page number {i} of the generated site, one of many"
            " pages that link to each other, written to measure what a crawl keeps.'>"
            if clean else f"<title>Page {i}</title>"
            f"<meta name=description content='Page number {i} of the generated site'>")
    page = (f"<!doctype html><html lang=en><head><meta charset=utf-8>{head}"
            f"<link rel=stylesheet href=c.css></head><body><h1>Page {i}</h1><p>{words}</p>"
            f"{links}<img src=a.png alt=a{size}><img src=b.png alt=b{size}>"
            "<script src=c.js></script></body></html>")
    with open(os.path.join(root, "index.html" if i == 0 else f"p{i}.html"), "w") as f:
        f.write(page)
PY
}

servers=""
index=0
for n in $sizes; do
    site=$base/site-$findings-$n
    [ -f "$site/p$((n - 1)).html" ] || generate "$n" "$site"
    servers+="server { listen 127.0.0.1:$((port + index)); root $site; } "
    index=$((index + 1))
done
t=$base/tmp
cat >"$base/nginx.conf" <<CONF
worker_processes 2;
pid $base/nginx.pid;
error_log $base/error.log;
events { worker_connections 512; }
http {
    include /etc/nginx/mime.types;
    access_log off;
    client_body_temp_path $t; proxy_temp_path $t; fastcgi_temp_path $t; uwsgi_temp_path $t;
    scgi_temp_path $t;
    $servers
}
CONF
nginx -c "$base/nginx.conf" -p "$base"
trap 'kill "$(cat "$base/nginx.pid")" 2>/dev/null || true' EXIT
sleep 0.3

printf '%-22s %8s %9s %11s %12s\n' command pages "time s" "peak MB" "KB/page more"
for command in ${COMMANDS:-links audit}; do
    index=0
    first_kb="" first_n=""
    for n in $sizes; do
        work=$base/work-$command-$n
        rm -rf "$work" && mkdir -p "$work"
        "$cli" --workdir "$work" profile create "$work/p.sgp" --name "s$n" \
            --url "http://127.0.0.1:$((port + index))/" >/dev/null
        if [ "$command" = links ]; then
            args=(links --nested --max-pages "$n" --json "$work/r.json" "$work/p.sgp")
        else
            args=(audit --max-pages "$n" --json "$work/r.json" "$work/p.sgp")
        fi
        /usr/bin/time -f '%e %M' -o "$work/time" "$cli" --workdir "$work" "${args[@]}" \
            >/dev/null 2>"$work/err" || true
        read -r secs kb <"$work/time"
        more="-"
        if [ -z "$first_kb" ]; then
            first_kb=$kb first_n=$n
        else
            more=$(awk -v a="$first_kb" -v b="$kb" -v m="$first_n" -v n="$n" \
                'BEGIN { printf "%.2f", (b - a) * 1.024 / (n - m) }')
        fi
        printf '%-22s %8s %9s %11.1f %12s\n' "$([ "$command" = links ] && echo "links --nested" || echo audit) --json" "$n" "$secs" \
            "$(awk -v k="$kb" 'BEGIN { print k * 1.024 / 1000 }')" "$more"
        index=$((index + 1))
    done
done
