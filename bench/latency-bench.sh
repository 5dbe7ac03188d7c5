#!/usr/bin/env bash
# Times the Link Validator crawl against two established link checkers on a site whose server
# holds every answer back by DELAY_MS (default 20 ms), as a site a network round trip away would:
#   sitegauge-cli links --nested    at --connections 1 and at its default connection count
#   linkchecker                     (10 threads, its limit of requests per second to one host
#                                    lifted)
#   wget --spider -r                (one request at a time)
# On such a site a crawl's time is set by its waiting, not by its parsing, so this shows what
# overlapping requests gains. Also prints the critical path: the site's page levels (the depth
# of its link graph from the start page, plus the level of the checks of the deepest pages'
# links) times the delay, which no crawler that must read a page before it knows its links
# can beat; and checks that each tool saw the links the site has.
#
#   bench/latency-bench.sh [PATH-TO-sitegauge-cli]
#
# Needs wget, bc and linkchecker, which the project does not install: apt-get install
# linkchecker. The CLI defaults to $SITEGAUGE_CLI, else build-bench/src/cli/sitegauge-cli (what
# `make bench` builds), else build/src/cli/sitegauge-cli; build it as Release for figures worth
# comparing. The server is the sitegauge_delay_server of the CLI's build folder (or
# $DELAY_SERVER): make bench builds it, or cmake --build BUILD --target sitegauge_delay_server.
# RUNS (default 3) runs of each tool, the best one counting; PAGES (default 300) sets the size
# of the site. A CLI without the --connections option is timed as it is, in one row, and the
# row of the default connection count is left out. The requests column counts what the server
# answered in a tool's last run. linkchecker's limit is lifted by the server's "LinkChecker"
# header and maxrequestspersecond=1000.
#
# The site, in a temporary folder: page i links to pages i+1, i+2 and i+3 (those that exist),
# to missing-i.html (404) and, written absolute, to the start page. The server listens on
# 127.0.0.1 and a free port and is stopped on exit.
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
runs=${RUNS:-3}
pages=${PAGES:-300}
delay_ms=${DELAY_MS:-20}

