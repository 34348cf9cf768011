#!/usr/bin/env bash
# Runs every benchmark of a build tree: bash bench/run.sh [build-dir] [extra benchmark flags...]
set -euo pipefail
build=${1:-build-release}
shift || true
found=0
while IFS= read -r exe; do
    found=1
    echo "== $exe"
    "$exe" --benchmark_counters_tabular=true "$@"
done < <(find "$build/bench" -type f -name '*_bench' -perm -u+x | sort)
[ "$found" = 1 ] || { echo "no benchmarks in $build/bench" >&2; exit 1; }
# Whole-process comparisons of the command-line batch with other programs.
bash "$(dirname "$0")/batch/mallet_vs_codecs.sh" "$build"
bash "$(dirname "$0")/batch/mallet_vs_heif_convert.sh" "$build"
bash "$(dirname "$0")/batch/many_small_photos.sh" "$build"
# Start to the corrected photo, as a file manager starts the program (needs Xvfb and xdotool).
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
    python3 -B "$(dirname "$0")/windows/first_photo.py" "$build"
fi
