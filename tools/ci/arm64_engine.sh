#!/usr/bin/env bash
# The engine must work on ARM64 as on x86-64: there only its portable curve path exists, and
# `long double` is a 128-bit type rather than the x87's 80 bits, which the statistics avoid by
# computing in ExtendedFloat. This builds the engine, the test support and the engine tests
# with the ARM64 cross compiler (GoogleTest too, from the sources libgtest-dev ships), runs the
# tests under qemu-user, and compares the statistics and profile choices of thousands of
# made-up histograms, rule inputs and photos, printed by the same program built for each CPU:
# any difference fails. Plain builds in build-arm64/, no compiler cache, so a run shows what a
# fresh machine does.
set -euo pipefail
cd "$(dirname "$0")/../.."
arm=aarch64-linux-gnu-g++
host=g++
sysroot=/usr/aarch64-linux-gnu
gtest=/usr/src/googletest/googletest
for tool in "$arm" qemu-aarch64; do
    if ! command -v "$tool" >/dev/null; then
        echo "arm64_engine: $tool is missing (tools/setup.sh test installs it)" >&2
        exit 1
    fi
done
if [ "$(uname -m)" != x86_64 ]; then
    echo "arm64_engine: the cross-check compares ARM64 with x86-64, so it runs on an x86-64 machine" >&2
    exit 1
fi
if [ ! -f "$gtest/src/gtest-all.cc" ]; then
    echo "arm64_engine: GoogleTest's sources are missing from $gtest (libgtest-dev)" >&2
    exit 1
fi

out=build-arm64
rm -rf "$out"
mkdir -p "$out/arm64" "$out/x86_64"
jobs=$(nproc)
flags=(-std=c++20 -O2 -ffp-contract=off -Wall -Wextra -Werror -I. -pthread)
started=$SECONDS

# compile COMPILER FOLDER SOURCE...: one object per source in FOLDER, named after its path.
compile() {
    local compiler=$1 folder=$2
    shift 2
    printf '%s\n' "$@" | xargs -P "$jobs" -I{} sh -c \
        'object="$1/$(echo "$2" | tr / _).o"; shift 2; exec "$@" -c "$0" -o "$object"' \
        {} "$folder" {} "$compiler" "${flags[@]}"
}

engine=(engine/*.cpp)
support=(tests/support/*.cpp)
tests=(tests/engine/*_test.cpp)
fingerprint=tests/engine/statistics_fingerprint.cpp

# GoogleTest is compiled without -Werror: its warnings are not ours to fix.
printf '%s\n' "$gtest/src/gtest-all.cc" "$gtest/src/gtest_main.cc" | xargs -P "$jobs" -I{} sh -c \
    'exec "$0" -std=c++20 -O2 -pthread -I"$1" -I"$1/include" -c "$2" -o "$3/gtest_$(basename "$2" .cc).o"' \
    "$arm" "$gtest" {} "$out/arm64"
compile "$arm" "$out/arm64" "${engine[@]}" "${support[@]}" "${tests[@]}" "$fingerprint"
compile "$host" "$out/x86_64" "${engine[@]}" "$fingerprint"

objects() { # FOLDER SOURCE...: the objects compile made of the sources
    local folder=$1
    shift
    for source in "$@"; do printf '%s\n' "$folder/$(echo "$source" | tr / _).o"; done
}
mapfile -t arm_engine < <(objects "$out/arm64" "${engine[@]}")
mapfile -t arm_support < <(objects "$out/arm64" "${support[@]}")
mapfile -t arm_tests < <(objects "$out/arm64" "${tests[@]}")
mapfile -t host_engine < <(objects "$out/x86_64" "${engine[@]}")
"$arm" -pthread -o "$out/arm64/engine_tests" "${arm_tests[@]}" "${arm_support[@]}" "${arm_engine[@]}" \
    "$out/arm64/gtest_gtest_main.o" "$out/arm64/gtest_gtest-all.o"
"$arm" -pthread -o "$out/arm64/statistics_fingerprint" "$(objects "$out/arm64" "$fingerprint")" "${arm_engine[@]}"
"$host" -pthread -o "$out/x86_64/statistics_fingerprint" "$(objects "$out/x86_64" "$fingerprint")" "${host_engine[@]}"
built=$SECONDS

run_arm() { qemu-aarch64 -L "$sysroot" "$@"; }
run_arm "$out/arm64/engine_tests" --gtest_brief=1
# Once more on the portable lookups and one thread, as CTest does on x86-64.
TINTELO_CURVE_PATH=plain TINTELO_THREADS=1 run_arm "$out/arm64/engine_tests" --gtest_brief=1
tested=$SECONDS

# same EXPECTED ACTUAL: succeeds when the files are identical, else shows where they differ.
same() {
    cmp -s "$1" "$2" && return 0
    echo "arm64_engine: $(diff "$1" "$2" | grep -c '^<') of $(wc -l <"$1") lines differ, $1 against $2:" >&2
    diff "$1" "$2" | head -40 >&2
    return 1
}
x86_lines=$out/x86_64/fingerprint.txt
arm_lines=$out/arm64/fingerprint.txt
"$out/x86_64/statistics_fingerprint" >"$x86_lines"
run_arm "$out/arm64/statistics_fingerprint" >"$arm_lines"
# The comparison must notice a single changed digit, here the last of a line in the middle.
middle=$(($(wc -l <"$x86_lines") / 2))
awk -v n="$middle" 'NR == n { last = substr($0, length($0)); $0 = substr($0, 1, length($0) - 1) (last == "0" ? "1" : "0") } 1' \
    "$x86_lines" >"$out/changed_digit.txt"
if same "$x86_lines" "$out/changed_digit.txt" 2>/dev/null; then
    echo "arm64_engine: the comparison missed a changed digit in line $middle" >&2
    exit 1
fi
same "$x86_lines" "$arm_lines"
echo "== arm64_engine: engine tests pass on ARM64 under qemu-user; $(wc -l <"$x86_lines") lines of statistics" \
    "and profile choices agree bit for bit with x86-64 (build $((built - started)) s, tests" \
    "$((tested - built)) s, cross-check $((SECONDS - tested)) s)"
