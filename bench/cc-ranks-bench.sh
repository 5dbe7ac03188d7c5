#!/usr/bin/env bash
# The Common Crawl ranks lookup on a generated file of the published size and format: the first
# lookup (one scan, the index written) and a later one (the index only), each timed with its
# peak memory by /usr/bin/time -v. The file goes to /tmp (never into the tree) and is kept for
# the next run. Usage: bench/cc-ranks-bench.sh BENCH_BUILD_DIR [MEGABYTES]
set -euo pipefail
build=${1:?usage: cc-ranks-bench.sh BENCH_BUILD_DIR [MEGABYTES]}
megabytes=${2:-2048}
ranks=/tmp/cc-ranks-${megabytes}m.txt.gz
index_dir=$(mktemp -d /tmp/cc-ranks-index.XXXXXX)
trap 'rm -rf "$index_dir"' EXIT
if [[ ! -f $ranks ]]; then
    "$build/bench/sitegauge_ccranks_generate" "$ranks" "$megabytes" > "$ranks.planted"
fi
mapfile -t planted < <(awk -F'\t' '$1 == "planted" {print $2}' "$ranks.planted")
ls -l "$ranks"
for run in first later; do
    /usr/bin/time -v "$build/bench/sitegauge_ccranks_bench" "$ranks" "$index_dir" \
        "${planted[@]}" com.absent-domain 2> "$index_dir/time.txt"
    grep -E 'Elapsed|Maximum resident' "$index_dir/time.txt"
done
ls -l "$index_dir"
