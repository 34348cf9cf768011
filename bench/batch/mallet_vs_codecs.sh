#!/usr/bin/env bash
# Whole-process timings of `mallet correct` side by side with what it is measured against:
#   one 24-megapixel photo, --jobs 1   vs  djpeg | cjpeg, same DCT, quality and sampling (target: within 1.15x)
#     and the same with the default jobs (the photo's passes on every processor, as the pipe's two processes are)
#   8 such photos, --jobs 2            vs  --jobs 1                  (target: at least 1.8x the throughput)
#   8 such photos, one job per core    vs  ImageMagick -auto-level -quality 95, photo by photo (target: 5x)
# The two commands of a pair run in turn, RUNS times each; medians of wall and CPU (user + system) time.
#   bash bench/batch/mallet_vs_codecs.sh [build-dir] [runs]      (CONVERT=... picks the convert program)
set -euo pipefail
build=${1:-build-release}
runs=${2:-5}
mallet=$build/batch/mallet
maker=$build/bench/batch/make_bench_photos
convert=${CONVERT:-convert}
for tool in "$mallet" "$maker"; do
    [ -x "$tool" ] || { echo "no $tool: build $build first" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$maker" "$work/one" 1 6000 4000
"$maker" "$work/folder" 8 6000 4000
mkdir -p "$work/magick"

# shellcheck source=bench/batch/side_by_side.sh
source "$(dirname "$0")/side_by_side.sh"

echo "$(lscpu | sed -n 's/^Model name: *//p'), $(nproc) processors; $runs runs each"
if command -v djpeg >/dev/null && command -v cjpeg >/dev/null; then
    compare "one 24-MP photo: A mallet --jobs 1, B djpeg -dct float | cjpeg -quality 95 -sample 2x2 -dct float (target A/B <= 1.15)" \
        "'$mallet' correct --jobs 1 --overwrite --quiet -o '$work/out' '$work/one/photo_01.jpg'" \
        "djpeg -dct float '$work/one/photo_01.jpg' | cjpeg -quality 95 -sample 2x2 -dct float >'$work/cjpeg.jpg'"
    compare "one 24-MP photo: A mallet with the default jobs, B the same codec pipe (target A/B <= 1.15)" \
        "'$mallet' correct --overwrite --quiet -o '$work/out' '$work/one/photo_01.jpg'" \
        "djpeg -dct float '$work/one/photo_01.jpg' | cjpeg -quality 95 -sample 2x2 -dct float >'$work/cjpeg.jpg'"
else
    echo "djpeg/cjpeg missing (libjpeg-turbo-progs): codec comparison left out"
fi
compare "8 photos: A mallet --jobs 2, B mallet --jobs 1 (target B/A >= 1.8)" \
    "'$mallet' correct --jobs 2 --overwrite --quiet -o '$work/out' '$work/folder'" \
    "'$mallet' correct --jobs 1 --overwrite --quiet -o '$work/out' '$work/folder'"
if command -v "$convert" >/dev/null; then
    compare "8 photos: A mallet (one job per core), B $convert -auto-level -quality 95 each (target B/A >= 5)" \
        "'$mallet' correct --overwrite --quiet -o '$work/out' '$work/folder'" \
        "for f in '$work'/folder/*.jpg; do '$convert' \"\$f\" -auto-level -quality 95 '$work/magick/'\"\${f##*/}\"; done"
else
    echo "$convert missing (imagemagick): ImageMagick comparison left out"
fi
