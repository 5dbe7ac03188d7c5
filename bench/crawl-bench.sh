#!/usr/bin/env bash
# Times the Link Validator crawl against two established link checkers on one generated site of
# 500 pages served by the test nginx, and prints pages per second for each and the ratios:
#   sitegauge-cli links --nested    (one request at a time, a new connection for each)
#   linkchecker                     (10 threads; once with its default limit of requests per
#                                    second to one host, once with the limit lifted)
#   wget --spider -r                (one request at a time)
#
#   bench/crawl-bench.sh [PATH-TO-sitegauge-cli]
#
# Needs nginx and wget, and linkchecker, which the project does not install: apt-get install
# linkchecker. The CLI defaults to build/src/cli/sitegauge-cli (or $SITEGAUGE_CLI); build it as
# Release for figures worth comparing. RUNS (default 3) runs of each tool, the best one counting
# (linkchecker with its default limit runs once: it takes minutes).
# PAGES (default 500) sets the size of the site. The servers run from /tmp/crawlbench.
set -euo pipefail

# Every tool and server of this run inside a network namespace with loopback alone (unshare -n,
# as root) and a process namespace of its own: a checker that resolves a mail or web host sends
# no query off the machine.
if [ -z "${BENCH_INSIDE:-}" ]; then
    exec unshare --net --pid --fork --mount-proc env BENCH_INSIDE=1 \
        bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$@"
fi

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
cli=${1:-${SITEGAUGE_CLI:-$repo/build/src/cli/sitegauge-cli}}
runs=${RUNS:-3}
pages=${PAGES:-500}
base=/tmp/crawlbench
servers=$base/test-servers
site=127.0.0.1:18080
start=$site/bench/index.html

for tool in nginx wget linkchecker; do
    if ! command -v "$tool" >/dev/null; then
        echo "crawl-bench: $tool is missing (apt-get install $tool)" >&2
        exit 1
    fi
done
if [ ! -x "$cli" ]; then
    echo "crawl-bench: no sitegauge-cli at $cli" >&2
    exit 1
fi

# The test servers listen on fixed ports, and starting them stops any that run from another
# folder: leave a test run that is using them alone.
if (exec 3<>/dev/tcp/127.0.0.1/18080) 2>/dev/null; then
    echo "crawl-bench: the test servers are in use (port 18080); try again when they are free" >&2
    exit 1
fi
"$repo/tests/servers/test-servers.sh" start "$servers" >/dev/null
# Stop only the servers started here, by their process ids.
stop_servers() {
    local pid
    for file in "$servers"/nginx.pid "$servers"/tinyproxy-*.pid; do
        [ -f "$file" ] && kill "$(cat "$file")" 2>/dev/null
    done
    for pid in $(pgrep -f "vsftpd $servers/vsftpd.conf" || true); do
        kill "$pid" 2>/dev/null
    done
    return 0
}
trap stop_servers EXIT
# linkchecker keeps to about 3 requests a second per host unless the server answers with a
# "LinkChecker" header; this nginx does, so that it can also be timed without that limit.
sed -i 's|^\( *root .*;\)$|\1 add_header LinkChecker crawl-bench;|' "$servers/nginx.conf"
nginx -c "$servers/nginx.conf" -s reload 2>/dev/null
sleep 0.5
lcrc=$base/linkcheckerrc
printf '[checking]\nmaxrequestspersecond=1000\n' >"$lcrc"
chmod 644 "$lcrc"

# The site: page n links to page n+1 and to a page further on, so that every page is reached
# by a crawl that follows links in order, and the crawl's records (two per page) stay within its
# bound of 1000. Each page carries a few kilobytes of text.
gen=$servers/site/bench
mkdir -p "$gen"
filler=$(printf 'Plain words about the site, nothing to follow here. %.0s' $(seq 40))
{
    echo "<html><head><title>bench</title></head><body>"
    echo "<a href=\"p0.html\">first</a>"
    echo "</body></html>"
} >"$gen/index.html"
for ((n = 0; n < pages; n++)); do
    {
        echo "<html><head><title>Page $n</title></head><body><p>$filler</p>"
        [ $((n + 1)) -lt "$pages" ] && echo "<a href=\"p$((n + 1)).html\">next</a>"
        echo "<a href=\"p$(((7 * n + 3) % pages)).html\">further</a>"
        echo "</body></html>"
    } >"$gen/p$n.html"
done
chmod -R a+rX "$gen"
total=$((pages + 1))

