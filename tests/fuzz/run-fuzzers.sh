#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a set time over a copy of its seed
# corpus. New corpus entries stay in the build folder unless FUZZ_MERGE=1, which merges them
# (minimized) back into tests/fuzz/corpus. Crashes, hangs and leaks land in the log folder.
#
#   tests/fuzz/run-fuzzers.sh [TARGET...]
#   FUZZ_SECONDS  seconds per target (60)
#   FUZZ_BUILD    build folder (build-fuzz)
#   FUZZ_LOGS     log and artifact folder (FUZZ_BUILD/fuzz-logs)
#   FUZZ_MERGE    1: merge new entries into the source corpus
#   FUZZ_NO_BUILD 1: use the fuzzers already built
set -uo pipefail

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${FUZZ_SECONDS:-60}
build=${FUZZ_BUILD:-$source_dir/build-fuzz}
logs=${FUZZ_LOGS:-$build/fuzz-logs}
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
    targets=(fuzz_http_response fuzz_ftp_replies fuzz_readiness fuzz_scrapers fuzz_profile
        fuzz_page_scanners)
fi

if [[ "${FUZZ_NO_BUILD:-0}" != 1 ]]; then
    cc=$(command -v clang-14 || command -v clang)
    cxx=$(command -v clang++-14 || command -v clang++)
    CC=$cc CXX=$cxx cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DSITEGAUGE_SANITIZE=ON -DSITEGAUGE_FUZZ=ON -DSITEGAUGE_BUILD_GUI=OFF >/dev/null || exit 1
    cmake --build "$build" -j "${JOBS:-2}" --target fuzzers || exit 1
fi

mkdir -p "$logs"
status=0
for target in "${targets[@]}"; do
    fuzzer="$build/tests/fuzz/${target}_fuzzer"
    seeds="$source_dir/tests/fuzz/corpus/$target"
    work="$build/fuzz-corpus/$target"
    mkdir -p "$work"
    cp -n "$seeds"/* "$work"/
    echo "== $target: ${seconds}s, log $logs/$target.log"
    # Network targets never wait on a healthy peer; -timeout catches a wait that is not bounded.
    "$fuzzer" "$work" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=8192 \
        -print_final_stats=1 -artifact_prefix="$logs/$target-" >"$logs/$target.log" 2>&1
    rc=$?
    grep -aE 'DONE|^stat::number_of_executed_units|^stat::peak_rss_mb' "$logs/$target.log"
    if [[ $rc -ne 0 ]]; then
        echo "$target: finding, see $logs/$target.log"
        status=1
    fi
    if [[ "${FUZZ_MERGE:-0}" == 1 ]]; then
        "$fuzzer" -merge=1 -max_len=8192 "$seeds" "$work" >>"$logs/$target.merge.log" 2>&1
    fi
done
exit $status
