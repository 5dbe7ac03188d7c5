#!/usr/bin/env bash
# report-screenshots.sh SITEGAUGE_CLI OUT_DIR: runs the demo and takes a headless Chromium
# picture of each report page (Debian's chromium; a development tool, not needed by the tests).
set -euo pipefail
cli=$1
out=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cli" demo --workdir "$work" 2>/dev/null >"$work/paths.txt"
report() { sed -n "s/^$1: //p" "$work/paths.txt"; }
# The report of the summary page's Nth site (1: the own site, 2: the rival), found by the site
# address in its header.
site_page() {
    local url
    url=$(grep -o "<a href = 'http://127.0.0.1:[0-9]*/'>" "$1" | sed -n "$2p" |
        sed "s/.*http:\/\///; s/'>//")
    grep -l "<a href='http://$url'>$url</a></font></b>" "$(dirname "$1")"/*.html | head -1
}
shot() {
    chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1200,1400 \
        --screenshot="$out/$1" "file://$2" >/dev/null 2>&1
    echo "$out/$1"
}
readiness=$(report "Search Engine Readiness")
shot report-readiness-own.png "$(site_page "$readiness" 1)"
shot report-readiness-rival.png "$(site_page "$readiness" 2)"
shot report-nested.png "$(site_page "$(report "Nested Search Engine Readiness")" 1)"
shot report-links.png "$(site_page "$(report "Link Validator")" 1)"
shot report-popularity.png "$(report "Link Popularity")"
shot report-positions.png "$(report "Position Analyzer")"
# The position history after three demo runs in the same working folder (the demo's sites keep
# their ports, so each run adds a point to every line).
"$cli" demo --workdir "$work" >/dev/null 2>&1
"$cli" demo --workdir "$work" >/dev/null 2>&1
shot position-history.png "$work/Reports/Position Analyzer/history.html"
