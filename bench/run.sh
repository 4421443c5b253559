#!/usr/bin/env bash
# Builds the benchmarks (Release) into build/bench, runs them all and prints one
# table: each command of the real window against the core-only work of the same
# command, the growth with the number of selected opponents and the roster size,
# the start-up and the peak memory, each with its target.
#
# The raw results stay in build/bench/results: core.txt and core.csv (the core
# benchmarks), window.tsv, startup.tsv, bare.tsv and rss.txt.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build/bench
results=$build/results
runs=11 # start-up runs; the median is reported

say() { printf '%s\n' "$*" >&2; }

loadBefore=$(cut -d' ' -f1 /proc/loadavg)

say "building the benchmarks (Release) in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGOALVANTA_BUILD_BENCH=ON \
    -DGOALVANTA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target core_bench window_bench startup_bench goalvanta >/dev/null
mkdir -p "$results"

# The game's instance lock and socket live in XDG_RUNTIME_DIR: a folder of our own
# keeps these runs away from a game the user has open, and theirs from us.
runtime=$(mktemp -d)
saves=$(mktemp -d)
trap 'rm -rf "$runtime" "$saves"' EXIT
export XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=offscreen

say "core benchmarks"
"$build/bench/core_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_min_time=0.2 --benchmark_out="$results/core.csv" --benchmark_out_format=csv \
    >"$results/core.txt" 2>&1

say "window benchmarks"
"$build/bench/window_bench" "$saves" >"$results/window.tsv"
save=$saves/01savedata.sav # written by the window benchmarks

say "start-up"
# The game and the bare window in turn, so that a busy moment of the machine falls on
# both alike; each is told when it was launched (bash's EPOCHREALTIME, taken as the
# child is started), which times the start to the microsecond.
: >"$results/startup.tsv"
: >"$results/bare.tsv"
for _ in $(seq "$runs"); do
    GOALVANTA_BENCH_LAUNCHED=$EPOCHREALTIME "$build/bench/startup_bench" "$save" >>"$results/startup.tsv"
    GOALVANTA_BENCH_LAUNCHED=$EPOCHREALTIME "$build/bench/startup_bench" --bare >>"$results/bare.tsv"
done

say "peak memory of the game with a saved game loaded"
: >"$results/rss.txt"
if [[ -x /usr/bin/time ]]; then
    for _ in 1 2 3; do
        # The game runs until timeout ends it (so the status is never 0); time
        # reports the larger of the two processes.
        { /usr/bin/time -v timeout -s TERM 3 "$build/src/window/goalvanta" "$save" || true; } \
            2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ { print $2 }' >>"$results/rss.txt"
    done
else
    say "  /usr/bin/time is missing (apt-get install time): only the start-up program's figure"
fi

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }
field() { awk -F'\t' -v k="$1" '$1 == k { print $2 }' "$2"; }

