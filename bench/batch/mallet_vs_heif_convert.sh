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

# shellcheck source=bench/batch/side_by_side.sh
source "$(dirname "$0")/side_by_side.sh"

echo "$(lscpu | sed -n 's/^Model name: *//p'), $(nproc) processors; $runs runs each"
compare "one 12-MP HEIC: A mallet correct, B heif-convert -q 95 (target A/B <= 1.15)" \
    "'$mallet' correct --overwrite --quiet -o '$work/out' '$work/photo.heic'" \
    "heif-convert -q 95 '$work/photo.heic' '$work/converted.jpg'"
