#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each over a copy of its seed corpus, for a
# set wall time or until it has used a set amount of CPU time (on a shared machine the two
# differ a lot). New corpus entries stay in the build folder unless FUZZ_MERGE=1, which merges
# them (minimized) back into tests/fuzz/corpus. Crashes, hangs and leaks land in the log folder,
# and each target's figures in <target>.summary there.
#
#   tests/fuzz/run-fuzzers.sh [TARGET...]
#   FUZZ_SECONDS      wall seconds per target (60)
#   FUZZ_CPU_SECONDS  instead: run until the target used this much CPU (user + system), with
#                     FUZZ_SECONDS as the wall-time cap
#   FUZZ_BUILD        build folder (build-fuzz)
#   FUZZ_LOGS         log and artifact folder (FUZZ_BUILD/fuzz-logs)
#   FUZZ_MERGE        1: merge new entries into the source corpus
#   FUZZ_NO_BUILD     1: use the fuzzers already built
set -uo pipefail

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${FUZZ_SECONDS:-60}
cpu_seconds=${FUZZ_CPU_SECONDS:-0}
build=${FUZZ_BUILD:-$source_dir/build-fuzz}
logs=${FUZZ_LOGS:-$build/fuzz-logs}
targets=("$@")

if [[ "${FUZZ_NO_BUILD:-0}" != 1 ]]; then
    cc=$(command -v clang-14 || command -v clang)
    cxx=$(command -v clang++-14 || command -v clang++)
    CC=$cc CXX=$cxx cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DSITEGAUGE_SANITIZE=ON -DSITEGAUGE_FUZZ=ON -DSITEGAUGE_BUILD_GUI=OFF >/dev/null || exit 1
    cmake --build "$build" -j "${JOBS:-2}" --target fuzzers || exit 1
fi

# Every target the build made, so a new one is never left out of a run.
if [[ ${#targets[@]} -eq 0 ]]; then
    for fuzzer in "$build"/tests/fuzz/*_fuzzer; do
        [[ -x "$fuzzer" ]] && targets+=("$(basename "$fuzzer" _fuzzer)")
    done
fi

# CPU seconds (user + system, all threads) a running process has used.
cpu_of() {
    awk -v hz="$(getconf CLK_TCK)" '{ printf "%d", ($14 + $15) / hz }' "/proc/$1/stat" 2>/dev/null
}

mkdir -p "$logs"
status=0
for target in "${targets[@]}"; do
    fuzzer="$build/tests/fuzz/${target}_fuzzer"
    seeds="$source_dir/tests/fuzz/corpus/$target"
    work="$build/fuzz-corpus/$target"
    log="$logs/$target.log"
    mkdir -p "$work"
    cp -n "$seeds"/* "$work"/
    limit="${seconds}s wall"
    [[ "$cpu_seconds" -gt 0 ]] && limit="${cpu_seconds}s CPU, at most ${seconds}s wall"
    echo "== $target: $limit, log $log"
    started=$(date +%s)
    # Network targets never wait on a healthy peer; -timeout catches a wait that is not bounded.
    "$fuzzer" "$work" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=8192 \
        -print_final_stats=1 -artifact_prefix="$logs/$target-" >"$log" 2>&1 &
    pid=$!
    cpu=0
    while kill -0 "$pid" 2>/dev/null; do
        sleep 5
        used=$(cpu_of "$pid")
        [[ -n "$used" ]] && cpu=$used
        if [[ "$cpu_seconds" -gt 0 && "$cpu" -ge "$cpu_seconds" ]]; then
            # libFuzzer stops on SIGINT and still prints its final figures.
            kill -INT "$pid" 2>/dev/null
        fi
    done
    wait "$pid"
    rc=$?
    wall=$(($(date +%s) - started))
    {
        echo "target: $target"
        echo "wall_seconds: $wall"
        echo "cpu_seconds: $cpu (sampled every 5 s)"
        echo "exit_code: $rc"
        grep -aE '^#[0-9]+.*(DONE|pulse|NEW|REDUCE|INITED)' "$log" | tail -1
        grep -aE '^stat::' "$log"
        echo "corpus_files: $(find "$work" -type f | wc -l)"
        ls "$logs" | grep -E "^$target-(crash|leak|timeout|oom|slow-unit)-" || true
    } >"$logs/$target.summary"
    cat "$logs/$target.summary"
    # 0, or 72 when SIGINT ended it: both are runs without a finding.
    if [[ $rc -ne 0 && $rc -ne 72 && $rc -ne 130 ]]; then
        echo "$target: finding, see $log"
        status=1
    fi
    if [[ "${FUZZ_MERGE:-0}" == 1 ]]; then
        "$fuzzer" -merge=1 -max_len=8192 "$seeds" "$work" >>"$logs/$target.merge.log" 2>&1
    fi
done
exit $status
