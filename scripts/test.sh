#!/usr/bin/env bash
# Installs what is needed, checks that the C++ files are formatted, then builds and runs every test:
# a plain build, an AddressSanitizer + UBSan build, a ThreadSanitizer build of the GUI-free core, and
# a short run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/xvfb.sh

fuzz_seconds=${TESSALY_FUZZ_SECONDS:-60}

echo "== formatting"
bash scripts/check-format.sh

echo "== plain build"
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALY_WERROR=ON
ctest --test-dir build --output-on-failure -j2

echo "== AddressSanitizer + UBSan"
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DTESSALY_WERROR=ON \
  -DTESSALY_SANITIZE=address,undefined
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j2

echo "== ThreadSanitizer, GUI-free core"
bash scripts/build.sh build-tsan -DCMAKE_BUILD_TYPE=Debug -DTESSALY_WERROR=ON \
  -DTESSALY_SANITIZE=thread -DTESSALY_GUI=OFF
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 ctest --test-dir build-tsan --output-on-failure -j2

echo "== fuzzing, ${fuzz_seconds} s per target"
CC=clang CXX=clang++ bash scripts/build.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTESSALY_GUI=OFF -DTESSALY_FUZZ=ON -DTESSALY_SANITIZE=address,undefined
for target in build-fuzz/bin/fuzz_*; do
  corpus=fuzz/corpus/$(basename "$target")
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  "$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=0 "$work" 2>&1 | tail -n 3
  rm -rf "$work"
done

echo "== every test passed"
