#!/usr/bin/env bash
# Builds bench_pattern with optimisation (its own build directory) and runs it; with
# --against=OLD_BINARY first, runs it by turns with that earlier build (compare.py: three sittings,
# each figure beside the earlier one's).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$root/build-bench-pattern"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSALY_GUI=OFF > /dev/null
ninja -C "$build" bench_pattern > /dev/null
if [[ "${1:-}" == --against=* ]]; then
  old="${1#--against=}"
  shift
  exec python3 "$root/bench/pattern/compare.py" "$old" "$build/bin/bench_pattern" "$@"
fi
"$build/bin/bench_pattern" "$@"
