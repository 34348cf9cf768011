#!/usr/bin/env bash
# The engine must build on ARM64 laptops too, where only its portable curve path exists:
# compile it and its tests with the ARM64 cross compiler, warnings as errors. Compiling
# proves what can break there (the x86-only paths are behind their guards); the ARM64
# libraries needed to link and run the tests are not installed on an x86 machine.
set -euo pipefail
cd "$(dirname "$0")/../.."
compiler=aarch64-linux-gnu-g++
if ! command -v "$compiler" >/dev/null; then
    echo "arm64_engine: $compiler is missing (tools/setup.sh test installs it)" >&2
    exit 1
fi
sources=(engine/*.cpp tests/engine/*.cpp tests/support/*.cpp)
printf '%s\n' "${sources[@]}" |
    xargs -P "$(nproc)" -I{} "$compiler" -std=c++20 -O2 -Wall -Wextra -Werror -I. -c {} -o /dev/null
count=${#sources[@]}
echo "== arm64_engine: $count files of the engine and its tests compile for ARM64."
