#!/usr/bin/env bash
# Side-by-side speed of an older revision against the working tree: builds REV's
# benchmark beside the tree (build-speedup/, git-ignored; the tree itself is left alone),
# then runs the two benchmarks alternately on the same display for several rounds and
# prints, per pass and for the average frame, old/new wall-clock ratios (median over the
# rounds; above 1 means the working tree is faster).
#
#   tools/speedup.sh REV [--rounds 5] [benchmark options, default --frames 8 --size 960x540]
#
# The average frame is shadow maps + environment maps / 2 + lit scene + bloom + depth of
# field + present: the environment maps are refreshed every second frame and their
# median is taken over the frames that refresh them.
set -euo pipefail
self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
cd "$(dirname "$self")/.."
root=$(pwd)

if [ $# -lt 1 ] || [ "${1:0:1}" = "-" ]; then
    echo "usage: tools/speedup.sh REV [--rounds N] [benchmark options]" >&2
    exit 2
fi
rev=$1
shift
rounds=5
options=()
while [ $# -gt 0 ]; do
    if [ "$1" = "--rounds" ]; then
        if [ $# -lt 2 ] || ! [[ "$2" =~ ^[1-9][0-9]*$ ]]; then
            echo "speedup: --rounds needs a positive number" >&2
            exit 2
        fi
        rounds=$2
        shift 2
    else
        options+=("$1")
        shift
    fi
done
[ ${#options[@]} -eq 0 ] && options=(--frames 8 --size 960x540)

sha=$(git rev-parse --verify --quiet "$rev^{commit}") || {
    echo "speedup: no such revision: $rev" >&2
    exit 2
}

# Without a display, start a virtual one and run again inside it.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$self" "$rev" --rounds "$rounds" "${options[@]}"
fi

short=${sha:0:10}
work=$root/build-speedup
oldSource=$work/src-$short
oldBuild=$work/build-$short
mkdir -p "$work"
if [ ! -f "$oldSource/CMakeLists.txt" ]; then
    echo "Exporting $short into $oldSource"
    rm -rf "$oldSource.tmp"
    mkdir -p "$oldSource.tmp"
    git archive "$sha" | tar -x -C "$oldSource.tmp"
    mv "$oldSource.tmp" "$oldSource"
fi
jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2
build() {
    local source=$1 dir=$2
    [ -f "$dir/CMakeCache.txt" ] || cmake -S "$source" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$dir" -j"$jobs" --target benchmark >/dev/null
}
echo "Building the benchmark of $short and of the working tree"
build "$oldSource" "$oldBuild"
build "$root" "$root/build"

results=$work/results-$short
rm -rf "$results"
mkdir -p "$results"
# Each benchmark reads ./res and ./shaders of its own tree.
runOne() {
    local which=$1 round=$2
    if [ "$which" = old ]; then
        (cd "$oldSource" && "$oldBuild/benchmark" --json "${options[@]}") >"$results/old-$round.json"
    else
        (cd "$root" && "$root/build/benchmark" --json "${options[@]}") >"$results/new-$round.json"
    fi
}
for ((round = 1; round <= rounds; ++round)); do
    echo "Round $round of $rounds"
    # Alternate which goes first, so a slow drift of the machine favours neither.
    if ((round % 2)); then
        runOne old "$round"
        runOne new "$round"
    else
        runOne new "$round"
        runOne old "$round"
    fi
done

# One line per run: the wall-clock medians of the six passes, in the benchmark's order.
passMedians() {
    sed -e 's/.*"passes": {//' -e 's/}}, "startupMs".*//' "$1" |
        tr '}' '\n' | sed -n 's/.*"wallMedianMs": \([0-9.]*\).*/\1/p' | head -6 | tr '\n' ' '
}
for ((round = 1; round <= rounds; ++round)); do
    echo "$(passMedians "$results/old-$round.json") $(passMedians "$results/new-$round.json")"
done >"$results/medians.txt"

echo
echo "Old $short against the working tree, ${options[*]}, $rounds rounds (wall-clock medians in ms):"
awk '
function median(values, n,    i, j, t) {
    for (i = 2; i <= n; ++i)
        for (j = i; j > 1 && values[j - 1] > values[j]; --j) {
            t = values[j]; values[j] = values[j - 1]; values[j - 1] = t
        }
    return n % 2 ? values[(n + 1) / 2] : (values[n / 2] + values[n / 2 + 1]) / 2
}
{
    oldFrame = $1 + $2 / 2 + $3 + $4 + $5 + $6
    newFrame = $7 + $8 / 2 + $9 + $10 + $11 + $12
    for (p = 1; p <= 6; ++p) {
        oldMs[p, NR] = $p; newMs[p, NR] = $(p + 6)
        ratio[p, NR] = $(p + 6) > 0 ? $p / $(p + 6) : 0
    }
    oldMs[7, NR] = oldFrame; newMs[7, NR] = newFrame
    ratio[7, NR] = newFrame > 0 ? oldFrame / newFrame : 0
    rounds = NR
}
END {
    split("shadow maps,environment maps,lit scene,bloom,depth of field,present,average frame", names, ",")
    printf "%-18s %10s %10s %12s\n", "pass", "old ms", "new ms", "old/new"
    for (p = 1; p <= 7; ++p) {
        for (r = 1; r <= rounds; ++r) { a[r] = oldMs[p, r]; b[r] = newMs[p, r]; c[r] = ratio[p, r] }
        printf "%-18s %10.2f %10.2f %12.2f\n", names[p], median(a, rounds), median(b, rounds), median(c, rounds)
    }
    # The spread of the rounds: on a shared machine the ratio of a single round can be off by a tenth
    # or more, so a median within that spread of 1 tells no difference apart.
    for (r = 1; r <= rounds; ++r) c[r] = ratio[7, r]
    median(c, rounds)
    q = int((rounds + 2) / 4)
    if (q < 1) q = 1
    printf "average frame old/new of single rounds: lowest %.2f, quartiles %.2f and %.2f, highest %.2f\n",
        c[1], c[q], c[rounds + 1 - q], c[rounds]
}' "$results/medians.txt"