cpu=$(awk -F': ' '/^model name/ { name = $2 } /^cpu MHz/ { mhz = $2 }
    END { printf "%s at %.0f MHz", name, mhz }' /proc/cpuinfo)
memory=$(awk '/^MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)
# Other work on the machine slows every figure down: the load is shown with them.
printf 'Machine: %s CPUs (nproc), %s, %s RAM; load average %s before, %s after\n\n' \
    "$(nproc)" "$cpu" "$memory" "$loadBefore" "$(cut -d' ' -f1 /proc/loadavg)"

{
    printf 'startup\t%s\n' "$(field startup_ms "$results/startup.tsv" | median)"
    printf 'bare\t%s\n' "$(field startup_ms "$results/bare.tsv" | median)"
    printf 'rss_program\t%s\n' "$(field maxrss_kb "$results/startup.tsv" | median)"
    printf 'rss_game\t%s\n' "$(sort -n "$results/rss.txt" | tail -n 1)"
    printf 'loaded\t%s\n' "$(field loaded "$results/startup.tsv" | sort -n | head -n 1)"
    cat "$results/window.tsv"
    # Google Benchmark's medians, in milliseconds: name, real time, unit.
    awk -F',' 'NR > 1 && $1 ~ /_median"$/ {
        name = $1; gsub(/"/, "", name); sub(/_median$/, "", name)
        scale = $5 == "ns" ? 1e-6 : $5 == "us" ? 1e-3 : $5 == "ms" ? 1 : 1000
        printf "core\t%s\t%.6f\n", name, $3 * scale }' "$results/core.csv"
} | awk -F'\t' '
function ms(v) { return v >= 10 ? sprintf("%.1f", v) : v >= 0.1 ? sprintf("%.2f", v) : sprintf("%.3f", v) }
function row(name, w, c, ratio, target, result) {
    printf "| %s | %s | %s | %s | %s | %s |\n", name, w, c, ratio, target, result }
function verdict(ok) { if (!ok) failed++; return ok ? "pass" : "**FAIL**" }
$1 == "cmd" {
    w = $3; c = $4; ratio = w / (c > 0.0005 ? c : 0.0005)
    ok = w <= 4 && (w <= 10 * c || w - c <= 1)
    cmds[++ncmd] = sprintf("%s\t%s\t%s\t%s\t%s", $2, ms(w), ms(c),
                           (c > 0.0005 ? sprintf("%.1f×", ratio) : ">1000×"), verdict(ok))
}
$1 == "scale" { sw[$3] = $4; sc[$3] = $5; sizes[++nsize] = $3 }
$1 == "ref" { refs[++nref] = sprintf("%s (reference)\t%s", $2, ms($3)) }
$1 == "core" {
    core[$2] = $3; order[++ncore] = $2
    if ($2 ~ /^BM_SortScaling\/[0-9]+$/) { split($2, p, "/"); sortn[++nsort] = p[2] }
}
$1 == "startup" { startup = $2 }
$1 == "bare" { bare = $2 }
$1 == "rss_program" { rssProgram = $2 }
$1 == "rss_game" { rssGame = $2 }
$1 == "loaded" { loaded = $2 }
END {
    target = "≤ 4 ms; ≤ 10× core or ≤ core + 1 ms"
    print "| command | window median (ms) | core median (ms) | window / core | target | result |"
    print "|---|---:|---:|---:|---|---|"
    for (i = 1; i <= ncmd; i++) {
        split(cmds[i], f, "\t"); row(f[1], f[2], f[3], f[4], target, f[5])
    }
    for (i = 1; i <= nref; i++) {
        split(refs[i], f, "\t"); row(f[1], f[2], "–", "–", "–", "–")
    }
    # Growth: the cost per selected opponent, or per n log n, may not rise above
    # 1.5 times what it is at the smallest size.
    n0 = sizes[1]
    for (i = 1; i <= nsize; i++) {
        n = sizes[i]
        ok = sw[n] / n <= 1.5 * sw[n0] / n0 && sc[n] / n <= 1.5 * sc[n0] / n0
        row("match, " n " selected (Enter)", ms(sw[n]), ms(sc[n]),
            sprintf("%.1f×", sw[n] / sc[n]), "linear in the selected rows",
            i == 1 ? "–" : verdict(ok))
    }
    s0 = sortn[1]
    for (i = 1; i <= nsort; i++) {
        n = sortn[i]; t = core["BM_SortScaling/" n]
        per = t / (n * log(n)); per0 = core["BM_SortScaling/" s0] / (s0 * log(s0))
        row("sort " n " opponents by points", "–", ms(t), "–", "n log n",
            i == 1 ? "–" : verdict(per <= 1.5 * per0))
    }
    row("start-up to the first painted window (game loaded)", ms(startup), "–", "–",
        "≤ 100 ms", verdict(startup <= 100 && loaded == 1))
    row("start-up of a bare Qt window with one label (reference)", ms(bare), "–", "–", "–", "–")
    row("start-up: what the game adds to the bare window", ms(startup - bare), "–", "–",
        "≤ 10 ms", verdict(startup - bare <= 10))
    if (rssGame != "")
        row("peak RSS, goalvanta with a game loaded (MB)", sprintf("%.1f", rssGame / 1024), "–",
            "–", "≤ 40 MB", verdict(rssGame / 1024 <= 40))
    row("peak RSS, start-up program with a game loaded (MB)", sprintf("%.1f", rssProgram / 1024),
        "–", "–", "≤ 40 MB", verdict(rssProgram / 1024 <= 40))
    # The core benchmarks on their own, at full scale.
    for (i = 1; i <= ncore; i++) {
        name = order[i]
        if (name ~ /^BM_SortScaling\// || name ~ /^BM_MatchCommand\/[15]000$/) continue
        label = name; sub(/^BM_/, "", label); sub(/^SortBench\//, "", label)
        row("core: " label, "–", ms(core[name]), "–", "–", "–")
    }
    printf "\n%d above target\n", failed
}'
