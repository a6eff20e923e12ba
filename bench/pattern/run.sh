#!/usr/bin/env bash
# Builds bench_pattern with optimisation (its own build directory) and runs it.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$root/build-bench-pattern"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSALY_GUI=OFF > /dev/null
ninja -C "$build" bench_pattern > /dev/null
"$build/bin/bench_pattern" "$@"
