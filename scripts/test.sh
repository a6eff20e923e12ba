#!/usr/bin/env bash
# Installs what is needed, checks that the C++ files are formatted, then builds and runs every test:
# a plain build (its window tests once more on a headless Wayland compositor), an AddressSanitizer +
# UBSan build, a ThreadSanitizer build of the GUI-free core, a short run of each fuzz target, and
# the Debian package tried in a fresh Debian 12 root. Prints the time each stage took.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
stage_start=$SECONDS
stage_name=""
stage() {
  [ -z "$stage_name" ] || echo "-- $stage_name: $((SECONDS - stage_start)) s"
  stage_name=$1
  stage_start=$SECONDS
  [ -z "$1" ] || echo "== $1"
}

stage "setup"
bash scripts/setup.sh
source scripts/xvfb.sh

fuzz_seconds=${TESSALY_FUZZ_SECONDS:-60}

stage "formatting"
bash scripts/check-format.sh

stage "plain build"
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALY_WERROR=ON
ctest --test-dir build --output-on-failure -j2

stage "main window, player and strip tests on Wayland (weston, headless)"
for test in tst_mainwindow flash_bridge_test video_play_dlg_test playback_test webstrip_test; do
  echo "-- $test"
  status=0
  bash scripts/wayland.sh "build/bin/$test" >"build/wayland-$test.log" 2>&1 || status=$?
  tail -n 1 "build/wayland-$test.log"
  # 77: the test skips itself where the platform cannot take it (no screen grab on Wayland).
  [ "$status" -eq 0 ] || [ "$status" -eq 77 ] || { cat "build/wayland-$test.log"; exit 1; }
done

stage "AddressSanitizer + UBSan"
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DTESSALY_WERROR=ON \
  -DTESSALY_SANITIZE=address,undefined
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j2

stage "ThreadSanitizer, GUI-free core"
bash scripts/build.sh build-tsan -DCMAKE_BUILD_TYPE=Debug -DTESSALY_WERROR=ON \
  -DTESSALY_SANITIZE=thread -DTESSALY_GUI=OFF
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 ctest --test-dir build-tsan --output-on-failure -j2

stage "fuzzing, ${fuzz_seconds} s per target"
CC=clang CXX=clang++ bash scripts/build.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTESSALY_GUI=OFF -DTESSALY_FUZZ=ON -DTESSALY_SANITIZE=address,undefined
for target in build-fuzz/bin/fuzz_*; do
  corpus=fuzz/corpus/$(basename "$target")
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  "$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=0 "$work" 2>&1 | tail -n 3
  rm -rf "$work"
done

stage "Debian package in a fresh Debian 12 root"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo bash scripts/install-test.sh build-deb

stage ""
echo "== every test passed in $((SECONDS - started)) s"
