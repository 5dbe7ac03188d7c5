#!/usr/bin/env bash
# Rendered against fetched crawls: `links --nested` with and without --render on a real
# documentation site from a Debian package (about 500 pages) and on a client-rendered site of
# our own (every link written by a script), each served by a private nginx on loopback. Prints,
# per site and mode, the wall time, the pages per second and the peak memory of the whole
# process tree (sitegauge-cli and the browser's processes, proportional set sizes summed,
# sampled every 0.2 s), and the rendered run's time as a multiple of the fetched one's.
# Goals: rendered within 5x the fetched time on 2 cores, the tree under 1.5 GB.
#
#   bench/render-bench.sh [PATH-TO-sitegauge-cli]    (default build-rel/src/cli/sitegauge-cli)
#   DOC_DIR   the documentation site (default /usr/share/doc/python3.11/html, package
#             python3.11-doc)
#   PAGES     pages of the client-rendered site (default 500)
#   CONNECTIONS  the connections (and so the browser's tabs), default the stored setting
set -euo pipefail

# Everything of this run, the browser included, in a network namespace with loopback alone.
if [ -z "${BENCH_INSIDE:-}" ]; then
    exec unshare --net env BENCH_INSIDE=1 bash -c 'ip link set lo up && exec bash "$0" "$@"' \
        "$0" "$@"
fi

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
cli=$(realpath "${1:-${SITEGAUGE_CLI:-$repo/build-rel/src/cli/sitegauge-cli}}")
doc=${DOC_DIR:-/usr/share/doc/python3.11/html}
pages=${PAGES:-500}
port=18230
[[ -x $cli ]] || { echo "no sitegauge-cli at $cli" >&2; exit 1; }
[[ -f $doc/index.html ]] || { echo "no site at $doc (apt-get install python3.11-doc)" >&2; exit 1; }
command -v chromium >/dev/null || { echo "no chromium (apt-get install chromium)" >&2; exit 1; }

work=$(mktemp -d)
# nginx's workers run as another user: the served sites must be readable to them.
chmod 755 "$work"
nginx_pid=
cleanup() {
    [[ -n $nginx_pid ]] && kill "$nginx_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The client-rendered site: each page's title, description and links come from a script.
spa=$work/spa
mkdir -p "$spa"
cat > "$spa/app.js" <<'JS'
const n = Number(document.body.dataset.page), total = Number(document.body.dataset.total);
document.title = 'Page ' + n;
const meta = document.createElement('meta');
meta.name = 'description'; meta.content = 'The page number ' + n + ', written by a script.';
document.head.appendChild(meta);
const main = document.createElement('main');
for (let k = 1; k <= 5; k++) {
  const a = document.createElement('a');
  a.href = 'p' + ((n * 5 + k) % total) + '.html'; a.textContent = 'next ' + k;
  main.appendChild(a);
}
const p = document.createElement('p');
p.textContent = 'Text of page ' + n + ' '.repeat(1) + 'made after the load. '.repeat(20);
main.appendChild(p);
document.body.appendChild(main);
JS
for ((i = 0; i < pages; i++)); do
    printf '<!DOCTYPE html><html><head><title>loading</title></head><body data-page="%d" data-total="%d"><script src="app.js"></script></body></html>\n' \
        "$i" "$pages" > "$spa/p$i.html"
done

mkdir -p "$work/nginx"
cat > "$work/nginx.conf" <<CONF
worker_processes 1;
daemon off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 512; }
http {
    include /etc/nginx/mime.types;
    access_log off;
    client_body_temp_path $work/nginx;
    proxy_temp_path $work/nginx;
    fastcgi_temp_path $work/nginx;
    uwsgi_temp_path $work/nginx;
    scgi_temp_path $work/nginx;
    server { listen 127.0.0.1:$port; root $doc; }
    server { listen 127.0.0.1:$((port + 1)); root $spa; }
}
CONF
nginx -c "$work/nginx.conf" -p "$work/nginx" &
nginx_pid=$!
for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/127.0.0.1/$((port + 1))") 2>/dev/null && break
    sleep 0.1
done

# The summed proportional set size (kB) of a process and all its descendants.
tree_pss() {
    local root=$1 total=0 pid kids
    local todo=("$root")
    while ((${#todo[@]})); do
        pid=${todo[0]}
        todo=("${todo[@]:1}")
        total=$((total + $(awk '/^Pss:/ { print $2 }' "/proc/$pid/smaps_rollup" 2>/dev/null || echo 0)))
        kids=$(cat /proc/"$pid"/task/*/children 2>/dev/null || true)
        for k in $kids; do todo+=("$k"); done
    done
    echo "$total"
}

# One run: "seconds pages peak-kB".
run() {
    local start end peak=0 pss pid
    start=$(date +%s.%N)
    "$cli" --workdir "$work/w" links --nested "$@" >/dev/null 2>"$work/err" &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        pss=$(tree_pss "$pid")
        ((pss > peak)) && peak=$pss
        sleep 0.2
    done
    wait "$pid" || true
    end=$(date +%s.%N)
    local visited
    visited=$(tail -1 "$work/err" | grep -o '[0-9,]* pages\? visited' | tr -dc 0-9)
    echo "$start $end ${visited:-0} $peak" | awk '{ printf "%.2f %d %d\n", $2 - $1, $3, $4 }'
}

echo "cores: $(nproc); chromium: $(chromium --version 2>/dev/null | head -1)"
for site in "doc 127.0.0.1:$port/index.html $(find -L "$doc" -name '*.html' | wc -l)" \
            "spa 127.0.0.1:$((port + 1))/p0.html $pages"; do
    read -r name address files <<<"$site"
    read -r fs fp fm < <(run --name "$name" --url "$address")
    read -r rs rp rm < <(run --render --name "$name" --url "$address")
    echo "$name ($files HTML files at $address)"
    awk -v s="$fs" -v p="$fp" -v m="$fm" 'BEGIN { printf "  fetched:  %7.2f s  %5d pages  %7.1f pages/s  peak tree %6.0f MB\n", s, p, p / s, m / 1024 }'
    awk -v s="$rs" -v p="$rp" -v m="$rm" 'BEGIN { printf "  rendered: %7.2f s  %5d pages  %7.1f pages/s  peak tree %6.0f MB\n", s, p, p / s, m / 1024 }'
    awk -v fs="$fs" -v fp="$fp" -v rs="$rs" -v rp="$rp" 'BEGIN { printf "  rendered time per page: %.1fx the fetched\n", (rs / rp) / (fs / fp) }'
done
