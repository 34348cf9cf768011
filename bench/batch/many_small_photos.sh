#!/usr/bin/env bash
# `mallet correct --jobs 1` over 2,000 photos of 640 x 480: the wall time against the CPU time
# (user + system) of the same runs. Every save waits for the disk; those waits are meant to
# overlap the next photo's work, so the target is wall / cpu <= 2. Medians of RUNS runs.
#   bash bench/batch/many_small_photos.sh [build-dir] [runs] [photos]
set -euo pipefail
build=${1:-build-release}
runs=${2:-3}
photos=${3:-2000}
mallet=$build/batch/mallet
maker=$build/bench/batch/make_bench_photos
for tool in "$mallet" "$maker"; do
    [ -x "$tool" ] || { echo "no $tool: build $build first" >&2; exit 1; }
done

# On the disk the photos are usually kept on, not in a memory-backed /tmp, so that syncs cost what they do.
work=$(mktemp -d "${BENCH_DIR:-$build}/many_small_photos.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$maker" "$work/photos" "$photos" 640 480

# shellcheck source=bench/batch/side_by_side.sh
source "$(dirname "$0")/side_by_side.sh"
: >"$work/times"
for ((i = 0; i <= runs; i++)); do
    rm -rf "$work/out"
    TIMEFORMAT='%R %U %S'
    { time "$mallet" correct --jobs 1 --quiet -o "$work/out" "$work/photos" >/dev/null 2>&1; } 2>"$work/one"
    # The first run only fills the page cache.
    ((i == 0)) || awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' "$work/one" >>"$work/times"
done
wall=$(cut -d' ' -f1 "$work/times" | median)
cpu=$(cut -d' ' -f2 "$work/times" | median)
echo "$(lscpu | sed -n 's/^Model name: *//p'), $(nproc) processors; $runs runs"
awk -v n="$photos" -v w="$wall" -v c="$cpu" 'BEGIN {
    printf "%d photos of 640 x 480, --jobs 1: wall %.2f s, cpu %.2f s, wall/cpu %.2f (target <= 2)\n", n, w, c, w / c }'
