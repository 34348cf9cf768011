#!/usr/bin/env bash
# Makes docs/window.png, the README's picture of the window correcting a photo:
# paints a landscape photo, starts the program with it on a private X server
# (Xvfb), opens the tools panel and writes the window. Run it again whenever
# the window changes. Needs what `tools/setup.sh test` installs (Xvfb, xdotool,
# ImageMagick, Python 3); builds the program in BUILD (build-release) if missing.
# OUT (docs/window.png) names another file, for a test that the script still works.
# Usage: tools/readme_screenshot.sh [BUILD [OUT.png]]
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-release}
out=${2:-docs/window.png}
cd "$top"

for tool in Xvfb xdotool convert import identify stream python3; do
    command -v "$tool" >/dev/null || {
        echo "$tool is not installed (tools/setup.sh test installs it)" >&2
        exit 1
    }
done

program=$build/windows/tn_photo_mallet
if [ ! -x "$program" ]; then
    [ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTINTELO_BENCH=OFF
    cmake --build "$build" -j "$(nproc)" --target tn_photo_mallet
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 -B tools/readme_screenshot/landscape_photo.py "$work/lake.jpg"
mkdir -p "$(dirname "$out")"
python3 -B tools/readme_screenshot/window_screenshot.py "$program" "$work/lake.jpg" "$out" "$work/session"
echo "wrote $out ($(identify -format '%w x %h' "$out"), $(stat -c %s "$out") bytes)"
