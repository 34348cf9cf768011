#!/usr/bin/env bash
# Whole-process timings of `mallet correct` on one 12-megapixel HEIC side by side with
# libheif's own `heif-convert -q 95` to JPEG (target: within 1.15x), both with every
# processor. The two commands run in turn, RUNS times each; medians of wall and CPU
# (user + system) time.
#   bash bench/batch/mallet_vs_heif_convert.sh [build-dir] [runs]
set -euo pipefail
build=${1:-build-release}
runs=${2:-5}
mallet=$build/batch/mallet
maker=$build/bench/batch/make_bench_photos
for tool in "$mallet" "$maker"; do
    [ -x "$tool" ] || { echo "no $tool: build $build first" >&2; exit 1; }
done
for tool in heif-enc heif-convert; do
    command -v "$tool" >/dev/null || { echo "no $tool: install libheif-examples" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$maker" "$work/one" 1 4000 3000
# A phone's usual quality; the photo-like content makes the HEVC decoder work as on a real photo.
heif-enc -q 85 -o "$work/photo.heic" "$work/one/photo_01.jpg" >/dev/null

time_once() {
    local TIMEFORMAT='%R %U %S'
    { time bash -c "$1" >/dev/null 2>&1; } 2>&1 | awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

a="'$mallet' correct --overwrite --quiet -o '$work/out' '$work/photo.heic'"
b="heif-convert -q 95 '$work/photo.heic' '$work/converted.jpg'"
: >"$work/a" && : >"$work/b"
time_once "$a" >/dev/null && time_once "$b" >/dev/null # warm-up: files in the page cache
for ((i = 0; i < runs; i++)); do
    time_once "$a" >>"$work/a"
    time_once "$b" >>"$work/b"
done
echo "$(lscpu | sed -n 's/^Model name: *//p'), $(nproc) processors; $runs runs each"
awk -v aw="$(cut -d' ' -f1 "$work/a" | median)" -v ac="$(cut -d' ' -f2 "$work/a" | median)" \
    -v bw="$(cut -d' ' -f1 "$work/b" | median)" -v bc="$(cut -d' ' -f2 "$work/b" | median)" 'BEGIN {
    printf "one 12-MP HEIC: A mallet correct, B heif-convert -q 95 (target A/B <= 1.15)\n"
    printf "  A: wall %.2f s, cpu %.2f s\n  B: wall %.2f s, cpu %.2f s\n  A/B: wall %.2f, cpu %.2f\n",
           aw, ac, bw, bc, aw / bw, ac / bc }'