now() { date +%s.%N; }
# The best of $runs wall-clock times of a command, in seconds.
best_time() {
    local best="" t0 t1 elapsed
    for ((r = 0; r < runs; r++)); do
        t0=$(now)
        "$@" >/dev/null 2>&1 || true
        t1=$(now)
        elapsed=$(echo "$t1 - $t0" | bc -l)
        if [ -z "$best" ] || [ "$(echo "$elapsed < $best" | bc -l)" = 1 ]; then
            best=$elapsed
        fi
    done
    echo "$best"
}

work=$(mktemp -d "$base/work.XXXXXX")
run_sitegauge() {
    rm -rf "$work/sg" && mkdir -p "$work/sg"
    "$cli" --workdir "$work/sg" links --nested --name Bench --url "$start" --keyword bench
}
run_linkchecker() {
    linkchecker --no-status --no-warnings -o text "http://$start" >"$work/linkchecker.out" 2>&1
}
run_linkchecker_unlimited() {
    linkchecker -f "$lcrc" --no-status --no-warnings -o text "http://$start" \
        >"$work/linkchecker-unlimited.out" 2>&1
}
run_wget() {
    rm -rf "$work/wget" && mkdir -p "$work/wget"
    wget --spider -r -l inf -nv -e robots=off -P "$work/wget" "http://$start" \
        -o "$work/wget.log"
}

# The site must still be ours after each tool: another test run may restart the servers.
still_served() {
    if ! wget -q -O /dev/null "http://$gen_probe"; then
        echo "crawl-bench: the test nginx stopped serving the site during the $1 runs" \
            "(another test run restarted the servers); run again" >&2
        exit 1
    fi
}
gen_probe=$site/bench/p$((pages - 1)).html
t_sg=$(best_time run_sitegauge)
still_served sitegauge-cli
# One run with its default limit: it takes minutes.
t_lc=$(runs=1 best_time run_linkchecker)
still_served linkchecker
t_lu=$(best_time run_linkchecker_unlimited)
still_served linkchecker
t_wg=$(best_time run_wget)
still_served wget

# Pages each tool reached, from its own output.
report=$(find "$work/sg/Reports/Link Validator" -name '127*.html' | head -n1)
n_sg=$({ grep -o "^<tr><td><a href =http://$site/bench/[^>]*>" "$report" || true; } | sort -u | wc -l)
checked() {
    { grep -o '[0-9]* links\? in [0-9]* URLs\? checked' "$1" || true; } |
        sed 's/.* in \([0-9]*\) URL.*/\1/'
}
n_lc=$(checked "$work/linkchecker.out")
n_lu=$(checked "$work/linkchecker-unlimited.out")
n_wg=$({ grep -o "URL: *http://$site/bench/[^ ]*\.html " "$work/wget.log" || true; } | sort -u | wc -l)

for count in "$n_sg" "${n_lc:-0}" "${n_lu:-0}" "$n_wg"; do
    if [ "$count" != "$total" ]; then
        echo "crawl-bench: warning: a tool reached $count of the $total pages" >&2
    fi
done

rate() { echo "scale=1; $1 / $2" | bc -l; }
r_sg=$(rate "$total" "$t_sg")
r_lc=$(rate "$total" "$t_lc")
r_lu=$(rate "$total" "$t_lu")
r_wg=$(rate "$total" "$t_wg")

printf 'Site: %d pages at http://%s (best of %d runs)\n\n' "$total" "$start" "$runs"
printf '%-34s %9s %15s %12s\n' tool seconds "pages reached" pages/s
printf '%-34s %9.3f %15s %12s\n' "sitegauge-cli links --nested" "$t_sg" "$n_sg" "$r_sg"
printf '%-34s %9.3f %15s %12s\n' "linkchecker (default limit, 1 run)" "$t_lc" "${n_lc:-?}" "$r_lc"
printf '%-34s %9.3f %15s %12s\n' "linkchecker (no request limit)" "$t_lu" "${n_lu:-?}" "$r_lu"
printf '%-34s %9.3f %15s %12s\n' "wget --spider -r" "$t_wg" "$n_wg" "$r_wg"
ratio() { echo "scale=2; $1 / $2" | bc -l | sed 's/^\./0./'; }
printf '\nsitegauge / linkchecker (default limit): %s\n' "$(ratio "$r_sg" "$r_lc")"
printf 'sitegauge / linkchecker (no limit):      %s\n' "$(ratio "$r_sg" "$r_lu")"
printf 'sitegauge / wget --spider -r:            %s\n' "$(ratio "$r_sg" "$r_wg")"
rm -rf "$work"
