#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, builds, and then starts the
# program (`run`), runs every test (`test`), or makes the Debian package in
# build-package/ (`package`). The README and CI call this.
set -euo pipefail

mode=${1:-}
case "$mode" in run | test | package) ;; *)
    echo "usage: $0 run|test|package" >&2
    exit 2
    ;;
esac

top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

packages=(
    g++ cmake make pkg-config
    qt6-base-dev libgl-dev
    libjpeg62-turbo-dev libexif-dev
    libheif-dev # HEIC, HEIF and AVIF photos
    liblcms2-dev libxcb1-dev # colour profiles; the display's profile on X11
    fonts-dejavu-core xfonts-base
)
# CPack's Debian generator: dpkg-shlibdeps computes the dependencies, `file` finds the programs.
package_packages=(dpkg-dev file)
test_packages=(
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool imagemagick x11-utils python3
    openbox metacity # window managers the end-to-end tests run the program under
    at-spi2-core python3-pyatspi # the accessibility bus, and what the screen-reader test reads it with
    libimage-exiftool-perl
    liblcms2-utils icc-profiles-free # jpgicc, the end-to-end colour test's independent conversion
    libjpeg-turbo-progs # djpeg and cjpeg, what the batch benchmark measures mallet against
    libheif-examples # heif-enc, which makes the HEIF tests' files, and heif-convert for the benchmark
    clang libclang-rt-14-dev
    # tools/ci/arm64_engine.sh: the engine tests built for ARM64 (GoogleTest from the sources
    # libgtest-dev ships) and run under qemu-user.
    g++-aarch64-linux-gnu qemu-user
    "${package_packages[@]}" desktop-file-utils appstream
)
wanted=("${packages[@]}")
[ "$mode" = test ] && wanted+=("${test_packages[@]}")
[ "$mode" = package ] && wanted+=("${package_packages[@]}")
# libgtest-dev is needed to configure even the run build, since tests are part of the tree.
[ "$mode" != test ] && wanted+=(libgtest-dev libbenchmark-dev)

missing=()
for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)

if [ "$mode" = run ]; then
    cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DTINTELO_BENCH=OFF
    cmake --build build-release -j "$jobs" --target tn_photo_mallet mallet 2>/dev/null ||
        cmake --build build-release -j "$jobs"
    program=build-release/windows/tn_photo_mallet
    if [ -x "$program" ]; then
        exec "$program"
    fi
    echo "The program's windows are not built yet; the engine and tools were built in build-release/."
    exit 0
fi

if [ "$mode" = package ]; then
    # Only the two programs: the package holds nothing else that is built.
    cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DTINTELO_BENCH=OFF
    cmake --build build-package -j "$jobs" --target tn_photo_mallet mallet
    rm -f build-package/*.deb
    (cd build-package && cpack -G DEB)
    exit 0
fi

# test: a plain build with warnings as errors, then the same tests under ASan and UBSan, the
# threaded libraries' tests under TSan, and the checks in tools/ci/.
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTINTELO_WERROR=ON
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTINTELO_SANITIZE=ON -DTINTELO_BENCH=OFF -DTINTELO_WERROR=ON
cmake --build build-sanitize -j "$jobs"
# Allocation failures must reach the code as failures (a refused huge bitmap), not abort the run.
# Leaks inside the system's codec libraries are theirs, not ours (the file names them).
ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS="suppressions=$top/tests/library_leaks.supp" \
    ctest --test-dir build-sanitize --output-on-failure -j "$jobs" -LE no_sanitize

# ThreadSanitizer on the libraries whose threads share memory (the row pool, the analysis beside
# the decode, the batch's workers); only their tests are built, which keeps the step short. The
# codec libraries' own threads are not ours to check (the file names them).
started=$SECONDS
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTINTELO_SANITIZE_THREAD=ON -DTINTELO_BENCH=OFF \
    -DTINTELO_WERROR=ON
cmake --build build-tsan -j "$jobs" --target engine_tests photo_files_tests corrector_tests batch_tests
built=$SECONDS
for folder in engine photo_files corrector batch; do
    TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$top/tests/library_races.supp" \
        ctest --test-dir "build-tsan/tests/$folder" --output-on-failure -j "$jobs"
done
echo "== ThreadSanitizer: build $((built - started)) s, tests $((SECONDS - built)) s"

for extra in tools/ci/*.sh; do
    [ -e "$extra" ] && bash "$extra"
done
echo "All tests passed."
