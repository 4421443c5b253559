#!/usr/bin/env bash
# Runs every fuzz target for SECONDS (default 60), all at once, starting from its
# committed corpus, and prints each one's figures. Fails when a target finds an
# input that crashes, trips a sanitizer, fails a check, takes over 10 s, allocates
# more than 32 MB at once or grows past 1 GB; the input is kept in BUILD/artifacts.
#
#   fuzz/run.sh [SECONDS] [BUILD]      BUILD defaults to build/fuzz
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${2:-build/fuzz}
targets=(savefile handover)

# New inputs found on the way go to a scratch folder, not into the repository.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/artifacts"

pids=()
for target in "${targets[@]}"; do
    mkdir -p "$work/$target"
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=70000 -timeout=10 \
        -rss_limit_mb=1024 -malloc_limit_mb=32 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" \
        "$work/$target" "fuzz/corpus/$target" >"$work/$target.log" 2>&1 &
    pids+=($!)
done

failed=0
for i in "${!targets[@]}"; do
    target=${targets[$i]}
    if wait "${pids[$i]}"; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log")
        rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$work/$target.log")
        found=$(find "$work/$target" -type f | wc -l)
        echo "[figures] fuzz $target: $runs executions in $seconds s, 0 crashes," \
             "peak RSS $rss MB, $found new corpus inputs"
    else
        failed=1
        echo "fuzz $target FAILED; the input is in $build/artifacts/:"
        tail -n 60 "$work/$target.log"
    fi
done
exit $failed
