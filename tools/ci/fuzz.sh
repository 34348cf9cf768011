#!/usr/bin/env bash
# Fuzzes the photo loader and saver and the colour-profile reading a little on every test run: builds the libFuzzer
# targets of tests/fuzz with clang in a build folder of their own, then runs each
# for a bounded time from the committed seed corpus. Any crash, sanitizer report,
# leak, broken promise of the loader or memory use above its bound fails the run.
#
# TINTELO_FUZZ_SECONDS sets the time per target (default 30); the findings, if any,
# are kept in <build folder>/fuzz-findings/.
set -euo pipefail

top=$(cd "$(dirname "$0")/../.." && pwd)
build=${TINTELO_FUZZ_BUILD:-$top/build-fuzz}
seconds=${TINTELO_FUZZ_SECONDS:-30}
fuzzers=(decode_jpeg_photo_fuzzer decode_heif_photo_fuzzer write_photo_fuzzer metadata_fuzzer colour_profile_fuzzer)

CC=clang CXX=clang++ cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTINTELO_FUZZ=ON -DTINTELO_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${fuzzers[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
findings=$build/fuzz-findings
mkdir -p "$findings"

# Memory: at the fuzzers' pixel cap (1 Mpixel, 4 MiB of pixel words) the loader may
# hold 4 MiB of pixels plus its bound of 64 MiB + 2 x 4 MiB of coefficients + 4 MiB
# of rows being turned + 3 x the input (at most 64 KiB): about 85 MiB. No single
# allocation may pass 96 MiB. The process as a whole, with libFuzzer's corpus and the
# address sanitizer's shadow and a 64 MiB quarantine, stays well under 768 MiB.
export ASAN_OPTIONS=quarantine_size_mb=64:detect_leaks=1:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$top/tests/library_leaks.supp

failed=0
for fuzzer in "${fuzzers[@]}"; do
    mkdir "$work/$fuzzer"
    echo "== $fuzzer: ${seconds} s"
    # The profile fuzzer starts from colour profiles, the HEIF one from HEIF files, the others from JPEGs.
    if [ "$fuzzer" = colour_profile_fuzzer ]; then
        seeds=("$top/tests/fuzz/profile_corpus")
        dictionary=()
    elif [ "$fuzzer" = decode_heif_photo_fuzzer ]; then
        seeds=("$top/tests/fuzz/heif_corpus")
        dictionary=()
    else
        seeds=("$top/tests/fuzz/corpus" "$top/tests/data")
        dictionary=(-dict="$top/tests/fuzz/jpeg.dict")
    fi
    # The first folder collects what this run finds; the seed folders are only read.
    if ! "$build/tests/fuzz/$fuzzer" "$work/$fuzzer" "${seeds[@]}" \
        "${dictionary[@]}" -max_total_time="$seconds" -max_len=65536 -timeout=20 \
        -rss_limit_mb=768 -malloc_limit_mb=96 -print_final_stats=1 \
        -artifact_prefix="$findings/$fuzzer-" >"$work/$fuzzer.log" 2>&1; then
        failed=1
        echo "$fuzzer found a fault; the input is in $findings:"
        tail -n 60 "$work/$fuzzer.log"
    else
        grep -E '(DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/$fuzzer.log" || true
    fi
done
if [ "$failed" -ne 0 ]; then
    echo "Fuzzing found faults."
    exit 1
fi
echo "Fuzzing found nothing."
