#!/usr/bin/env bash
# Start-up and memory benchmark: the program's start-up against a bare Qt dialog, then the
# program's memory over a strip page and played clips, under Xvfb.
# Usage: bench/startup/run.sh [build dir] [start-up runs] [memory runs]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
ninja -C "$build" bench_startup_tessaly bench_startup_bare bench_player_first_show >/dev/null
source scripts/xvfb.sh
export QT_QPA_PLATFORM=xcb
python3 bench/startup/measure.py "$build/bin" "${2:-10}" "${3:-3}"