if [ $# -ge 1 ]; then
    cli=$1
elif [ -n "${SITEGAUGE_CLI:-}" ]; then
    cli=$SITEGAUGE_CLI
elif [ -x "$repo/build-bench/src/cli/sitegauge-cli" ]; then
    cli=$repo/build-bench/src/cli/sitegauge-cli
else
    cli=$repo/build/src/cli/sitegauge-cli
fi
if [ ! -x "$cli" ]; then
    echo "latency-bench: no sitegauge-cli at $cli" >&2
    exit 1
fi
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
# The CLI lies in BUILD/src/cli; the server of the same build in BUILD/bench.
server=${DELAY_SERVER:-$(dirname "$(dirname "$(dirname "$cli")")")/bench/sitegauge_delay_server}
if [ ! -x "$server" ]; then
    echo "latency-bench: no sitegauge_delay_server at $server (make bench, or cmake --build" \
        "BUILD --target sitegauge_delay_server in a build with -DSITEGAUGE_BUILD_BENCH=ON)" >&2
    exit 1
fi
for tool in wget bc linkchecker; do
    if ! command -v "$tool" >/dev/null; then
        echo "latency-bench: $tool is missing (apt-get install $tool)" >&2
        exit 1
    fi
done
for value in "$runs" "$pages" "$delay_ms"; do
    if ! [[ $value =~ ^[0-9]+$ ]] || [ "$value" -lt 1 ]; then
        echo "latency-bench: RUNS, PAGES and DELAY_MS take whole numbers above 0" >&2
        exit 2
    fi
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/latency-bench.XXXXXX")
# linkchecker run as root drops to nobody, which must still read its settings here.
chmod 755 "$tmp"
server_pid=""
cleanup() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

site=$tmp/site
requests=$tmp/requests.log
mkdir -p "$site"
: >"$requests"
"$server" --delay-ms "$delay_ms" --log "$requests" "$site" >"$tmp/port" 2>"$tmp/server.err" &
server_pid=$!
for ((n = 0; n < 50; n++)); do
    [ -s "$tmp/port" ] && break
    if ! kill -0 "$server_pid" 2>/dev/null; then
        break
    fi
    sleep 0.1
done
port=$(head -n1 "$tmp/port" 2>/dev/null || true)
if ! [[ $port =~ ^[0-9]+$ ]]; then
    echo "latency-bench: the delay server did not start: $(cat "$tmp/server.err")" >&2
    exit 1
fi
host=127.0.0.1:$port
start=$host/page-0.html

# The site, and its link graph between pages ("from to" lines) for the depth below.
filler=$(printf 'Plain words about this page, nothing to follow here. %.0s' $(seq 8))
edges=$tmp/edges
: >"$edges"
links_expected=0
for ((i = 0; i < pages; i++)); do
    {
        echo "<html><head><title>Page $i</title></head><body>"
        echo "<h1>Page $i</h1><p>$filler</p>"
        for ((j = i + 1; j <= i + 3 && j < pages; j++)); do
            echo "<a href=\"page-$j.html\">page $j</a>"
            echo "$i $j" >>"$edges"
            links_expected=$((links_expected + 1))
        done
        echo "<a href=\"missing-$i.html\">gone</a>"
        echo "<a href=\"http://$host/page-0.html\">home</a>"
        echo "$i 0" >>"$edges"
        echo "</body></html>"
    } >"$site/page-$i.html"
done
# Per page the links to the next pages, one to a missing page, one home.
links_expected=$((links_expected + 2 * pages))

if ! wget -q -O /dev/null "http://$start"; then
    echo "latency-bench: the delay server does not serve the site" >&2
    exit 1
fi

# The levels of pages a crawl goes through: the depth of the deepest page from the start page,
# plus one for the start page itself. Reading a level's pages reveals the next level, and the
# deepest pages' links still take one round trip to check.
depth=$(awk '
    { next_of[$1] = next_of[$1] " " $2 }
    END {
        level[0] = 0; queue[0] = 0; head = 0; tail = 1; deepest = 0
        while (head < tail) {
            page = queue[head++]
            count = split(next_of[page], targets, " ")
            for (k = 1; k <= count; k++) {
                t = targets[k]
                if (!(t in level)) {
                    level[t] = level[page] + 1
                    if (level[t] > deepest) deepest = level[t]
                    queue[tail++] = t
                }
            }
        }
        print deepest
    }' "$edges")
page_levels=$((depth + 1))
critical=$(echo "scale=3; ($page_levels + 1) * $delay_ms / 1000" | bc -l)

now() { date +%s.%N; }
# The best of $runs wall-clock times of a command, in seconds; the requests the server answered
# in its last run go to $tmp/requests.LABEL.
best_time() {
    local label=$1 best="" t0 t1 elapsed before
    shift
    for ((r = 0; r < runs; r++)); do
        before=$(wc -l <"$requests")
        t0=$(now)
        "$@" >/dev/null 2>&1 || true
        t1=$(now)
        # Answers are logged once sent; one still in flight when the tool ended would be missed.
        sleep 0.2
        echo $(($(wc -l <"$requests") - before)) >"$tmp/requests.$label"
        elapsed=$(echo "$t1 - $t0" | bc -l)
        if [ -z "$best" ] || [ "$(echo "$elapsed < $best" | bc -l)" = 1 ]; then
            best=$elapsed
        fi
    done
    echo "$best"
}

run_sitegauge() {
    local workdir=$tmp/sg-$1
    shift
    rm -rf "$workdir" && mkdir -p "$workdir"
    "$cli" --workdir "$workdir" "$@" links --nested --name Bench --url "$start" --keyword page
}
lcrc=$tmp/linkcheckerrc
printf '[checking]\nmaxrequestspersecond=1000\n' >"$lcrc"
chmod 644 "$lcrc"
run_linkchecker() {
    linkchecker -f "$lcrc" -t 10 --no-status --no-warnings -o text "http://$start" \
        >"$tmp/linkchecker.out" 2>&1
}
run_wget() {
    rm -rf "$tmp/wget" && mkdir -p "$tmp/wget"
    wget --spider -r -l inf -nv -e robots=off -P "$tmp/wget" "http://$start" -o "$tmp/wget.log"
}

if "$cli" --help 2>&1 | grep -q -- '--connections'; then
    has_connections=1
    t_sg1=$(best_time sg1 run_sitegauge 1 --connections 1)
    t_sgd=$(best_time sgd run_sitegauge d)
    sg1_label="sitegauge-cli, connections 1"
else
    has_connections=0
    t_sg1=$(best_time sg1 run_sitegauge 1)
    sg1_label="sitegauge-cli, connections 1 (no --connections option)"
fi
t_lc=$(best_time lc run_linkchecker)
t_wg=$(best_time wg run_wget)

# What sitegauge's report lists, by table: "available broken unreachable distinct-pages", the
# last being the distinct pages among the available links (with or without "http://").
sitegauge_counts() {
    local report
    report=$(find "$tmp/sg-$1/Reports/Link Validator" -name '127*.html' 2>/dev/null | head -n1)
    if [ -z "$report" ]; then
        echo "? ? ? ?"
        return
    fi
    awk '
        /<caption/ {
            table = /Broken links/ ? "broken" : /Available links/ ? "available" : "unreachable"
        }
        /^<tr><td><a href ?=/ {
            count[table]++
            if (table == "available") {
                link = $0
                sub(/^<tr><td><a href ?=/, "", link)
                sub(/>.*/, "", link)
                sub(/^http:\/\//, "", link)
                pages[link] = 1
            }
        }
        END {
            distinct = 0
            for (p in pages) distinct++
            printf "%d %d %d %d\n", count["available"], count["broken"], count["unreachable"],
                distinct
        }' "$report"
}
read -r sg1_avail sg1_broken sg1_unreach sg1_pages < <(sitegauge_counts 1)
if [ "$has_connections" = 1 ]; then
    read -r sgd_avail sgd_broken sgd_unreach sgd_pages < <(sitegauge_counts d)
fi
# linkchecker's summary: "N links in M URLs checked. ... E errors found."
lc_summary=$(grep -o '[0-9]* links\? in [0-9]* URLs\? checked' "$tmp/linkchecker.out" || true)
lc_links=$(echo "$lc_summary" | awk '{ print $1 }')
lc_urls=$(echo "$lc_summary" | awk '{ print $4 }')
lc_errors=$({ grep -o '[0-9]* errors\? found' "$tmp/linkchecker.out" || true; } | awk '{ print $1 }')
if [ -z "$lc_errors" ] && grep -q 'No errors found' "$tmp/linkchecker.out"; then
    lc_errors=0
fi
# wget: the pages it fetched (a "URL:" line each; a missing one has none), and its count of
# broken links.
wg_pages=$({ grep -o "URL: *http://$host/page-[0-9]*\.html " "$tmp/wget.log" || true; } |
    sort -u | wc -l)
wg_broken=$({ grep -o 'Found [0-9]* broken links\?' "$tmp/wget.log" || true; } | awk '{ print $2 }')
if [ -z "$wg_broken" ] && grep -q 'Found no broken links' "$tmp/wget.log"; then
    wg_broken=0
fi

# sitegauge records each link where it was found, and the start page once on itself.
sg_avail_expected=$((links_expected - pages + 1))
sg_records=$((links_expected + 1))
# Past its bound of records the crawl visits no new page, and a link to one is not listed.
record_limit=$(sed -n 's/.*kRecordLimit = \([0-9]*\);.*/\1/p' \
    "$repo/src/analysis/LinkCrawler.h" 2>/dev/null | head -n1)
warnings=()
expect() {
    if [ "$2" != "$3" ]; then
        warnings+=("$1: $2, expected $3")
    fi
}
expect "sitegauge (connections 1) available links" "$sg1_avail" "$sg_avail_expected"
expect "sitegauge (connections 1) broken links" "$sg1_broken" "$pages"
expect "sitegauge (connections 1) distinct pages" "$sg1_pages" "$pages"
if [ "$has_connections" = 1 ]; then
    expect "sitegauge (default connections) available links" "$sgd_avail" "$sg_avail_expected"
    expect "sitegauge (default connections) broken links" "$sgd_broken" "$pages"
    expect "sitegauge (default connections) distinct pages" "$sgd_pages" "$pages"
fi
expect "linkchecker URLs" "${lc_urls:-?}" $((2 * pages))
expect "linkchecker errors" "${lc_errors:-?}" "$pages"
expect "wget pages" "$wg_pages" "$pages"
expect "wget broken links" "${wg_broken:-?}" "$pages"

ratio() { echo "scale=2; $1 / $2" | bc -l | sed 's/^\./0./'; }
printf 'Site: %d pages at http://%s, every answer %d ms late (best of %d runs)\n' \
    "$pages" "$start" "$delay_ms" "$runs"
printf 'Critical path: %d page levels + 1 level of link checks = %d x %d ms = %.3f s\n\n' \
    "$page_levels" $((page_levels + 1)) "$delay_ms" "$critical"
row() {
    printf '%-56s %9.3f %9s %14s\n' "$1" "$2" "$(cat "$tmp/requests.$3")" "$(ratio "$2" "$critical")"
}
printf '%-56s %9s %9s %14s\n' tool seconds requests "x crit. path"
row "$sg1_label" "$t_sg1" sg1
if [ "$has_connections" = 1 ]; then
    row "sitegauge-cli, default connections" "$t_sgd" sgd
fi
row "linkchecker, 10 threads, no request limit" "$t_lc" lc
row "wget --spider -r" "$t_wg" wg
if [ "$has_connections" = 0 ]; then
    printf '(no default-connections row: this sitegauge-cli has no --connections option)\n'
fi

printf '\nWhat each tool saw (expected in brackets):\n'
printf '  sitegauge, connections 1:   %s available [%d], %s broken [%d], %s unreachable [0];' \
    "$sg1_avail" "$sg_avail_expected" "$sg1_broken" "$pages" "$sg1_unreach"
printf ' %s distinct pages [%d]\n' "$sg1_pages" "$pages"
if [ "$has_connections" = 1 ]; then
    printf '  sitegauge, default:         %s available [%d], %s broken [%d], %s unreachable [0];' \
        "$sgd_avail" "$sg_avail_expected" "$sgd_broken" "$pages" "$sgd_unreach"
    printf ' %s distinct pages [%d]\n' "$sgd_pages" "$pages"
fi
if [ -n "$record_limit" ] && [ "$sg_records" -gt "$record_limit" ]; then
    printf '  (sitegauge stops visiting new pages once it holds more than %d records; this site\n' \
        "$record_limit"
    printf '   makes %d, so the links it meets after that are neither fetched nor listed; a\n' \
        "$sg_records"
    printf '   smaller PAGES keeps within the bound)\n'
fi
printf '  linkchecker:                %s links in %s URLs [%d], %s errors [%d]\n' \
    "${lc_links:-?}" "${lc_urls:-?}" $((2 * pages)) "${lc_errors:-?}" "$pages"
printf '  wget:                       %s pages [%d], %s broken links [%d]\n' \
    "$wg_pages" "$pages" "${wg_broken:-?}" "$pages"

if [ "$has_connections" = 1 ]; then
    t_sg=$t_sgd
    sg_name="sitegauge (default connections)"
else
    t_sg=$t_sg1
    sg_name="sitegauge (connections 1)"
fi
printf '\nTime ratios (above 1: sitegauge took longer):\n'
ratio_row() { printf '  %-50s %s\n' "$1:" "$(ratio "$2" "$3")"; }
ratio_row "$sg_name / linkchecker" "$t_sg" "$t_lc"
ratio_row "$sg_name / wget" "$t_sg" "$t_wg"
ratio_row "$sg_name / critical path" "$t_sg" "$critical"
if [ "$has_connections" = 1 ]; then
    ratio_row "sitegauge connections 1 / default connections" "$t_sg1" "$t_sgd"
fi
if [ ${#warnings[@]} -gt 0 ]; then
    echo >&2
    for warning in "${warnings[@]}"; do
        echo "latency-bench: warning: $warning" >&2
    done
fi
