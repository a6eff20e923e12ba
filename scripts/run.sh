#!/usr/bin/env bash
# Installs what is needed, builds Tessaly and starts it from its start-up directory (build/bin),
# where config.ini and the VDOWNLOAD folder then live.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || source scripts/xvfb.sh
cd build/bin
exec ./tessaly
