#!/usr/bin/env bash
# The engine must work on ARM64 as on x86-64: there only its portable curve path exists, and
# `long double` is a 128-bit type rather than the x87's 80 bits. This builds the engine, the
# test support and the engine tests with the ARM64 cross compiler (GoogleTest too, from the
# sources libgtest-dev ships), runs the tests under qemu-user, and compares the statistics and
# profile choices of thousands of made-up histograms, rule inputs and photos, printed by the
# same program built for each CPU: any difference fails. Plain builds in build-arm64/, no cache,
# so the run shows what a fresh machine does.
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
if [ ! -f "$gtest/src/gtest-all.cc" ]; then
    echo "arm64_engine: GoogleTest's sources are missing from $gtest (libgtest-dev)" >&2
    exit 1
fi

out=build-arm64
rm -rf "$out"
mkdir -p "$out/arm64" "$out/x86_64"
jobs=$(nproc)
flags=(-std=c++20 -O2 -Wall -Wextra -Werror -I. -pthread)
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

objects() { # FOLDER PATTERN...
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
tested=$SECONDS

run_arm "$out/arm64/statistics_fingerprint" >"$out/arm64/fingerprint.txt"
"$out/x86_64/statistics_fingerprint" >"$out/x86_64/fingerprint.txt"
lines=$(wc -l <"$out/x86_64/fingerprint.txt")
if ! cmp -s "$out/x86_64/fingerprint.txt" "$out/arm64/fingerprint.txt"; then
    differing=$(diff "$out/x86_64/fingerprint.txt" "$out/arm64/fingerprint.txt" | grep -c '^<' || true)
    echo "arm64_engine: $differing of $lines statistics and profile lines differ between x86-64 and ARM64:" >&2
    diff "$out/x86_64/fingerprint.txt" "$out/arm64/fingerprint.txt" | head -40 >&2
    exit 1
fi
echo "== arm64_engine: engine tests pass on ARM64 under qemu-user; $lines statistics and profile lines" \
    "agree bit for bit with x86-64 (build $((built - started)) s, tests $((tested - built)) s," \
    "cross-check $((SECONDS - tested)) s)"
